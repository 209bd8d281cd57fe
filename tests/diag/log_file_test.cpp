// The diagnostic log: where it goes, how an old log is kept or replaced,
// where messages go when there is no log, and the error dump's lines. Every
// case runs in a fresh temporary folder with a made-up executable path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <regex>

#include "core/date.h"
#include "diag/log_file.h"
#include "support/temp_dir.h"

namespace tavrix {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    out.push_back(text.substr(start, end - start));
  if (start != text.size()) out.push_back("<unterminated>" + text.substr(start));
  return out;
}

// A temporary folder with bin/ (where the "executable" lives), logs/ (the
// web server's log folder) and a.b/ (a folder with a dot in its name).
class LogFileTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"/bin", "/logs", "/a.b"}) ::mkdir((dir.path() + d).c_str(), 0755);
    ::setenv("TAVRIX_LOG_DIR", (dir.path() + "/logs").c_str(), 1);
  }
  void TearDown() override { ::unsetenv("TAVRIX_LOG_DIR"); }

  std::string exe() const { return dir.path() + "/bin/Tavrix.exe"; }
  LogFile make(const Value& name = {}, const Value& server = {}, const Value& append = {}) {
    return LogFile(exe(), name, server, append);
  }

  TempDir dir;
};

struct NameCase {
  const char* what;
  // "@" stands for the temporary folder.
  Value name;
  Value server;
  const char* expected;
};

std::string expand(const std::string& pattern, const std::string& root) {
  std::string s = pattern;
  for (std::size_t at; (at = s.find('@')) != std::string::npos;) s.replace(at, 1, root);
  return s;
}

TEST_F(LogFileTest, DerivesTheLogNameAndCreatesTheLog) {
  const NameCase cases[] = {
      {"no name: the executable's", {}, {}, "@/bin/Tavrix.log"},
      {"an empty name counts as none", "", {}, "@/bin/Tavrix.log"},
      {"a name that is not a text counts as none", 5, {}, "@/bin/Tavrix.log"},
      {"trace.txt beside the executable", "trace.txt", {}, "@/bin/trace.log"},
      {"a name with a slash and no dot", "@/logs/x", {}, "@/logs/x.log"},
      {"a dot in a directory and none in the name", "@/a.b/c", {}, "@/a.log"},
      {"server folder, no name", {}, true, "@/logs/Tavrix.log"},
      {"server folder, trace.txt", "trace.txt", true, "@/logs/trace.log"},
      {"server folder, no dot after the last slash", "@/a.b/c", true, "@/logs/c.log"},
      {"a server flag that is not a logical counts as false", {}, "yes", "@/bin/Tavrix.log"},
  };
  for (const auto& c : cases) {
    const Value name = c.name.isText() ? Value(expand(c.name.text(), dir.path())) : c.name;
    LogFile log = make(name, c.server);
    const std::string expected = expand(c.expected, dir.path());
    EXPECT_EQ(log.fName(), expected) << c.what;
    EXPECT_EQ(log.serverPath(), dir.path() + "/bin/") << c.what;
    EXPECT_TRUE(log.log2File()) << c.what;
    EXPECT_TRUE(log.append()) << c.what;
    EXPECT_EQ(log.backupName(), "") << c.what;
    EXPECT_TRUE(exists(expected)) << c.what;
    std::remove(expected.c_str());
  }
}

TEST_F(LogFileTest, AnExistingLogIsKeptAndAppendedToByDefault) {
  const std::string path = dir.file("bin/x.log");
  writeFile(path, "old\r\n");
  for (const Value& append : {Value(), Value(true), Value("no")}) {
    LogFile log = make("x.txt", {}, append);
    EXPECT_TRUE(log.append());
    EXPECT_TRUE(log.log2File());
  }
  make("x.txt").debugMsg("new").debugMsg("");
  EXPECT_EQ(readFile(path), "old\r\nnew\r\n\r\n");
  EXPECT_FALSE(exists(dir.file("bin/x.bak")));
}

TEST_F(LogFileTest, WithoutAppendTheOldLogIsBackedUpAndReplaced) {
  const std::string path = dir.file("bin/x.log");
  writeFile(path, "old\r\n");
  writeFile(dir.file("bin/x.bak"), "an older backup that is replaced");
  LogFile log = make("x", {}, false);
  EXPECT_FALSE(log.append());
  EXPECT_TRUE(log.log2File());
  EXPECT_EQ(log.backupName(), dir.file("bin/x.bak"));
  EXPECT_EQ(readFile(dir.file("bin/x.bak")), "old\r\n");
  EXPECT_EQ(readFile(path), "");
  log.debugMsg("fresh");
  EXPECT_EQ(readFile(path), "fresh\r\n");
}

TEST_F(LogFileTest, WithoutALogDebugMessagesGoToStandardErrorAndNothingToDisk) {
  const std::string missingFolder = dir.file("nowhere/trace.txt");
  LogFile log = make(missingFolder);
  EXPECT_FALSE(log.log2File());
  testing::internal::CaptureStderr();
  log.debugMsg("hello");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "hello\n");
  EXPECT_FALSE(exists(dir.file("nowhere")));
}

