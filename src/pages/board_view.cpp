// The board view: one notice with links to edit or delete it, back to the
// list page, and to its newer ("P") and older ("N") neighbours. A neighbour
// link carries the shown notice's number with its direction; the next request
// steps one record from it in number order, passing over deleted notices.
#include <string>

#include "core/text.h"
#include "core/value.h"
#include "html/escape.h"
#include "pages/frame.h"
#include "pages/pages.h"
#include "pages/view_notice.h"
#include "store/gong_table.h"

namespace tavrix {

void gongView2(Request& req, ViewMode mode, long long confirmNumber,
               const std::string& confirmPage) {
  std::string pageText;
  long long number = 0;
  char direction = 0;
  if (mode == ViewMode::Confirm) {
    pageText = confirmPage;
    number = confirmNumber;
  } else {
    pageText = req.param("page");
    std::string nyno = req.param("nyno");
    if (!nyno.empty() && (nyno[0] == 'P' || nyno[0] == 'N')) {
      direction = nyno[0];
      nyno.erase(0, 1);
    }
    number = leadingNumber(nyno);
  }

  std::string lastText, firstText;
  ShownNotice shown;
  {
    DbServer db = gongDbOpen();
    db.setOrder(1);
    // The counter is read and written back under one table lock, so views
    // made at the same moment are all counted.
    TableLock lock = db.lock();
    db.goBottom();
    lastText = fourWide(static_cast<long long>(db.fieldGet("NYNO").number()));
    db.goTop();
    firstText = fourWide(static_cast<long long>(db.fieldGet("NYNO").number()));
    if (db.seek(Value(number))) {
      if (direction == 'P') db.skip(1);
      if (direction == 'N') db.skip(-1);
      // A step past either end (only a hand-made address asks for one)
      // leaves no notice to show.
      if (!db.eof() && !db.bof()) shown = showAndCount(db, mode);
    }
    lock.release();
    db.close();
  }
  const std::string shownPage = escapeRequestText(pageText);

  Html page(req.out);
  frame::opening(page);
  frame::head(page, frame::Title::Plain, frame::Style::WithInput);
  frame::body(page, frame::Body::Board);
  page.out("<table width=460 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >");
  page.out("   <tr><td>");
  page.out("      <table width=100% border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >");
  page.out("         <tr><td colspan=2><LI TYPE=\"disc\"><font size=2>"
           "<b>공지사항 &nbsp;&nbsp; 글 읽기</b></font></LI>");
  page.out("             <td ALIGN=right>");
  page.out("                <img src=\"image/computting.gif\" width=50 height=43 border=0></td></tr>&nbsp;");
  page.out("         <tr><td colspan=2 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>");
  page.out("         <tr><td colspan=2 height=10><spacer type=block height=10></td></tr>");
  page.out("      </table></td></tr>");
  page.out("   <tr><td BGCOLOR=\"#FFB200\">");
  page.out("      <table ALIGN=center width=100% border=0  cellspacing=1 cellpadding=0 BGCOLOR=\"#FFB200\">");
  page.out("         <tr><td BGCOLOR=white>");
  page.out("            <table width=100% border=0 cellspacing=1 cellpadding=2 ALIGN=\"center\">");
  page.out("              <tr>");
  page.out("                 <td  height=\"20\" align=center bgcolor=FEDE91 width=15%>번호</td>");
  page.out("                 <td  bgcolor=\"#efefef\">&nbsp;" + shown.number + " </td>");
  page.out("              <tr>");
  page.out("                 <td  height=\"20\" ALIGN=center bgcolor=FEE199>날짜</td>");
  page.out("                 <td  bgcolor=\"#efefef\">&nbsp;" + shown.date + "</td></tr>");
  page.out("              <tr>");
  page.out("                 <td  height=\"20\"align=center bgcolor=FEE199>제목</td>");
  page.out("                 <td  bgcolor=\"#efefef\">&nbsp;" + shown.title + "</td></tr>");
  page.out("            </table>");
  page.out("         </td></tr>");
  page.out("      </table></td></tr>");
  page.out("   <tr><td>");
  page.out("      <table width=460 cellspacing=\"0\" cellpadding=\"0\" ALIGN=\"center\">");
  page.out("         <tr><td height=20><spacer type=block height=20></td></tr>");
  page.out("         <tr><td>" + shown.body + " <br></td></tr> ");
  page.out("         <tr><td height=20><spacer type=block height=20></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>");
  page.out("         <tr><td height=10></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>");
  page.out("      </table>");
  page.out("      <table width=100% cellspacing=0 cellpadding=0 ALIGN=center>");
  page.out("         <tr><td height=10><spacer type=blcok height=10></td></tr>");
  page.out("         <tr><td>");
  page.out("                <A HREF=\"Tavrix.exe?action=GongEdit2&job=Edit&page=" + shownPage +
           "&nyno=" + shown.number + "\" target=_self>");
  page.out("                <img src=\"image/board_modify.gif\"  alt=\"수정\" border=0></A>&nbsp;");
  page.out("                <A HREF=\"Tavrix.exe?action=GongDel2&page=" + shownPage + "&nyno=" +
           shown.number + "\" target=_self>");
  page.out("                <img src=\"image/board_delete.gif\" alt=\"삭제\" border=0></A></td>");
  page.out("             <td ALIGN=right>");
  page.out("                <A HREF=\"Tavrix.exe?action=GongList2&page=" + shownPage + "\">");
  page.out("                <img src=\"image/list2.gif\" alt=\"목록\" border=0></A>&nbsp;");
  if (lastText != shown.number) {
    page.out("                <A HREF=\"Tavrix.exe?action=GongView2&page=" + shownPage + "&nyno=P" +
             shown.number + "\">");
    page.out("                <img src=\"image/back1.gif\"  alt=\"이전\" border=0></A>&nbsp;");
  } else {
    page.out("                <img src=\"image/back2.gif\"  alt=\"이전\" border=0></A>&nbsp;");
  }
  if (firstText != shown.number) {
    page.out("                <A HREF=\"Tavrix.exe?action=GongView2&page=" + shownPage + "&nyno=N" +
             shown.number + "\">");
    page.out("                <img src=\"image/next1.gif\" alt=\"다음\" border=0></A></td>");
  } else {
    page.out("                <img src=\"image/next2.gif\" alt=\"다음\" border=0></A></td>");
  }
  page.out("         </tr>");
  page.out("         <tr><td height=10><spacer type=blcok height=10></td></tr>");
  page.out("      </table>");
  page.out("   </td></tr>");
  page.out("</table>");
  frame::footer(page, frame::Footer::FullWidth);
  frame::ending(page, frame::Ending::CenterParaBody);
  page.destroy();
}

}  // namespace tavrix
