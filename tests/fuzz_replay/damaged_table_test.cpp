// A damaged or truncated table, memo or index file, met by the board and by
// the table tool: every request ends with the error report or a normal page
// (after an index rebuild), never a crash, hang or endless loop; `gongdb
// check` reports the damage; `gongdb reindex` repairs what is derived from
// the table (the indexes) and nothing else. (tests/store has the same kinds
// of damage at the record server's level.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "support/board.h"
#include "support/file_bytes.h"

namespace tavrix::test {
namespace {

constexpr std::size_t kHeader = 32 + 5 * 32 + 1;             // Gong.dbf: header length
constexpr std::size_t kRecord = 1 + 10 + 10 + 120 + 10 + 10;  // record length
constexpr std::size_t kBigoAt = 1 + 10 + 10 + 120;            // memo field in a record

void cut(const std::string& path, std::size_t size) { writeFile(path, readFile(path).substr(0, size)); }

RunResult gongdb(const std::string& dir, const std::string& command) {
  RunOptions o;
  o.args = {command, "--dir", dir};
  o.env = {{"PATH", "/usr/bin:/bin"}, {"LANG", "C.UTF-8"}};
  return runProgram(GONGDB_EXE, o);
}

enum class Outcome { Page, Error, Either };

// What a response is: the error report (26 lines, nothing before it) or a
// page. Anything else fails the test.
Outcome outcomeOf(const RunResult& r, const std::string& request) {
  EXPECT_FALSE(r.timedOut) << request;
  EXPECT_GE(r.exitCode, 0) << request << ": killed by signal " << -r.exitCode << "\n" << r.err;
  if (r.out.rfind("<p>An Error occured!</p>\n", 0) == 0) {
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 26) << request << "\n" << r.out;
    return Outcome::Error;
  }
  EXPECT_EQ(r.out.rfind("Content-type: text/html", 0), 0u) << request << "\n" << r.out.substr(0, 400);
  return Outcome::Page;
}

struct Damage {
  const char* what;
  const char* file;      // the damaged file
  const char* reported;  // in the check's report
  std::function<void(const std::string& path)> damage;
  Outcome list;          // the list page's outcome
  Outcome view;          // the view of notice 20 (which has a memo)
  bool derived;          // only an index is damaged: reindex repairs it
};

const std::vector<Damage>& damages() {
  using O = Outcome;
  static const std::vector<Damage> cases = {
      {"table header of no dBASE table", "Gong.dbf", "Gong.dbf: bad table header",
       [](const std::string& p) { patch(p, 0, std::string(1, '\0')); }, O::Error, O::Error, false},
      {"record count beyond the file", "Gong.dbf", "record count 100000 beyond",
       [](const std::string& p) { patch(p, 4, le32(100000)); }, O::Error, O::Error, false},
      {"record count of all ones", "Gong.dbf", "record count 4294967295 beyond",
       [](const std::string& p) { patch(p, 4, le32(0xFFFFFFFF)); }, O::Error, O::Error, false},
      {"table cut in the middle of a record", "Gong.dbf", "record count 40 beyond",
       [](const std::string& p) { cut(p, kHeader + kRecord * 30 + 50); }, O::Error, O::Error, false},
      {"memo file cut inside its header", "Gong.dbt", "Gong.dbt: bad memo header",
       [](const std::string& p) { cut(p, 2); }, O::Error, O::Error, false},
      {"memo block beyond the file", "Gong.dbf", "record 20: memo block 99999",
       [](const std::string& p) { patch(p, kHeader + kRecord * 19 + kBigoAt, "     99999"); }, O::Page, O::Error,
       false},
      // The list pages show bodies too, so memo damage reaches them.
      {"memo without its end mark", "Gong.dbt", "record 20: memo at block 20 has no end mark",
       [](const std::string& p) {
         std::string d = readFile(p);
         std::replace(d.begin(), d.end(), '\x1A', 'x');
         writeFile(p, d);
       },
       O::Error, O::Error, false},
      {"memo file cut in the middle of a memo", "Gong.dbt", "record 21: memo block 21",
       [](const std::string& p) { cut(p, 512 * 20 + 3); }, O::Error, O::Error, false},
      {"index header of key length 0", "Gong1.ndx", "Gong1.ndx: bad index header",
       [](const std::string& p) { patch(p, 12, std::string(2, '\0')); }, O::Error, O::Error, true},
      // Order 1 keyed on the view counter: a page may walk the entries as
      // they stand or refuse entries whose key is not their record's; it
      // must not walk in circles.
      {"index header naming another field", "Gong1.ndx", "Gong1.ndx: entry for record",
       [](const std::string& p) { patch(p, 24, std::string("QTY\0", 4)); }, O::Either, O::Either, true},
      {"index block count beyond the file", "Gong2.ndx", "Gong2.ndx: block count 5000",
       [](const std::string& p) { patch(p, 4, le32(5000)); }, O::Error, O::Error, true},
      {"index child block beyond the file", "Gong1.ndx", "points to block 4000",
       [](const std::string& p) { patch(p, readLe32(p, 0) * 512 + 4, le32(4000)); }, O::Error, O::Error, true},
      {"cycle between index blocks", "Gong1.ndx", "reached twice",
       [](const std::string& p) { patch(p, readLe32(p, 0) * 512 + 4, le32(readLe32(p, 0))); }, O::Error, O::Error,
       true},
      {"index cut to its header", "Gong3.ndx", "Gong3.ndx: bad index header",
       [](const std::string& p) { cut(p, 512); }, O::Error, O::Error, true},
      // The request rebuilds the index and answers normally.
      {"index left marked by a writer that died", "Gong1.ndx", "Gong1.ndx: change mark set",
       [](const std::string& p) { patch(p, 8, le32(7)); }, O::Page, O::Page, true},
  };
  return cases;
}

TEST(DamagedTable, RequestsEndInTheErrorOrAPageCheckReportsAndReindexRepairsTheIndexes) {
  const std::vector<std::string> requests = {"action=GongList2&page=1", "action=GongView2&nyno=20",
                                             "action=GongList1", "action=GongView1&nyno=40"};
  for (const Damage& c : damages()) {
    SCOPED_TRACE(c.what);
    Board board;
    board.addRange(1, 40);
    c.damage(board.dir() + "/" + c.file);

    const RunResult check = gongdb(board.dir(), "check");
    EXPECT_NE(check.exitCode, 0) << check.out << check.err;
    EXPECT_NE(check.out.find(c.reported), std::string::npos) << check.out << check.err;

    std::vector<Outcome> got;
    for (const std::string& q : requests) got.push_back(outcomeOf(board.get(q), q));
    if (c.list != Outcome::Either) EXPECT_EQ(got[0], c.list) << "list page";
    if (c.view != Outcome::Either) EXPECT_EQ(got[1], c.view) << "view page";

    const RunResult reindex = gongdb(board.dir(), "reindex");
    const RunResult after = gongdb(board.dir(), "check");
    if (c.derived) {
      EXPECT_EQ(reindex.exitCode, 0) << reindex.out << reindex.err;
      EXPECT_EQ(after.exitCode, 0) << after.out << after.err;
      const RunResult list = board.get("action=GongList2&page=1");
      EXPECT_EQ(outcomeOf(list, "list after reindex"), Outcome::Page);
      EXPECT_NE(list.out.find("공지 40"), std::string::npos);
      EXPECT_EQ(readFile(board.dir() + "/Gong1.ndx").substr(24, 5), std::string("NYNO\0", 5));
    } else {
      EXPECT_NE(after.exitCode, 0) << "the table's own damage cannot be rebuilt away\n" << after.out;
    }
  }
}

}  // namespace
}  // namespace tavrix::test
