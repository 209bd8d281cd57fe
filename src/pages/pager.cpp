// The board list's pager. Up to page 14 the window shows pages 1 to 15; from
// page 15 on it ends at the current page plus one, with jumps of 14 pages
// (앞장 back, 뒷장 forward) and links to the first and last page.
#include <string>

#include "pages/pages.h"

namespace tavrix {

namespace {

std::string link(long long target, const std::string& text) {
  return "<A HREF=\"Tavrix.exe?action=GongList2&page=" + std::to_string(target) + "\" >" + text +
         "</A>";
}

std::string link(long long target) { return link(target, std::to_string(target)); }

std::string currentPage(long long p) {
  return "<FONT COLOR=\"orangered\">" + std::to_string(p) + "</FONT>";
}

}  // namespace

void gongPageView(Html& page, std::uint16_t count, std::uint16_t p) {
  const long long c = count;
  if (c == 1) {
    page.out("[처음]☜");
    page.out(currentPage(1));
    page.out("☞[마지막]");
    return;
  }
  if (p <= 14) {
    const long long n = c > 15 ? 15 : c;
    for (long long i = 1; i <= n; ++i) {
      if (i == 1) {
        if (p == 1) {
          page.out("[처음]☜");
          page.out(currentPage(1));
        } else {
          page.out("[");
          page.out(link(1, "처음"));
          page.out("]☜");
          page.out(link(1));
        }
      } else if (i == n) {
        if (p == c) {
          page.out(currentPage(p));
          page.out("☞[마지막]");
        } else {
          page.out(link(i));
          page.out("☞");
          page.out("[");
          page.out(link(c, "마지막"));
          page.out("]");
        }
      } else {
        page.out(i == p ? currentPage(i) : link(i));
      }
    }
    return;
  }
  for (long long i = p - 14; i <= p + 1; ++i) {
    if (i == p - 14) {
      page.out("[");
      page.out(link(1, "처음"));
      page.out("]");
      page.out("[");
      page.out(link(p - 14, "앞장"));
      page.out("]☜");
    } else if (i == p + 1) {
      if (p == c) {
        page.out("☞[마지막]");
      } else {
        page.out(link(p + 1));
        page.out("☞");
        if (p + 14 < c) {
          page.out("[");
          page.out(link(p + 14, "뒷장"));
          page.out("]");
        }
        page.out("[");
        page.out(link(c, "마지막"));
        page.out("]");
      }
    } else {
      page.out(i == p ? currentPage(i) : link(i));
    }
  }
}

}  // namespace tavrix
