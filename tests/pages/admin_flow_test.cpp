// What the administrator's actions store and which page follows them, a walk
// through the real forms, and saves made at the same moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/board.h"
#include "support/url.h"

namespace tavrix {
namespace {

using test::Board;

const std::string kPw = "&password=1827364";

bool has(const std::string& page, const std::string& text) {
  return page.find(text) != std::string::npos;
}

using test::pct;

TEST(Save, ANewNoticeGetsTheNextNumberAndTheListFollows) {
  Board board;
  const auto r = board.post("action=GongWrite_Ok2&job=New&nyno=&page=&title=" + pct("첫 글") +
                            "&bigo=" + pct("본문\r\n둘째 줄  ") + kPw);
  EXPECT_EQ(r.out, board.get("action=GongList2").out);  // page 1 of the list
  const auto n = board.find(1);
  ASSERT_TRUE(n.has_value());
  EXPECT_EQ(n->title, "첫 글");
  EXPECT_EQ(n->body, "본문\r\n둘째 줄  ");  // stored exactly
  EXPECT_EQ(n->views, 0);
  EXPECT_EQ(n->date.size(), 10u);
}

TEST(Save, ThePostingDateFollowsTheLocale) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char ymd[16], dmy[16], mdy[16];
  std::strftime(ymd, sizeof ymd, "%Y-%m-%d", &tm);
  std::strftime(dmy, sizeof dmy, "%d.%m.%Y", &tm);
  std::strftime(mdy, sizeof mdy, "%m/%d/%Y", &tm);
  const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
      {{{"LC_TIME", "ko_KR.UTF-8"}}, ymd},
      {{{"LANG", "de_DE.UTF-8"}}, dmy},
      {{{"LC_ALL", "en_US.UTF-8"}, {"LC_TIME", "de_DE.UTF-8"}}, mdy},  // LC_ALL comes first
      {{{"LC_TIME", "C"}}, mdy},
      {{}, mdy},
  };
  for (const auto& [locale, date] : cases) {
    Board board;
    test::RunOptions o;
    o.env = locale;
    o.env["REQUEST_METHOD"] = "POST";
    o.stdinBytes = "action=GongWrite_Ok2&job=New&title=t&bigo=b" + kPw;
    o.cwd = board.dir();
    test::runProgram(test::tavrixExe(), o);
    ASSERT_TRUE(board.find(1).has_value());
    EXPECT_EQ(board.find(1)->date, date) << locale.begin()->second;
  }
}

TEST(Save, NumbersFollowTheHighestLiveNotice) {
  Board board;
  board.addRange(1, 5);
  auto save = [&] { board.post("action=GongWrite_Ok2&job=New&title=t&bigo=b" + kPw); };
  save();
  EXPECT_TRUE(board.find(6).has_value());
  board.remove(6);
  save();  // the deleted highest number is given again
  EXPECT_TRUE(board.find(6).has_value());
  board.remove(3);
  save();  // a gap in the middle stays a gap
  EXPECT_TRUE(board.find(7).has_value());
  EXPECT_FALSE(board.find(3).has_value());
}

