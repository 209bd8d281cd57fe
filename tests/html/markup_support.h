// What a markup call appended to a fresh page, and the expected lines joined
// with CR LF, so each case reads as the list of lines it must produce.
#pragma once

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>

#include "html/html.h"
#include "support/capture_output.h"

namespace tavrix::test {

inline const std::string kNewPage = "Content-type: text/html\r\n\r\n<HTML>\r\n";

inline std::string appended(const std::function<void(Html&)>& build) {
  CaptureOutput out;
  Html page(out);
  build(page);
  const std::string& text = page.pageText();
  if (text.compare(0, kNewPage.size(), kNewPage) != 0) return "<header changed>" + text;
  return text.substr(kNewPage.size());
}

inline std::string lines(std::initializer_list<std::string> ls) {
  std::string s;
  for (const auto& l : ls) s += l + "\r\n";
  return s;
}

// One case of a markup table: what is called, and the lines it must append.
struct MarkupCase {
  const char* what;
  std::function<void(Html&)> build;
  std::string expected;
};

inline void PrintTo(const MarkupCase& c, std::ostream* os) { *os << c.what; }

}  // namespace tavrix::test
