// CaptureOutput: an Output that keeps every write, one entry per call, so a
// test can see both the bytes and how many writes carried them.
#pragma once

#include <string>
#include <vector>

#include "html/output.h"

namespace tavrix::test {

class CaptureOutput : public Output {
 public:
  std::size_t write(std::string_view bytes) override {
    writes.emplace_back(bytes);
    return bytes.size();
  }
  void flush() override { ++flushes; }

  std::string all() const {
    std::string s;
    for (const auto& w : writes) s += w;
    return s;
  }

  std::vector<std::string> writes;
  int flushes = 0;
};

}  // namespace tavrix::test
