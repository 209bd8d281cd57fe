// The persistent FastCGI mode: one worker serves a whole sequence of
// requests, and every response is byte-identical to the one a fresh CGI
// process gives for the same request on a twin board. Since every CGI process
// starts clean, this shows that nothing of one request — parameters, an
// error, a refusal, a half-built page, an open table — reaches the next.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/board.h"
#include "support/fcgi_client.h"

namespace tavrix {
namespace {

using Env = std::map<std::string, std::string>;

struct Step {
  std::string name;
  Env env;
  std::string body;
  std::function<void(const std::string& dir)> before;  // on both boards, before the request
};

Env get(const std::string& query) { return {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}}; }
Env post(const std::string& body) {
  return {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", std::to_string(body.size())}};
}
Step getStep(const std::string& query) { return {query, get(query), "", nullptr}; }
Step postStep(const std::string& body) { return {body, post(body), body, nullptr}; }

void fill(test::Board& board) {
  board.addRange(1, 23);
  board.add(24, "<b>굵은</b> 제목", "첫 줄\r\n둘째 줄");
  board.remove(20);
}

void replay(const std::vector<Step>& steps) {
  test::Board cgiBoard, fcgiBoard;
  fill(cgiBoard);
  fill(fcgiBoard);
  test::FcgiWorker worker(fcgiBoard.dir());
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.before) {
      step.before(cgiBoard.dir());
      step.before(fcgiBoard.dir());
    }
    test::RunOptions o;
    o.env = step.env;
    o.cwd = cgiBoard.dir();
    if (!step.body.empty()) o.stdinBytes = step.body;
    const test::RunResult cgi = test::runProgram(test::tavrixExe(), o);
    const test::FcgiResponse fcgi = worker.request(step.env, step.body);
    EXPECT_TRUE(fcgi.ended);
    EXPECT_EQ(fcgi.out, cgi.out);
  }
  EXPECT_TRUE(worker.alive());
  // And the tables were changed alike.
  const auto a = cgiBoard.all(), b = fcgiBoard.all();
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].nyno, b[i].nyno);
    EXPECT_EQ(a[i].title, b[i].title);
    EXPECT_EQ(a[i].views, b[i].views);
    EXPECT_EQ(a[i].deleted, b[i].deleted);
  }
}

TEST(FastCgi, RequestDecodingAndDispatchMatchCgi) {
  Step fromBody = {"POST reads only the body", post("action=GongFromBody"), "action=GongFromBody", nullptr};
  fromBody.env["QUERY_STRING"] = "action=GongFromQuery";
  Step lowerGet = fromBody;
  lowerGet.name = "lower-case get is a POST";
  lowerGet.env["REQUEST_METHOD"] = "get";
  Step noLength = {"no length", {{"REQUEST_METHOD", "POST"}}, "action=GongNoLength", nullptr};
  Step shortBody = {"short body", post("action=GongShort"), "action=GongShort", nullptr};
  shortBody.env["CONTENT_LENGTH"] = "4096";
  Step tooLarge = {"over-large length", post("x"), "action=GongXYZ", nullptr};
  tooLarge.env["CONTENT_LENGTH"] = "999999999999";
  replay({getStep(""), getStep("action=gonglist1"), getStep("action=Gon"), getStep("action=GongXYZ"),
          getStep("action=GongList1+"), getStep("ACTION=GongList1"), getStep("action=Gong%3Cb%3E"),
          getStep("action=GongA&action=GongB"), fromBody, lowerGet, noLength, shortBody, tooLarge,
          getStep("action=GongXYZ")});
}

TEST(FastCgi, ABoardSessionMatchesCgiStepByStep) {
  const std::string pw = "&password=1827364";
  Step tableGone = getStep("action=GongList2 (table missing)");
  tableGone.env = get("action=GongList2");
  tableGone.before = [](const std::string& dir) {
    std::rename((dir + "/Gong.dbf").c_str(), (dir + "/Gong.dbf.away").c_str());
  };
  Step tableBack = getStep("action=GongList2 (table back)");
  tableBack.env = get("action=GongList2");
  tableBack.before = [](const std::string& dir) {
    std::rename((dir + "/Gong.dbf.away").c_str(), (dir + "/Gong.dbf").c_str());
  };
  replay({
      getStep("action=GongList2&page=99"), getStep("action=GongList2"),  // no page carried over
      getStep("action=GongList2&page=2"), getStep("action=GongList2&page=x"),
      getStep("action=GongList1"), getStep("action=GongView2&page=2&nyno=12"),
      getStep("action=GongView2&page=2&nyno=P%20%2019"), getStep("action=GongView2&nyno=N%20%2021"),
      getStep("action=GongView1&nyno=%20%20%207"), getStep("action=GongView2&nyno=20"),
      getStep("action=GongNew2&job=New"), getStep("action=GongEdit2&job=Edit&page=2&nyno=5"),
      getStep("action=GongDel2&page=2&nyno=5"),
      postStep("action=GongWrite2&job=New&password=0000000"),     // a refusal
      postStep("action=GongWrite2&job=New&page=&nyno="),          // no password carried over
      postStep("action=GongWrite2&job=New" + pw),
      postStep("action=GongWrite2&job=Edit&page=2&nyno=%20%2024" + pw),
      postStep("action=GongWrite_Ok2&job=New&page=&nyno=&title=%C6%F2%B9%FC&bigo=b" + pw),
      postStep("action=GongWrite_Ok2&job=Edit&page=2&nyno=5&title=edited&bigo=c" + pw),
      postStep("action=GongDelOk2&page=2&nyno=7&pwd=3081726"),
      postStep("action=GongDelOk2&page=2&nyno=7&pwd=3081726"),    // already gone: nothing
      tableGone, tableBack, getStep("action=GongView2&nyno=5"),
  });
}

TEST(FastCgi, AWorkerServesManyRequestsWithoutGrowing) {
  test::Board board;
  board.addRange(1, 30);
  test::FcgiWorker worker(board.dir());
  const std::string first = worker.request(get("action=GongList2&page=2")).out;
  for (int i = 0; i < 300; ++i) {
    worker.request(get("action=GongView2&nyno=" + std::to_string(i % 30 + 1)));
  }
  EXPECT_EQ(board.find(1)->views, 10);
  // Open files do not pile up: after a request the worker holds no file of
  // the table (its sockets come and go with the server's connections).
  auto fds = [&] {
    int files = 0;
    const std::string dir = "/proc/" + std::to_string(worker.pid()) + "/fd/";
    for (int fd = 0; fd < 1024; ++fd) {
      char target[4096];
      const ssize_t n = readlink((dir + std::to_string(fd)).c_str(), target, sizeof target - 1);
      if (n <= 0) continue;
      target[n] = '\0';
      files += std::string(target).find(board.dir()) == 0;
    }
    return files;
  };
  // (The worker runs in the board's folder, so its files would show up under it.)
  char cwd[4096];
  const ssize_t cwdLength =
      readlink(("/proc/" + std::to_string(worker.pid()) + "/cwd").c_str(), cwd, sizeof cwd);
  ASSERT_GT(cwdLength, 0);
  EXPECT_EQ(std::string(cwd, static_cast<std::size_t>(cwdLength)), board.dir());
  const int before = fds();
  for (int i = 0; i < 50; ++i) worker.request(get("action=GongList2"));
  EXPECT_EQ(before, 0);
  EXPECT_EQ(fds(), 0);
  EXPECT_NE(worker.request(get("action=GongList2&page=2")).out, first);  // counters moved on
}

}  // namespace
}  // namespace tavrix
