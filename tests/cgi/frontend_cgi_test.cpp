// The built program run as a web server runs it: which requests get no
// answer, the unknown-action page, how the request is read.
#include <gtest/gtest.h>

#include "support/cgi_runner.h"

namespace tavrix {
namespace {

using test::cgiGet;
using test::cgiPost;
using test::RunOptions;
using test::runProgram;
using test::tavrixExe;

std::string unknownActionPage(const std::string& echoed) {
  return "Content-type: text/html\r\n\r\n<HTML>\r\n"
         "<HEAD>\r\n"
         "<TITLE>ACTION 확인 </TITLE>\r\n"
         "</HEAD>\r\n"
         "<BODY bgcolor=\"#FFFFFF\">\r\n"
         "<p align=\"center\">시작 ACTION 확인</p>\r\n"
         "<p align=\"center\">" + echoed + "</p>\r\n"
         "</BODY>\r\n</HTML>\r\n \r\n";
}

TEST(Dispatch, RequestsWithoutAGongActionGetNoBytesAtAll) {
  for (const char* query : {"", "page=1", "action=", "action=gonglist1", "action=Gon",
                            "action=List", "action=gONGXYZ", "x=GongXYZ"}) {
    auto r = cgiGet(query);
    EXPECT_EQ(r.out, "") << query;
    EXPECT_EQ(r.exitCode, 0) << query;
  }
}

TEST(Dispatch, AnUnknownGongActionGetsTheEchoPage) {
  struct Case {
    const char* query;
    std::string echoed;
  } cases[] = {
      {"action=GongXYZ", "GongXYZ"},
      {"action=GongList1+", "GongList1&#32;"},       // no exact match: echoed, blank escaped
      {"ACTION=GongXYZ", "GongXYZ"},                 // the name is found regardless of case
      {"action=Gong%3Cb%3E", "Gong&#60;b&#62;"},     // markup from the request is escaped
      {"action=GongA&action=GongB", "GongA"},        // the first one decides
      {"action=Gong%B0%F8", "Gong\xB0\xF8"},         // EUC-KR bytes pass through
  };
  for (const auto& c : cases) {
    auto r = cgiGet(c.query);
    EXPECT_EQ(r.out, unknownActionPage(c.echoed)) << c.query;
  }
}

TEST(Dispatch, TheEchoPageIsInEucKr) {
  auto r = cgiGet("action=GongXYZ");
  EXPECT_NE(r.out.find("<TITLE>ACTION \xC8\xAE\xC0\xCE </TITLE>"), std::string::npos);
}

RunOptions post(const std::string& method, const std::string& query) {
  RunOptions o;
  o.env = {{"REQUEST_METHOD", method}, {"QUERY_STRING", query}};
  return o;
}

TEST(RequestBody, APostReadsOnlyTheBody) {
  auto o = post("POST", "action=GongFromQuery");
  o.stdinBytes = "action=GongFromBody";
  o.env["CONTENT_LENGTH"] = "19";
  EXPECT_EQ(runProgram(tavrixExe(), o).out, unknownActionPage("GongFromBody"));
}

TEST(RequestBody, LowerCaseGetIsTreatedAsAPost) {
  auto o = post("get", "action=GongFromQuery");
  o.stdinBytes = "action=GongFromBody";
  o.env["CONTENT_LENGTH"] = "19";
  EXPECT_EQ(runProgram(tavrixExe(), o).out, unknownActionPage("GongFromBody"));
}

TEST(RequestBody, WithoutALengthTheBodyIsReadToItsEnd) {
  auto o = post("POST", "");
  o.stdinBytes = "action=GongNoLength";
  EXPECT_EQ(runProgram(tavrixExe(), o).out, unknownActionPage("GongNoLength"));
}

TEST(RequestBody, WithoutALengthAnEmptyOrClosedInputDoesNotHoldTheRequest) {
  for (bool keepOpen : {false, true}) {
    auto o = post("POST", "action=GongXYZ");
    o.keepStdinOpen = keepOpen;
    o.timeoutMs = 5000;
    auto r = runProgram(tavrixExe(), o);
    EXPECT_FALSE(r.timedOut) << "stdin kept open: " << keepOpen;
    EXPECT_EQ(r.out, "") << keepOpen;  // no body, so no action
  }
}

TEST(RequestBody, ABodyShorterThanItsLengthGivesNoGarbage) {
  auto o = post("POST", "");
  o.stdinBytes = "action=GongShort";
  o.env["CONTENT_LENGTH"] = "4096";
  auto r = runProgram(tavrixExe(), o);
  EXPECT_EQ(r.out, unknownActionPage("GongShort"));
}

TEST(RequestBody, AnOverLargeLengthGetsTheErrorReportAndNothingElse) {
  auto o = post("POST", "");
  o.stdinBytes = "action=GongXYZ";
  o.env["CONTENT_LENGTH"] = "999999999999";
  auto r = runProgram(tavrixExe(), o);
  ASSERT_EQ(r.out.rfind("<p>An Error occured!</p>\n<p>--------------------</p>\n", 0), 0u)
      << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 26);
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_EQ(r.out.find("Content-type"), std::string::npos);
  EXPECT_NE(r.out.find("<p>GenCode         :Limit exceeded</p>\n"), std::string::npos);
  EXPECT_NE(r.exitCode, 0);
}

}  // namespace
}  // namespace tavrix
