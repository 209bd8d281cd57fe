// The board list's pager: its lines for page counts and current pages on
// either side of the 15-page window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/pages.h"
#include "support/capture_output.h"

namespace tavrix {
namespace {

std::vector<std::string> pagerLines(std::uint16_t count, std::uint16_t current) {
  test::CaptureOutput out;
  Html page(out);
  const std::size_t start = page.pageText().size();
  gongPageView(page, count, current);
  std::vector<std::string> lines;
  std::string text = page.pageText().substr(start);
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

std::string link(int page, const std::string& text) {
  return "<A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(page) + "\" >" + text + "</A>";
}
std::string link(int page) { return link(page, std::to_string(page)); }
std::string current(int page) { return "<FONT COLOR=\"orangered\">" + std::to_string(page) + "</FONT>"; }

std::vector<std::string> links(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(link(i));
  return v;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Pager, ASinglePageShowsOnlyTheCurrentPage) {
  const std::vector<std::string> single = {"[처음]☜", current(1), "☞[마지막]"};
  EXPECT_EQ(pagerLines(1, 1), single);
  EXPECT_EQ(pagerLines(1, 5), single);  // whatever the current page
}

TEST(Pager, FirstPageOfThree) {
  EXPECT_EQ(pagerLines(3, 1), (std::vector<std::string>{"[처음]☜", current(1), link(2), link(3), "☞",
                                                        "[", link(3, "마지막"), "]"}));
}

TEST(Pager, LastPageOfThree) {
  EXPECT_EQ(pagerLines(3, 3), (std::vector<std::string>{"[", link(1, "처음"), "]☜", link(1), link(2),
                                                        current(3), "☞[마지막]"}));
}

TEST(Pager, PageFourteenOfFortyKeepsTheFirstWindow) {
  EXPECT_EQ(pagerLines(40, 14),
            (std::vector<std::string>{"[", link(1, "처음"), "]☜"} + links(1, 13) +
             std::vector<std::string>{current(14), link(15), "☞", "[", link(40, "마지막"), "]"}));
}

TEST(Pager, PageFifteenOfFortyOffersBothJumps) {
  EXPECT_EQ(pagerLines(40, 15),
            (std::vector<std::string>{"[", link(1, "처음"), "]", "[", link(1, "앞장"), "]☜"} +
             links(2, 14) +
             std::vector<std::string>{current(15), link(16), "☞", "[", link(29, "뒷장"), "]", "[",
                                      link(40, "마지막"), "]"}));
}

TEST(Pager, NearTheEndThereIsNoForwardJump) {
  EXPECT_EQ(pagerLines(20, 20),
            (std::vector<std::string>{"[", link(1, "처음"), "]", "[", link(6, "앞장"), "]☜"} +
             links(7, 19) + std::vector<std::string>{current(20), "☞[마지막]"}));
  EXPECT_EQ(pagerLines(20, 16),
            (std::vector<std::string>{"[", link(1, "처음"), "]", "[", link(2, "앞장"), "]☜"} +
             links(3, 15) +
             std::vector<std::string>{current(16), link(17), "☞", "[", link(20, "마지막"), "]"}));
}

TEST(Pager, TheWindowIsNeverWiderThanFifteen) {
  // C = 20, p = 1: pages 1 to 15, the last of them followed by the last-page link.
  EXPECT_EQ(pagerLines(20, 1), (std::vector<std::string>{"[처음]☜", current(1)} + links(2, 15) +
                                std::vector<std::string>{"☞", "[", link(20, "마지막"), "]"}));
  // C = 3, p = 14 (beyond the end, as a hand-made address asks): no page is current.
  EXPECT_EQ(pagerLines(3, 14), (std::vector<std::string>{"[", link(1, "처음"), "]☜", link(1), link(2),
                                                         link(3), "☞", "[", link(3, "마지막"), "]"}));
}

}  // namespace
}  // namespace tavrix
