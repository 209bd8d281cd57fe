// Lists, rules, images, links and sound: the exact lines each call appends.
#include <gtest/gtest.h>

#include "core/error.h"
#include "markup_support.h"

namespace tavrix {
namespace {

using test::appended;
using test::lines;

using Case = test::MarkupCase;

class ListMarkup : public testing::TestWithParam<Case> {};

TEST_P(ListMarkup, AppendsExactlyTheseLines) {
  EXPECT_EQ(appended(GetParam().build), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListMarkup,
    testing::Values(
        Case{"unordered, empty", [](Html& h) { h.lstUnordered({}); }, lines({"<UL>", "</UL>"})},
        Case{"ordered, empty", [](Html& h) { h.lstOrdered({}); }, lines({"<OL>", "</OL>"})},
        Case{"definition, empty", [](Html& h) { h.lstDefinition({}); },
             lines({"<DL>", "</DL>"})},
        Case{"unordered in order, items unchanged",
             [](Html& h) { h.lstUnordered({"b", " a <i>", ""}); },
             lines({"<UL>", "<LI>b</LI>", "<LI> a <i></LI>", "<LI></LI>", "</UL>"})},
        Case{"ordered, a number item by its digits", [](Html& h) { h.lstOrdered({"one", 2}); },
             lines({"<OL>", "<LI>one</LI>", "<LI>2</LI>", "</OL>"})},
        Case{"definition, two pairs, extra elements ignored",
             [](Html& h) {
               h.lstDefinition({Array{"t1", "d1", "extra"}, Array{"t2", "d2"}});
             },
             lines({"<DL>", "<DT>t1</DT>", "<DD>d1</DD>", "<DT>t2</DT>", "<DD>d2</DD>",
                    "</DL>"})},
        Case{"definition, a short pair gives empty texts",
             [](Html& h) { h.lstDefinition({Array{"t"}, Array{}}); },
             lines({"<DL>", "<DT>t</DT>", "<DD></DD>", "<DT></DT>", "<DD></DD>", "</DL>"})}));

INSTANTIATE_TEST_SUITE_P(
    RulesImagesSound, ListMarkup,
    testing::Values(
        Case{"bar default size 8", [](Html& h) { h.bar(); }, lines({"<hr size=8>"})},
        Case{"bar size 2", [](Html& h) { h.bar(2); }, lines({"<hr size=2>"})},
        Case{"image default alignment", [](Html& h) { h.image("a.gif"); },
             lines({"<IMG SRC=\"a.gif\" ALIGN=\"TOP\">"})},
        Case{"image given alignment", [](Html& h) { h.image("a.gif", "LEFT"); },
             lines({"<IMG SRC=\"a.gif\" ALIGN=\"LEFT\">"})},
        Case{"sound default loop 1", [](Html& h) { h.sound("s.wav"); },
             lines({"<BGSOUND SRC=\"s.wav\" LOOP=1>"})},
        Case{"sound loop -1", [](Html& h) { h.sound("s.mid", -1); },
             lines({"<BGSOUND SRC=\"s.mid\" LOOP=-1>"})}));

INSTANTIATE_TEST_SUITE_P(
    AnchorForms, ListMarkup,
    testing::Values(
        Case{"text and image: image inside, then text",
             [](Html& h) { h.anchor("x.htm", "Go", "i.gif"); },
             lines({"<A HREF=\"x.htm\"><img src=\"i.gif\">Go</A>"})},
        Case{"text only", [](Html& h) { h.anchor("x.htm", " Go "); },
             lines({"<A HREF=\"x.htm\"> Go </A>"})},
        Case{"blank text, image only",
             [](Html& h) { h.anchor("x.htm", " \t", "i.gif"); },
             lines({"<A HREF=\"x.htm\"><img src=\"i.gif\" board=0 alt=\"View\"></A>"})},
        Case{"blank text, no image: nothing", [](Html& h) { h.anchor("x.htm", "   "); }, ""},
        Case{"both blank, blank image too", [](Html& h) { h.anchor("x.htm", "", " \r\n"); },
             ""},
        Case{"the target is never tested", [](Html& h) { h.anchor("", "t"); },
             lines({"<A HREF=\"\">t</A>"})}));

TEST(ListMarkupErrors, ADefinitionPairThatIsNotAnArrayIsAnArgumentError) {
  test::CaptureOutput out;
  Html page(out);
  try {
    page.lstDefinition({"not a pair"});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.genCode, static_cast<std::uint32_t>(GenCode::Argument));
  }
}

}  // namespace
}  // namespace tavrix
