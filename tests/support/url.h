// Percent-encoding of form values the way a browser sends them: every byte
// but ASCII letters and digits as %XX.
#pragma once

#include <cctype>
#include <string>

namespace tavrix::test {

inline std::string pct(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace tavrix::test
