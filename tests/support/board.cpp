#include "support/board.h"

#include "core/text.h"
#include "store/db_server.h"
#include "store/gong_table.h"

namespace tavrix::test {

namespace {

DbServer openBoard(const std::string& dir) { return gongDbOpen(dir); }

Notice current(const DbServer& db) {
  Notice n;
  n.nyno = static_cast<long long>(db.fieldGet("NYNO").number());
  n.date = trimRight(db.fieldGet("NYDATE").text());
  n.title = trimRight(db.fieldGet("TITLE").text());
  n.body = db.fieldGet("BIGO").text();
  n.views = static_cast<long long>(db.fieldGet("QTY").number());
  n.deleted = db.deleted();
  return n;
}

}  // namespace

Board::Board() { createGongTable(dir_.path()); }

void Board::add(long long nyno, const std::string& title, const std::string& body,
                long long views, const std::string& date) {
  DbServer db = openBoard(dir());
  db.append();
  db.fieldPut("NYNO", Value(static_cast<double>(nyno)));
  db.fieldPut("NYDATE", Value(date));
  db.fieldPut("TITLE", Value(title));
  db.fieldPut("BIGO", Value(body));
  if (views) db.fieldPut("QTY", Value(static_cast<double>(views)));
  db.close();
}

void Board::addRange(long long from, long long to) {
  for (long long n = from; n <= to; ++n) {
    add(n, "공지 " + std::to_string(n), "본문 " + std::to_string(n));
  }
}

void Board::remove(long long nyno) {
  DbServer db = openBoard(dir());
  if (db.seek(Value(static_cast<double>(nyno)))) db.deleteRecord();
  db.close();
}

RunResult Board::get(const std::string& query) const { return cgiGet(query, dir()); }
RunResult Board::post(const std::string& body) const { return cgiPost(body, dir()); }

std::optional<Notice> Board::find(long long nyno) const {
  DbServer db = openBoard(dir());
  std::optional<Notice> found;
  if (db.seek(Value(static_cast<double>(nyno)))) found = current(db);
  db.close();
  return found;
}

std::vector<Notice> Board::all() const {
  std::vector<Notice> notices;
  const bool hidden = hideDeleted();
  setHideDeleted(false);
  DbServer db = openBoard(dir());
  db.setOrder(0);
  for (db.goTop(); !db.eof(); db.skip(1)) notices.push_back(current(db));
  db.close();
  setHideDeleted(hidden);
  return notices;
}

}  // namespace tavrix::test
