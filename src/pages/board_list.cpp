// The board list: one page of notices, newest first, with the pager, links
// to the neighbouring pages and to writing a new notice.
#include <string>

#include "core/text.h"
#include "core/value.h"
#include "html/escape.h"
#include "pages/frame.h"
#include "pages/pages.h"
#include "store/notice_list.h"

namespace tavrix {

void gongList2(Request& req) {
  const std::string pageText = req.param("PAGE");
  const bool blank = trimRight(pageText).empty();
  const std::string currentText = blank ? "1" : pageText;
  const auto current = static_cast<std::uint16_t>(blank ? 1 : leadingNumber(pageText));
  std::uint16_t pageCount = 0;
  const NoticeRows rows = gongData2(pageCount, pageText);
  const std::string countText = std::to_string(pageCount);
  const std::string shownPage = escapeRequestText(pageText);

  Html page(req.out);
  frame::opening(page);
  frame::head(page, frame::Title::Plain, frame::Style::Compact);
  frame::body(page, frame::Body::Board);
  page.out("<table width=460 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center><tr><td>");
  page.out("   <table width=\"460\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >");
  page.out("      <tr><td colspan=2><LI TYPE=\"disc\"><font size=4><b>공 지 사 항</b></font></LI></td></tr>");
  page.out("      <tr><td colspan=2 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>");
  page.out("      <tr><td colspan=2 height=10><spacer type=block height=5></td></tr>");
  page.out("      <tr><td valign=top width=50% nowrap>");
  page.out("            <A HREF=\"Tavrix.exe?action=GongNew2&job=New\" target=_self>");
  page.out("            <img src=\"image/im_write.gif\" width=22 height=17 alt=\"글쓰기\" border=0>"
           "</A>&nbsp;&nbsp;&nbsp;&nbsp;</td>");
  page.out("          <td width=50% align=right><b>" + escapeRequestText(currentText) + "/" +
           countText + "&nbsp;page</b>&nbsp;&nbsp;&nbsp;</td></tr>");
  page.out("      <tr><td colspan=2 height=5><spacer type=block height=5></td></tr>");
  page.out("   </table></td></tr>");
  page.out("   <tr><td BGCOLOR=\"#FFB200\">");
  page.out("   <table ALIGN=center width=\"100%\" border=0 BGCOLOR=\"#FFB200\" cellspacing=1 cellpadding=0>");
  page.out("      <tr><td bgcolor=white>");
  page.out("          <table width=\"100%\" ALIGN=center border=0 cellspacing=1 cellpadding=2>");
  page.out("            <tr bgcolor=FEDE91>");
  page.out("              <th width=40 height=\"20\"><font color=black>번호</th>");
  page.out("              <th width=337><font color=black>제목</th>");
  page.out("              <th width=76><font color=black>날짜</th>");
  page.out("              <th width=40><font color=black>조회</th>");
  page.out("            </tr>");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const NoticeRow& row = rows[i];
    const std::string number = fourWide(row.nyno);
    page.out(i % 2 == 0 ? "<tr BGCOLOR=white>" : "<tr BGCOLOR=#EEEEEE>");
    page.out("    <td ALIGN=center height=\"20\">" + number + "</td>");
    page.out("    <td>&nbsp;<A HREF=\"tavrix.exe?action=GongView2&page=" + shownPage +
             "&nyno=" + number + "\" >" + trimRight(row.title) + "</A></td>");
    page.out("    <td width=76 ALIGN=center>&nbsp;" + trimRight(row.date) + "</td>");
    page.out("    <td width=40 ALIGN=center>&nbsp;" + fourWide(row.views) + "</td>");
    page.out(" </tr>");
  }
  page.out("          </table>");
  page.out("          </td>");
  page.out("      </tr>");
  page.out("   </table></td></tr>");
  page.out("<tr>");
  page.out("<td ALIGN=center>");
  page.out("<br>");
  gongPageView(page, pageCount, current);
  page.out("</td>");
  page.out("</tr>");
  page.out("<tr><td height=20><spacer type=block height=20></td></tr>");
  page.out("<tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>");
  page.out("<center><tr><td>");
  page.out("<table width=\"100%\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >");
  page.out("   <tr><td HEIGHT=10 colspan=\"2\"><SPACER TYPE=BLOCK HEIGHT=10></td></tr>");
  page.out("   <tr><td width=\"60%\">");
  const long long v = leadingNumber(currentText);
  if (currentText != "1") {
    page.out("      <A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(v - 1) + "\" >");
  }
  page.out("      <img src=\"image/prev.gif\"  alt=\"이전\" border=0></A>&nbsp;");
  if (currentText != countText) {
    page.out("      <A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(v + 1) + "\" >");
  }
  page.out("      <img src=\"image/next.gif\"  alt=\"다음\" border=0></A>&nbsp;");
  page.out("<A HREF=\"Tavrix.exe?action=GongNew2&job=New\" target=_self>");
  page.out("<img src=\"image/write.gif\" alt=\"글쓰기\" border=0></A><br></td>");
  page.out("<td width=\"40%\" ALIGN=\"right\">");
  page.out("</td></tr></table></td></tr></table>");
  frame::footer(page, frame::Footer::FullWidth);
  frame::ending(page, frame::Ending::CenterParaBody);
  page.destroy();
}

}  // namespace tavrix