TEST(Save, TitlesOnNewAndEdit) {
  struct Case {
    std::string sent;
    std::string storedNew;
    std::string storedEdit;
  } cases[] = {
      {"", "안녕하세요 ?", ""},
      {"   ", "안녕하세요 ?", ""},
      {" \t\r\n", "안녕하세요 ?", " \t\r\n"},  // an edit stores it as sent
      {"A&nbsp;B", "A B", "A B"},
      {"A&#160;B", "A B", "A B"},  // what a browser sends for the editor's &nbsp;
      {"&nbsp;&nbsp;", "안녕하세요 ?", ""},
      {"<b>굵게</b>", "<b>굵게</b>", "<b>굵게</b>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("title '" + c.sent + "'");
    Board board;
    board.add(1, "원래", "원래 본문", 9);
    board.post("action=GongWrite_Ok2&job=New&title=" + pct(c.sent) + "&bigo=b" + kPw);
    EXPECT_EQ(board.find(2)->title, c.storedNew);
    board.post("action=GongWrite_Ok2&job=Edit&nyno=1&title=" + pct(c.sent) + "&bigo=b" + kPw);
    EXPECT_EQ(board.find(1)->title, c.storedEdit);
  }
}

TEST(Save, OverLongTitlesAreCutWithoutSplittingACharacter) {
  Board board;
  std::string sixtyOne, oddCut = "a";
  for (int i = 0; i < 61; ++i) sixtyOne += "가";
  for (int i = 0; i < 60; ++i) oddCut += "가";
  board.post("action=GongWrite_Ok2&job=New&title=" + pct(sixtyOne) + "&bigo=b" + kPw);
  board.post("action=GongWrite_Ok2&job=New&title=" + pct(oddCut) + "&bigo=b" + kPw);
  EXPECT_EQ(board.find(1)->title, sixtyOne.substr(0, 120));
  EXPECT_EQ(board.find(2)->title, oddCut.substr(0, 119));
}

TEST(Save, AnEditKeepsNumberDateAndCounterAndShowsTheNoticeUncounted) {
  Board board;
  board.add(12, "옛 제목", "옛 본문", 5, "2001-05-17");
  const auto r = board.post("action=GongWrite_Ok2&job=Edit&nyno=%20%2012&page=2&title=" +
                            pct("새 제목") + "&bigo=" + pct("새 본문") + kPw);
  const auto n = board.find(12);
  EXPECT_EQ(n->title, "새 제목");
  EXPECT_EQ(n->body, "새 본문");
  EXPECT_EQ(n->date, "2001-05-17");
  EXPECT_EQ(n->views, 5);
  // The view that follows equals a visitor's view of page 2, except for counting.
  const std::string visitor = board.get("action=GongView2&page=2&nyno=12").out;
  EXPECT_EQ(r.out, visitor);
  EXPECT_EQ(board.find(12)->views, 6);  // only the visitor's view counted
}

TEST(Save, AnEditOfAMissingNumberStoresNothing) {
  Board board;
  board.add(1, "하나", "본문");
  const auto r = board.post("action=GongWrite_Ok2&job=Edit&nyno=9&title=x&bigo=y" + kPw);
  EXPECT_TRUE(has(r.out, "<td  bgcolor=\"#efefef\">&nbsp; </td>"));  // the view, empty
  ASSERT_EQ(board.all().size(), 1u);
  EXPECT_EQ(board.find(1)->title, "하나");
}

TEST(Save, AnotherJobStoresNothingAndWritesNothing) {
  Board board;
  for (const std::string job : {"", "new", "Editor", "NEW"}) {
    EXPECT_EQ(board.post("action=GongWrite_Ok2&job=" + job + "&nyno=1&title=x&bigo=y" + kPw).out, "");
  }
  EXPECT_TRUE(board.all().empty());
}

TEST(Editor, ShowsTheStoredNoticeAndAnotherJobGetsTheBareForm) {
  Board board;
  board.add(12, "A B", "줄 하나\r\n줄 둘   ");
  const std::string edit =
      board.post("action=GongWrite2&job=Edit&page=2&nyno=%20%2012" + kPw).out;
  EXPECT_TRUE(has(edit, "      <input type=HIDDEN name=\"nyno\"   value=  12> \r\n"));
  EXPECT_TRUE(has(edit, "name=title value=A&nbsp;B></TD></TR>"));
  EXPECT_TRUE(has(edit, "WRAP=soft >줄 하나\r\n줄 둘</TEXTAREA> \r\n"));
  // Any other job: no password test, no job or password line, empty values.
  const std::string other = board.post("action=GongWrite2&job=new&page=2&nyno=12").out;
  EXPECT_FALSE(has(other, "name=\"job\""));
  EXPECT_FALSE(has(other, "name=\"password\""));
  EXPECT_TRUE(has(other, "name=title value=></TD></TR>"));
  EXPECT_TRUE(has(other, "      <input type=HIDDEN name=\"page\"   value=2> \r\n"));
  // Where two notices share a number, the last of them is edited.
  board.add(12, "둘째 열둘", "");
  EXPECT_TRUE(has(board.post("action=GongWrite2&job=Edit&nyno=12" + kPw).out,
                  "value=둘째&nbsp;열둘>"));
}

TEST(Delete, HidesTheNoticeShowsTheListAndARepeatWritesNothing) {
  Board board;
  board.addRange(1, 23);
  const std::string request = "action=GongDelOk2&page=2&nyno=%20%20%2017&pwd=3081726";
  const auto r = board.post(request);
  EXPECT_FALSE(board.find(17).has_value());
  EXPECT_EQ(r.out, board.get("action=GongList2&page=2").out);
  EXPECT_FALSE(has(r.out, "공지 17"));
  EXPECT_TRUE(has(r.out, "공지 18"));
  EXPECT_EQ(board.post(request).out, "");  // already gone: nothing at all
  EXPECT_EQ(board.all().size(), 23u);      // the record stays, marked
}

// --- The administrator's walk through the real forms --------------------------

// The hidden fields of a form as a browser sends them: unquoted values run to
// the end of the tag, leading blanks skipped.
std::map<std::string, std::string> hiddenFields(const std::string& page) {
  std::map<std::string, std::string> fields;
  const std::string marker = "<input type=HIDDEN name=\"";
  for (std::size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
    const std::size_t nameStart = at + marker.size();
    const std::string name = page.substr(nameStart, page.find('"', nameStart) - nameStart);
    std::size_t v = page.find("value=", nameStart) + 6;
    std::string value = page.substr(v, page.find('>', v) - v);
    if (!value.empty() && value.front() == '"') value = value.substr(1, value.size() - 2);
    value.erase(0, value.find_first_not_of(' '));
    fields[name] = value;
  }
  return fields;
}

std::string formBody(const std::map<std::string, std::string>& fields) {
  std::string body;
  for (const auto& [name, value] : fields) body += (body.empty() ? "" : "&") + name + "=" + pct(value);
  return body;
}

TEST(Walk, AdministratorAddsEditsAndDeletesThroughTheForms) {
  Board board;
  board.addRange(1, 3);

  // New: list → write link → password page → editor → save → list shows it.
  std::string page = board.get("action=GongNew2&job=New").out;
  auto fields = hiddenFields(page);
  fields["password"] = "1827364";
  page = board.post(formBody(fields)).out;
  ASSERT_TRUE(has(page, "새로운 글쓰기"));
  fields = hiddenFields(page);
  fields["title"] = "새 공지";
  fields["bigo"] = "내용 첫 줄\r\n둘째 줄";
  page = board.post(formBody(fields)).out;
  EXPECT_TRUE(has(page, "nyno=   4\" >새 공지</A>"));

  // Edit: view → edit link → password → editor → save → view shows the change, uncounted.
  board.get("action=GongView2&page=1&nyno=4");
  page = board.get("action=GongEdit2&job=Edit&page=1&nyno=%20%20%204").out;
  fields = hiddenFields(page);
  fields["password"] = "3081726";
  page = board.post(formBody(fields)).out;
  ASSERT_TRUE(has(page, "게시물 고쳐쓰기"));
  fields = hiddenFields(page);
  fields["title"] = "고친 공지";
  fields["bigo"] = "고친 내용";
  page = board.post(formBody(fields)).out;
  EXPECT_TRUE(has(page, "&nbsp;고친 공지</td></tr>"));
  EXPECT_TRUE(has(page, "<tr><td>고친 내용 <br></td></tr> "));
  EXPECT_EQ(board.find(4)->views, 1);

  // Delete: delete link → confirm with password → list without it.
  page = board.get("action=GongDel2&page=1&nyno=%20%20%204").out;
  fields = hiddenFields(page);
  fields["pwd"] = "1827364";
  page = board.post(formBody(fields)).out;
  EXPECT_FALSE(has(page, "고친 공지"));
  EXPECT_TRUE(has(page, "<b>1/1&nbsp;page</b>"));
  EXPECT_FALSE(board.find(4).has_value());
}

TEST(Concurrency, EightSavesAtOnceGetEightNumbers) {
  Board board;
  std::vector<std::thread> savers;
  for (int i = 0; i < 8; ++i) {
    savers.emplace_back([&board, i] {
      board.post("action=GongWrite_Ok2&job=New&title=t" + std::to_string(i) + "&bigo=b" + kPw);
    });
  }
  for (auto& t : savers) t.join();
  std::set<long long> numbers;
  std::set<std::string> titles;
  for (const auto& n : board.all()) {
    numbers.insert(n.nyno);
    titles.insert(n.title);
  }
  EXPECT_EQ(numbers, (std::set<long long>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(titles.size(), 8u);
}

}  // namespace
}  // namespace tavrix
