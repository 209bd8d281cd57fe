// Tables: from an array of rows.
#include "html/html.h"

namespace tavrix {

Html& Html::table(double border, const Array& rows, std::string_view caption) {
  out("<P>");
  out("<TABLE  BORDER=" + asString(Value(border)) + ">");
  out("<TR>");
  for (const Value& row : rows) {
    out("<TR>");
    for (const Value& cell : row.array())
      out("<TD><FONT FACE=\"Arial\">" + asString(cell) + "</FONT></TD>");
    out("</TR>");
  }
  if (!isBlank(caption))
    out("<CAPTION ALIGN=\"BOTTOM\"><FONT SIZE=1 FACE=\"Arial\">" + std::string(caption) +
        "</FONT></CAPTION>");
  out("</TABLE>");
  return out("<P>");
}

Html& Html::table(const Array& rows, std::string_view caption) {
  return table(1, rows, caption);
}

}  // namespace tavrix
