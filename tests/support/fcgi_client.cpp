#include "support/fcgi_client.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "support/cgi_runner.h"

namespace tavrix::test {

namespace {

enum : unsigned char {
  kBeginRequest = 1,
  kEndRequest = 3,
  kParams = 4,
  kStdin = 5,
  kStdout = 6,
  kStderr = 7,
};

void appendRecord(std::string& wire, unsigned char type, const std::string& content) {
  const unsigned char header[8] = {1, type, 0, 1,
                                   static_cast<unsigned char>(content.size() >> 8),
                                   static_cast<unsigned char>(content.size() & 0xFF), 0, 0};
  wire.append(reinterpret_cast<const char*>(header), 8);
  wire += content;
}

void appendStream(std::string& wire, unsigned char type, const std::string& data) {
  for (std::size_t at = 0; at < data.size(); at += 65535) {
    appendRecord(wire, type, data.substr(at, 65535));
  }
  appendRecord(wire, type, "");
}

void appendLength(std::string& s, std::size_t n) {
  if (n < 128) {
    s.push_back(static_cast<char>(n));
  } else {
    s.push_back(static_cast<char>(0x80 | ((n >> 24) & 0x7F)));
    s.push_back(static_cast<char>((n >> 16) & 0xFF));
    s.push_back(static_cast<char>((n >> 8) & 0xFF));
    s.push_back(static_cast<char>(n & 0xFF));
  }
}

bool readAll(int fd, char* buf, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    ssize_t r = ::read(fd, buf + got, n - got);
    if (r <= 0) return false;
    got += static_cast<std::size_t>(r);
  }
  return true;
}

}  // namespace

FcgiWorker::FcgiWorker(const std::string& cwd) {
  socketPath_ = socketDir_.file("worker.sock");
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath_.c_str(), sizeof addr.sun_path - 1);
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener, 16) != 0) {
    throw std::runtime_error("cannot listen on " + socketPath_);
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(listener, 0);
    close(listener);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    const std::string exe = tavrixExe();
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    char* envp[] = {nullptr};
    execve(exe.c_str(), argv, envp);
    _exit(127);
  }
  close(listener);
}

FcgiWorker::~FcgiWorker() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool FcgiWorker::alive() const { return pid_ > 0 && kill(pid_, 0) == 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

FcgiResponse FcgiWorker::request(const std::map<std::string, std::string>& params,
                                 const std::string& body) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath_.c_str(), sizeof addr.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    throw std::runtime_error("cannot connect to the worker");
  }
  timeval timeout{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

  std::string wire;
  appendRecord(wire, kBeginRequest, std::string("\0\1\0\0\0\0\0\0", 8));  // responder, close after
  std::string pairs;
  for (const auto& [name, value] : params) {
    appendLength(pairs, name.size());
    appendLength(pairs, value.size());
    pairs += name;
    pairs += value;
  }
  appendStream(wire, kParams, pairs);
  appendStream(wire, kStdin, body);
  for (std::size_t sent = 0; sent < wire.size();) {
    ssize_t n = ::send(fd, wire.data() + sent, wire.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }

  FcgiResponse response;
  unsigned char header[8];
  while (readAll(fd, reinterpret_cast<char*>(header), 8)) {
    const std::size_t length = (header[4] << 8) | header[5];
    std::string content(length + header[6], '\0');
    if (!readAll(fd, content.data(), content.size())) break;
    content.resize(length);
    if (header[1] == kStdout) response.out += content;
    if (header[1] == kStderr) response.err += content;
    if (header[1] == kEndRequest) {
      response.ended = true;
      break;
    }
  }
  close(fd);
  return response;
}

}  // namespace tavrix::test
