// Forms, hidden fields, cookies and the status-bar scroller.
#include <gtest/gtest.h>

#include <cctype>

#include "markup_support.h"

namespace tavrix {
namespace {

using test::appended;
using test::CaptureOutput;
using test::kNewPage;
using test::lines;

const std::string kFormLine = "<form action=\"Tavrix.exe\" METHOD=\"POST\"> ";

TEST(FormMarkup, FormAndButtonFormOpenAFormAndLeaveItOpen) {
  EXPECT_EQ(appended([](Html& h) { h.form("Tavrix.exe"); }), lines({kFormLine}));
  // 신규등록 in EUC-KR: BD C5 B1 D4 B5 EE B7 CF.
  EXPECT_EQ(appended([](Html& h) { h.buttonForm("Tavrix.exe"); }),
            lines({kFormLine,
                   "<p ALIGN=\"center\"><input type=\"submit\" name=\"submit\" "
                   "value=\"\xBD\xC5\xB1\xD4\xB5\xEE\xB7\xCF\"> &nbsp;&nbsp;</p> "}));
}

TEST(FormMarkup, PassHiddenRepeatsEveryParameterInOrderUnescaped) {
  const ParamList params = {{"action", "GongList2"}, {"page", "2"}, {"page", ""},
                            {"", "x"}, {"title", "a\"b <c>"}};
  EXPECT_EQ(appended([&](Html& h) { h.passHidden(params); }),
            lines({"<INPUT TYPE=HIDDEN NAME=\"action\" VALUE=\"GongList2\">",
                   "<INPUT TYPE=HIDDEN NAME=\"page\" VALUE=\"2\">",
                   "<INPUT TYPE=HIDDEN NAME=\"page\" VALUE=\"\">",
                   "<INPUT TYPE=HIDDEN NAME=\"\" VALUE=\"x\">",
                   "<INPUT TYPE=HIDDEN NAME=\"title\" VALUE=\"a\"b <c>\">"}));
  EXPECT_EQ(appended([](Html& h) { h.passHidden({}); }), "");
}

struct CookieCase {
  const char* what;
  std::function<void(Html&)> build;
  std::string headerLines;  // between "Content-type" and the empty line
};

void PrintTo(const CookieCase& c, std::ostream* os) { *os << c.what; }

class Cookies : public testing::TestWithParam<CookieCase> {};

TEST_P(Cookies, LandInTheHeader) {
  CaptureOutput out;
  Html page(out);
  GetParam().build(page);
  EXPECT_EQ(page.pageText(),
            "Content-type: text/html\r\n" + GetParam().headerLines + "\r\n<HTML>\r\n")
      << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cookies,
    testing::Values(
        CookieCase{"defaults: expiry NEVER, path /", [](Html& h) { h.addCookie("id", "7"); },
                   lines({"Set-Cookie: id=7; expires=NEVER; path=/"})},
        CookieCase{"name and value trimmed, path and expiry kept",
                   [](Html& h) { h.addCookie("  id ", " 7 8  ", " /b ", " Fri, 01 "); },
                   lines({"Set-Cookie: id=7 8; expires= Fri, 01 ; path= /b "})},
        CookieCase{"all-blank name and value become empty",
                   [](Html& h) { h.addCookie("   ", " ", "", ""); },
                   lines({"Set-Cookie: =; expires=; path="})},
        CookieCase{"the last cookie added stands first",
                   [](Html& h) {
                     h.addCookie("first", "1").addCookie("second", "2").addCookie("third", "3");
                   },
                   lines({"Set-Cookie: third=3; expires=NEVER; path=/",
                          "Set-Cookie: second=2; expires=NEVER; path=/",
                          "Set-Cookie: first=1; expires=NEVER; path=/"})}));

TEST(CookiesAndBody, ACookieAddedAfterBodyLinesStillGoesIntoTheHeader) {
  CaptureOutput out;
  Html page(out);
  page.out("<BODY>").addCookie("a", "b").destroy();
  ASSERT_EQ(out.writes.size(), 1u);
  EXPECT_EQ(out.writes[0],
            "Content-type: text/html\r\nSet-Cookie: a=b; expires=NEVER; path=/\r\n\r\n"
            "<HTML>\r\n<BODY>\r\n</BODY>\r\n</HTML>\r\n \r\n");
}

TEST(CookiesAndBody, ACookieAddedAfterDestroyIsNotInTheResponseAlreadyWritten) {
  CaptureOutput out;
  Html page(out);
  page.destroy().addCookie("late", "1");
  ASSERT_EQ(out.writes.size(), 1u);
  EXPECT_EQ(out.writes[0].find("Set-Cookie"), std::string::npos);
  EXPECT_NE(page.pageText().find("Set-Cookie: late=1"), std::string::npos);
}

// Indentation in a short notation: "4b1t3b" is four blanks, one tab, three
// blanks.
std::string indent(const std::string& code) {
  std::string s;
  int n = 0;
  for (char c : code) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      n = n * 10 + (c - '0');
    } else {
      s.append(n, c == 't' ? '\t' : ' ');
      n = 0;
    }
  }
  return s;
}

