#include "frontend/dispatch.h"

#include <string>
#include <string_view>

#include "html/escape.h"
#include "html/html.h"
#include "pages/pages.h"

namespace tavrix {

namespace {

struct Route {
  std::string_view action;
  void (*handler)(Request&);
};

// Tested in this order, by exact, case-sensitive equality. The two views are
// visitors' look-ups, which count the view.
constexpr Route kRoutes[] = {
    {"GongList1", gongList1},
    {"GongView1", [](Request& req) { gongView1(req, ViewMode::Lookup); }},
    {"GongList2", gongList2},
    {"GongView2", [](Request& req) { gongView2(req, ViewMode::Lookup); }},
    {"GongWrite2", gongWrite2},
    {"GongWrite_Ok2", gongWriteOk2},
    {"GongNew2", gongNew2},
    {"GongEdit2", gongEdit2},
    {"GongDel2", gongDel2},
    {"GongDelOk2", gongDelOk2},
};

}  // namespace

void process(Request& req) {
  const std::string action = req.param("action");
  if (action.size() < 4 || action.compare(0, 4, "Gong") != 0) return;
  for (const Route& route : kRoutes) {
    if (route.action == action) {
      route.handler(req);
      return;
    }
  }
  startAction(req);
}

void startAction(Request& req) {
  Html page(req.out);
  page.out("<HEAD>");
  page.out("<TITLE>ACTION 확인 </TITLE>");
  page.out("</HEAD>");
  page.out("<BODY bgcolor=\"#FFFFFF\">");
  page.out("<p align=\"center\">시작 ACTION 확인</p>");
  page.out("<p align=\"center\">" + escapeRequestText(req.param("action")) + "</p>");
  page.destroy();
}

}  // namespace tavrix
