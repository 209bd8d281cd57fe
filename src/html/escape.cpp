#include "html/escape.h"

namespace tavrix {

std::string escapeRequestText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x21 || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'') {
      out += "&#";
      out += std::to_string(b);
      out += ';';
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace tavrix
