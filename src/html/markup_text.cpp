// Document structure and text markup: head, body, headings and the inline
// tags. Every line goes through out(), so it ends with CR LF.
#include "html/html.h"

namespace tavrix {

bool isBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string trimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

Html& Html::head(bool open, std::string_view title) {
  if (!open) return out("</HEAD>");
  out("<HEAD>");
  return out("<TITLE>" + std::string(title) + "</TITLE>");
}

Html& Html::head1(std::string_view title) {
  head(true, title);
  return head(false);
}

Html& Html::body(bool open, std::string_view attributes) {
  if (!open) return out("</BODY>");
  if (isBlank(attributes)) return out("<BODY>");
  return out("<BODY " + std::string(attributes) + ">");
}

Html& Html::bodyBg(std::string_view address) {
  return out("<BODY BACKGROUND = \"" + std::string(address) + "\">");
}

Html& Html::heading(double level, std::string_view text) {
  const std::string n = asString(Value(level));
  return out("<H" + n + ">" + std::string(text) + "</H" + n + ">");
}

Html& Html::tagged(const Value& value, std::string_view open, std::string_view close) {
  if (value.isText()) return out(std::string(open) + value.text() + std::string(close));
  if (value.type() == Type::Logical) return out(value.logical() ? open : close);
  return *this;
}

Html& Html::bold(const Value& value) { return tagged(value, "<B>", "</B>"); }
Html& Html::italic(const Value& value) { return tagged(value, "<I>", "</I>"); }
Html& Html::underline(const Value& value) { return tagged(value, "<U>", "</U>"); }

Html& Html::pre(bool open) { return out(open ? "<PRE>" : "</PRE>"); }
Html& Html::address(bool open) { return out(open ? "<ADDRESS>" : "</ADDRESS>"); }

}  // namespace tavrix
