// Tables from arrays of rows.
#include <gtest/gtest.h>

#include "markup_support.h"

namespace tavrix {
namespace {

using test::appended;
using test::lines;

std::string cell(const std::string& text) {
  return "<TD><FONT FACE=\"Arial\">" + text + "</FONT></TD>";
}

const std::string kCaption = "<CAPTION ALIGN=\"BOTTOM\"><FONT SIZE=1 FACE=\"Arial\">";

using Case = test::MarkupCase;

class TableMarkup : public testing::TestWithParam<Case> {};

TEST_P(TableMarkup, AppendsExactlyTheseLines) {
  EXPECT_EQ(appended(GetParam().build), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableMarkup,
    testing::Values(
        Case{"no rows, no caption, default border",
             [](Html& h) { h.table({}); },
             lines({"<P>", "<TABLE  BORDER=1>", "<TR>", "</TABLE>", "<P>"})},
        Case{"blank caption writes no caption line",
             [](Html& h) { h.table(0, {}, "   "); },
             lines({"<P>", "<TABLE  BORDER=0>", "<TR>", "</TABLE>", "<P>"})},
        Case{"an empty row gives its two tags only",
             [](Html& h) { h.table(3, Array{Value(Array{})}); },
             lines({"<P>", "<TABLE  BORDER=3>", "<TR>", "<TR>", "</TR>", "</TABLE>", "<P>"})},
        Case{"rows of different lengths, cells of any kind, caption after the rows",
             [](Html& h) {
               h.table(2, {Array{"a ", 1, 2.5}, Array{true, Value()}}, " cap ");
             },
             lines({"<P>", "<TABLE  BORDER=2>", "<TR>",
                    "<TR>", cell("a "), cell("1"), cell("2.5"), "</TR>",
                    "<TR>", cell("TRUE"), cell("NIL"), "</TR>",
                    kCaption + " cap </FONT></CAPTION>",
                    "</TABLE>", "<P>"})}));

}  // namespace
}  // namespace tavrix
