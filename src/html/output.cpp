#include "html/output.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace tavrix {

std::size_t FdOutput::write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the reader has gone: there is nobody left to tell
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// Writes go straight to the descriptor; nothing is held back to flush.
void FdOutput::flush() {}

std::size_t stdOut(Output& out, std::string_view text) {
  std::string line;
  line.reserve(text.size() + 1);
  line.append(text);
  line.push_back('\n');
  return out.write(line);
}

std::size_t stdOutNlf(Output& out, std::string_view text) { return out.write(text); }

}  // namespace tavrix
