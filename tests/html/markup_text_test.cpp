// Document structure and inline markup: the exact lines each call appends.
#include <gtest/gtest.h>

#include "markup_support.h"

namespace tavrix {
namespace {

using test::appended;
using test::lines;

using Case = test::MarkupCase;

class TextMarkup : public testing::TestWithParam<Case> {};

TEST_P(TextMarkup, AppendsExactlyTheseLines) {
  EXPECT_EQ(appended(GetParam().build), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextMarkup,
    testing::Values(
        Case{"head open", [](Html& h) { h.head(true, "공지사항"); },
             lines({"<HEAD>", "<TITLE>공지사항</TITLE>"})},
        Case{"head closed ignores the title", [](Html& h) { h.head(false, "ignored"); },
             lines({"</HEAD>"})},
        Case{"head1", [](Html& h) { h.head1("a <b> & c"); },
             lines({"<HEAD>", "<TITLE>a <b> & c</TITLE>", "</HEAD>"})},
        Case{"body, attributes omitted", [](Html& h) { h.body(true); }, lines({"<BODY>"})},
        Case{"body, empty attributes", [](Html& h) { h.body(true, ""); }, lines({"<BODY>"})},
        Case{"body, blank attributes", [](Html& h) { h.body(true, "  \t\r\n "); },
             lines({"<BODY>"})},
        Case{"body, attributes kept with their leading blanks",
             [](Html& h) { h.body(true, "  bgcolor=\"white\""); },
             lines({"<BODY   bgcolor=\"white\">"})},
        Case{"body closed", [](Html& h) { h.body(false, "x"); }, lines({"</BODY>"})},
        Case{"bodyBg", [](Html& h) { h.bodyBg("img/bg.gif"); },
             lines({"<BODY BACKGROUND = \"img/bg.gif\">"})},
        Case{"heading 2", [](Html& h) { h.heading(2, "Title"); }, lines({"<H2>Title</H2>"})},
        Case{"heading level unchecked", [](Html& h) { h.heading(12, ""); },
             lines({"<H12></H12>"})},
        Case{"bold text", [](Html& h) { h.bold("x"); }, lines({"<B>x</B>"})},
        Case{"bold empty text", [](Html& h) { h.bold(""); }, lines({"<B></B>"})},
        Case{"bold true/false bracket lines",
             [](Html& h) { h.bold(true).out("inside").bold(false); },
             lines({"<B>", "inside", "</B>"})},
        Case{"bold number, date, nothing: no line",
             [](Html& h) { h.bold(5).bold(Value(Date{2001, 5, 17})).bold(Value()); }, ""},
        Case{"italic", [](Html& h) { h.italic("i").italic(true).italic(false).italic(1.5); },
             lines({"<I>i</I>", "<I>", "</I>"})},
        Case{"underline",
             [](Html& h) { h.underline("u").underline(true).underline(false).underline(0); },
             lines({"<U>u</U>", "<U>", "</U>"})},
        Case{"pre", [](Html& h) { h.pre(true).pre(false); }, lines({"<PRE>", "</PRE>"})},
        Case{"address", [](Html& h) { h.address(true).address(false); },
             lines({"<ADDRESS>", "</ADDRESS>"})}));

TEST(TextMarkupPage, ClosedBodyThenDestroyLeavesTwoBodyEndTags) {
  test::CaptureOutput out;
  Html page(out);
  page.body(false).destroy();
  ASSERT_EQ(out.writes.size(), 1u);
  EXPECT_EQ(out.writes[0], test::kNewPage + lines({"</BODY>", "</BODY>", "</HTML>", " "}));
}

TEST(TextMarkupPage, KoreanTitleIsWrittenAsEucKrBytes) {
  // 공지 is B0 F8 C1 F6 in EUC-KR.
  EXPECT_EQ(appended([](Html& h) { h.head1("공지"); }),
            "<HEAD>\r\n<TITLE>\xB0\xF8\xC1\xF6</TITLE>\r\n</HEAD>\r\n");
}

}  // namespace
}  // namespace tavrix
