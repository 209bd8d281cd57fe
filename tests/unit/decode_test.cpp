// Request decoding: splitting, unescaping, lookups and reading the body.
#include <gtest/gtest.h>

#include <deque>

#include "frontend/decode.h"

namespace tavrix {
namespace {

struct SplitCase {
  const char* raw;
  ParamList expected;
};

TEST(SplitParams, DecodesPiecesInOrder) {
  const SplitCase cases[] = {
      SplitCase{"a=1&b=2", {{"a", "1"}, {"b", "2"}}},
      SplitCase{"a", {{"a", ""}}},
      SplitCase{"a=", {{"a", ""}}},
      SplitCase{"=x", {{"", "x"}}},
      SplitCase{"a=1=2", {{"a", "1=2"}}},
      SplitCase{"a+b=c+d", {{"a b", "c d"}}},
      SplitCase{"v=50%25", {{"v", "50%"}}},
      SplitCase{"v=%2B", {{"v", "+"}}},
      SplitCase{"v=%B0%F8", {{"v", "\xB0\xF8"}}},
      SplitCase{"v=ab%00cd", {{"v", "ab"}}},
      SplitCase{"v=ab%zzcd", {{"v", "ab"}}},
      SplitCase{"v=%4G", {{"v", "\x40"}}},
      SplitCase{"v=%G1x", {{"v", "\x01x"}}},
      SplitCase{"v=ab%4", {{"v", "ab%4"}}},   // a trailing escape stays inside the text
      SplitCase{"v=ab%", {{"v", "ab%"}}},
      SplitCase{"n%41me=%41", {{"nAme", "A"}}},
      SplitCase{"action=GongList1&action=GongView1",
                  {{"action", "GongList1"}, {"action", "GongView1"}}},
      SplitCase{"", {}},                   // empty pieces yield nothing
      SplitCase{"&&a=1&", {{"a", "1"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitParams(c.raw), c.expected) << c.raw;
}

TEST(GetParam, IgnoresAsciiCaseAndTakesTheFirstMatch) {
  const ParamList params = {{"PAGE", "3"}, {"action", "GongList1"}, {"Action", "GongView1"},
                            {"\xB0\xF8", "x"}};
  EXPECT_EQ(getParam(params, "page"), "3");
  EXPECT_EQ(getParam(params, "PaGe"), "3");
  EXPECT_EQ(getParam(params, "ACTION"), "GongList1");
  EXPECT_EQ(getParam(params, "pag"), "");       // lengths must be equal
  EXPECT_EQ(getParam(params, "page "), "");     // no trimming
  EXPECT_EQ(getParam(params, "nyno"), "");      // absent gives the empty text
  EXPECT_EQ(getParam(params, "\xB0\xF8"), "x");  // other bytes compare exactly
  EXPECT_EQ(getParam(params, "\x90\xF8"), "");
}

TEST(ToDigit, MapsHexDigitsAndNothingElse) {
  const std::pair<char, int> cases[] = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10},
                                        {'f', 15}, {'G', 0}, {'g', 0}, {'%', 0}, {' ', 0}};
  for (auto [c, v] : cases) EXPECT_EQ(toDigit(c), v) << c;
}

TEST(MyADel, RemovesOneElementAndShifts) {
  Array a = {Value("x"), Value("y"), Value("z")};
  EXPECT_EQ(&myADel(a, 2), &a);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].text(), "x");
  EXPECT_EQ(a[1].text(), "z");
  EXPECT_THROW(myADel(a, 3), std::exception);
  EXPECT_THROW(myADel(a, 0), std::exception);
}

// An Input that hands out its bytes in fixed pieces and can report "nothing
// ready" as a quiet, never-closed standard input would.
class PieceInput : public Input {
 public:
  PieceInput(std::deque<std::string> pieces) : pieces_(std::move(pieces)) {}
  std::size_t read(char* buffer, std::size_t n) override {
    ++reads;
    if (pieces_.empty()) return 0;
    std::string& p = pieces_.front();
    std::size_t k = std::min(n, p.size());
    p.copy(buffer, k);
    p.erase(0, k);
    if (p.empty()) pieces_.pop_front();
    return k;
  }
  std::size_t readIfReady(char* buffer, std::size_t n) override { return read(buffer, n); }
  int reads = 0;

 private:
  std::deque<std::string> pieces_;
};

EnvList envWith(std::string method, std::string length, std::string query = "q=1") {
  EnvList env = {{"REQUEST_METHOD", method}, {"QUERY_STRING", query}};
  if (!length.empty()) env.emplace_back("CONTENT_LENGTH", length);
  return env;
}

TEST(RawRequestText, GetTakesTheQueryStringAndReadsNothing) {
  PieceInput in({"body=1"});
  EXPECT_EQ(rawRequestText(envWith("GET", "6"), in), "q=1");
  EXPECT_EQ(in.reads, 0);
}

TEST(RawRequestText, OtherMethodsReadTheBodyOnly) {
  for (const char* method : {"POST", "get", "", "PUT"}) {
    PieceInput in({"a=1&", "b=2"});
    EXPECT_EQ(rawRequestText(envWith(method, "7"), in), "a=1&b=2") << method;
  }
}

TEST(RawRequestText, ReadsExactlyTheAnnouncedLengthOverShortReads) {
  PieceInput in({"ab", "c", "defXYZ"});
  EXPECT_EQ(rawRequestText(envWith("POST", "6"), in), "abcdef");
}

TEST(RawRequestText, ABodyThatStopsEarlyYieldsOnlyWhatArrived) {
  PieceInput in({"a=1"});
  EXPECT_EQ(rawRequestText(envWith("POST", "100"), in), "a=1");
}

TEST(RawRequestText, MissingZeroNegativeOrBadLengthReadsToTheEnd) {
  for (const char* length : {"", "0", "-5", "abc"}) {
    PieceInput in({"a=1", "&b=2"});
    EXPECT_EQ(rawRequestText(envWith("POST", length), in), "a=1&b=2") << length;
  }
}

TEST(RawRequestText, RefusesABodyOverTheLimit) {
  PieceInput in({"a=1"});
  EXPECT_THROW(rawRequestText(envWith("POST", std::to_string(kMaxBodyBytes + 1)), in),
               std::exception);
  EXPECT_EQ(in.reads, 0);
  PieceInput exact({"a=1"});
  EXPECT_NO_THROW(rawRequestText(envWith("POST", std::to_string(kMaxBodyBytes)), exact));
}

TEST(FillEnv, CapturesAll26VariablesInOrder) {
  std::string method = "REQUEST_METHOD=POST", url = "URL=/x", decoy = "URLX=1";
  char* envp[] = {decoy.data(), method.data(), url.data(), nullptr};
  EnvList env = fillEnv(Environment(envp));
  ASSERT_EQ(env.size(), 26u);
  EXPECT_EQ(env.front().first, "HTTP_HOST");
  EXPECT_EQ(env[17], (std::pair<std::string, std::string>{"REQUEST_METHOD", "POST"}));
  EXPECT_EQ(env.back(), (std::pair<std::string, std::string>{"URL", "/x"}));
  EXPECT_EQ(getEnv(env, "query_string"), "");
}

}  // namespace
}  // namespace tavrix
