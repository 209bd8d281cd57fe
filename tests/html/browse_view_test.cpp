// Browsing a table file into an HTML table: headings and widths, the column
// list, hidden deleted records, the index as the order of the walk, and the
// record server's opening and closing.
#include <gtest/gtest.h>

#include "core/error.h"
#include "markup_support.h"
#include "store/db_server.h"
#include "store/dbf_table.h"
#include "store/gong_table.h"
#include "support/temp_dir.h"

namespace tavrix {
namespace {

using test::appended;
using test::lines;
using test::TempDir;

std::string th(int width, const std::string& heading) {
  return "<TH WIDTH=" + std::to_string(width) +
         "><CENTER><B><FONT FACE=\"Arial\" SIZE=\"2\">" + heading + "</FONT></B></CENTER></TH>";
}

std::string td(int width, const std::string& value) {
  return "<TD WIDTH=" + std::to_string(width) + "><FONT FACE=\"Arial\" SIZE=\"2\">" + value +
         "</FONT></TD>";
}

std::string browse(const std::vector<std::string>& headings,
                   const std::vector<std::vector<std::string>>& rows,
                   const std::string& caption) {
  std::string s = lines({"<P>", "<TABLE  BORDER=\"1\" width=\"1000\">", "<TR>"});
  for (const auto& h : headings) s += h + "\r\n";
  s += "</TR>\r\n";
  for (const auto& row : rows) {
    s += "<TR>\r\n";
    for (const auto& cell : row) s += cell + "\r\n";
    s += "</TR>\r\n";
  }
  return s + lines({"<CAPTION ALIGN=\"BOTTOM\"><FONT SIZE=1 FACE=\"Arial\">" + caption + "</FONT>",
                    "</CAPTION>", "</TABLE>", "<P>"});
}

// PEOPLE: NAME C(4), QTY N(3), REMARK C(2) (its heading is wider than the
// field), OK L(1). Widths 50, 40, 70, 30.
class BrowseView : public testing::Test {
 protected:
  void SetUp() override {
    store::DbfTable::create(table, {{"NAME", 'C', 4}, {"QTY", 'N', 3}, {"REMARK", 'C', 2},
                                    {"OK", 'L', 1}},
                            0x79);
  }
  void add(const char* name, int qty, const char* remark, bool ok, bool deleted = false) {
    DbServer db(table);
    db.append();
    db.fieldPut("NAME", name);
    db.fieldPut("QTY", qty);
    db.fieldPut("REMARK", remark);
    db.fieldPut("OK", ok);
    if (deleted) db.deleteRecord();
    db.close();
  }

  TempDir dir;
  std::string table = dir.file("people.dbf");
};

TEST_F(BrowseView, AnEmptyTableGivesTheHeadingRowThenTheCaption) {
  EXPECT_EQ(appended([&](Html& h) { h.browseView(table); }),
            browse({th(50, "NAME"), th(40, "QTY"), th(70, "REMARK"), th(30, "OK")}, {}, ""));
}

TEST_F(BrowseView, EveryVisibleRecordIsARowOfUntrimmedValues) {
  add("ab", 7, "x", true);
  add("gone", 1, "", false, true);
  add("공", 120, "zz", false);
  EXPECT_EQ(
      appended([&](Html& h) { h.browseView(table, "", {}, " 명단 "); }),
      browse({th(50, "NAME"), th(40, "QTY"), th(70, "REMARK"), th(30, "OK")},
             {{td(50, "ab  "), td(40, "7"), td(70, "x "), td(30, "TRUE")},
              {td(50, "공  "), td(40, "120"), td(70, "zz"), td(30, "FALSE")}},
             " 명단 "));
}

TEST_F(BrowseView, TheColumnListChoosesColumnsInListOrder) {
  add("ab", 7, "x", true);
  struct Case {
    const char* what;
    Array list;
    std::vector<std::string> headings;
    std::vector<std::string> cells;
  };
  const Case cases[] = {
      {"list order, not field order", {"REMARK", "NAME"},
       {th(70, "REMARK"), th(50, "NAME")}, {td(70, "x "), td(50, "ab  ")}},
      {"unknown, lower-case, repeated and non-text entries skipped",
       {"nope", "name", "OK", 5, "QTY", "OK"},
       {th(30, "OK"), th(40, "QTY")}, {td(30, "TRUE"), td(40, "7")}},
      {"nothing matches: no columns", {"X"}, {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(appended([&](Html& h) { h.browseView(table, "", c.list, "c"); }),
              browse(c.headings, {c.cells}, "c"))
        << c.what;
  }
}

TEST_F(BrowseView, OpensSharedAndClosesWhenDone) {
  {
    DbServer reader(table, true);  // a shared reader does not stand in the way
    EXPECT_NO_THROW(appended([&](Html& h) { h.browseView(table); }));
  }
  {
    DbServer owner(table, false);  // an exclusive opening refuses a shared one
    EXPECT_THROW(appended([&](Html& h) { h.browseView(table); }), Error);
  }
  appended([&](Html& h) { h.browseView(table); });
  EXPECT_NO_THROW(DbServer(table, false).close()) << "browseView left the table open";
}

TEST(BrowseViewErrors, AMissingTableIsTheRecordServersError) {
  TempDir dir;
  EXPECT_THROW(appended([&](Html& h) { h.browseView(dir.file("none")); }), Error);
}

TEST(BrowseViewIndex, AnAttachedIndexIsTheOrderOfTheWalk) {
  TempDir dir;
  createGongTable(dir.path());
  {
    DbServer db = gongDbOpen(dir.path());
    for (int n : {3, 1, 2}) {
      db.append();
      db.fieldPut("NYNO", n);
      db.fieldPut("TITLE", "t" + std::to_string(n));
    }
    db.close();
  }
  const Array list = {"NYNO"};
  const auto walk = [&](const std::string& index) {
    return appended([&](Html& h) { h.browseView(dir.file("Gong"), index, list); });
  };
  const auto rows = [](std::vector<int> order) {
    std::vector<std::vector<std::string>> r;
    for (int n : order) r.push_back({td(110, std::to_string(n))});
    return r;
  };
  EXPECT_EQ(walk(""), browse({th(110, "NYNO")}, rows({3, 1, 2}), ""));
  EXPECT_EQ(walk(dir.file("Gong1")), browse({th(110, "NYNO")}, rows({1, 2, 3}), ""));
}

}  // namespace
}  // namespace tavrix
