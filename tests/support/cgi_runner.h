// Runs a built program the way a web server runs a CGI program: a clean
// environment of our choosing, a working directory, bytes on standard input
// (or standard input closed at once), and everything it writes collected.
#pragma once

// (Times are plain milliseconds: <chrono> cannot be compiled with EUC-KR
// narrow literals, and the test support is compiled that way.)

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrix::test {

struct RunResult {
  std::string out;   // standard output, byte for byte
  std::string err;   // standard error
  int exitCode = -1; // exit status, or -signal when killed by a signal
  bool timedOut = false;
  long elapsedMs = 0;
};

struct RunOptions {
  std::vector<std::string> args;            // arguments after the program name
  std::map<std::string, std::string> env;   // the whole environment
  std::optional<std::string> stdinBytes;    // nothing: stdin is /dev/null
  bool keepStdinOpen = false;               // leave stdin open and empty until exit
  std::string cwd;                          // empty: the current folder
  int timeoutMs = 10000;
};

RunResult runProgram(const std::string& program, const RunOptions& options);

// A CGI request to the built Tavrix.exe: GET with a query string, or another
// method with a body (CONTENT_LENGTH set to its length unless given in env).
RunResult cgiGet(const std::string& query, const std::string& cwd = {});
RunResult cgiPost(const std::string& body, const std::string& cwd = {});

std::string tavrixExe();

}  // namespace tavrix::test
