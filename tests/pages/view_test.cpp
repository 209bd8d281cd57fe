// The view pages' edge cases — neighbour steps over deleted notices, the
// inactive pictures at either end, what counts a view — and a visitor's walk
// through the board by its own links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/board.h"

namespace tavrix {
namespace {

using test::Board;

bool has(const std::string& page, const std::string& text) {
  return page.find(text) != std::string::npos;
}

// The number shown by a board view page ("" when none).
std::string shownNumber(const std::string& page) {
  const std::string cell = "<td  bgcolor=\"#efefef\">&nbsp;";
  std::size_t at = page.find(cell);
  if (at == std::string::npos) return "?";
  at += cell.size();
  return page.substr(at, page.find(" </td>", at) - at);
}

TEST(BoardView, NeighbourStepsPassOverDeletedNotices) {
  Board board;
  board.addRange(9, 16);
  for (int n : {10, 11, 13, 14}) board.remove(n);
  struct Case {
    const char* nyno;
    std::string shown;
    long long counted;  // the notice whose counter rises, 0 for none
  } cases[] = {
      {"P%20%20%2012", "  15", 15}, {"N%20%20%2012", "   9", 9}, {"12", "  12", 12},
      {"p12", "", 0},               {"P12", "  15", 15},         {"N9", "", 0},  // past the oldest
      {"P16", "", 0},               {"13", "", 0},               {"", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nyno);
    std::vector<long long> before;
    for (long long n : {9, 12, 15, 16}) before.push_back(board.find(n)->views);
    const std::string page = board.get(std::string("action=GongView2&nyno=") + c.nyno).out;
    EXPECT_EQ(shownNumber(page), c.shown);
    int i = 0;
    for (long long n : {9, 12, 15, 16}) {
      EXPECT_EQ(board.find(n)->views, before[i++] + (n == c.counted ? 1 : 0)) << "notice " << n;
    }
  }
}

TEST(BoardView, TheEndsShowInactivePictures) {
  Board board;
  board.addRange(1, 3);
  const std::string newest = board.get("action=GongView2&nyno=3").out;
  EXPECT_TRUE(has(newest, "image/back2.gif"));
  EXPECT_FALSE(has(newest, "nyno=P"));
  EXPECT_TRUE(has(newest, "nyno=N   3\">"));
  const std::string oldest = board.get("action=GongView2&nyno=1").out;
  EXPECT_TRUE(has(oldest, "image/next2.gif"));
  EXPECT_FALSE(has(oldest, "nyno=N"));
  EXPECT_TRUE(has(oldest, "nyno=P   1\">"));
  // Nothing found: both links are written, with an empty number.
  const std::string none = board.get("action=GongView2&nyno=7").out;
  EXPECT_TRUE(has(none, "&nyno=P\">"));
  EXPECT_TRUE(has(none, "&nyno=N\">"));
}

TEST(BoardView, BodyLineBreaksAndWideNumbers) {
  Board board;
  board.add(12345, "넓은 번호", "a\r\n\r\nb\rc\n", 123456);
  const std::string view = board.get("action=GongView2&nyno=12345").out;
  EXPECT_TRUE(has(view, "<tr><td>a<br><br>b\rc\n <br></td></tr> "));
  EXPECT_EQ(shownNumber(view), "12345");
  const std::string list = board.get("action=GongList2").out;
  EXPECT_TRUE(has(list, "<td ALIGN=center height=\"20\">12345</td>"));
  EXPECT_TRUE(has(list, "&nbsp;123457</td>"));  // the view just made is counted
}

TEST(BoardView, NumbersAboveTheSixteenBitRangeAreNotWrapped) {
  Board board;
  board.addRange(1, 2);
  EXPECT_EQ(shownNumber(board.get("action=GongView2&nyno=65537").out), "");
  EXPECT_TRUE(has(board.get("action=GongView1&nyno=65537").out, "&nbsp;</td></tr>"));
  EXPECT_EQ(board.find(1)->views, 0);
}

TEST(PopupView, LeadingBlanksAreSkippedButNoDirectionIsRead) {
  Board board;
  board.add(7, "일곱", "본문");
  EXPECT_TRUE(has(board.get("action=GongView1&nyno=%20%20%207").out, "&nbsp;일곱</td></tr>"));
  EXPECT_EQ(board.find(7)->views, 1);
  EXPECT_FALSE(has(board.get("action=GongView1&nyno=P7").out, "일곱"));
  EXPECT_EQ(board.find(7)->views, 1);
}

TEST(RequestText, ThePageParameterIsEscapedWhereverItIsEchoed) {
  Board board;
  board.addRange(1, 3);
  const std::string hostile = "%22%3E%3Cscript%3Ealert(1)%3C/script%3E";
  for (const std::string action : {"GongList2", "GongView2&nyno=2", "GongEdit2&nyno=2",
                                   "GongDel2&nyno=2"}) {
    const std::string page = board.get("action=" + action + "&page=" + hostile).out;
    SCOPED_TRACE(action);
    EXPECT_FALSE(has(page, "<script>"));
    EXPECT_TRUE(has(page, "&#34;&#62;&#60;script&#62;alert(1)&#60;/script&#62;"));
  }
}

// --- A visitor's walk ----------------------------------------------------------

std::vector<std::string> links(const std::string& page) {
  std::vector<std::string> found;
  for (const std::string open : {"HREF=\"", "href=\""}) {
    for (std::size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
      const std::size_t start = at + open.size();
      found.push_back(page.substr(start, page.find('"', start) - start));
    }
  }
  return found;
}

// The request a browser makes for a link of the board: its query string, with
// the blanks the board writes into numbers encoded.
std::string follow(const std::string& page, const std::string& containing) {
  for (const std::string& link : links(page)) {
    if (link.find(containing) == std::string::npos) continue;
    std::string query = link.substr(link.find('?') + 1);
    std::string encoded;
    for (char c : query) encoded += (c == ' ') ? std::string("%20") : std::string(1, c);
    return encoded;
  }
  ADD_FAILURE() << "no link containing " << containing;
  return "";
}

TEST(Walk, ListToNoticeToNeighboursAndBack) {
  Board board;
  board.addRange(1, 23);
  const std::string list = board.get("action=GongList2&page=2").out;
  ASSERT_TRUE(has(list, "<b>2/3&nbsp;page</b>"));

  std::string view = board.get(follow(list, "nyno=  15")).out;
  EXPECT_EQ(shownNumber(view), "  15");
  view = board.get(follow(view, "nyno=P")).out;   // the newer neighbour
  EXPECT_EQ(shownNumber(view), "  16");
  view = board.get(follow(view, "nyno=N")).out;   // and back to the older one
  EXPECT_EQ(shownNumber(view), "  15");
  view = board.get(follow(view, "nyno=N")).out;
  EXPECT_EQ(shownNumber(view), "  14");
  const std::string back = board.get(follow(view, "action=GongList2")).out;
  EXPECT_TRUE(has(back, "<b>2/3&nbsp;page</b>"));

  // Exactly the views made: 15 twice, 16 and 14 once each, nothing else.
  EXPECT_TRUE(has(back, "nyno=  15\" >공지 15</A></td>\r\n    <td width=76 ALIGN=center>&nbsp;2001-05-17</td>\r\n"
                        "    <td width=40 ALIGN=center>&nbsp;   2</td>"));
  for (long long n = 1; n <= 23; ++n) {
    const long long want = n == 15 ? 2 : (n == 16 || n == 14) ? 1 : 0;
    EXPECT_EQ(board.find(n)->views, want) << "notice " << n;
  }
}

}  // namespace
}  // namespace tavrix
