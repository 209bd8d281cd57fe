#include "pages/password.h"

#include "core/text.h"
#include "html/html.h"

namespace tavrix {

bool passwordAccepted(std::string_view typed) {
  const std::string password = trimRight(typed);
  return password == "1827364" || password == "3081726";
}

void pwMismatch(Request& req, std::string_view operation) {
  Html page(req.out);
  page.out("<HEAD>");
  page.out("<TITLE>PASSWORD MISMATCH</TITLE>");
  page.out("</HEAD>");
  page.out("<body bgcolor=\"#E7E9AD\" BACKGROUND=\"http://\">");
  page.out("<p align=\"center\">비밀번호가 틀립니다.</p>");
  if (operation == "신규") {
    page.out("<p align=\"center\">귀하는 신규등록할 수 없습니다.</p>");
  } else if (operation == "수정") {
    page.out("<p align=\"center\">귀하는 수정할 수 없습니다.</p>");
  } else if (operation == "삭제") {
    page.out("<p align=\"center\">귀하는 삭제할 수 없습니다.</p>");
  }
  page.destroy();
}

}  // namespace tavrix
