#include "pages/view_notice.h"

#include "core/text.h"
#include "core/value.h"

namespace tavrix {

ShownNotice showAndCount(DbServer& db, ViewMode mode) {
  ShownNotice shown;
  shown.number = fourWide(static_cast<long long>(db.fieldGet("NYNO").number()));
  shown.date = trimRight(db.fieldGet("NYDATE").text());
  shown.title = trimRight(db.fieldGet("TITLE").text());
  shown.body = crlfToBr(db.fieldGet("BIGO").text());
  if (mode != ViewMode::Confirm) {
    db.fieldPut("QTY", Value(db.fieldGet("QTY").number() + 1));
  }
  return shown;
}

}  // namespace tavrix
