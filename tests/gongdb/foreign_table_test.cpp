// A table written by another dBASE tool (other field order and widths, an
// extra field WRITER, another code-page mark, deleted records, no indexes):
// after `gongdb reindex` the board serves it, and what the board does not
// know survives every change it makes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "gongdb/gongdb_support.h"
#include "support/temp_dir.h"

namespace tavrix::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Records = std::vector<std::vector<std::string>>;

const std::string kFixture = std::string(SHARED_FIXTURES_DIR) + "/foreign-table";
// Read back in this order: mark, then these.
const std::vector<std::string> kFields = {"NYNO", "TITLE", "BIGO", "NYDATE", "QTY", "WRITER"};

class ForeignTable : public ::testing::Test {
 protected:
  void SetUp() override {
    copyFiles(kFixture, dir.path(), {"Gong.dbf", "Gong.dbt"});
    original = records();
    ASSERT_EQ(original.size(), 25u);
    const RunResult r = gongdb(dir.path(), {"reindex"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  Records records() const { return oracleRecords("dbfread", dir.file("Gong.dbf"), kFields); }
  void expectClean() const {
    const RunResult check = gongdb(dir.path(), {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  }

  TempDir dir;
  Records original;
};

std::vector<std::string>& byNumber(Records& rs, const std::string& nyno) {
  auto it = std::find_if(rs.begin(), rs.end(), [&](const auto& r) { return r[1] == nyno; });
  if (it == rs.end()) throw std::runtime_error("no record " + nyno);
  return *it;
}

TEST_F(ForeignTable, TheFixtureReadsAsItsDescriptionSays) {
  // Sanity of fixture and reader alike, before any change of ours.
  const Records described = oracleRecords("json", kFixture + "/expected.json", {"NYNO", "TITLE", "BIGO", "NYDATE", "QTY"});
  Records read = oracleRecords("dbfread", kFixture + "/Gong.dbf", {"NYNO", "TITLE", "BIGO", "NYDATE", "QTY"});
  EXPECT_EQ(read, described);
}

TEST_F(ForeignTable, ReindexedTableIsCleanAndServedByTheBoard) {
  expectClean();
  EXPECT_EQ(records(), original) << "reindex changes no record";

  const RunResult list = cgiGet("action=GongList2", dir.path());
  EXPECT_EQ(list.exitCode, 0) << list.out;
  EXPECT_THAT(list.out, HasSubstr("<b>1/3&nbsp;page</b>"));
  EXPECT_THAT(list.out, HasSubstr("nyno=  24\" >"));
  EXPECT_THAT(list.out, HasSubstr(toEucKr(utf8(u8"고객센터 운영 시간 변경 24"))));
  EXPECT_THAT(list.out, Not(HasSubstr("nyno=  25\" >"))) << "deleted 25 is hidden";
}

TEST_F(ForeignTable, BoardChangesLeaveTheUnknownFieldAndDeletedRecordsAlone) {
  // A new notice takes 25 (the deleted 25 was the highest), a reading counts,
  // a notice is edited and another deleted.
  const RunResult saved =
      cgiPost("action=GongWrite_Ok2&job=New&title=x&bigo=y&password=1827364", dir.path());
  ASSERT_EQ(saved.exitCode, 0) << saved.out;
  ASSERT_EQ(cgiGet("action=GongView2&nyno=10", dir.path()).exitCode, 0);
  ASSERT_EQ(cgiPost("action=GongWrite_Ok2&job=Edit&nyno=11&title=" + percentEncode(toEucKr(utf8(u8"고친 제목"))) +
                        "&bigo=z&password=1827364",
                    dir.path())
                .exitCode,
            0);
  ASSERT_EQ(cgiPost("action=GongDelOk2&nyno=3&pwd=1827364", dir.path()).exitCode, 0);
  expectClean();

  Records expected = original;
  byNumber(expected, "3")[0] = "*";
  byNumber(expected, "10")[5] = std::to_string(std::stol(byNumber(expected, "10")[5]) + 1);
  byNumber(expected, "11")[2] = utf8(u8"고친 제목");
  byNumber(expected, "11")[3] = "z";
  // The board leaves the counter blank on a new notice; WRITER stays blank.
  expected.push_back({" ", "25", "x", "y", "", "", ""});
  Records now = records();
  // The new notice's date is today's, in whatever format the board uses.
  auto& added = byNumber(now, "25");
  ASSERT_FALSE(added[4].empty());
  expected.back()[4] = added[4];
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(now, expected);

  const RunResult list = cgiGet("action=GongList2", dir.path());
  EXPECT_THAT(list.out, HasSubstr("nyno=  25\" >"));
}

TEST_F(ForeignTable, PackKeepsLiveRecordsWholeWithTheUnknownField) {
  const RunResult r = gongdb(dir.path(), {"pack"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  expectClean();
  Records live;
  for (const auto& rec : original)
    if (rec[0] == " ") live.push_back(rec);
  EXPECT_EQ(live.size(), 22u);
  EXPECT_EQ(records(), live);
  const RunResult list = cgiGet("action=GongList2", dir.path());
  EXPECT_THAT(list.out, HasSubstr("<b>1/3&nbsp;page</b>"));
}

}  // namespace
}  // namespace tavrix::test
