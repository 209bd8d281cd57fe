// The list fetchers on boards with gaps: which notices each page gets, and
// the page count, as the board list and the front-page box rely on them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "store/db_server.h"
#include "store/notice_list.h"
#include "support/board.h"

namespace tavrix {
namespace {

// The fetchers open the table in the current folder, as the program does.
class InFolder {
 public:
  explicit InFolder(const std::string& dir) {
    char buf[4096];
    old_ = getcwd(buf, sizeof buf);
    EXPECT_EQ(chdir(dir.c_str()), 0);
  }
  ~InFolder() { EXPECT_EQ(chdir(old_.c_str()), 0); }

 private:
  std::string old_;
};

std::vector<long long> numbers(const NoticeRows& rows) {
  std::vector<long long> v;
  for (const auto& r : rows) v.push_back(r.nyno);
  return v;
}

std::vector<long long> down(long long from, long long to) {
  std::vector<long long> v;
  for (long long n = from; n >= to; --n) v.push_back(n);
  return v;
}

struct BoardShape {
  const char* name;
  long long highest;
  std::vector<std::pair<long long, long long>> deletedRanges;
};

struct PageCase {
  std::string page;
  std::uint16_t count;
  std::vector<long long> rows;  // 0 stands for the blank row
};

void checkPages(const BoardShape& shape, const std::vector<PageCase>& cases) {
  test::Board board;
  if (shape.highest > 0) board.addRange(1, shape.highest);
  for (auto [from, to] : shape.deletedRanges) {
    for (long long n = from; n <= to; ++n) board.remove(n);
  }
  InFolder in(board.dir());
  setHideDeleted(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(shape.name) + ", page '" + c.page + "'");
    std::uint16_t count = 0;
    const NoticeRows rows = gongData2(count, c.page);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(numbers(rows), c.rows);
  }
}

TEST(GongData2, PagesAreRangesOfTenNumbers) {
  checkPages({"empty", 0, {}}, {{"", 1, {0}}, {"1", 1, {0}}});
  checkPages({"1 to 23", 23, {}},
             {{"", 3, down(23, 21)}, {"  ", 3, down(23, 21)}, {"1", 3, down(23, 21)},
              {"2", 3, down(20, 11)}, {"3", 3, down(10, 1)}, {"4", 3, {0}}, {"0", 3, {0}},
              {"x", 3, {0}}, {"2abc", 3, down(20, 11)}});
  checkPages({"1 to 20", 20, {}}, {{"1", 2, down(20, 11)}, {"2", 2, down(10, 1)}});
  checkPages({"1 to 7", 7, {}}, {{"", 1, down(7, 1)}, {"2", 1, {1}}, {"0", 1, down(7, 1)}});
}

TEST(GongData2, GapsFromDeletedNotices) {
  checkPages({"1 to 30 without 12-19", 30, {{12, 19}}}, {{"2", 3, {20, 11}}});
  // The soft seek lands past the empty range: the first record is always taken.
  checkPages({"1 to 30 without 11-20", 30, {{11, 20}}}, {{"2", 3, {21}}, {"1", 3, down(30, 21)}});
  // The page count follows the highest live number.
  checkPages({"1 to 23 without 21-23", 23, {{21, 23}}}, {{"", 2, down(20, 11)}});
}

TEST(GongData1, TheElevenNewestLiveNotices) {
  test::Board board;
  board.addRange(1, 15);
  board.remove(14);
  InFolder in(board.dir());
  EXPECT_EQ(numbers(gongData1()), (std::vector<long long>{15, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4}));
}

TEST(GongData1, AnEmptyBoardGivesOneBlankRow) {
  test::Board board;
  InFolder in(board.dir());
  const NoticeRows rows = gongData1();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].nyno, 0);
  EXPECT_EQ(rows[0].views, 0);
  EXPECT_EQ(rows[0].title.find_first_not_of(' '), std::string::npos);
}

}  // namespace
}  // namespace tavrix
