// Whole responses of the reading pages — board list, board view, front-page
// box, popup view — on boards with known notices, compared byte for byte
// with pages written out from the board's page tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/board.h"
#include "support/expected_page.h"

namespace tavrix {
namespace {

using test::Board;
using test::Page;
namespace ex = test::expected;

std::string four(long long n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4lld", n);
  return buf;
}

struct Row {
  long long nyno;
  std::string title;
  std::string date;
  long long views;
};

// The board list page, from its table: heading, rows, pager, bottom block.
std::string listPage(const std::string& pageParam, int count, const std::vector<Row>& rows,
                     const std::vector<std::string>& pager) {
  const bool blank = pageParam.find_first_not_of(' ') == std::string::npos;
  const std::string P = blank ? "1" : pageParam;
  const long long v = std::atoll(P.c_str());
  const std::string T = std::to_string(count);
  Page p;
  ex::opening(p);
  ex::head(p, 1, 1);
  p << ex::kBodyBoard;
  p << "<table width=460 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center><tr><td>"
    << "   <table width=\"460\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >"
    << "      <tr><td colspan=2><LI TYPE=\"disc\"><font size=4><b>공 지 사 항</b></font></LI></td></tr>"
    << "      <tr><td colspan=2 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>"
    << "      <tr><td colspan=2 height=10><spacer type=block height=5></td></tr>"
    << "      <tr><td valign=top width=50% nowrap>"
    << "            <A HREF=\"Tavrix.exe?action=GongNew2&job=New\" target=_self>"
    << "            <img src=\"image/im_write.gif\" width=22 height=17 alt=\"글쓰기\" border=0></A>&nbsp;&nbsp;&nbsp;&nbsp;</td>"
    << "          <td width=50% align=right><b>" + P + "/" + T + "&nbsp;page</b>&nbsp;&nbsp;&nbsp;</td></tr>"
    << "      <tr><td colspan=2 height=5><spacer type=block height=5></td></tr>"
    << "   </table></td></tr>"
    << "   <tr><td BGCOLOR=\"#FFB200\">"
    << "   <table ALIGN=center width=\"100%\" border=0 BGCOLOR=\"#FFB200\" cellspacing=1 cellpadding=0>"
    << "      <tr><td bgcolor=white>"
    << "          <table width=\"100%\" ALIGN=center border=0 cellspacing=1 cellpadding=2>"
    << "            <tr bgcolor=FEDE91>"
    << "              <th width=40 height=\"20\"><font color=black>번호</th>"
    << "              <th width=337><font color=black>제목</th>"
    << "              <th width=76><font color=black>날짜</th>"
    << "              <th width=40><font color=black>조회</th>"
    << "            </tr>";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    p << ((i + 1) % 2 == 1 ? "<tr BGCOLOR=white>" : "<tr BGCOLOR=#EEEEEE>")
      << "    <td ALIGN=center height=\"20\">" + four(rows[i].nyno) + "</td>"
      << "    <td>&nbsp;<A HREF=\"tavrix.exe?action=GongView2&page=" + pageParam + "&nyno=" +
             four(rows[i].nyno) + "\" >" + rows[i].title + "</A></td>"
      << "    <td width=76 ALIGN=center>&nbsp;" + rows[i].date + "</td>"
      << "    <td width=40 ALIGN=center>&nbsp;" + four(rows[i].views) + "</td>"
      << " </tr>";
  }
  p << "          </table>" << "          </td>" << "      </tr>" << "   </table></td></tr>"
    << "<tr>" << "<td ALIGN=center>" << "<br>";
  p.lines(pager);
  p << "</td>" << "</tr>" << "<tr><td height=20><spacer type=block height=20></td></tr>"
    << "<tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>"
    << "<center><tr><td>"
    << "<table width=\"100%\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >"
    << "   <tr><td HEIGHT=10 colspan=\"2\"><SPACER TYPE=BLOCK HEIGHT=10></td></tr>"
    << "   <tr><td width=\"60%\">";
  if (P != "1") p << "      <A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(v - 1) + "\" >";
  p << "      <img src=\"image/prev.gif\"  alt=\"이전\" border=0></A>&nbsp;";
  if (P != T) p << "      <A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(v + 1) + "\" >";
  p << "      <img src=\"image/next.gif\"  alt=\"다음\" border=0></A>&nbsp;"
    << "<A HREF=\"Tavrix.exe?action=GongNew2&job=New\" target=_self>"
    << "<img src=\"image/write.gif\" alt=\"글쓰기\" border=0></A><br></td>"
    << "<td width=\"40%\" ALIGN=\"right\">"
    << "</td></tr></table></td></tr></table>";
  ex::footerFull(p);
  ex::endingCenter(p);
  return p.done();
}

std::string pagerLink(int page, const std::string& text) {
  return "<A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(page) + "\" >" + text + "</A>";
}
std::string pagerLink(int page) { return pagerLink(page, std::to_string(page)); }
std::string pagerCurrent(int page) {
  return "<FONT COLOR=\"orangered\">" + std::to_string(page) + "</FONT>";
}

Row row(long long n, long long views = 0) {
  return Row{n, "공지 " + std::to_string(n), "2001-05-17", views};
}

std::vector<Row> rowsDown(long long from, long long to) {
  std::vector<Row> rows;
  for (long long n = from; n >= to; --n) rows.push_back(row(n));
  return rows;
}

// The board view page, from its table. number is the four-character form
// (empty when nothing was found); last and first likewise for the newest and
// oldest notice.
std::string viewPage(const std::string& pageText, const std::string& number, const std::string& date,
                     const std::string& title, const std::string& body, const std::string& last,
                     const std::string& first) {
  Page p;
  ex::opening(p);
  ex::head(p, 1, 2);
  p << ex::kBodyBoard;
  p << "<table width=460 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >"
    << "   <tr><td>"
    << "      <table width=100% border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >"
    << "         <tr><td colspan=2><LI TYPE=\"disc\"><font size=2><b>공지사항 &nbsp;&nbsp; 글 읽기</b></font></LI>"
    << "             <td ALIGN=right>"
    << "                <img src=\"image/computting.gif\" width=50 height=43 border=0></td></tr>&nbsp;"
    << "         <tr><td colspan=2 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>"
    << "         <tr><td colspan=2 height=10><spacer type=block height=10></td></tr>"
    << "      </table></td></tr>"
    << "   <tr><td BGCOLOR=\"#FFB200\">"
    << "      <table ALIGN=center width=100% border=0  cellspacing=1 cellpadding=0 BGCOLOR=\"#FFB200\">"
    << "         <tr><td BGCOLOR=white>"
    << "            <table width=100% border=0 cellspacing=1 cellpadding=2 ALIGN=\"center\">"
    << "              <tr>"
    << "                 <td  height=\"20\" align=center bgcolor=FEDE91 width=15%>번호</td>"
    << "                 <td  bgcolor=\"#efefef\">&nbsp;" + number + " </td>"
    << "              <tr>"
    << "                 <td  height=\"20\" ALIGN=center bgcolor=FEE199>날짜</td>"
    << "                 <td  bgcolor=\"#efefef\">&nbsp;" + date + "</td></tr>"
    << "              <tr>"
    << "                 <td  height=\"20\"align=center bgcolor=FEE199>제목</td>"
    << "                 <td  bgcolor=\"#efefef\">&nbsp;" + title + "</td></tr>"
    << "            </table>"
    << "         </td></tr>"
    << "      </table></td></tr>"
    << "   <tr><td>"
    << "      <table width=460 cellspacing=\"0\" cellpadding=\"0\" ALIGN=\"center\">"
    << "         <tr><td height=20><spacer type=block height=20></td></tr>"
    << "         <tr><td>" + body + " <br></td></tr> "
    << "         <tr><td height=20><spacer type=block height=20></td></tr>"
    << "         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>"
    << "         <tr><td height=10></td></tr>"
    << "         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>"
    << "      </table>"
    << "      <table width=100% cellspacing=0 cellpadding=0 ALIGN=center>"
    << "         <tr><td height=10><spacer type=blcok height=10></td></tr>"
    << "         <tr><td>"
    << "                <A HREF=\"Tavrix.exe?action=GongEdit2&job=Edit&page=" + pageText + "&nyno=" + number + "\" target=_self>"
    << "                <img src=\"image/board_modify.gif\"  alt=\"수정\" border=0></A>&nbsp;"
    << "                <A HREF=\"Tavrix.exe?action=GongDel2&page=" + pageText + "&nyno=" + number + "\" target=_self>"
    << "                <img src=\"image/board_delete.gif\" alt=\"삭제\" border=0></A></td>"
    << "             <td ALIGN=right>"
    << "                <A HREF=\"Tavrix.exe?action=GongList2&page=" + pageText + "\">"
    << "                <img src=\"image/list2.gif\" alt=\"목록\" border=0></A>&nbsp;";
  if (last != number) {
    p << "                <A HREF=\"Tavrix.exe?action=GongView2&page=" + pageText + "&nyno=P" + number + "\">"
      << "                <img src=\"image/back1.gif\"  alt=\"이전\" border=0></A>&nbsp;";
  } else {
    p << "                <img src=\"image/back2.gif\"  alt=\"이전\" border=0></A>&nbsp;";
  }
  if (first != number) {
    p << "                <A HREF=\"Tavrix.exe?action=GongView2&page=" + pageText + "&nyno=N" + number + "\">"
      << "                <img src=\"image/next1.gif\" alt=\"다음\" border=0></A></td>";
  } else {
    p << "                <img src=\"image/next2.gif\" alt=\"다음\" border=0></A></td>";
  }
  p << "         </tr>"
    << "         <tr><td height=10><spacer type=blcok height=10></td></tr>"
    << "      </table>"
    << "   </td></tr>"
    << "</table>";
  ex::footerFull(p);
  ex::endingCenter(p);
  return p.done();
}

std::string frontBox(const std::vector<Row>& rows) {
  Page p;
  ex::opening(p);
  ex::head(p, 2, 1);
  p << ex::kBodyFrontBox
    << "<table width=247 border=0 cellspacing=\"0\" cellpadding=\"0\" background=\"../image/main-b/main-b_36.jpg\" >"
    << "   <tr><td>"
    << "   <table ALIGN=center width=\"100%\" border=0 cellspacing=1 cellpadding=0 style=\"background-image:url('../image/main-b/main-b_36.jpg')\" >"
    << "      <tr><td bgcolor=white>"
    << "          <table width=\"100%\" ALIGN=center border=0 cellspacing=1 cellpadding=2>";
  for (const Row& r : rows) {
    p << "<tr onMouseOver=this.style.backgroundColor=\"#ffffff\" onMouseOut=this.style.backgroundColor=\"\">"
      << "    <td width=40 ALIGN=center><IMG height=10 src=\"image/bullet.gif\" width=10></td>"
      << "    <td width=240 height=30>"
      << "      <A href=\"#\" onclick=\"javascript:window.open('Tavrix.exe?action=GongView1&nyno=" +
             four(r.nyno) +
             "','guest', 'toolbar=no, menubar=no, resizable=no, scrollbars=yes,width=550,height=600');\">" +
             r.title + "</A></TD> "
      << " </tr>";
  }
  p << "          </table>" << "          </td>" << "      </tr>" << "   </table></td></tr>";
  ex::endingCenter(p);
  return p.done();
}

std::string popupPage(const std::string& date, const std::string& title, const std::string& body) {
  Page p;
  ex::opening(p);
  ex::head(p, 1, 2);
  p << ex::kBodyBoard
    << "<table width=430 border=0 cellspacing=\"0\" cellpadding=\"0\" >"
    << "   <tr><td>"
    << "      <table width=430 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >"
    << "         <tr><td colspan=2><LI TYPE=\"disc\"><font size=4><b>공&nbsp;&nbsp;지&nbsp;&nbsp;사&nbsp;&nbsp;항</b></font></LI>"
    << "             <td ALIGN=right>"
    << "                <img src=\"image/computting.gif\" width=50 height=43 border=0></td></tr>&nbsp;"
    << "         <tr><td colspan=2 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>"
    << "         <tr><td colspan=2 height=10><spacer type=block height=10></td></tr>"
    << "      </table></td></tr>"
    << "   <tr><td BGCOLOR=\"#FFB200\">"
    << "      <table ALIGN=center width=430 border=0  cellspacing=1 cellpadding=0 BGCOLOR=\"#FFB200\">"
    << "         <tr><td BGCOLOR=white>"
    << "            <table width=100% border=0 cellspacing=1 cellpadding=2 ALIGN=\"center\">"
    << "              <tr>"
    << "                 <td  width=20% bgcolor=FEDE91 height=\"20\" align=center >게 재 일</td>"
    << "                 <td  width=80% bgcolor=\"#efefef\" >&nbsp;" + date + "</td></tr>"
    << "              <tr>"
    << "                 <td  width=20% bgcolor=FEE199 height=\"20\" align=center >제&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;목</td>"
    << "                 <td  width=80% bgcolor=\"#efefef\">&nbsp;" + title + "</td></tr>"
    << "            </table>"
    << "         </td></tr>"
    << "      </table></td></tr>"
    << "   <tr><td>"
    << "      <table width=430 cellspacing=\"0\" cellpadding=\"0\" ALIGN=\"center\">"
    << "         <tr><td height=20><spacer type=block height=20></td></tr>"
    << "         <tr><td>" + body + " <br></td></tr> "
    << "         <tr><td height=20><spacer type=block height=20></td></tr>"
    << "         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>"
    << "         <tr><td height=10></td></tr>"
    << "         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>"
    << "      </table>"
    << "      <table width=430 cellspacing=0 cellpadding=0 ALIGN=center>"
    << "         <tr><td height=10><spacer type=blcok height=10></td></tr>"
    << "         <tr><td ALIGN=center><p>"
    << "                <a href=\"javascript:self.close()\"><img src=\"image/close.gif\" width=\"89\" height=\"25\" border=\"0\"></a>"
    << "                </p></td></tr>"
    << "         <tr><td height=10><spacer type=blcok height=10></td></tr>"
    << "      </table>"
    << "   </td></tr>"
    << "</table>";
  ex::footerNarrow(p);
  ex::endingCenter(p);
  return p.done();
}

// --- Whole pages -----------------------------------------------------------

TEST(ReadingPages, EmptyBoard) {
  Board board;
  const std::vector<Row> blank = {Row{0, "", "", 0}};
  EXPECT_EQ(board.get("action=GongList2").out,
            listPage("", 1, blank, {"[처음]☜", pagerCurrent(1), "☞[마지막]"}));
  EXPECT_EQ(board.get("action=GongList1").out, frontBox(blank));
  EXPECT_EQ(board.get("action=GongView2&nyno=1").out, viewPage("", "", "", "", "", "   0", "   0"));
  EXPECT_EQ(board.get("action=GongView1&nyno=1").out, popupPage("", "", ""));
}

TEST(ReadingPages, OneNotice) {
  Board board;
  board.add(1, "첫 공지", "첫 줄\r\n둘째 줄", 4, "2001-05-17");
  const Row only{1, "첫 공지", "2001-05-17", 4};
  EXPECT_EQ(board.get("action=GongList2").out,
            listPage("", 1, {only}, {"[처음]☜", pagerCurrent(1), "☞[마지막]"}));
  EXPECT_EQ(board.get("action=GongList1").out, frontBox({only}));
  // A single notice is both the newest and the oldest: both pictures inactive.
  EXPECT_EQ(board.get("action=GongView2&page=1&nyno=1").out,
            viewPage("1", "   1", "2001-05-17", "첫 공지", "첫 줄<br>둘째 줄", "   1", "   1"));
  EXPECT_EQ(board.get("action=GongView1&nyno=1").out,
            popupPage("2001-05-17", "첫 공지", "첫 줄<br>둘째 줄"));
  EXPECT_EQ(board.find(1)->views, 6);  // two views counted
}

TEST(ReadingPages, TwentyThreeNotices) {
  Board board;
  board.addRange(1, 23);
  EXPECT_EQ(board.get("action=GongList2").out,
            listPage("", 3, rowsDown(23, 21),
                     {"[처음]☜", pagerCurrent(1), pagerLink(2), pagerLink(3), "☞", "[",
                      pagerLink(3, "마지막"), "]"}));
  EXPECT_EQ(board.get("action=GongList2&page=2").out,
            listPage("2", 3, rowsDown(20, 11),
                     {"[", pagerLink(1, "처음"), "]☜", pagerLink(1), pagerCurrent(2), pagerLink(3),
                      "☞", "[", pagerLink(3, "마지막"), "]"}));
  EXPECT_EQ(board.get("action=GongList2&page=3").out,
            listPage("3", 3, rowsDown(10, 1),
                     {"[", pagerLink(1, "처음"), "]☜", pagerLink(1), pagerLink(2), pagerCurrent(3),
                      "☞[마지막]"}));
  EXPECT_EQ(board.get("action=GongList1").out, frontBox(rowsDown(23, 20)));
  EXPECT_EQ(board.get("action=GongView2&page=2&nyno=12").out,
            viewPage("2", "  12", "2001-05-17", "공지 12", "본문 12", "  23", "   1"));
}

TEST(ReadingPages, BoardWithDeletedNotices) {
  Board board;
  board.addRange(1, 30);
  for (int n = 12; n <= 19; ++n) board.remove(n);
  board.remove(30);  // the highest live number is now 29
  EXPECT_EQ(board.get("action=GongList2&page=2").out,
            listPage("2", 3, {row(20), row(11)},
                     {"[", pagerLink(1, "처음"), "]☜", pagerLink(1), pagerCurrent(2), pagerLink(3),
                      "☞", "[", pagerLink(3, "마지막"), "]"}));
  EXPECT_EQ(board.get("action=GongList1").out, frontBox(rowsDown(29, 26)));
  // The newest live notice is 29: its view shows the inactive "previous" picture.
  EXPECT_EQ(board.get("action=GongView2&nyno=29").out,
            viewPage("", "  29", "2001-05-17", "공지 29", "본문 29", "  29", "   1"));
  // A deleted number is found by neither view.
  EXPECT_EQ(board.get("action=GongView2&nyno=15").out, viewPage("", "", "", "", "", "  29", "   1"));
  EXPECT_EQ(board.get("action=GongView1&nyno=15").out, popupPage("", "", ""));
}

}  // namespace
}  // namespace tavrix
