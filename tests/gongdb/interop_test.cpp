// Independent readers read what the board and the tool write: Debian's
// python3-dbfread and python3-dbf read every record (deletion marks, memo
// bodies, Korean text through the header's code-page mark or EUC-KR), and
// Perl's XBase::Index walks each index in key order over the table. The
// readers are test oracles only; they must be installed (scripts/
// install-deps.sh), and a missing one fails these tests.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/text.h"
#include "gongdb/gongdb_support.h"
#include "store/db_server.h"
#include "store/gong_table.h"
#include "support/temp_dir.h"

namespace tavrix::test {
namespace {

using Records = std::vector<std::vector<std::string>>;
const std::vector<std::string> kFields = {"NYNO", "NYDATE", "TITLE", "BIGO", "QTY"};

void run(const std::string& dir, const std::vector<std::string>& args) {
  const RunResult r = gongdb(dir, args);
  ASSERT_EQ(r.exitCode, 0) << "gongdb " << args[0] << ": " << r.err;
}

// Every record as our own record server reads it, in the readers' form.
Records ownReading(const std::string& dir) {
  setHideDeleted(false);
  Records out;
  DbServer db = gongDbOpen(dir);
  db.setOrder(0);
  for (db.goTop(); !db.eof(); db.skip(1)) {
    out.push_back({db.deleted() ? "*" : " ", std::to_string(static_cast<long>(db.fieldGet("NYNO").number())),
                   trimRight(db.fieldGet("NYDATE").text()), toUtf8(trimRight(db.fieldGet("TITLE").text())),
                   toUtf8(db.fieldGet("BIGO").text()),
                   std::to_string(static_cast<long>(db.fieldGet("QTY").number()))});
  }
  db.close();
  setHideDeleted(true);
  std::sort(out.begin(), out.end());
  return out;
}

// A blank counter reads as nothing in the readers and as 0 on the board.
Records blankCounterAsZero(Records rs) {
  for (auto& r : rs)
    if (r[5].empty()) r[5] = "0";
  std::sort(rs.begin(), rs.end());
  return rs;
}

const std::vector<std::string>* byNumber(const Records& rs, const std::string& nyno) {
  for (const auto& r : rs)
    if (r[1] == nyno) return &r;
  return nullptr;
}

std::string padded(std::string s, std::size_t width) {
  s.resize(std::max(s.size(), width), ' ');
  return s;
}

TEST(Interop, IndependentReadersReadWhatTheBoardAndGongdbWrite) {
  TempDir dir;
  run(dir.path(), {"create"});
  // Enough notices for index trees of several levels (the title index holds
  // four keys to a block).
  run(dir.path(), {"seed", "300"});
  const std::string letters = utf8(u8"가나다라마바사아자차카타파하");
  std::string sixty;  // 60 Hangul: 120 bytes, of which the title index keys 100
  for (std::size_t i = 0; i < 60; ++i) sixty += letters.substr(3 * (i % 14), 3);
  writeFile(dir.file("in.jsonl"),
            utf8(u8"{\"nyno\":1000,\"nydate\":\"2001-05-17\",\"title\":\"공지사항 첫째\",") +
                utf8(u8"\"bigo\":\"안녕하세요.\\r\\n둘째 줄\\r\\n\\r\\n넷째 줄\",\"qty\":5}\n") +
                utf8(u8"{\"nyno\":1001,\"nydate\":\"2001-05-18\",\"title\":\"지울 공지\",\"bigo\":\"잠깐\",\"qty\":1}\n") +
                "{\"nydate\":\"2001-05-19\",\"title\":\"" + sixty + "\",\"bigo\":\"" +
                utf8(u8"긴 제목\\r\\n") + "\"}\n");
  run(dir.path(), {"import", dir.file("in.jsonl")});

  // The board: a new notice, a reading, an edit that moves a body, deletions.
  const std::string title = utf8(u8"게시판에서 쓴 글 ☞ 확인");
  const std::string body = utf8(u8"첫 줄\r\n둘째 줄 ▶ 끝\r\n");
  ASSERT_EQ(cgiPost("action=GongWrite_Ok2&job=New&title=" + percentEncode(toEucKr(title)) +
                        "&bigo=" + percentEncode(toEucKr(body)) + "&password=1827364",
                    dir.path())
                .exitCode,
            0);
  ASSERT_EQ(cgiGet("action=GongView2&nyno=1000", dir.path()).exitCode, 0);
  const std::string edited = utf8(u8"고친 본문은 앞의 것보다 깁니다.\r\n") + std::string(600, '=');
  ASSERT_EQ(cgiPost("action=GongWrite_Ok2&job=Edit&nyno=1000&title=" + percentEncode(toEucKr(utf8(u8"공지사항 첫째"))) +
                        "&bigo=" + percentEncode(toEucKr(edited)) + "&password=1827364",
                    dir.path())
                .exitCode,
            0);
  ASSERT_EQ(cgiPost("action=GongDelOk2&nyno=1001&pwd=1827364", dir.path()).exitCode, 0);
  ASSERT_EQ(cgiPost("action=GongDelOk2&nyno=150&pwd=1827364", dir.path()).exitCode, 0);
  ASSERT_EQ(gongdb(dir.path(), {"check"}).exitCode, 0);

  // --- the table, through python3-dbfread ---
  const Records dbfread = oracleRecords("dbfread", dir.file("Gong.dbf"), kFields);
  ASSERT_EQ(dbfread.size(), 304u);
  const std::map<std::string, std::vector<std::string>> known = {
      {"1000", {" ", "1000", "2001-05-17", utf8(u8"공지사항 첫째"), edited, "6"}},
      {"1001", {"*", "1001", "2001-05-18", utf8(u8"지울 공지"), utf8(u8"잠깐"), "1"}},
      {"1002", {" ", "1002", "2001-05-19", sixty, utf8(u8"긴 제목\r\n"), ""}},
  };
  for (const auto& [nyno, expected] : known) {
    const auto* got = byNumber(dbfread, nyno);
    ASSERT_NE(got, nullptr) << nyno;
    EXPECT_EQ(*got, expected) << nyno;
  }
  const auto* fromBoard = byNumber(dbfread, "1003");
  ASSERT_NE(fromBoard, nullptr);
  EXPECT_EQ((*fromBoard)[0], " ");
  EXPECT_EQ((*fromBoard)[3], title);
  EXPECT_EQ((*fromBoard)[4], body);
  EXPECT_EQ((*fromBoard)[5], "") << "the board leaves a new notice's counter blank";
  EXPECT_EQ((*byNumber(dbfread, "150"))[0], "*");
  EXPECT_EQ((*byNumber(dbfread, "151"))[0], " ");

  // --- the same through python3-dbf, which takes Korean from the header ---
  EXPECT_EQ(oracleRecords("dbf", dir.file("Gong.dbf"), kFields), dbfread);
  // --- and every record as our own record server reads it ---
  EXPECT_EQ(ownReading(dir.path()), blankCounterAsZero(dbfread));

  // --- the three indexes, walked by XBase::Index ---
  const std::vector<IndexEntryRead> walk = oracleIndexWalk(dir.path());
  const std::map<std::string, std::size_t> keyLength = {{"Gong1.ndx", 0}, {"Gong2.ndx", 10}, {"Gong3.ndx", 100}};
  for (const auto& [index, width] : keyLength) {
    SCOPED_TRACE(index);
    std::vector<IndexEntryRead> entries;
    for (const auto& e : walk)
      if (e.index == index) entries.push_back(e);
    ASSERT_EQ(entries.size(), 304u);
    std::set<long> records;
    std::set<std::string> deleted;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const auto& e = entries[i];
      records.insert(e.recNo);
      if (e.deleted) deleted.insert(e.index == "Gong1.ndx" ? e.value : std::to_string(e.recNo));
      // Each key is the record's own.
      if (width == 0) {
        EXPECT_EQ(std::stod(e.key), std::stod(e.value)) << e.recNo;
      } else {
        EXPECT_EQ(e.key, trimRight(padded(e.value, width).substr(0, width))) << e.recNo;
      }
      if (i == 0) continue;
      // In key order, equal keys by record number.
      const auto& p = entries[i - 1];
      const int order = width == 0 ? (std::stod(p.key) < std::stod(e.key) ? -1 : std::stod(p.key) > std::stod(e.key))
                                   : padded(p.key, width).compare(padded(e.key, width));
      EXPECT_TRUE(order < 0 || (order == 0 && p.recNo < e.recNo)) << p.recNo << " before " << e.recNo;
    }
    EXPECT_EQ(records.size(), 304u) << "every record exactly once";
    EXPECT_EQ(*records.begin(), 1);
    EXPECT_EQ(*records.rbegin(), 304);
    EXPECT_EQ(deleted.size(), 2u);
    if (index == "Gong1.ndx") {
      EXPECT_EQ(deleted, (std::set<std::string>{"150", "1001"}));
    }
  }
}

}  // namespace
}  // namespace tavrix::test
