// FcgiWorker: the built program started as a FastCGI server starts it — its
// standard input a listening socket — and a minimal FastCGI client that sends
// it one request at a time (parameters and body) and collects the response
// it writes. One worker serves every request of a test, in order.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

#include "support/temp_dir.h"

namespace tavrix::test {

struct FcgiResponse {
  std::string out;        // the FastCGI stdout stream, byte for byte
  std::string err;        // the stderr stream
  bool ended = false;     // an end-request record arrived
};

class FcgiWorker {
 public:
  // Starts the worker with `cwd` as its folder (where it finds the table).
  explicit FcgiWorker(const std::string& cwd);
  ~FcgiWorker();
  FcgiWorker(const FcgiWorker&) = delete;
  FcgiWorker& operator=(const FcgiWorker&) = delete;

  FcgiResponse request(const std::map<std::string, std::string>& params,
                       const std::string& body = {});
  pid_t pid() const { return pid_; }
  // Whether the worker process is still running.
  bool alive() const;

 private:
  TempDir socketDir_;
  std::string socketPath_;
  pid_t pid_ = -1;
};

}  // namespace tavrix::test
