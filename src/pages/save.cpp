// Saving a notice (GongWrite_Ok2), which the editor form posts. The password
// is tested here again: without that, a hand-made request could add or change
// notices. A new notice gets the highest visible number plus one, assigned
// and appended under one table lock so two saves never share a number; then
// the board list is shown. An edit replaces title and body and shows the
// notice without counting a view. Either change is durable before the
// following page is written.
#include <string>

#include "core/date.h"
#include "core/text.h"
#include "core/value.h"
#include "pages/pages.h"
#include "pages/password.h"
#include "store/gong_table.h"

namespace tavrix {

namespace {

// The editor writes a title's blanks as "&nbsp;" so that its unquoted value
// is not cut at the first blank; they come back as blanks. A browser shows
// "&nbsp;" as a no-break space, which EUC-KR cannot encode, so a form it
// submits carries "&#160;" instead: that is a blank too, or every edit of a
// notice would change its title.
std::string nbspAsBlanks(std::string text) {
  for (const std::string nbsp : {"&nbsp;", "&#160;"}) {
    for (std::size_t at = text.find(nbsp); at != std::string::npos; at = text.find(nbsp, at + 1)) {
      text.replace(at, nbsp.size(), " ");
    }
  }
  return text;
}

bool isBlankTitle(const std::string& title) {
  return title.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

void gongWriteOk2(Request& req) {
  const long long number = leadingNumber(req.param("nyno"));
  const std::string job = req.param("job");
  std::string title = nbspAsBlanks(req.param("title"));
  if (job != "New" && job != "Edit") return;
  if (!passwordAccepted(req.param("password"))) {
    pwMismatch(req, job == "New" ? "신규" : "수정");
    return;
  }

  DbServer db = gongDbOpen();
  db.setOrder(1);
  if (job == "New") {
    if (isBlankTitle(title)) title = "안녕하세요 ?";
    {
      TableLock lock = db.lock();
      db.goBottom();
      const double newNumber = db.fieldGet("NYNO").number() + 1;
      db.append();
      db.fieldPut("NYNO", Value(newNumber));
      db.fieldPut("NYDATE", Value(formatDate(today())));
      db.fieldPut("TITLE", Value(title));
      db.fieldPut("BIGO", Value(req.param("bigo")));
      db.commit();
    }
    db.close();
    gongList2(req);
    return;
  }
  const std::string pageText = req.param("page");
  if (db.seek(Value(number))) {
    db.fieldPut("TITLE", Value(title));
    db.fieldPut("BIGO", Value(req.param("bigo")));
    db.commit();
  }
  db.close();
  gongView2(req, ViewMode::Confirm, number, pageText);
}

}  // namespace tavrix
