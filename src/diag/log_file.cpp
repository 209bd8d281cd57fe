#include "diag/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/date.h"

namespace tavrix {

namespace {

constexpr const char* kLogDirVariable = "TAVRIX_LOG_DIR";

std::string logDirectory() {
  const char* dir = std::getenv(kLogDirVariable);
  return dir ? dir : "";
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Creates (or empties) the file; true when that worked.
bool createEmpty(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool canOpen(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Copies from to to, replacing what stands at to; failures are ignored (the
// log is started anew either way).
void copyFile(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return;
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out >= 0) {
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(in, buffer, sizeof buffer)) > 0)
      if (!writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) break;
    ::close(out);
  }
  ::close(in);
}

// The name up to and including its last "." followed by the extension, or
// the name + "." + extension when it has no ".".
std::string withExtension(const std::string& name, const char* extension) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return name + "." + extension;
  return name.substr(0, dot + 1) + extension;
}

std::string text(std::uint32_t n) { return asString(Value(n)); }

std::string hex32(std::uint32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", n);
  return buf;
}

// A pointer that fits 32 bits as eight digits; a wider one in all sixteen.
std::string hexPointer(Pointer p) {
  char buf[24];
  const auto a = static_cast<unsigned long long>(p.address);
  std::snprintf(buf, sizeof buf, a > 0xFFFFFFFFull ? "%016llX" : "%08llX", a);
  return buf;
}

// Each byte as two digits and a blank.
std::string hexBytes(std::string_view bytes) {
  std::string s;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    s += buf;
  }
  return s;
}

std::string timeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

const char* const kVersion = "Tavrix runtime 1.0 (GCC " __VERSION__ ")";

// An error that stands for an operating-system exception; its code, flags,
// address and information are dumped in hexadecimal.
constexpr std::uint32_t kExceptionSubCode = 5333;

}  // namespace

std::string LogFile::executablePath() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0) return {};
  path.resize(static_cast<std::size_t>(n));
  return path;
}

LogFile::LogFile(const Value& fileName, const Value& serverDirectory, const Value& append)
    : LogFile(executablePath(), fileName, serverDirectory, append) {}

LogFile::LogFile(std::string_view executable, const Value& fileName,
                 const Value& serverDirectory, const Value& append) {
  const auto slash = executable.rfind('/');
  serverPath_ = slash == std::string_view::npos ? std::string(executable)
                                                : std::string(executable.substr(0, slash + 1));

  std::string base;
  if (fileName.isText() && !fileName.text().empty()) {
    base = fileName.text().find('/') != std::string::npos ? fileName.text()
                                                         : serverPath_ + fileName.text();
  } else {
    base = std::string(executable);
  }

  const auto dot = base.rfind('.');
  const bool inServerDirectory =
      serverDirectory.type() == Type::Logical && serverDirectory.logical();
  if (inServerDirectory) {
    const auto baseSlash = base.rfind('/');
    const std::size_t from = baseSlash == std::string::npos ? 0 : baseSlash;
    const std::size_t to = dot != std::string::npos && dot > from ? dot : base.size();
    fName_ = logDirectory() + base.substr(from, to - from) + ".log";
  } else {
    fName_ = withExtension(base, "log");
  }

  append_ = append.type() == Type::Logical ? append.logical() : true;

  bool ready;
  if (!exists(fName_)) {
    ready = createEmpty(fName_);
  } else if (append_) {
    ready = canOpen(fName_);
  } else {
    backupName_ = withExtension(fName_, "bak");
    copyFile(fName_, backupName_);
    ready = createEmpty(fName_);
  }
  log2File_ = ready;
}

void LogFile::appendLines(std::string_view text) {
  const int fd = ::open(fName_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  if (::lseek(fd, 0, SEEK_END) >= 0) writeAll(fd, text);
  ::close(fd);
}

LogFile& LogFile::debugMsg(std::string_view message) {
  if (log2File_) {
    appendLines(std::string(message) + "\r\n");
  } else {
    writeAll(STDERR_FILENO, std::string(message) + "\n");
  }
  return *this;
}

LogFile& LogFile::dumpError(const Error& e) {
  const bool exception = e.subCode == kExceptionSubCode;
  std::string dump;
  const auto line = [&dump](std::string_view label, const std::string& value) {
    dump.append(label);
    dump += value;
    dump += "\r\n";
  };
  line("***********************ERROR********************************", "");
  line(kVersion, "");
  line(formatDate(today()) + " " + timeOfDay(), "");
  line(" ", "");
  line("Error Object created:", "");
  line("--------------------", "");
  line("SubSystem       :", e.subSystem);
  line("SubCode         :", text(e.subCode));
  line("GenCode         :", errString(e.genCode));
  if (exception) {
    line("ExceptionCode   :", hex32(e.osCode));
    line("ExceptionFlags  :", hex32(e.argType));
    line("ExceptionAddress:", hexPointer(e.funcPtr));
    line("ParamNumber     :", text(e.argNum));
    line("ExceptionInfo   :", hexBytes(e.funcSym.name));
  } else {
    line("OsCode          :", text(e.osCode));
    line("ArgType         :", typeString(e.argType));
    line("FuncPtr         :", asString(Value(e.funcPtr)));
    line("ArgNum          :", text(e.argNum));
    line("FuncSym         :", asString(Value(e.funcSym)));
  }
  line("Severity        :", text(e.severity));
  line("CanDefault      :", asString(Value(e.canDefault)));
  line("CanRetry        :", asString(Value(e.canRetry)));
  line("CanSubstitute   :", asString(Value(e.canSubstitute)));
  line("Operation       :", e.operation);
  line("Description     :", e.description);
  line("FileName        :", e.fileName);
  line("Tries           :", text(e.tries));
  line("FileHandle      :", text(e.fileHandle));
  line("SubCodeText     :", e.subCodeText);
  line("Arg             :", e.arg);
  line("ArgTypeReq      :", typeString(e.argTypeReq));
  line("MaxSize         :", text(e.maxSize));
  line("SubstituteType  :", typeString(e.substituteType));
  line("CallFuncSym     :", asString(Value(e.callFuncSym)));
  line("--------------------", "");
  appendLines(dump);
  return *this;
}

const std::string& LogFile::fName(const Value& v) {
  if (v.isText()) fName_ = v.text();
  return fName_;
}

const std::string& LogFile::backupName(const Value& v) {
  if (v.isText()) backupName_ = v.text();
  return backupName_;
}

bool LogFile::append(const Value& v) {
  if (v.type() == Type::Logical) append_ = v.logical();
  return append_;
}

bool LogFile::log2File(const Value& v) {
  if (v.type() == Type::Logical) log2File_ = v.logical();
  return log2File_;
}

}  // namespace tavrix
