// The front-page box: the four newest titles, each opening the popup view.
#include <algorithm>

#include "core/text.h"
#include "pages/frame.h"
#include "pages/pages.h"
#include "store/notice_list.h"

namespace tavrix {

void gongList1(Request& req) {
  const NoticeRows rows = gongData1();

  Html page(req.out);
  frame::opening(page);
  frame::head(page, frame::Title::WithMaker, frame::Style::Compact);
  frame::body(page, frame::Body::FrontBox);
  page.out("<table width=247 border=0 cellspacing=\"0\" cellpadding=\"0\" "
           "background=\"../image/main-b/main-b_36.jpg\" >");
  page.out("   <tr><td>");
  page.out("   <table ALIGN=center width=\"100%\" border=0 cellspacing=1 cellpadding=0 "
           "style=\"background-image:url('../image/main-b/main-b_36.jpg')\" >");
  page.out("      <tr><td bgcolor=white>");
  page.out("          <table width=\"100%\" ALIGN=center border=0 cellspacing=1 cellpadding=2>");
  const std::size_t shown = std::min<std::size_t>(rows.size(), 4);
  for (std::size_t i = 0; i < shown; ++i) {
    page.out("<tr onMouseOver=this.style.backgroundColor=\"#ffffff\" "
             "onMouseOut=this.style.backgroundColor=\"\">");
    page.out("    <td width=40 ALIGN=center><IMG height=10 src=\"image/bullet.gif\" width=10></td>");
    page.out("    <td width=240 height=30>");
    page.out("      <A href=\"#\" onclick=\"javascript:window.open("
             "'Tavrix.exe?action=GongView1&nyno=" + fourWide(rows[i].nyno) +
             "','guest', 'toolbar=no, menubar=no, resizable=no, scrollbars=yes,width=550,height=600'"
             ");\">" + trimRight(rows[i].title) + "</A></TD> ");
    page.out(" </tr>");
  }
  page.out("          </table>");
  page.out("          </td>");
  page.out("      </tr>");
  page.out("   </table></td></tr>");
  frame::ending(page, frame::Ending::CenterParaBody);
  page.destroy();
}

}  // namespace tavrix
