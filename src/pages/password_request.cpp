// The password request pages before a new notice (GongNew2), an edit
// (GongEdit2) and a deletion (GongDel2). None of them tests the password:
// the editor form and the deletion test it when the form is posted.
#include "pages/password_request.h"

#include "core/text.h"
#include "core/value.h"
#include "html/escape.h"
#include "pages/frame.h"
#include "pages/pages.h"
#include "store/gong_table.h"

namespace tavrix {

namespace {

void headingBlock(Html& page, RequestKind kind) {
  page.out("   <tr><td>");
  page.out("      <table width=\"100%\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center>");
  page.out("         <tr ><td height=20 valign=top>");
  page.out("            <LI TYPE=\"disc\">");
  switch (kind) {
    case RequestKind::New:
      page.out("            <font size=2><b>공지사항 게시물 신규등록 여부 확인</b></font></LI></td></tr>");
      break;
    case RequestKind::Edit:
      page.out("            <font size=2><b>공지사항 게시물 수정 여부 확인</b></font></LI></td></tr>");
      break;
    case RequestKind::Delete:
      page.out("            <font size=2><b>공지사항 게시물 삭제 여부 확인</b></font></LI></td></tr>");
      break;
  }
  page.out("         <tr ><td height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>");
  page.out("         <tr><td height=10><spacer type=block height=10></td></tr>");
  page.out("      </table></td></tr>");
}

void summaryBlock(Html& page, const NoticeSummary& notice) {
  page.out("   <tr><td BGCOLOR=\"#FFB200\">");
  page.out("      <table ALIGN=center width=100% border=0 BGCOLOR=\"#FFB200\" cellspacing=1 cellpadding=0>");
  page.out("         <tr><td bgcolor=white>");
  page.out("             <table width=100% border=0 cellspacing=1 cellpadding=3 ALIGN=\"center\">");
  page.out("                <tr><td width=15% bgcolor=FEDE91 align=center>&nbsp;번 호</td>");
  page.out("                    <td width=85% bgcolor=\"#efefef\">&nbsp;" + notice.number + " </td></tr>");
  page.out("                <tr><td bgcolor=FEDE91  align=center>&nbsp;날 짜</td>");
  page.out("                    <td bgcolor=\"#efefef\">&nbsp;" + notice.date + "</td></tr>");
  page.out("                <tr><td bgcolor=FEDE91  align=center>&nbsp;제목</td>");
  page.out("                    <td bgcolor=\"#efefef\">&nbsp;" + notice.title + "</td></tr>");
  page.out("             </table></td></tr>");
  page.out("      </TABLE></td></tr>");
}

void passwordBlock(Html& page) {
  page.out("   <tr><td>");
  page.out("      <TABLE BORDER=\"0\" CELLPADDING=\"2\" CELLSPACING=\"0\" width=100% ALIGN=center>");
  page.out("         <tr><td height=5><spacer type=block height=5></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 >");
  page.out("             <spacer type=block height=1></td></tr>");
  page.out("         <tr><td height=10><spacer type=block height=10></td></tr>");
  page.out("         <TR><TD CLASS=b>");
  page.out("             <font color=\"FDC662\" class=c>▶</font> 관리자용 비밀번호를 쓰세요. &nbsp;");
  page.out("             <INPUT TYPE=password NAME=password SIZE=8 MAXLENGTH=8 VALUE=\"\" ></TD></TR>");
  page.out("         <tr><td height=10 ><spacer type=block height=10></td></tr>");
  page.out("      </TABLE></td></tr>");
}

void deletionPasswordBlock(Html& page) {
  page.out("   <tr><td>");
  page.out("      <TABLE BORDER=\"0\" CELLPADDING=\"2\" CELLSPACING=\"0\" width=100% ALIGN=center>");
  page.out("         <tr><td height=5><spacer type=block height=5></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 >");
  page.out("             <spacer type=block height=1></td></tr>");
  page.out("         <tr><td height=10><spacer type=block height=10></td></tr>");
  page.out("         <TR><TD CLASS=b>");
  page.out("              <font color=\"FDC662\" class=c>▶</font> 위의 글을 정말로 삭제하시겠습니까? </TD></TR>");
  page.out("         <TR><TD CLASS=b>");
  page.out("              <font color=\"FDC662\" class=c>▶</font> 비밀번호:&nbsp;");
  page.out("              <INPUT TYPE=password NAME=pwd SIZE=8 MAXLENGTH=8 VALUE=\"\" ></TD></TR>");
  page.out("         <tr><td height=10><spacer type=block height=10></td></tr>");
  page.out("         <tr><td background=\"image/p_blackdot.gif\" height=1 >");
  page.out("              <spacer type=block height=1></td></tr>");
  page.out("         <tr><td height=10><spacer type=block height=10></td></tr>");
  page.out("         <tr><td height=10 ><spacer type=block height=10></td></tr>");
  page.out("      </TABLE></td></tr>");
}

void buttonBlock(Html& page, RequestKind kind) {
  page.out("   <tr><td>");
  page.out("      <table width=\"100%\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center>");
  page.out("         <tr><td colspan=3 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>");
  page.out("         <tr><td height=10><spacer type=block height=10></td></tr>");
  page.out("         <tr><td colspan=3 ALIGN=center>");
  if (kind == RequestKind::Delete) {
    page.out("               <INPUT TYPE=submit VALUE=\" 삭 제 \" >&nbsp;&nbsp;");
    page.out("               <INPUT TYPE=button value=\" 취 소 \" ONCLICK=\"javascript:history.go(-1)\" >");
    page.out("         </td></tr>");
  } else {
    page.out(kind == RequestKind::New
                 ? "             <INPUT TYPE=submit VALUE=\" 확 인 \" >&nbsp;&nbsp;"
                 : "             <INPUT TYPE=submit VALUE=\" 수 정 \" >&nbsp;&nbsp;");
    page.out("             <INPUT TYPE=button value=\" 취 소 \" ONCLICK=\"javascript:history.go(-1)\" >");
    page.out("             </td></tr>");
  }
  page.out("      </table></td></tr>");
}

}  // namespace

void writePasswordRequestPage(Html& page, RequestKind kind, const std::string& pageText,
                              const NoticeSummary& notice) {
  frame::opening(page);
  frame::head(page, kind == RequestKind::New ? frame::Title::WithMaker : frame::Title::Plain,
              frame::Style::WithSmallAndInput);
  if (kind == RequestKind::Delete) {
    page.out("<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\" onLoad=\"document.form1.pwd.focus()\">");
  } else {
    frame::body(page, frame::Body::FocusPassword);
  }
  page.out("<form name=\"form1\" target=\"_self\" METHOD=\"post\" action=\"Tavrix.exe\"> ");
  switch (kind) {
    case RequestKind::New:
      page.out("      <input type=HIDDEN name=\"action\" value=\"GongWrite2\"> ");
      page.out("      <input type=HIDDEN name=\"job\"    value=\"New\"> ");
      break;
    case RequestKind::Edit:
      page.out("      <input type=HIDDEN name=\"action\" value=\"GongWrite2\"> ");
      page.out("      <input type=HIDDEN name=\"job\"    value=\"Edit\"> ");
      break;
    case RequestKind::Delete:
      page.out("      <input type=HIDDEN name=\"action\" value=\"GongDelOk2\">");
      break;
  }
  if (kind != RequestKind::New) {
    page.out("      <input type=HIDDEN name=\"page\"   value=" + pageText + "> ");
    page.out("      <input type=HIDDEN name=\"nyno\"   value=" + notice.number + "><p> ");
  }
  page.out("<table width=460 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center>");
  headingBlock(page, kind);
  if (kind != RequestKind::New) summaryBlock(page, notice);
  if (kind == RequestKind::Delete) {
    deletionPasswordBlock(page);
  } else {
    passwordBlock(page);
  }
  buttonBlock(page, kind);
  page.out("</table>");
  page.out("</FORM>");
  page.out(kind == RequestKind::Delete
               ? "<script language=javascript>document.forms[0].pwd.focus()</script>"
               : "<script language=javascript>document.forms[0].password.focus()</script>");
  frame::footer(page, frame::Footer::FullWidth);
  frame::ending(page, frame::Ending::Body);
}

NoticeSummary findNoticeSummary(long long number) {
  NoticeSummary notice;
  DbServer db = gongDbOpen();
  db.setOrder(1);
  if (db.seek(Value(number))) {
    notice.number = fourWide(static_cast<long long>(db.fieldGet("NYNO").number()));
    notice.date = trimRight(db.fieldGet("NYDATE").text());
    notice.title = trimRight(db.fieldGet("TITLE").text());
  }
  db.close();
  return notice;
}

void gongNew2(Request& req) {
  Html page(req.out);
  writePasswordRequestPage(page, RequestKind::New, {}, {});
  page.destroy();
}

namespace {

// The edit and delete request pages: the notice named by nyno, and the list
// page to return to.
void requestPageForNotice(Request& req, RequestKind kind) {
  const long long number = leadingNumber(req.param("nyno"));
  const std::string pageText = req.param("page");
  const NoticeSummary notice = findNoticeSummary(number);
  Html page(req.out);
  writePasswordRequestPage(page, kind, escapeRequestText(pageText), notice);
  page.destroy();
}

}  // namespace

void gongEdit2(Request& req) { requestPageForNotice(req, RequestKind::Edit); }

void gongDel2(Request& req) { requestPageForNotice(req, RequestKind::Delete); }

}  // namespace tavrix
