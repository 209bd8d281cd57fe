// The administrator's pages and actions: password rule, request pages,
// editor, saving and deleting — whole responses and what lands in the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/password.h"
#include "support/board.h"
#include "support/url.h"
#include "support/capture_output.h"
#include "support/expected_page.h"

namespace tavrix {
namespace {

using test::Board;
using test::Page;
namespace ex = test::expected;

const std::string kPassword = "1827364";
const std::string kPassword2 = "3081726";

std::string refusal(const std::string& second) {
  Page p;
  p << "<HEAD>" << "<TITLE>PASSWORD MISMATCH</TITLE>" << "</HEAD>" << ex::kBodyBoard
    << "<p align=\"center\">비밀번호가 틀립니다.</p>";
  if (!second.empty()) p << "<p align=\"center\">" + second + "</p>";
  return p.done();
}
const std::string kRefusedNew = refusal("귀하는 신규등록할 수 없습니다.");
const std::string kRefusedEdit = refusal("귀하는 수정할 수 없습니다.");
const std::string kRefusedDelete = refusal("귀하는 삭제할 수 없습니다.");

enum class Kind { New, Edit, Delete };

// The password request pages, from their tables.
std::string requestPage(Kind kind, const std::string& page = "", const std::string& number = "",
                        const std::string& date = "", const std::string& title = "") {
  Page p;
  ex::opening(p);
  ex::head(p, kind == Kind::New ? 2 : 1, 3);
  p << (kind == Kind::Delete
            ? "<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\" onLoad=\"document.form1.pwd.focus()\">"
            : ex::kBodyFocusPassword);
  p << "<form name=\"form1\" target=\"_self\" METHOD=\"post\" action=\"Tavrix.exe\"> ";
  if (kind == Kind::Delete) {
    p << "      <input type=HIDDEN name=\"action\" value=\"GongDelOk2\">";
  } else {
    p << "      <input type=HIDDEN name=\"action\" value=\"GongWrite2\"> "
      << (kind == Kind::New ? "      <input type=HIDDEN name=\"job\"    value=\"New\"> "
                            : "      <input type=HIDDEN name=\"job\"    value=\"Edit\"> ");
  }
  if (kind != Kind::New) {
    p << "      <input type=HIDDEN name=\"page\"   value=" + page + "> "
      << "      <input type=HIDDEN name=\"nyno\"   value=" + number + "><p> ";
  }
  p << "<table width=460 border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center>"
    << "   <tr><td>"
    << "      <table width=\"100%\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center>"
    << "         <tr ><td height=20 valign=top>"
    << "            <LI TYPE=\"disc\">";
  p << (kind == Kind::New    ? "            <font size=2><b>공지사항 게시물 신규등록 여부 확인</b></font></LI></td></tr>"
        : kind == Kind::Edit ? "            <font size=2><b>공지사항 게시물 수정 여부 확인</b></font></LI></td></tr>"
                             : "            <font size=2><b>공지사항 게시물 삭제 여부 확인</b></font></LI></td></tr>");
  p << "         <tr ><td height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>"
    << "         <tr><td height=10><spacer type=block height=10></td></tr>"
    << "      </table></td></tr>";
  if (kind != Kind::New) {
    p << "   <tr><td BGCOLOR=\"#FFB200\">"
      << "      <table ALIGN=center width=100% border=0 BGCOLOR=\"#FFB200\" cellspacing=1 cellpadding=0>"
      << "         <tr><td bgcolor=white>"
      << "             <table width=100% border=0 cellspacing=1 cellpadding=3 ALIGN=\"center\">"
      << "                <tr><td width=15% bgcolor=FEDE91 align=center>&nbsp;번 호</td>"
      << "                    <td width=85% bgcolor=\"#efefef\">&nbsp;" + number + " </td></tr>"
      << "                <tr><td bgcolor=FEDE91  align=center>&nbsp;날 짜</td>"
      << "                    <td bgcolor=\"#efefef\">&nbsp;" + date + "</td></tr>"
      << "                <tr><td bgcolor=FEDE91  align=center>&nbsp;제목</td>"
      << "                    <td bgcolor=\"#efefef\">&nbsp;" + title + "</td></tr>"
      << "             </table></td></tr>"
      << "      </TABLE></td></tr>";
  }
  p << "   <tr><td>"
    << "      <TABLE BORDER=\"0\" CELLPADDING=\"2\" CELLSPACING=\"0\" width=100% ALIGN=center>"
    << "         <tr><td height=5><spacer type=block height=5></td></tr>"
    << "         <tr><td background=\"image/p_blackdot.gif\" height=1 >"
    << "             <spacer type=block height=1></td></tr>"
    << "         <tr><td height=10><spacer type=block height=10></td></tr>"
    << "         <TR><TD CLASS=b>";
  if (kind == Kind::Delete) {
    p << "              <font color=\"FDC662\" class=c>▶</font> 위의 글을 정말로 삭제하시겠습니까? </TD></TR>"
      << "         <TR><TD CLASS=b>"
      << "              <font color=\"FDC662\" class=c>▶</font> 비밀번호:&nbsp;"
      << "              <INPUT TYPE=password NAME=pwd SIZE=8 MAXLENGTH=8 VALUE=\"\" ></TD></TR>"
      << "         <tr><td height=10><spacer type=block height=10></td></tr>"
      << "         <tr><td background=\"image/p_blackdot.gif\" height=1 >"
      << "              <spacer type=block height=1></td></tr>"
      << "         <tr><td height=10><spacer type=block height=10></td></tr>";
  } else {
    p << "             <font color=\"FDC662\" class=c>▶</font> 관리자용 비밀번호를 쓰세요. &nbsp;"
      << "             <INPUT TYPE=password NAME=password SIZE=8 MAXLENGTH=8 VALUE=\"\" ></TD></TR>";
  }
  p << "         <tr><td height=10 ><spacer type=block height=10></td></tr>"
    << "      </TABLE></td></tr>"
    << "   <tr><td>"
    << "      <table width=\"100%\" border=0 cellspacing=\"0\" cellpadding=\"0\" ALIGN=center>"
    << "         <tr><td colspan=3 height=2 BGCOLOR=\"#FFB200\"><spacer type=block height=2></td></tr>"
    << "         <tr><td height=10><spacer type=block height=10></td></tr>"
    << "         <tr><td colspan=3 ALIGN=center>";
  if (kind == Kind::Delete) {
    p << "               <INPUT TYPE=submit VALUE=\" 삭 제 \" >&nbsp;&nbsp;"
      << "               <INPUT TYPE=button value=\" 취 소 \" ONCLICK=\"javascript:history.go(-1)\" >"
      << "         </td></tr>";
  } else {
    p << (kind == Kind::New ? "             <INPUT TYPE=submit VALUE=\" 확 인 \" >&nbsp;&nbsp;"
                            : "             <INPUT TYPE=submit VALUE=\" 수 정 \" >&nbsp;&nbsp;")
      << "             <INPUT TYPE=button value=\" 취 소 \" ONCLICK=\"javascript:history.go(-1)\" >"
      << "             </td></tr>";
  }
  p << "      </table></td></tr>" << "</table>" << "</FORM>"
    << (kind == Kind::Delete ? "<script language=javascript>document.forms[0].pwd.focus()</script>"
                             : "<script language=javascript>document.forms[0].password.focus()</script>");
  ex::footerFull(p);
  p << "</body>";
  return p.done();
}

// The editor form, from its table; job "New", "Edit" or anything else.
std::string editorPage(const std::string& job, const std::string& password, const std::string& page,
                       const std::string& number, const std::string& title, const std::string& body) {
  Page p;
  ex::opening(p);
  ex::head(p, 1, 4);
  p << ex::kBodyFocusTitle
    << "<form name=\"form1\" target=\"_self\" METHOD=\"post\" action=\"Tavrix.exe\"> "
    << "      <input type=HIDDEN name=\"action\" value=\"GongWrite_Ok2\"> "
    << "      <input type=HIDDEN name=\"page\"   value=" + page + "> "
    << "      <input type=HIDDEN name=\"nyno\"   value=" + number + "> ";
  if (job == "New" || job == "Edit") {
    p << "     <input type=HIDDEN name=\"job\" value=\"" + job + "\"><p> "
      << "     <input type=HIDDEN name=\"password\" value=" + password + "> ";
  }
  p << "<TABLE cellSpacing=0 cellPadding=0 width=460 border=0 ALIGN=center>"
    << "  <TR><TD>"
    << "      <TABLE cellSpacing=0 cellPadding=0 width=\"100%\" ALIGN=center border=0>"
    << "        <TBODY>"
    << "        <TR>"
    << "          <TD vAlign=top height=20>";
  if (job == "New") p << "            <LI type=disc><FONT size=2><B>공지사항 &nbsp;&nbsp; 새로운 글쓰기</B></FONT></LI></TD></TR>";
  if (job == "Edit") p << "            <LI type=disc><FONT size=2><B>공지사항 &nbsp;&nbsp; 게시물 고쳐쓰기</B></FONT></LI></TD></TR>";
  p << "        <TR><TD bgColor=#ffb200 height=2><SPACER height=\"2\" type=\"block\"></TD></TR>"
    << "        <TR><TD height=10><SPACER height=\"10\" type=\"block\"></TD></TR>"
    << "        <TR><TD height=10><SPACER height=\"10\" type=\"block\"></TD></TR>"
    << "        </TBODY>"
    << "      </TABLE></TD></TR>"
    << "  <TR>"
    << "    <TD bgColor=#ffb200>"
    << "      <TABLE cellSpacing=1 cellPadding=0 width=460 ALIGN=center bgColor=#ffb200 border=0>"
    << "        <TBODY>"
    << "        <TR>"
    << "          <TD bgColor=white>"
    << "            <TABLE cellSpacing=1 cellPadding=3 width=\"460\" ALIGN=center border=0>"
    << "              <TBODY>"
    << "              <TR>"
    << "                <TD align=middle bgColor=#fede91>&nbsp;제목</TD>"
    << "                <TD bgColor=#efefef>&nbsp;"
    << "                  <INPUT maxLength=60 size=60 name=title value=" + title + "></TD></TR>"
    << "              <TR>"
    << "                <TD align=middle bgColor=#fede91>&nbsp;내용</TD>"
    << "                <TD bgColor=#efefef>&nbsp;&nbsp;<TEXTAREA name=bigo rows=15 cols=60 WRAP=soft >" + body + "</TEXTAREA> "
    << "                </TD></TR>"
    << "              </TBODY></TABLE></TD></TR></TBODY></TABLE></TD></TR>"
    << "  <TR>"
    << "    <TD>"
    << "      <TABLE cellSpacing=0 cellPadding=2 width=\"100%\" ALIGN=center border=0>"
    << "        <TBODY>"
    << "        <TR>"
    << "          <TD colSpan=3 height=5><SPACER height=\"5\" type=\"block\"></TD></TR>"
    << "        <TR>"
    << "          <TD colSpan=3 height=5><SPACER height=\"5\" type=\"block\"></TD></TR>"
    << "        <TR>"
    << "          <TD width=\"5%\"><SPACER WIDTH=\"5%\" TYPE=\"BLOCK\"></TD>"
    << "          <TD width=\"5%\"><SPACER WIDTH=\"5%\" TYPE=\"BLCOK\"></TD></TR>"
    << "        <TR>"
    << "          <TD colSpan=3 height=10><SPACER height=\"10\" type=\"block\"></TD></TR>"
    << "        </TBODY>"
    << "      </TABLE></TD></TR>"
    << "  <TR>"
    << "    <TD background=image/p_blackdot.gif height=1><SPACER height=\"1\" "
    << "      type=\"block\"></TD></TR>"
    << "  <TR>"
    << "    <TD height=10></TD></TR>"
    << "  <TR>"
    << "    <TD>"
    << "      <TABLE cellSpacing=0 cellPadding=0 width=460 ALIGN=center border=0>"
    << "        <TBODY>"
    << "        <TR>"
    << "          <TD bgColor=#ffb200 colSpan=3 height=2><SPACER height=\"2\" "
    << "            type=\"block\"></TD></TR>"
    << "        <TR>"
    << "          <TD height=10><SPACER height=\"10\" type=\"block\"></TD></TR>"
    << "        <TR>"
    << "          <TD ALIGN=middle colSpan=3>"
    << "             <INPUT type=submit value=\" 등 록 \">"
    << "             <INPUT onclick=\"return confirm('입력한 사항들을 모두 지우고 새로 작성하는 것이 확실합니까?')\" type=reset value=\" 초기화 \"> "
    << "             <INPUT onclick=javascript:history.go(-1) type=button value=\" 취 소 \"> "
    << "          </TD></TR></TBODY></TABLE></TD></TR></TBODY></TABLE></FORM>";
  ex::footerFull(p);
  p << "</BODY>";
  return p.done();
}

using test::pct;

// --- Request pages -----------------------------------------------------------

TEST(RequestPages, NewEditAndDeleteRequestPages) {
  Board board;
  board.add(7, "<b>제목</b> \"인용\"", "본문", 3, "2001-05-17");
  EXPECT_EQ(board.get("action=GongNew2&job=New").out, requestPage(Kind::New));
  EXPECT_EQ(board.get("action=GongNew2").out, requestPage(Kind::New));
  // The title is written as stored, markup and quotes included.
  EXPECT_EQ(board.get("action=GongEdit2&job=Edit&page=3&nyno=%20%20%207").out,
            requestPage(Kind::Edit, "3", "   7", "2001-05-17", "<b>제목</b> \"인용\""));
  EXPECT_EQ(board.get("action=GongDel2&page=2&nyno=7").out,
            requestPage(Kind::Delete, "2", "   7", "2001-05-17", "<b>제목</b> \"인용\""));
  // No page parameter, or a number that names no notice: empty values.
  EXPECT_EQ(board.get("action=GongEdit2&job=Edit&nyno=8").out, requestPage(Kind::Edit));
  EXPECT_EQ(board.get("action=GongDel2").out, requestPage(Kind::Delete));
  // The page text is echoed escaped.
  EXPECT_EQ(board.get("action=GongEdit2&page=%3E%22x&nyno=7").out,
            requestPage(Kind::Edit, "&#62;&#34;x", "   7", "2001-05-17", "<b>제목</b> \"인용\""));
}

// --- The password rule at its three check points --------------------------------

TEST(PasswordRule, AppliesAtEveryCheckPoint) {
  struct Case {
    std::string typed;
    bool accepted;
  } cases[] = {
      {kPassword, true},         {kPassword2, true},          {kPassword + "  ", true},
      {" " + kPassword, false},  {kPassword + "5", false},    {kPassword.substr(0, 6), false},
      {"", false},               {"3081726\t", false},        {"18273640", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("password '" + c.typed + "'");
    Board board;
    board.add(5, "다섯", "본문 다섯");
    // The editor for a new notice.
    auto r = board.post("action=GongWrite2&job=New&password=" + pct(c.typed));
    if (c.accepted) {
      EXPECT_EQ(r.out, editorPage("New", c.typed.substr(0, 7), "", "", "", ""));
    } else {
      EXPECT_EQ(r.out, kRefusedNew);
    }
    // The editor for an edit.
    r = board.post("action=GongWrite2&job=Edit&page=1&nyno=5&password=" + pct(c.typed));
    EXPECT_EQ(r.out, c.accepted ? editorPage("Edit", c.typed.substr(0, 7), "1", "   5",
                                             "다섯", "본문 다섯")
                                : kRefusedEdit);
    // The save of a new notice.
    r = board.post("action=GongWrite_Ok2&job=New&title=t&bigo=b&password=" + pct(c.typed));
    if (!c.accepted) {
      EXPECT_EQ(r.out, kRefusedNew);
    }
    EXPECT_EQ(board.find(6).has_value(), c.accepted);
    // The deletion.
    r = board.post("action=GongDelOk2&nyno=5&pwd=" + pct(c.typed));
    if (!c.accepted) {
      EXPECT_EQ(r.out, kRefusedDelete);
    }
    EXPECT_EQ(board.find(5).has_value(), !c.accepted);
  }
}

TEST(PasswordRule, OnlyTheFormsOwnParameterNameCounts) {
  Board board;
  board.add(5, "다섯");
  EXPECT_EQ(board.post("action=GongWrite2&job=New&pwd=" + kPassword).out, kRefusedNew);
  EXPECT_EQ(board.post("action=GongDelOk2&nyno=5&password=" + kPassword).out, kRefusedDelete);
  EXPECT_TRUE(board.find(5).has_value());
}

TEST(PasswordRule, TheSaveIsRefusedWithoutTheRightPassword) {
  for (const std::string& extra :
       std::vector<std::string>{"", "&password=", "&password=1234567", "&pwd=" + kPassword}) {
    SCOPED_TRACE(extra);
    Board board;
    board.add(5, "원래 제목", "원래 본문");
    EXPECT_EQ(board.post("action=GongWrite_Ok2&job=New&title=x&bigo=y" + extra).out, kRefusedNew);
    EXPECT_EQ(board.post("action=GongWrite_Ok2&job=Edit&nyno=5&title=x&bigo=y" + extra).out,
              kRefusedEdit);
    auto all = board.all();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].title, "원래 제목");
    EXPECT_EQ(all[0].body, "원래 본문");
  }
}

TEST(RefusalPage, AnUnknownOperationWordGivesNoSecondMessage) {
  test::CaptureOutput out;
  Request req(out);
  pwMismatch(req, "다른");
  ASSERT_EQ(out.writes.size(), 1u);
  EXPECT_EQ(out.writes[0], refusal(""));
}

}  // namespace
}  // namespace tavrix
