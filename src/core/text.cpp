#include "core/text.h"

#include <cstdio>

namespace tavrix {

std::string fourWide(long long n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4lld", n);
  return buf;
}

std::string trimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string crlfToBr(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "<br>";
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace tavrix
