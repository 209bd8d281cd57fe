#include "html/html.h"

namespace tavrix {

Html::Html(Output& out) : output_(out) {
  pageText_.reserve(16384);
  this->out("Content-type: text/html");
  this->out("");
  this->out("<HTML>");
}

Html& Html::out(std::string_view text) {
  pageText_.append(text);
  pageText_.append("\r\n");
  return *this;
}

Html& Html::lnBreak() { return out("<BR>"); }

Html& Html::show() {
  std::string line = "<!--";
  line += pageText_;
  line += "-->";
  return out(line);
}

Html& Html::destroy() {
  out("</BODY>");
  out("</HTML>");
  out(" ");
  output_.write(pageText_);
  return *this;
}

}  // namespace tavrix
