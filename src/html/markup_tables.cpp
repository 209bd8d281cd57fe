// Tables: from an array of rows, and from a table file browsed through the
// record server.
#include <algorithm>
#include <vector>

#include "html/html.h"
#include "store/db_server.h"

namespace tavrix {

namespace {

// ASCII letters only: the bytes of EUC-KR characters stay as they are.
std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

struct Column {
  std::size_t entry;  // position in the column list; 0 without a list
  int field;          // 1-based field position
  std::string heading;
  int width;
};

// The columns to show: without a list every field in field order; with one,
// each field whose upper-cased heading equals an entry, ordered by the first
// entry it equals (fields with equal headings in field order).
std::vector<Column> chooseColumns(const DbServer& table, const Array& list) {
  std::vector<Column> columns;
  for (int i = 1; i <= table.fieldCount(); ++i) {
    const FieldInfo info = table.dataField(i);
    std::string heading = trimBlanks(info.caption.empty() ? info.name : info.caption);
    std::size_t entry = 0;
    if (!list.empty()) {
      const std::string key = upper(heading);
      const auto match = std::find_if(list.begin(), list.end(), [&](const Value& v) {
        return v.isText() && v.text() == key;
      });
      if (match == list.end()) continue;
      entry = static_cast<std::size_t>(match - list.begin());
    }
    const int widest = std::max(info.length, static_cast<int>(heading.size()));
    columns.push_back({entry, i, std::move(heading), (widest + 1) * 10});
  }
  std::stable_sort(columns.begin(), columns.end(),
                   [](const Column& a, const Column& b) { return a.entry < b.entry; });
  return columns;
}

}  // namespace

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

Html& Html::browseView(const std::string& tableFile, const std::string& indexFile,
                       const Array& columnList, std::string_view caption) {
  DbServer table(tableFile, true);
  if (!indexFile.empty()) table.setIndex(indexFile);
  const std::vector<Column> columns = chooseColumns(table, columnList);

  out("<P>");
  out("<TABLE  BORDER=\"1\" width=\"1000\">");
  out("<TR>");
  for (const Column& c : columns)
    out("<TH WIDTH=" + asString(Value(c.width)) +
        "><CENTER><B><FONT FACE=\"Arial\" SIZE=\"2\">" + c.heading +
        "</FONT></B></CENTER></TH>");
  out("</TR>");
  for (table.goTop(); !table.eof(); table.skip(1)) {
    out("<TR>");
    for (const Column& c : columns)
      out("<TD WIDTH=" + asString(Value(c.width)) + "><FONT FACE=\"Arial\" SIZE=\"2\">" +
          asString(table.fieldGet(c.field)) + "</FONT></TD>");
    out("</TR>");
  }
  table.close();
  out("<CAPTION ALIGN=\"BOTTOM\"><FONT SIZE=1 FACE=\"Arial\">" + std::string(caption) +
      "</FONT>");
  out("</CAPTION>");
  out("</TABLE>");
  return out("<P>");
}

}  // namespace tavrix
