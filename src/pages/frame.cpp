#include "pages/frame.h"

namespace tavrix::frame {

namespace {

void compactStyleRules(Html& page) {
  page.out("<STYLE TYPE=\"text/css\">");
  page.out("     A:link, A:active, A:visited{ color:#3366ff; TEXT-decoration: none; };");
  page.out("     A:hover { color:#FF3399; TEXT-decoration: underline;  };");
  page.out("     TD,TH {  font-size: 9pt; };");
  page.out("     .a { font-size: 9pt; };");
  page.out("     .b { font-size: 9pt;   line-HEIGHT: 130% };");
}

constexpr const char* kInputTextRule =
    "     .inputtext {font-size : 9pt; BACKGROUND-COLOR:#FFFFFF; COLOR:#000000; BORDER:1x solid #000000}";

void expandedStyle(Html& page) {
  page.out("<STYLE type=TEXT/css>");
  page.out("A:link { COLOR: #3366ff; TEXT-DECORATION: none }");
  page.out("A:active { COLOR: #3366ff; TEXT-DECORATION: none }");
  page.out("A:visited { COLOR: #3366ff; TEXT-DECORATION: none }");
  page.out("A:hover { COLOR: #ff3399; TEXT-DECORATION: underline }");
  page.out("TD { FONT-SIZE: 9pt }");
  page.out("TH { FONT-SIZE: 9pt }");
  page.out(".a { FONT-SIZE: 9pt }");
  page.out(".b { FONT-SIZE: 9pt; LINE-HEIGHT: 130% }");
  page.out(".inputtext {");
  page.out("        BORDER-RIGHT: #000000 1px solid;");
  page.out("        BORDER-TOP: #000000 1px solid;");
  page.out("        FONT-SIZE: 9pt;");
  page.out("        BORDER-LEFT: #000000 1px solid;");
  page.out("        COLOR: #000000;");
  page.out("        BORDER-BOTTOM: #000000 1px solid;");
  page.out("        BACKGROUND-COLOR: #ffffff");
  page.out("}");
  page.out("</STYLE>");
}

void copyrightRow(Html& page) {
  page.out("        <TR><TD HEIGHT=20 CLASS=\"b\" valign=\"bottom\" ALIGN=\"center\">"
           "Copyright (c) 2001 Velkaro Co., Ltd. ");
  page.out("        <A HREF=\"http://www.velkaro.co.kr/\" target=_TOP>");
  page.out("        <FONT COLOR=\"Blue\">www.velkaro.co.kr</FONT></A>"
           " All rights reserved.</TD></TR>");
}

}  // namespace

void opening(Html& page) {
  page.out("<!-- Copyright (c) 2001 Velkaro Co., Ltd. All rights reserved. -->");
  page.out("");
}

void head(Html& page, Title title, Style style) {
  page.out("<HEAD>");
  page.out(title == Title::Plain ? "<TITLE>공지사항</TITLE>" : "<TITLE>공지사항 (Velkaro)</TITLE>");
  page.out("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">");
  switch (style) {
    case Style::Compact:
      compactStyleRules(page);
      page.out("</STYLE>");
      break;
    case Style::WithInput:
      compactStyleRules(page);
      page.out(kInputTextRule);
      page.out("</STYLE>");
      break;
    case Style::WithSmallAndInput:
      compactStyleRules(page);
      page.out("     .c { font-size: 8pt; };");
      page.out(kInputTextRule);
      page.out("</STYLE>");
      break;
    case Style::Expanded:
      expandedStyle(page);
      break;
  }
  page.out("</HEAD>");
}

void body(Html& page, Body body) {
  switch (body) {
    case Body::Board:
      page.out("<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\">");
      break;
    case Body::FocusPassword:
      page.out("<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\" "
               "onLoad=\"document.form1.password.focus()\">");
      break;
    case Body::FocusTitle:
      page.out("<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\" "
               "onLoad=\"document.form1.title.focus()\">");
      break;
    case Body::FrontBox:
      page.out("<body bgcolor=\"white\" BACKGROUND=\"../image/main-b/main-b_36.jpg\">");
      break;
  }
}

void footer(Html& page, Footer footer) {
  if (footer == Footer::FullWidth) {
    page.out("<TABLE WIDTH=100% CELLPADDING=0 CELLSPACING=0 BORDER=0>");
  } else {
    page.out("<TABLE WIDTH=430 CELLPADDING=0 CELLSPACING=0 BORDER=0>");
    page.out("        <tr><td height=20><spacer type=blcok height=10></td></tr>");
  }
  copyrightRow(page);
  page.out("</TABLE>");
}

void ending(Html& page, Ending ending) {
  switch (ending) {
    case Ending::CenterParaBody:
      page.out("</center>");
      page.out("<p>");
      page.out("</body>");
      break;
    case Ending::Body:
      page.out("</body>");
      break;
    case Ending::BodyUpper:
      page.out("</BODY>");
      break;
  }
}

}  // namespace tavrix::frame
