#include "frontend/fastcgi.h"

#include <fcgiapp.h>
#include <signal.h>

#include <climits>

#include "frontend/decode.h"
#include "frontend/start.h"
#include "html/output.h"

namespace tavrix {

namespace {

// A request body arrives as the FastCGI stdin stream, which the server always
// ends; reading to its end never waits on a quiet peer.
class FcgiInput : public Input {
 public:
  explicit FcgiInput(FCGX_Stream* stream) : stream_(stream) {}
  std::size_t read(char* buffer, std::size_t n) override {
    const int got = FCGX_GetStr(buffer, static_cast<int>(n > INT_MAX ? INT_MAX : n), stream_);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  }
  std::size_t readIfReady(char* buffer, std::size_t n) override { return read(buffer, n); }

 private:
  FCGX_Stream* stream_;
};

class FcgiOutput : public Output {
 public:
  explicit FcgiOutput(FCGX_Stream* stream) : stream_(stream) {}
  std::size_t write(std::string_view bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const std::size_t chunk = bytes.size() - done > INT_MAX ? INT_MAX : bytes.size() - done;
      const int put = FCGX_PutStr(bytes.data() + done, static_cast<int>(chunk), stream_);
      if (put <= 0) break;  // the server has gone: nobody is left to tell
      done += static_cast<std::size_t>(put);
    }
    return done;
  }
  void flush() override { FCGX_FFlush(stream_); }

 private:
  FCGX_Stream* stream_;
};

}  // namespace

bool startedByFastCgiServer() { return !FCGX_IsCGI(); }

int serveFastCgi() {
  // A client that goes away must not end the worker.
  signal(SIGPIPE, SIG_IGN);
  if (FCGX_Init() != 0) return 1;
  FCGX_Request request;
  if (FCGX_InitRequest(&request, 0, 0) != 0) return 1;
  while (FCGX_Accept_r(&request) >= 0) {
    FcgiInput in(request.in);
    FcgiOutput out(request.out);
    serveRequest(Environment(request.envp), in, out);
    FCGX_Finish_r(&request);
  }
  FCGX_Free(&request, 1);
  return 0;
}

}  // namespace tavrix
