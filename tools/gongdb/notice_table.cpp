#include "notice_table.h"

#include <stdexcept>

#include "charset.h"
#include "core/text.h"

namespace gongdb {

using tavrix::Value;

NoticeRecord currentNotice(const tavrix::DbServer& db) {
  NoticeRecord n;
  n.nyno = static_cast<long long>(db.fieldGet("NYNO").number());
  const std::string where = "notice " + std::to_string(*n.nyno);
  n.date = eucKrToUtf8(tavrix::trimRight(db.fieldGet("NYDATE").text()), where + " date");
  n.title = eucKrToUtf8(tavrix::trimRight(db.fieldGet("TITLE").text()), where + " title");
  n.body = eucKrToUtf8(db.fieldGet("BIGO").text(), where + " body");
  n.qty = static_cast<long long>(db.fieldGet("QTY").number());
  return n;
}

long long highestLiveNumber(tavrix::DbServer& db) {
  db.setOrder(1);
  db.goBottom();
  return static_cast<long long>(db.fieldGet("NYNO").number());
}

void checkFits(const tavrix::DbServer& db, const std::string& field, long long highest) {
  for (int i = 1; i <= db.fieldCount(); ++i) {
    const tavrix::FieldInfo f = db.dataField(i);
    if (f.name == field && std::to_string(highest).size() > static_cast<std::size_t>(f.length))
      throw std::runtime_error(std::to_string(highest) + " does not fit the table's " + field + " field (" +
                               std::to_string(f.length) + " digits); nothing added");
  }
}

void appendNotice(tavrix::DbServer& db, const TableNotice& n) {
  db.append();
  db.fieldPut("NYNO", Value(static_cast<double>(n.nyno)));
  db.fieldPut("NYDATE", Value(n.date));
  db.fieldPut("TITLE", Value(n.title));
  db.fieldPut("BIGO", Value(n.body));
  if (n.qty) db.fieldPut("QTY", Value(static_cast<double>(*n.qty)));
}

}  // namespace gongdb
