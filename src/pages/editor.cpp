// The notice editor (GongWrite2), behind the administrator password: an
// empty form for a new notice, or the stored title and body for an edit. The
// accepted password rides along in a hidden field, because the save that the
// form posts checks it again.
#include <string>

#include "core/text.h"
#include "core/value.h"
#include "html/escape.h"
#include "pages/frame.h"
#include "pages/pages.h"
#include "pages/password.h"
#include "store/gong_table.h"

namespace tavrix {

namespace {

struct EditorValues {
  std::string number;
  std::string title;  // blanks already written as "&nbsp;"
  std::string body;
};

std::string blanksAsNbsp(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ') {
      out += "&nbsp;";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// Where several records share the number, the last of them supplies the
// values. Returns false when no record has the number.
bool readNotice(long long number, EditorValues& values) {
  bool found = false;
  DbServer db = gongDbOpen();
  db.setOrder(1);
  if (db.seek(Value(number))) {
    while (!db.eof()) {
      values.number = fourWide(static_cast<long long>(db.fieldGet("NYNO").number()));
      values.title = blanksAsNbsp(trimRight(db.fieldGet("TITLE").text()));
      values.body = trimRight(db.fieldGet("BIGO").text());
      found = true;
      db.skip(1);
      if (db.eof() || db.fieldGet("NYNO").number() != static_cast<double>(number)) break;
    }
  }
  db.close();
  return found;
}

void writeEditorPage(Request& req, const std::string& job, const std::string& password,
                     const std::string& pageText, const EditorValues& values) {
  const bool isNew = job == "New", isEdit = job == "Edit";
  Html page(req.out);
  frame::opening(page);
  frame::head(page, frame::Title::Plain, frame::Style::Expanded);
  frame::body(page, frame::Body::FocusTitle);
  page.out("<form name=\"form1\" target=\"_self\" METHOD=\"post\" action=\"Tavrix.exe\"> ");
  page.out("      <input type=HIDDEN name=\"action\" value=\"GongWrite_Ok2\"> ");
  page.out("      <input type=HIDDEN name=\"page\"   value=" + escapeRequestText(pageText) + "> ");
  page.out("      <input type=HIDDEN name=\"nyno\"   value=" + values.number + "> ");
  if (isNew || isEdit) {
    page.out(isNew ? "     <input type=HIDDEN name=\"job\" value=\"New\"><p> "
                   : "     <input type=HIDDEN name=\"job\" value=\"Edit\"><p> ");
    page.out("     <input type=HIDDEN name=\"password\" value=" + escapeRequestText(password) + "> ");
  }
  page.out("<TABLE cellSpacing=0 cellPadding=0 width=460 border=0 ALIGN=center>");
  page.out("  <TR><TD>");
  page.out("      <TABLE cellSpacing=0 cellPadding=0 width=\"100%\" ALIGN=center border=0>");
  page.out("        <TBODY>");
  page.out("        <TR>");
  page.out("          <TD vAlign=top height=20>");
  if (isNew) {
    page.out("            <LI type=disc><FONT size=2><B>공지사항 &nbsp;&nbsp; 새로운 글쓰기</B></FONT></LI></TD></TR>");
  } else if (isEdit) {
    page.out("            <LI type=disc><FONT size=2><B>공지사항 &nbsp;&nbsp; 게시물 고쳐쓰기</B></FONT></LI></TD></TR>");
  }
  page.out("        <TR><TD bgColor=#ffb200 height=2><SPACER height=\"2\" type=\"block\"></TD></TR>");
  page.out("        <TR><TD height=10><SPACER height=\"10\" type=\"block\"></TD></TR>");
  page.out("        <TR><TD height=10><SPACER height=\"10\" type=\"block\"></TD></TR>");
  page.out("        </TBODY>");
  page.out("      </TABLE></TD></TR>");
  page.out("  <TR>");
  page.out("    <TD bgColor=#ffb200>");
  page.out("      <TABLE cellSpacing=1 cellPadding=0 width=460 ALIGN=center bgColor=#ffb200 border=0>");
  page.out("        <TBODY>");
  page.out("        <TR>");
  page.out("          <TD bgColor=white>");
  page.out("            <TABLE cellSpacing=1 cellPadding=3 width=\"460\" ALIGN=center border=0>");
  page.out("              <TBODY>");
  page.out("              <TR>");
  page.out("                <TD align=middle bgColor=#fede91>&nbsp;제목</TD>");
  page.out("                <TD bgColor=#efefef>&nbsp;");
  page.out("                  <INPUT maxLength=60 size=60 name=title value=" + values.title + "></TD></TR>");
  page.out("              <TR>");
  page.out("                <TD align=middle bgColor=#fede91>&nbsp;내용</TD>");
  page.out("                <TD bgColor=#efefef>&nbsp;&nbsp;<TEXTAREA name=bigo rows=15 cols=60 WRAP=soft >" +
           values.body + "</TEXTAREA> ");
  page.out("                </TD></TR>");
  page.out("              </TBODY></TABLE></TD></TR></TBODY></TABLE></TD></TR>");
  page.out("  <TR>");
  page.out("    <TD>");
  page.out("      <TABLE cellSpacing=0 cellPadding=2 width=\"100%\" ALIGN=center border=0>");
  page.out("        <TBODY>");
  for (int i = 0; i < 2; ++i) {
    page.out("        <TR>");
    page.out("          <TD colSpan=3 height=5><SPACER height=\"5\" type=\"block\"></TD></TR>");
  }
  page.out("        <TR>");
  page.out("          <TD width=\"5%\"><SPACER WIDTH=\"5%\" TYPE=\"BLOCK\"></TD>");
  page.out("          <TD width=\"5%\"><SPACER WIDTH=\"5%\" TYPE=\"BLCOK\"></TD></TR>");
  page.out("        <TR>");
  page.out("          <TD colSpan=3 height=10><SPACER height=\"10\" type=\"block\"></TD></TR>");
  page.out("        </TBODY>");
  page.out("      </TABLE></TD></TR>");
  page.out("  <TR>");
  page.out("    <TD background=image/p_blackdot.gif height=1><SPACER height=\"1\" ");
  page.out("      type=\"block\"></TD></TR>");
  page.out("  <TR>");
  page.out("    <TD height=10></TD></TR>");
  page.out("  <TR>");
  page.out("    <TD>");
  page.out("      <TABLE cellSpacing=0 cellPadding=0 width=460 ALIGN=center border=0>");
  page.out("        <TBODY>");
  page.out("        <TR>");
  page.out("          <TD bgColor=#ffb200 colSpan=3 height=2><SPACER height=\"2\" ");
  page.out("            type=\"block\"></TD></TR>");
  page.out("        <TR>");
  page.out("          <TD height=10><SPACER height=\"10\" type=\"block\"></TD></TR>");
  page.out("        <TR>");
  page.out("          <TD ALIGN=middle colSpan=3>");
  page.out("             <INPUT type=submit value=\" 등 록 \">");
  page.out("             <INPUT onclick=\"return confirm('입력한 사항들을 모두 지우고 새로 작성하는 것이 확실합니까?')\" "
           "type=reset value=\" 초기화 \"> ");
  page.out("             <INPUT onclick=javascript:history.go(-1) type=button value=\" 취 소 \"> ");
  page.out("          </TD></TR></TBODY></TABLE></TD></TR></TBODY></TABLE></FORM>");
  frame::footer(page, frame::Footer::FullWidth);
  frame::ending(page, frame::Ending::BodyUpper);
  page.destroy();
}

}  // namespace

void gongWrite2(Request& req) {
  const std::string job = req.param("job");
  const std::string pageText = req.param("page");
  EditorValues values;
  std::string password;
  if (job == "New") {
    password = trimRight(req.param("password"));
    if (!passwordAccepted(password)) {
      pwMismatch(req, "신규");
      return;
    }
  } else if (job == "Edit") {
    const long long number = leadingNumber(req.param("nyno"));
    password = trimRight(req.param("password"));
    const bool found = readNotice(number, values);
    if (!passwordAccepted(password) || !found) {
      pwMismatch(req, "수정");
      return;
    }
  }
  writeEditorPage(req, job, password, pageText, values);
}

}  // namespace tavrix
