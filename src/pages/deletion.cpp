// Deleting a notice (GongDelOk2), behind the password sent as "pwd". The
// record is only marked deleted; the deletion is durable and visible to the
// list page, which opens the table a second time, before that page is
// written. This opening is closed last.
#include "core/value.h"
#include "pages/pages.h"
#include "pages/password.h"
#include "store/gong_table.h"

namespace tavrix {

void gongDelOk2(Request& req) {
  const long long number = leadingNumber(req.param("nyno"));
  const std::string password = req.param("pwd");
  DbServer db = gongDbOpen();
  db.setOrder(1);
  if (db.seek(Value(number))) {
    if (!passwordAccepted(password)) {
      pwMismatch(req, "삭제");
    } else {
      db.deleteRecord();
      db.commit();
      gongList2(req);
    }
  }
  db.close();
}

}  // namespace tavrix
