// LogFile: one text log of diagnostic messages and error dumps. Creating the
// object settles the log's name and prepares the file; afterwards every
// debugMsg() and dumpError() opens the file, appends at its end and closes it
// again, so several processes can share one log (no locking: each call is one
// append between an open and a close). Lines end with CR LF. Nothing here
// raises an error for a file problem: a log that cannot be created or opened
// leaves log2File() false, and a failed open later drops the output.
//
// Naming. The server path is the directory of the running executable (read
// from /proc/self/exe), with its trailing "/". The base name is the file name
// given, unchanged when it holds a "/", otherwise placed in the server path;
// without a name (or with an empty one) it is the executable's own path. The
// log replaces the extension after the base's last "." with "log" (the last
// "." anywhere in the base: a dot in a directory name counts when the file
// name has none), or appends ".log" when the base has no ".":
//   /srv/cgi/Tavrix.exe  -> /srv/cgi/Tavrix.log
//   trace.txt            -> /srv/cgi/trace.log
//   /var/tmp/x           -> /var/tmp/x.log
//   /a.b/c               -> /a.log
// With the server-directory flag the log goes into the web server's log
// directory, taken from the environment variable TAVRIX_LOG_DIR (used as it
// is): that directory + the base's part from its last "/" up to its last "."
// + ".log" (/var/log/www + /Tavrix + .log). When the base has no "." after
// its last "/", the whole part from that "/" on is used. An unset or empty
// variable gives an empty directory, so the name is "/Tavrix.log".
//
// Preparing. A missing log is created empty. An existing one is kept and
// appended to when the append flag is true (the default) and counts as ready
// when it can be opened for writing; otherwise it is
// copied to the backup name (the log's name with "bak" for the extension
// after its last ".", or + ".bak") and started anew, empty.
//
// Where messages go. debugMsg() appends to the log when log2File() is true
// and writes the message (with a line feed) to standard error otherwise;
// dumpError() appends an error's 30-line dump to the log in either case.
#pragma once

#include <string>
#include <string_view>

#include "core/error.h"
#include "core/value.h"

namespace tavrix {

class LogFile {
 public:
  // The arguments are dynamic: a file name counts only as a non-empty text,
  // the flags only as logicals (otherwise the server-directory flag is false
  // and the append flag true).
  explicit LogFile(const Value& fileName = {}, const Value& serverDirectory = {},
                   const Value& append = {});
  // The same for a program whose executable has the given full path.
  LogFile(std::string_view executablePath, const Value& fileName,
          const Value& serverDirectory, const Value& append);

  LogFile& debugMsg(std::string_view message);
  LogFile& dumpError(const Error& error);

  const std::string& serverPath() const { return serverPath_; }
  const std::string& fName() const { return fName_; }
  const std::string& backupName() const { return backupName_; }
  bool append() const { return append_; }
  bool log2File() const { return log2File_; }

  // Assignments take effect only for a value of the field's kind (a text for
  // the names, a logical for the flags) and return the field afterwards.
  const std::string& fName(const Value& v);
  const std::string& backupName(const Value& v);
  bool append(const Value& v);
  bool log2File(const Value& v);

  // The full path of the running executable.
  static std::string executablePath();

 private:
  void appendLines(std::string_view text);

  std::string fName_;
  std::string backupName_;
  std::string serverPath_;
  bool log2File_ = false;
  bool append_ = true;
};

}  // namespace tavrix