struct ScrollerLine {
  int number;
  const char* indentation;
  std::string text;
};

std::vector<ScrollerLine> scrollerLines(const std::string& message) {
  return {
      {1, "", "<script language=\"JavaScript\">"},
      {2, "1b", ""},
      {3, "", "<!-- Hide script from non-Java browsers"},
      {4, "1b", ""},
      {5, "", "var strMsg = \"" + message + "\";"},
      {6, "", "var nLen = strMsg.length;"},
      {7, "", "var nWidth = 100;"},
      {8, "", "var nTime = 80;"},
      {9, "", "var nPos = nWidth;"},
      {10, "", "var nLoop = 0;"},
      {11, "1b", ""},
      {12, "", "function Scroll() "},
      {13, "", "{"},
      {14, "1t", "if (strMsg.substring(strMsg.length - 1, strMsg.length) == \"\\n\")"},
      {15, "1t", "{"},
      {16, "2t", "strMsg = strMsg.substring(0, strMsg.length - 1);"},
      {17, "2t", "nLen--;"},
      {18, "1t", "}"},
      {19, "1b", ""},
      {20, "1t", "var strScrollText=\"\";"},
      {21, "1b", ""},
      {22, "1b1t", "if (nPos == 0 - nLen) "},
      {23, "1b1t", "{"},
      {24, "1b2t", "nPos = nWidth;"},
      {25, "1t", "}"},
      {26, "1t", "if (nPos >= 0) "},
      {27, "1t", "{"},
      {28, "4b1t3b", "for (var i = 0; i < nPos; i++) "},
      {29, "4b1t3b", "{"},
      {30, "4b2t", "strScrollText = strScrollText + \" \";"},
      {31, "4b1t4b", "}"},
      {32, "2t", "strScrollText = strScrollText + strMsg;"},
      {33, "1t", "}"},
      {34, "1t", "else "},
      {35, "16b", "{"},
      {36, "2t", "strScrollText = strMsg.substring(-nPos, nLen); "},
      {37, "1t", "}"},
      {38, "1t", "window.status = strScrollText;"},
      {39, "1t", "nPos--;"},
      {40, "1b", ""},
      {41, "16b", "// Did we scroll once across the screen?"},
      {42, "16b", "nLoop = strScrollText.length - 1;"},
      {43, "16b", "if (nLoop <= 0)"},
      {44, "15b", "{"},
      {45, "21b", "window.status = \"\";"},
      {46, "16b", "}"},
      {47, "15b", "else"},
      {48, "15b", "{"},
      {49, "19b", "setTimeout(\"Scroll()\", nTime);"},
      {50, "16b", "}"},
      {51, "", "}"},
      {52, "1b", ""},
      {53, "", "// --></script> "},
  };
}

std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  if (start != text.size()) out.push_back("<unterminated>" + text.substr(start));
  return out;
}

class Scroller : public testing::TestWithParam<std::string> {};

TEST_P(Scroller, WritesAll53LinesWithTheirExactBlanksAndTabs) {
  const std::string message = GetParam();
  const auto got = splitCrLf(appended([&](Html& h) { h.javaScroller(message); }));
  const auto want = scrollerLines(message);
  ASSERT_EQ(want.size(), 53u);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(got[i], indent(want[i].indentation) + want[i].text)
        << "line " << want[i].number;
}

INSTANTIATE_TEST_SUITE_P(Messages, Scroller,
                         testing::Values("", "공지사항: \"new\" <b>&</b>"));

}  // namespace
}  // namespace tavrix
