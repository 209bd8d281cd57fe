// Lists, rules, images, links and background sound.
#include "html/html.h"

namespace tavrix {

namespace {

// A list element as text: texts unchanged, anything else as asString has it.
std::string itemText(const Value& v) { return v.isText() ? v.text() : asString(v); }

}  // namespace

Html& Html::lstDefinition(const Array& pairs) {
  out("<DL>");
  for (const Value& pair : pairs) {
    const Array& p = pair.array();
    const std::string term = p.size() > 0 ? itemText(p[0]) : std::string();
    const std::string definition = p.size() > 1 ? itemText(p[1]) : std::string();
    out("<DT>" + term + "</DT>");
    out("<DD>" + definition + "</DD>");
  }
  return out("</DL>");
}

Html& Html::lstUnordered(const Array& items) {
  out("<UL>");
  for (const Value& item : items) out("<LI>" + itemText(item) + "</LI>");
  return out("</UL>");
}

Html& Html::lstOrdered(const Array& items) {
  out("<OL>");
  for (const Value& item : items) out("<LI>" + itemText(item) + "</LI>");
  return out("</OL>");
}

Html& Html::bar(double size) { return out("<hr size=" + asString(Value(size)) + ">"); }

Html& Html::image(std::string_view address, std::string_view alignment) {
  return out("<IMG SRC=\"" + std::string(address) + "\" ALIGN=\"" + std::string(alignment) +
             "\">");
}

Html& Html::anchor(std::string_view target, std::string_view text,
                   std::string_view imageAddress) {
  const std::string open = "<A HREF=\"" + std::string(target) + "\">";
  const bool noText = isBlank(text);
  const bool noImage = isBlank(imageAddress);
  if (!noText && !noImage)
    return out(open + "<img src=\"" + std::string(imageAddress) + "\">" + std::string(text) +
               "</A>");
  if (!noText) return out(open + std::string(text) + "</A>");
  if (!noImage)
    return out(open + "<img src=\"" + std::string(imageAddress) +
               "\" board=0 alt=\"View\"></A>");
  return *this;
}

Html& Html::sound(std::string_view address, double loop) {
  return out("<BGSOUND SRC=\"" + std::string(address) + "\" LOOP=" + asString(Value(loop)) +
             ">");
}

}  // namespace tavrix
