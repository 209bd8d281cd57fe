// The notice table through the record server: numbering, deletion, editing,
// field conversions, and a table written by another dBASE tool.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/error.h"
#include "store/db_server.h"
#include "store/dbf_table.h"
#include "store/gong_table.h"
#include "store_fixture.h"

namespace tavrix::test {
namespace {

class NoticeTable : public ::testing::Test {
 protected:
  void SetUp() override {
    setHideDeleted(true);
    createGongTable(dir.path());
  }
  DbServer open() { return gongDbOpen(dir.path()); }
  void addNumbered(int n) {
    auto db = open();
    for (int i = 0; i < n; ++i) addNotice(db, "title " + std::to_string(i + 1), "body");
    db.close();
  }
  void deleteNumber(long n) {
    auto db = open();
    ASSERT_TRUE(db.seek(Value(n)));
    db.deleteRecord();
    db.close();
  }
  TempDir dir;
};

TEST_F(NoticeTable, FirstNoticeOnEmptyTableIsNumberOneWithNoViews) {
  auto db = open();
  db.goBottom();
  EXPECT_TRUE(db.eof());
  EXPECT_EQ(db.fieldGet("NYNO").number(), 0);
  EXPECT_EQ(db.fieldGet("TITLE").text(), std::string(120, ' '));
  EXPECT_EQ(db.fieldGet("BIGO").text(), "");
  EXPECT_EQ(addNotice(db, "first", "line 1\r\nline 2"), 1);
  db.close();

  auto again = open();
  ASSERT_TRUE(again.seek(Value(1)));
  EXPECT_EQ(again.fieldGet("QTY").number(), 0);
  EXPECT_EQ(again.fieldGet("NYDATE").text(), "2001-05-17");
  EXPECT_EQ(again.fieldGet("BIGO").text(), "line 1\r\nline 2");
  EXPECT_EQ(again.fieldGet("TITLE").text().substr(0, 6), "first ");
  EXPECT_TRUE(verifyGong(dir.path()).empty());
}

TEST_F(NoticeTable, NextNumberFollowsHighestLiveNotice) {
  struct Case {
    long deleted;
    long expectedNext;
  };
  for (const Case c : {Case{5, 5}, Case{3, 6}}) {
    SCOPED_TRACE(c.deleted);
    TempDir fresh;
    createGongTable(fresh.path());
    auto db = gongDbOpen(fresh.path());
    for (int i = 0; i < 5; ++i) addNotice(db, "t", "b");
    ASSERT_TRUE(db.seek(Value(c.deleted)));
    db.deleteRecord();
    EXPECT_EQ(addNotice(db, "new", "b"), c.expectedNext);
    db.close();
    EXPECT_TRUE(verifyGong(fresh.path()).empty());
  }
}

TEST_F(NoticeTable, DeletedNumberIsNotFound) {
  addNumbered(5);
  deleteNumber(3);
  auto db = open();
  EXPECT_FALSE(db.seek(Value(3)));
  EXPECT_TRUE(db.eof());
  EXPECT_EQ(db.fieldGet("NYNO").number(), 0);
  EXPECT_FALSE(db.seek(Value(3), true));  // soft: lands on the next live one
  EXPECT_EQ(db.fieldGet("NYNO").number(), 4);
  setHideDeleted(false);
  EXPECT_TRUE(db.seek(Value(3)));
  EXPECT_TRUE(db.deleted());
  setHideDeleted(true);
}

TEST_F(NoticeTable, EditChangesOnlyTitleAndBody) {
  addNumbered(3);
  {
    auto db = open();
    ASSERT_TRUE(countView(db, 2));
    ASSERT_TRUE(countView(db, 2));
    db.close();
  }
  auto db = open();
  ASSERT_TRUE(db.seek(Value(2)));
  const Value date = db.fieldGet("NYDATE");
  db.fieldPut("TITLE", Value("changed"));
  db.fieldPut("BIGO", Value("new body"));
  db.close();

  auto again = open();
  ASSERT_TRUE(again.seek(Value(2)));
  EXPECT_EQ(again.fieldGet("NYNO").number(), 2);
  EXPECT_EQ(again.fieldGet("QTY").number(), 2);
  EXPECT_EQ(asString(again.fieldGet("NYDATE")), asString(date));
  EXPECT_EQ(again.fieldGet("TITLE").text().substr(0, 8), "changed ");
  EXPECT_EQ(again.fieldGet("BIGO").text(), "new body");
  again.skip(1);
  EXPECT_EQ(again.fieldGet("NYNO").number(), 3);
  EXPECT_TRUE(verifyGong(dir.path()).empty());
}

TEST_F(NoticeTable, LongTitleIsCutWithoutSplittingAKoreanCharacter) {
  // 119 ASCII bytes, then a two-byte character that would straddle the end.
  const std::string title = std::string(119, 'a') + "\xB0\xA1" + "zz";
  auto db = open();
  addNotice(db, title, std::string("x\x1Ay"));
  db.close();
  auto again = open();
  ASSERT_TRUE(again.seek(Value(1)));
  EXPECT_EQ(again.fieldGet("TITLE").text(), std::string(119, 'a') + " ");
  EXPECT_EQ(again.fieldGet("BIGO").text(), "xy");  // 0x1A would end the memo
  EXPECT_EQ(store::fitText("\xB0\xA1\xB0\xA1", 3), "\xB0\xA1 ");
}

TEST_F(NoticeTable, PositionalAccessForARecordBrowse) {
  addNumbered(1);
  DbServer db(gongPath(dir.path(), "Gong"), true);
  ASSERT_EQ(db.fieldCount(), 5);
  const FieldInfo title = db.dataField(3);
  EXPECT_EQ(title.name, "TITLE");
  EXPECT_EQ(title.length, 120);
  EXPECT_EQ(title.type, 'C');
  db.goTop();
  EXPECT_EQ(db.recNo(), 1);
  EXPECT_EQ(db.fieldGet(1).number(), 1);
  EXPECT_EQ(db.fieldGet("nyno").number(), 1);  // names match in any case
  db.skip(1);
  EXPECT_TRUE(db.eof());
  EXPECT_EQ(db.recNo(), 0);
}

TEST_F(NoticeTable, ErrorsNameTheFailure) {
  auto db = open();
  try {
    db.fieldGet("NOSUCH");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.genCode, static_cast<std::uint32_t>(GenCode::NoField));
    EXPECT_EQ(e.subSystem, "DBSERVER");
  }
  try {
    DbServer missing(gongPath(dir.path(), "Nope"));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.genCode, static_cast<std::uint32_t>(GenCode::Open));
    EXPECT_EQ(e.fileName, gongPath(dir.path(), "Nope.dbf"));
    EXPECT_EQ(e.osCode, static_cast<std::uint32_t>(ENOENT));
  }
  try {
    db.setIndex(gongPath(dir.path(), "Gong9"));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.operation, "open");
    EXPECT_EQ(e.osCode, static_cast<std::uint32_t>(ENOENT));
  }
}