TEST_F(LogFileTest, ALogThatVanishedDropsMessagesAndIsNotRecreated) {
  LogFile log = make("gone.txt");
  ASSERT_TRUE(log.log2File());
  std::remove(log.fName().c_str());
  testing::internal::CaptureStderr();
  log.debugMsg("lost");
  Error e;
  log.dumpError(e);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(exists(log.fName()));
}

TEST_F(LogFileTest, AssignmentsTakeOnlyValuesOfTheirKind) {
  LogFile log = make();
  const std::string original = log.fName();
  EXPECT_EQ(log.fName(Value(3)), original);
  EXPECT_EQ(log.fName("other.log"), "other.log");
  EXPECT_EQ(log.backupName(Value(true)), "");
  EXPECT_EQ(log.backupName("b.bak"), "b.bak");
  EXPECT_TRUE(log.append("false"));
  EXPECT_FALSE(log.append(false));
  EXPECT_TRUE(log.log2File(Value(0)));
  EXPECT_FALSE(log.log2File(false));
}

Error sampleError(std::uint32_t subCode) {
  Error e = makeError("DBSERVER", GenCode::Open, "open", "cannot open <Gong.dbf>", "Gong.dbf", 2);
  e.subCode = subCode;
  e.argType = 4;
  e.argTypeReq = 2;
  e.substituteType = 1;
  e.funcPtr = Pointer{0x1234AB};
  e.funcSym = Symbol{"GO"};
  e.callFuncSym = Symbol{"GONGDBOPEN"};
  e.argNum = 3;
  e.tries = 1;
  e.fileHandle = 7;
  e.maxSize = 120;
  e.canRetry = true;
  e.subCodeText = "open failed";
  e.arg = "x";
  return e;
}

TEST_F(LogFileTest, DumpErrorWritesThirtyLinesWithExceptionLabelsOnlyFor5333) {
  struct Case {
    std::uint32_t subCode;
    std::vector<std::string> lines10to14;
  };
  const Case cases[] = {
      {1001,
       {"OsCode          :2", "ArgType         :String", "FuncPtr         :0x00000000001234AB",
        "ArgNum          :3", "FuncSym         :GO"}},
      {5333,
       {"ExceptionCode   :00000002", "ExceptionFlags  :00000004",
        "ExceptionAddress:001234AB", "ParamNumber     :3", "ExceptionInfo   :47 4F "}},
  };
  for (const auto& c : cases) {
    LogFile log = make("dump" + std::to_string(c.subCode));
    // The dump goes to the file whatever log2File says.
    log.log2File(false);
    log.dumpError(sampleError(c.subCode));
    const auto got = splitCrLf(readFile(log.fName()));
    std::vector<std::string> want = {
        "***********************ERROR********************************",
        "<version>",
        "<date time>",
        " ",
        "Error Object created:",
        "--------------------",
        "SubSystem       :DBSERVER",
        "SubCode         :" + std::to_string(c.subCode),
        "GenCode         :Open error"};
    want.insert(want.end(), c.lines10to14.begin(), c.lines10to14.end());
    for (const char* l :
         {"Severity        :2", "CanDefault      :FALSE", "CanRetry        :TRUE",
          "CanSubstitute   :FALSE", "Operation       :open",
          "Description     :cannot open <Gong.dbf>", "FileName        :Gong.dbf",
          "Tries           :1", "FileHandle      :7", "SubCodeText     :open failed",
          "Arg             :x", "ArgTypeReq      :Number", "MaxSize         :120",
          "SubstituteType  :Logical", "CallFuncSym     :GONGDBOPEN", "--------------------"})
      want.push_back(l);
    ASSERT_EQ(want.size(), 30u);
    ASSERT_EQ(got.size(), 30u) << c.subCode;
    EXPECT_EQ(got[0].size(), 60u);
    EXPECT_FALSE(got[1].empty());
    EXPECT_TRUE(std::regex_match(got[2], std::regex(formatDate(today()) + " \\d\\d:\\d\\d:\\d\\d")))
        << got[2];
    for (std::size_t i = 0; i < want.size(); ++i) {
      if (i == 1 || i == 2) continue;
      EXPECT_EQ(got[i], want[i]) << "subcode " << c.subCode << " line " << i + 1;
    }
  }
}

TEST(ErrorThrow, HandsTheErrorItselfToTheHandler) {
  Error e = sampleError(5333);
  try {
    e.throwError();
  } catch (const Error& caught) {
    EXPECT_EQ(caught.subCode, 5333u);
    EXPECT_EQ(caught.description, "cannot open <Gong.dbf>");
    EXPECT_EQ(caught.callFuncSym.name, "GONGDBOPEN");
    return;
  }
  FAIL() << "not thrown";
}

TEST(LogFileHost, TheExecutablePathIsThisProgram) {
  const std::string path = LogFile::executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_EQ(path.substr(path.rfind('/') + 1), program_invocation_short_name);
}

}  // namespace
}  // namespace tavrix
