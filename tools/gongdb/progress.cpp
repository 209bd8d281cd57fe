#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace gongdb {

Progress::Progress(std::string label, long long total)
    : label_(std::move(label)), total_(total), active_(total > 0 && ::isatty(STDERR_FILENO)) {}

Progress::~Progress() { finish(); }

void Progress::advance(long long done) {
  if (!active_) return;
  const long long step = total_ >= 100 ? total_ / 100 : 1;
  if (shown_ >= 0 && done - shown_ < step && done != total_) return;
  shown_ = done;
  std::fprintf(stderr, "\r%s: %lld/%lld (%lld%%)", label_.c_str(), done, total_, done * 100 / total_);
  std::fflush(stderr);
}

void Progress::finish() {
  if (!active_) return;
  if (shown_ >= 0) std::fputs("\n", stderr);
  active_ = false;
}

}  // namespace gongdb
