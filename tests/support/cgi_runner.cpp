#include "support/cgi_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <time.h>

#include <cerrno>
#include <stdexcept>

namespace tavrix::test {

namespace {

long nowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000L + t.tv_nsec / 1000000L;
}

void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

std::string tavrixExe() { return TAVRIX_EXE; }

RunResult runProgram(const std::string& program, const RunOptions& o) {
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) || pipe(outPipe) || pipe(errPipe)) throw std::runtime_error("pipe failed");
  const long started = nowMs();
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (o.stdinBytes || o.keepStdinOpen) {
      dup2(inPipe[0], 0);
    } else {
      int devnull = open("/dev/null", O_RDONLY);
      dup2(devnull, 0);
    }
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0) _exit(126);
    std::vector<std::string> envText;
    for (const auto& [k, v] : o.env) envText.push_back(k + "=" + v);
    std::vector<char*> envp, argv;
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string prog = program;
    argv.push_back(prog.data());
    std::vector<std::string> args = o.args;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execve(prog.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  signal(SIGPIPE, SIG_IGN);

  std::string toWrite = o.stdinBytes.value_or("");
  std::size_t written = 0;
  int inFd = inPipe[1];
  if (toWrite.empty() && !o.keepStdinOpen) {
    close(inFd);
    inFd = -1;
  } else {
    setNonBlocking(inFd);
  }
  setNonBlocking(outPipe[0]);
  setNonBlocking(errPipe[0]);

  RunResult r;
  bool outOpen = true, errOpen = true;
  const long deadline = started + o.timeoutMs;
  while (outOpen || errOpen) {
    const long now = nowMs();
    if (now >= deadline) {
      r.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd fds[3];
    int n = 0;
    int outIdx = -1, errIdx = -1, inIdx = -1;
    if (outOpen) { fds[n] = {outPipe[0], POLLIN, 0}; outIdx = n++; }
    if (errOpen) { fds[n] = {errPipe[0], POLLIN, 0}; errIdx = n++; }
    if (inFd >= 0 && written < toWrite.size()) { fds[n] = {inFd, POLLOUT, 0}; inIdx = n++; }
    const int wait = static_cast<int>(deadline - now);
    if (poll(fds, n, wait) < 0 && errno != EINTR) break;
    char buf[65536];
    auto drain = [&](int idx, int fd, std::string& into, bool& open) {
      if (idx < 0 || !(fds[idx].revents & (POLLIN | POLLHUP | POLLERR))) return;
      ssize_t got = read(fd, buf, sizeof buf);
      if (got > 0) into.append(buf, static_cast<std::size_t>(got));
      else if (got == 0 || (errno != EAGAIN && errno != EINTR)) open = false;
    };
    drain(outIdx, outPipe[0], r.out, outOpen);
    drain(errIdx, errPipe[0], r.err, errOpen);
    if (inIdx >= 0 && (fds[inIdx].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t put = write(inFd, toWrite.data() + written, toWrite.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      if (put < 0 && errno != EAGAIN && errno != EINTR) written = toWrite.size();
      if (written == toWrite.size() && !o.keepStdinOpen) {
        close(inFd);
        inFd = -1;
      }
    }
  }
  if (inFd >= 0) close(inFd);
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.elapsedMs = nowMs() - started;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return r;
}

RunResult cgiGet(const std::string& query, const std::string& cwd) {
  RunOptions o;
  o.env = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}, {"GATEWAY_INTERFACE", "CGI/1.1"}};
  o.cwd = cwd;
  return runProgram(tavrixExe(), o);
}

RunResult cgiPost(const std::string& body, const std::string& cwd) {
  RunOptions o;
  o.env = {{"REQUEST_METHOD", "POST"},
           {"CONTENT_LENGTH", std::to_string(body.size())},
           {"CONTENT_TYPE", "application/x-www-form-urlencoded"},
           {"GATEWAY_INTERFACE", "CGI/1.1"}};
  o.stdinBytes = body;
  o.cwd = cwd;
  return runProgram(tavrixExe(), o);
}

}  // namespace tavrix::test
