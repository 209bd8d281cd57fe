#include "store/notice_list.h"

#include <algorithm>

#include "core/text.h"
#include "core/value.h"
#include "store/gong_table.h"

namespace tavrix {

namespace {

NoticeRow currentRow(const DbServer& db) {
  NoticeRow row;
  row.nyno = static_cast<long long>(db.fieldGet("NYNO").number());
  row.date = db.fieldGet("NYDATE").text();
  row.title = db.fieldGet("TITLE").text();
  row.body = trimRight(db.fieldGet("BIGO").text());
  row.views = static_cast<long long>(db.fieldGet("QTY").number());
  return row;
}

void newestFirst(NoticeRows& rows) {
  std::stable_sort(rows.begin(), rows.end(),
                   [](const NoticeRow& a, const NoticeRow& b) { return a.nyno > b.nyno; });
}

bool isBlank(std::string_view text) { return trimRight(text).empty(); }

}  // namespace

std::uint16_t pageCountFor(long long n) {
  if (n <= 10) return 1;
  return static_cast<std::uint16_t>(n % 10 == 0 ? n / 10 : n / 10 + 1);
}

NoticeRows gongData1() {
  NoticeRows rows;
  DbServer db = gongDbOpen();
  db.setOrder(1);
  db.goBottom();
  do {
    rows.push_back(currentRow(db));
    db.skip(-1);
  } while (!db.bof() && rows.size() <= 10);
  newestFirst(rows);
  db.close();
  return rows;
}

NoticeRows gongData2(std::uint16_t& pageCount, std::string_view pageText) {
  const std::uint16_t page =
      isBlank(pageText) ? 1 : static_cast<std::uint16_t>(leadingNumber(pageText));
  NoticeRows rows;
  DbServer db = gongDbOpen();
  db.setOrder(1);
  db.goBottom();
  pageCount = pageCountFor(static_cast<long long>(db.fieldGet("NYNO").number()));
  const std::uint16_t range = static_cast<std::uint16_t>(pageCount - page + 1);
  if (pageCount == 1) {
    db.goTop();
  } else {
    const long long first = static_cast<long long>(static_cast<std::uint16_t>(range - 1)) * 10 + 1;
    db.seek(Value(first), true);
  }
  const long long last = static_cast<long long>(range) * 10;
  do {
    rows.push_back(currentRow(db));
    db.skip(1);
  } while (!db.eof() && db.fieldGet("NYNO").number() <= last);
  newestFirst(rows);
  db.close();
  return rows;
}

}  // namespace tavrix
