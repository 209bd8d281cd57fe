// The popup view the front-page box opens: date, title and body of one
// notice and a close button. A look-up counts the view.
#include "core/value.h"
#include "pages/frame.h"
#include "pages/pages.h"
#include "pages/view_notice.h"
#include "store/gong_table.h"

namespace tavrix {

void gongView1(Request& req, ViewMode mode) {
  const long long number = leadingNumber(req.param("nyno"));
  ShownNotice shown;
  {
    DbServer db = gongDbOpen();
    db.setOrder(1);
    // The counter is read and written back under one table lock, so views
    // made at the same moment are all counted.
    TableLock lock = db.lock();
    if (db.seek(Value(number))) shown = showAndCount(db, mode);
    lock.release();
    db.close();
  }

  Html page(req.out);
  frame::opening(page);
  frame::head(page, frame::Title::Plain, frame::Style::WithInput);
  frame::body(page, frame::Body::Board);
  page.out("<table width=430 border=0 cellspacing=\"0\" cellpadding=\"0\" >");
  page.out("   <tr><td>");
  page.out("      <table width=430 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center >");
  page.out("         <tr><td colspan=2><LI TYPE=\"disc\"><font size=4>"
           "<b>공&nbsp;&nbsp;지&nbsp;&nbsp;사&nbsp;&nbsp;항</b></font></LI>");
  page.out("             <td ALIGN=right>");
  page.out("                <img src=\"image/computting.gif\" width=50 height=43 border=0></td></tr>&nbsp;");
  page.out("         <tr><td colspan=2 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>");
  page.out("         <tr><td colspan=2 height=10><spacer type=block height=10></td></tr>");
  page.out("      </table></td></tr>");
  page.out("   <tr><td BGCOLOR=\"#FFB200\">");
  page.out("      <table ALIGN=center width=430 border=0  cellspacing=1 cellpadding=0 BGCOLOR=\"#FFB200\">");
  page.out("         <tr><td BGCOLOR=white>");
  page.out("            <table width=100% border=0 cellspacing=1 cellpadding=2 ALIGN=\"center\">");
  page.out("              <tr>");
  page.out("                 <td  width=20% bgcolor=FEDE91 height=\"20\" align=center >게 재 일</td>");
  page.out("                 <td  width=80% bgcolor=\"#efefef\" >&nbsp;" + shown.date + "</td></tr>");
  page.out("              <tr>");
  page.out("                 <td  width=20% bgcolor=FEE199 height=\"20\" align=center >"
           "제&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;목</td>");
  page.out("                 <td  width=80% bgcolor=\"#efefef\">&nbsp;" + shown.title + "</td></tr>");
  page.out("            </table>");
  page.out("         </td></tr>");
  page.out("      </table></td></tr>");
  page.out("   <tr><td>");
  page.out("      <table width=430 cellspacing=\"0\" cellpadding=\"0\" ALIGN=\"center\">");
  page.out("         <tr><td height=20><spacer type=block height=20></td></tr>");
  page.out("         <tr><td>" + shown.body + " <br></td></tr> ");
  page.out("         <tr><td height=20><spacer type=block height=20></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>");
  page.out("         <tr><td height=10></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 ><spacer type=block height=1></td></tr>");
  page.out("      </table>");
  page.out("      <table width=430 cellspacing=0 cellpadding=0 ALIGN=center>");
  page.out("         <tr><td height=10><spacer type=blcok height=10></td></tr>");
  page.out("         <tr><td ALIGN=center><p>");
  page.out("                <a href=\"javascript:self.close()\"><img src=\"image/close.gif\" "
           "width=\"89\" height=\"25\" border=\"0\"></a>");
  page.out("                </p></td></tr>");
  page.out("         <tr><td height=10><spacer type=blcok height=10></td></tr>");
  page.out("      </table>");
  page.out("   </td></tr>");
  page.out("</table>");
  frame::footer(page, frame::Footer::Narrow);
  frame::ending(page, frame::Ending::CenterParaBody);
  page.destroy();
}

}  // namespace tavrix
