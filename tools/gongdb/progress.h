// Progress of long work, shown on standard error only when it is a terminal,
// redrawn in place at most once per hundredth of the work.
#pragma once

#include <string>

namespace gongdb {

class Progress {
 public:
  Progress(std::string label, long long total);
  ~Progress();
  void advance(long long done);
  void finish();

 private:
  std::string label_;
  long long total_;
  long long shown_ = -1;
  bool active_;
};

}  // namespace gongdb