// Every record in record order: deletion mark and the bytes of every field.
std::vector<std::string> rawRecords(const std::string& dir) {
  setHideDeleted(false);
  DbServer raw(gongPath(dir, "Gong"));
  std::vector<std::string> out;
  for (raw.goTop(); !raw.eof(); raw.skip()) {
    std::string r = raw.deleted() ? "*" : " ";
    for (int i = 1; i <= raw.fieldCount(); ++i) r += "|" + asString(raw.fieldGet(i));
    out.push_back(r);
  }
  raw.close();
  setHideDeleted(true);
  return out;
}

TEST(ForeignTable, WorksAfterReindexAndKeepsWhatItDoesNotKnow) {
  setHideDeleted(true);
  TempDir dir;
  for (const char* f : {"Gong.dbf", "Gong.dbt"})
    std::filesystem::copy_file(std::string(SHARED_FIXTURES_DIR) + "/foreign-table/" + f, dir.file(f));
  reindexGongTable(dir.path());
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
  const std::vector<std::string> before = rawRecords(dir.path());
  ASSERT_EQ(before.size(), 25u);

  auto db = gongDbOpen(dir.path());
  db.goBottom();
  EXPECT_EQ(db.fieldGet("NYNO").number(), 24);
  int live = 0;
  for (db.goTop(); !db.eof(); db.skip()) ++live;
  EXPECT_EQ(live, 22);
  EXPECT_EQ(addNotice(db, std::string(70, 'x'), "body"), 25);  // TITLE is C(60) here
  ASSERT_TRUE(countView(db, 1));
  ASSERT_TRUE(db.seek(Value(2)));
  db.fieldPut("TITLE", Value("edited"));
  db.fieldPut("BIGO", Value("edited body"));
  ASSERT_TRUE(db.seek(Value(4)));
  db.deleteRecord();
  db.close();

  // Records the changes did not touch are byte for byte as they were; the
  // touched ones kept their other fields, the unknown WRITER among them.
  const std::vector<std::string> after = rawRecords(dir.path());
  ASSERT_EQ(after.size(), 26u);
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (i == 0 || i == 1 || i == 3) continue;
    EXPECT_EQ(after[i], before[i]) << "record " << i + 1;
  }
  DbServer raw(gongPath(dir.path(), "Gong"));
  setHideDeleted(false);
  raw.setOrder(0);
  raw.goTop();
  for (int r = 1; r <= 4; ++r, raw.skip()) {
    const std::string writer = raw.fieldGet("WRITER").text();
    EXPECT_NE(writer.find_first_not_of(' '), std::string::npos) << "record " << r;
    EXPECT_NE(before[static_cast<std::size_t>(r - 1)].find(writer), std::string::npos) << "record " << r;
    EXPECT_EQ(raw.deleted(), r == 4) << "record " << r;  // record 4 holds notice 4
  }
  raw.goBottom();
  EXPECT_EQ(raw.fieldGet("TITLE").text(), std::string(60, 'x'));
  raw.close();
  setHideDeleted(true);
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace tavrix::test
