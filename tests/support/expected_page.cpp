#include "support/expected_page.h"

namespace tavrix::test {

Page::Page() : text_("Content-type: text/html\r\n\r\n<HTML>\r\n") {}

Page& Page::operator<<(std::string_view line) {
  text_.append(line);
  text_.append("\r\n");
  return *this;
}

Page& Page::lines(const std::vector<std::string>& lines) {
  for (const auto& l : lines) *this << l;
  return *this;
}

std::string Page::done() const { return text_ + "</BODY>\r\n</HTML>\r\n \r\n"; }

namespace expected {

const char* const kBodyBoard = "<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\">";
const char* const kBodyFocusPassword =
    "<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\" onLoad=\"document.form1.password.focus()\">";
const char* const kBodyFocusTitle =
    "<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\" onLoad=\"document.form1.title.focus()\">";
const char* const kBodyFrontBox =
    "<body bgcolor=\"white\" BACKGROUND=\"../image/main-b/main-b_36.jpg\">";

void opening(Page& p) {
  p << "<!-- Copyright (c) 2001 Velkaro Co., Ltd. All rights reserved. -->" << "";
}

void head(Page& p, int title, int style) {
  p << "<HEAD>";
  p << (title == 1 ? "<TITLE>공지사항</TITLE>" : "<TITLE>공지사항 (Velkaro)</TITLE>");
  p << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">";
  const std::vector<std::string> compact = {
      "<STYLE TYPE=\"text/css\">",
      "     A:link, A:active, A:visited{ color:#3366ff; TEXT-decoration: none; };",
      "     A:hover { color:#FF3399; TEXT-decoration: underline;  };",
      "     TD,TH {  font-size: 9pt; };",
      "     .a { font-size: 9pt; };",
      "     .b { font-size: 9pt;   line-HEIGHT: 130% };",
  };
  const std::string input =
      "     .inputtext {font-size : 9pt; BACKGROUND-COLOR:#FFFFFF; COLOR:#000000; BORDER:1x solid #000000}";
  switch (style) {
    case 1:
      p.lines(compact) << "</STYLE>";
      break;
    case 2:
      p.lines(compact) << input << "</STYLE>";
      break;
    case 3:
      p.lines(compact) << "     .c { font-size: 8pt; };" << input << "</STYLE>";
      break;
    default:
      p.lines({"<STYLE type=TEXT/css>",
               "A:link { COLOR: #3366ff; TEXT-DECORATION: none }",
               "A:active { COLOR: #3366ff; TEXT-DECORATION: none }",
               "A:visited { COLOR: #3366ff; TEXT-DECORATION: none }",
               "A:hover { COLOR: #ff3399; TEXT-DECORATION: underline }",
               "TD { FONT-SIZE: 9pt }",
               "TH { FONT-SIZE: 9pt }",
               ".a { FONT-SIZE: 9pt }",
               ".b { FONT-SIZE: 9pt; LINE-HEIGHT: 130% }",
               ".inputtext {",
               "        BORDER-RIGHT: #000000 1px solid;",
               "        BORDER-TOP: #000000 1px solid;",
               "        FONT-SIZE: 9pt;",
               "        BORDER-LEFT: #000000 1px solid;",
               "        COLOR: #000000;",
               "        BORDER-BOTTOM: #000000 1px solid;",
               "        BACKGROUND-COLOR: #ffffff",
               "}",
               "</STYLE>"});
  }
  p << "</HEAD>";
}

namespace {
void copyrightRow(Page& p) {
  p << "        <TR><TD HEIGHT=20 CLASS=\"b\" valign=\"bottom\" ALIGN=\"center\">Copyright (c) 2001 Velkaro Co., Ltd. "
    << "        <A HREF=\"http://www.velkaro.co.kr/\" target=_TOP>"
    << "        <FONT COLOR=\"Blue\">www.velkaro.co.kr</FONT></A> All rights reserved.</TD></TR>";
}
}  // namespace

void footerFull(Page& p) {
  p << "<TABLE WIDTH=100% CELLPADDING=0 CELLSPACING=0 BORDER=0>";
  copyrightRow(p);
  p << "</TABLE>";
}

void footerNarrow(Page& p) {
  p << "<TABLE WIDTH=430 CELLPADDING=0 CELLSPACING=0 BORDER=0>"
    << "        <tr><td height=20><spacer type=blcok height=10></td></tr>";
  copyrightRow(p);
  p << "</TABLE>";
}

void endingCenter(Page& p) { p << "</center>" << "<p>" << "</body>"; }

}  // namespace expected
}  // namespace tavrix::test
