// The table tool's subcommands, run as the operator runs them: main paths,
// refusals, and repairs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <regex>
#include <set>
#include <thread>

#include "core/date.h"
#include "core/text.h"
#include "gongdb/gongdb_support.h"
#include "store/db_server.h"
#include "store/gong_table.h"
#include "support/temp_dir.h"

namespace tavrix::test {
namespace {

using ::testing::HasSubstr;

const std::vector<std::string> kTableFiles = {"Gong.dbf", "Gong.dbt", "Gong1.ndx", "Gong2.ndx", "Gong3.ndx"};

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

long long fileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// A failure as the tool must report it: non-zero status, one line on stderr.
void expectOneLineFailure(const RunResult& r, const std::string& context) {
  EXPECT_NE(r.exitCode, 0) << context;
  EXPECT_EQ(lineCount(r.err), 1) << context << ": " << r.err;
  EXPECT_TRUE(!r.err.empty() && r.err.back() == '\n') << context;
}

void run(const std::string& dir, const std::vector<std::string>& args,
         const std::map<std::string, std::string>& env = {}) {
  const RunResult r = gongdb(dir, args, env);
  ASSERT_EQ(r.exitCode, 0) << "gongdb " << args[0] << ": " << r.err;
}

std::string exportOf(const std::string& dir, const std::string& format = "jsonl") {
  const RunResult r = gongdb(dir, {"export", "--format", format});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.out;
}

struct Table {
  TempDir dir;
  Table() { run(dir.path(), {"create"}); }
  const std::string& path() const { return dir.path(); }
  void import(const std::string& content, const std::string& name = "in.jsonl") {
    writeFile(dir.file(name), content);
    run(path(), {"import", dir.file(name)});
  }
  void remove(long nyno) {
    DbServer db = gongDbOpen(path());
    ASSERT_TRUE(db.seek(Value(nyno)));
    db.deleteRecord();
    db.close();
  }
};

std::string today() { return formatDate(tavrix::today(), DateFormat{DateOrder::MonthDayYear, '/'}); }

// Notice texts that stress both exchange formats: quotes, commas, a
// backslash, a tab and CR LF line breaks in Korean text.
const std::string kTitle7 = utf8(u8"가을 운동회 \"청팀\", 백팀");
const std::string kBody7 = utf8(u8"첫째 줄\r\n둘째 줄, 쉼표\r\n\"따옴표\" \\ 역슬래시\t탭");

const std::string kSourceJsonl =
    utf8(u8"{\"nyno\":7,\"nydate\":\"2001-05-17\",\"title\":\"가을 운동회 \\\"청팀\\\", 백팀\","
         u8"\"bigo\":\"첫째 줄\\r\\n둘째 줄, 쉼표\\r\\n\\\"따옴표\\\" \\\\ 역슬래시\\t탭\",\"qty\":42}\n"
         u8"{\"title\":\"새 공지\",\"bigo\":\"한 줄\"}\n"
         u8"\n"
         u8"{ \"nyno\" : 3, \"nydate\" : \"1999-12-31\", \"title\" : \"\\uC11C\\uBC84 점검\", \"bigo\" : \"\", \"qty\" : 0 }\n");

// Columns in another order; a row ended by CR LF; unquoted and empty fields.
const std::string kSourceCsv =
    "title,nyno,qty,nydate,bigo\r\n" + utf8(u8"\"가을 운동회 \"\"청팀\"\", 백팀\",7,42,2001-05-17,") +
    utf8(u8"\"첫째 줄\r\n둘째 줄, 쉼표\r\n\"\"따옴표\"\" \\ 역슬래시\t탭\"\n") + utf8(u8"새 공지,,,,한 줄\n") +
    utf8(u8"\"서버 점검\",3,0,\"1999-12-31\",\n");

std::string expectedJsonl() {
  return utf8(u8"{\"nyno\":3,\"nydate\":\"1999-12-31\",\"title\":\"서버 점검\",\"bigo\":\"\",\"qty\":0}\n"
              u8"{\"nyno\":7,\"nydate\":\"2001-05-17\",\"title\":\"가을 운동회 \\\"청팀\\\", 백팀\","
              u8"\"bigo\":\"첫째 줄\\r\\n둘째 줄, 쉼표\\r\\n\\\"따옴표\\\" \\\\ 역슬래시\\t탭\",\"qty\":42}\n"
              u8"{\"nyno\":8,\"nydate\":\"") +
         today() + utf8(u8"\",\"title\":\"새 공지\",\"bigo\":\"한 줄\",\"qty\":0}\n");
}

std::string expectedCsv() {
  return "nyno,nydate,title,bigo,qty\n" + utf8(u8"3,\"1999-12-31\",\"서버 점검\",\"\",0\n") +
         utf8(u8"7,\"2001-05-17\",\"가을 운동회 \"\"청팀\"\", 백팀\",") +
         utf8(u8"\"첫째 줄\r\n둘째 줄, 쉼표\r\n\"\"따옴표\"\" \\ 역슬래시\t탭\",42\n") + "8,\"" + today() +
         utf8(u8"\",\"새 공지\",\"한 줄\",0\n");
}

TEST(Gongdb, HelpListsEverySubcommandAndEachExplainsItself) {
  const std::vector<std::string> commands = {"create", "check", "reindex", "import", "export", "seed", "pack", "list"};
  const RunResult top = gongdb("", {"--help"});
  EXPECT_EQ(top.exitCode, 0);
  for (const auto& c : commands) {
    EXPECT_THAT(top.out, HasSubstr("  " + c + " ")) << c;
    const RunResult r = gongdb("", {c, "--help"});
    EXPECT_EQ(r.exitCode, 0) << c;
    EXPECT_THAT(r.out, HasSubstr("usage: gongdb " + c)) << c;
    EXPECT_THAT(r.out, HasSubstr("--dir D")) << c;
  }
}

TEST(Gongdb, BadCommandLinesAreRefusedInOneLine) {
  Table t;
  const std::vector<std::vector<std::string>> cases = {
      {"frobnicate"}, {"seed"}, {"seed", "many"}, {"seed", "-3"}, {"list", "--bogus"}, {"list", "--limit", "x"},
      {"import"},     {"import", "a", "b"},       {"export", "--format", "xml"},     {"export", "--format"},
  };
  for (const auto& args : cases) {
    const RunResult r = gongdb(t.path(), args);
    expectOneLineFailure(r, args[0] + (args.size() > 1 ? " " + args[1] : ""));
  }
  EXPECT_EQ(exportOf(t.path()), "");
}

TEST(Gongdb, EveryCommandFailsInOneLineWithoutATable) {
  TempDir empty;
  writeFile(empty.file("in.jsonl"), "{\"title\":\"a\"}\n");
  const std::vector<std::vector<std::string>> cases = {
      {"check"}, {"reindex"}, {"export"}, {"list"}, {"seed", "1"}, {"pack"}, {"import", empty.file("in.jsonl")}};
  for (const auto& args : cases) {
    const RunResult r = gongdb(empty.path(), args);
    expectOneLineFailure(r, args[0]);
    EXPECT_THAT(r.err, HasSubstr("Gong")) << args[0] << " names the file it missed";
  }
  EXPECT_FALSE(exists(empty.file("Gong.dbf")));
}

TEST(Gongdb, CreateMakesACleanEmptyTableAndRefusesToOverwrite) {
  Table t;
  for (const auto& f : kTableFiles) EXPECT_TRUE(exists(t.dir.file(f))) << f;
  EXPECT_EQ(gongdb(t.path(), {"check"}).exitCode, 0);
  t.import(kSourceJsonl);
  const std::string before = readFile(t.dir.file("Gong.dbf"));

  const RunResult again = gongdb(t.path(), {"create"});
  expectOneLineFailure(again, "create over a table");
  EXPECT_THAT(again.err, HasSubstr("exists"));
  EXPECT_EQ(readFile(t.dir.file("Gong.dbf")), before);
  EXPECT_EQ(exportOf(t.path()), expectedJsonl());

  // One leftover index is enough to refuse, and nothing else is made.
  TempDir partial;
  writeFile(partial.file("Gong2.ndx"), "x");
  expectOneLineFailure(gongdb(partial.path(), {"create"}), "create beside Gong2.ndx");
  EXPECT_FALSE(exists(partial.file("Gong.dbf")));
  EXPECT_EQ(readFile(partial.file("Gong2.ndx")), "x");
}

// Byte positions in our own Gong.dbf: header 32 + 5 * 32 + 1 bytes, records of
// 1 + NYNO 10 + NYDATE 10 + TITLE 120 + BIGO 10 + QTY 10 bytes.
constexpr long kHeader = 193, kRecord = 161, kTitleAt = 21, kBigoAt = 141;

void patch(const std::string& path, long offset, const std::string& bytes) {
  std::string content = readFile(path);
  content.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
  writeFile(path, content);
}

TEST(Gongdb, CheckReportsEveryProblemAndReindexRepairsTheIndexes) {
  struct Damage {
    const char* what;
    std::string file;
    long offset;
    std::string bytes;
    std::string reported;  // in check's report
    bool reindexRepairs;
  };
  const std::vector<Damage> cases = {
      {"an index block overwritten", "Gong1.ndx", 512, std::string(16, '\x7f'), "Gong1.ndx", true},
      {"an index's root beyond the file", "Gong2.ndx", 0, std::string("\xff\xff\x00\x00", 4), "Gong2.ndx", true},
      {"a title changed behind the index", "Gong.dbf", kHeader + kTitleAt, "X", "Gong3.ndx", true},
      {"a memo pointer beyond the memo file", "Gong.dbf", kHeader + kRecord + kBigoAt, "     99999",
       "memo block 99999", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Table t;
    run(t.path(), {"seed", "40"});
    patch(t.dir.file(c.file), c.offset, c.bytes);
    const RunResult check = gongdb(t.path(), {"check"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_THAT(check.out, HasSubstr(c.reported));
    EXPECT_THAT(check.err, HasSubstr("problem"));
    run(t.path(), {"reindex"});
    const RunResult after = gongdb(t.path(), {"check"});
    EXPECT_EQ(after.exitCode == 0, c.reindexRepairs) << after.out;
    if (c.reindexRepairs) {
      EXPECT_THAT(gongdb(t.path(), {"list", "--limit", "1"}).out, HasSubstr("    40  "));
    }
  }

  // All at once: every problem is reported, not just the first.
  Table t;
  run(t.path(), {"seed", "40"});
  for (const auto& c : cases) patch(t.dir.file(c.file), c.offset, c.bytes);
  const RunResult check = gongdb(t.path(), {"check"});
  EXPECT_EQ(check.exitCode, 1);
  for (const auto& c : cases) EXPECT_THAT(check.out, HasSubstr(c.reported)) << c.what;
}

TEST(Gongdb, ImportAndExportKeepEveryFieldInBothFormats) {
  for (const std::string format : {"jsonl", "csv"}) {
    SCOPED_TRACE(format);
    Table t;
    t.import(format == "csv" ? kSourceCsv : kSourceJsonl, "notices." + format);
    // Given numbers, dates and counters kept; the unnumbered notice numbered
    // on from the highest given, dated today, counter 0.
    EXPECT_EQ(exportOf(t.path(), "jsonl"), expectedJsonl());
    EXPECT_EQ(exportOf(t.path(), "csv"), expectedCsv());
    EXPECT_EQ(gongdb(t.path(), {"check"}).exitCode, 0);

    // Round trip through a file: the export imports into an equal table.
    run(t.path(), {"export", t.dir.file("out." + format)});
    Table copy;
    run(copy.path(), {"import", t.dir.file("out." + format)});
    EXPECT_EQ(exportOf(copy.path(), format), exportOf(t.path(), format));
  }
}

TEST(Gongdb, ImportStoresEucKrThatTheBoardShows) {
  Table t;
  t.import(kSourceJsonl);
  DbServer db = gongDbOpen(t.path());
  ASSERT_TRUE(db.seek(Value(7)));
  // 가 is B0 A1 in EUC-KR.
  EXPECT_EQ(db.fieldGet("TITLE").text().substr(0, 2), "\xB0\xA1");
  EXPECT_EQ(db.fieldGet("BIGO").text(), toEucKr(kBody7));
  db.close();
  const RunResult page = cgiGet("action=GongView2&nyno=7", t.path());
  EXPECT_THAT(page.out, HasSubstr(toEucKr(kTitle7)));
}

TEST(Gongdb, ImportRefusesAFaultyFileWhole) {
  struct Case {
    const char* what;
    const char* name;
    std::string content;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"broken JSON", "a.jsonl", "{\"title\":\"a\"}\n{\"title\": }\n", "line 2"},
      {"unknown field", "a.jsonl", "{\"title\":\"a\",\"writer\":\"b\"}\n", "writer"},
      {"no title", "a.jsonl", "{\"nyno\":4}\n", "title"},
      {"negative number", "a.jsonl", "{\"title\":\"a\",\"nyno\":-1}\n", "nyno"},
      {"number too wide for NYNO", "a.jsonl", "{\"title\":\"a\",\"nyno\":12345678901}\n", "does not fit"},
      {"text EUC-KR cannot hold", "a.jsonl", "{\"title\":\"a\"}\n{\"title\":\"" + utf8(u8"😀") + "\"}\n",
       "EUC-KR"},
      {"invalid UTF-8", "a.jsonl", "{\"title\":\"\xB0\xA1\"}\n", "UTF-8"},
      {"CSV without a title column", "a.csv", "nyno,bigo\n1,x\n", "title"},
      {"CSV row of the wrong width", "a.csv", "title,bigo\na,b\nc\n", "line 3"},
      {"CSV quote left open", "a.csv", "title\n\"abc\n", "unterminated"},
  };
  Table t;
  t.import("{\"nyno\":1,\"nydate\":\"2001-05-17\",\"title\":\"kept\",\"bigo\":\"\",\"qty\":0}\n");
  const std::string before = exportOf(t.path());
  for (const auto& c : cases) {
    writeFile(t.dir.file(c.name), c.content);
    const RunResult r = gongdb(t.path(), {"import", t.dir.file(c.name)});
    expectOneLineFailure(r, c.what);
    EXPECT_THAT(r.err, HasSubstr(c.reason)) << c.what;
    EXPECT_EQ(exportOf(t.path()), before) << c.what << ": nothing may be added";
  }
}

TEST(Gongdb, SeedNumbersOnFromTheHighestLiveNoticeInTheBoardsDateFormat) {
  Table t;
  t.import("{\"title\":\"1\"}\n{\"title\":\"2\"}\n{\"title\":\"3\"}\n{\"title\":\"4\"}\n{\"title\":\"5\"}\n");
  t.remove(5);
  // ko_KR writes dates year first with "-".
  const RunResult r = gongdb(t.path(), {"seed", "12"}, {{"LC_ALL", "ko_KR.UTF-8"}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("5 to 16"));
  EXPECT_EQ(gongdb(t.path(), {"check"}).exitCode, 0);

  DbServer db = gongDbOpen(t.path());
  EXPECT_EQ(db.recordCount(), 17);
  db.setOrder(1);
  ASSERT_TRUE(db.seek(Value(5)));
  std::set<std::string> titles;
  std::string lastDate;
  const std::string now = formatDate(tavrix::today(), DateFormat{DateOrder::YearMonthDay, '-'});
  for (long n = 5; n <= 16; ++n, db.skip(1)) {
    SCOPED_TRACE(n);
    ASSERT_FALSE(db.eof());
    EXPECT_EQ(db.fieldGet("NYNO").number(), n);
    const std::string title = toUtf8(db.fieldGet("TITLE").text());
    const std::string body = toUtf8(db.fieldGet("BIGO").text());
    const std::string date = db.fieldGet("NYDATE").text();
    EXPECT_TRUE(std::regex_search(title, std::regex("^\\[[^\\]]+\\] \\S"))) << title;
    EXPECT_GE(std::count(body.begin(), body.end(), '\n'), 4) << body;
    EXPECT_EQ(body.find('\n'), body.find("\r\n") + 1) << "lines end with CR LF";
    EXPECT_TRUE(std::regex_match(date, std::regex("\\d{4}-\\d{2}-\\d{2}"))) << date;
    EXPECT_LT(date, now) << "dated on a past day";
    EXPECT_LE(lastDate, date) << "newer numbers on later days";
    lastDate = date;
    titles.insert(title);
  }
  db.close();
  EXPECT_GE(titles.size(), 8u) << "titles vary";
}

TEST(Gongdb, PackDropsDeletedRecordsAndUnusedMemoBlocksAndKeepsNumbers) {
  Table t;
  run(t.path(), {"seed", "6"});
  t.remove(2);
  t.remove(5);
  {
    DbServer db = gongDbOpen(t.path());
    ASSERT_TRUE(db.seek(Value(3)));
    db.fieldPut("BIGO", Value(toEucKr(utf8(u8"고친 본문\r\n둘째 줄"))));
    db.close();
  }
  const std::string before = exportOf(t.path());
  const long long memoBefore = fileSize(t.dir.file("Gong.dbt"));

  const RunResult r = gongdb(t.path(), {"pack"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("kept 4 records, dropped 2"));
  EXPECT_EQ(exportOf(t.path()), before);
  EXPECT_EQ(gongdb(t.path(), {"check"}).exitCode, 0);
  EXPECT_LT(fileSize(t.dir.file("Gong.dbt")), memoBefore);
  EXPECT_EQ(fileSize(t.dir.file("Gong.dbf")), kHeader + 4 * kRecord + 1);
  for (const auto& f : {"Gong.packing", "Gong-pack.dbf", "Gong-pack.dbt", "Gong1-pack.ndx"})
    EXPECT_FALSE(exists(t.dir.file(f))) << f;

  // The board goes on from the highest live number.
  const RunResult saved = cgiPost("action=GongWrite_Ok2&job=New&title=x&bigo=y&password=1827364", t.path());
  EXPECT_EQ(saved.exitCode, 0);
  EXPECT_THAT(exportOf(t.path()), HasSubstr("{\"nyno\":7,"));
}

TEST(Gongdb, AnInterruptedPackIsFinishedOrUndoneByTheNextRun) {
  Table packed;
  run(packed.path(), {"seed", "8"});
  packed.remove(3);
  TempDir original;
  copyFiles(packed.path(), original.path(), kTableFiles);
  run(packed.path(), {"pack"});

  // Crash after every staged file was complete: the next run renames them.
  {
    TempDir d;
    copyFiles(original.path(), d.path(), kTableFiles);
    writeFile(d.file("Gong-pack.dbf"), readFile(packed.dir.file("Gong.dbf")));
    writeFile(d.file("Gong-pack.dbt"), readFile(packed.dir.file("Gong.dbt")));
    for (const char* i : {"Gong1", "Gong2", "Gong3"})
      writeFile(d.file(std::string(i) + "-pack.ndx"), readFile(packed.dir.file(std::string(i) + ".ndx")));
    writeFile(d.file("Gong.packing"), "commit\n");
    const RunResult r = gongdb(d.path(), {"check"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("finished an interrupted pack"));
    for (const auto& f : kTableFiles) EXPECT_EQ(readFile(d.file(f)), readFile(packed.dir.file(f))) << f;
    EXPECT_FALSE(exists(d.file("Gong.packing")));
    EXPECT_FALSE(exists(d.file("Gong-pack.dbf")));
  }
  // Crash while writing them: the old files stay, the staged ones go.
  {
    TempDir d;
    copyFiles(original.path(), d.path(), kTableFiles);
    writeFile(d.file("Gong-pack.dbf"), "half");
    writeFile(d.file("Gong.packing"), "");
    const RunResult r = gongdb(d.path(), {"check"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("undid an interrupted pack"));
    for (const auto& f : kTableFiles) EXPECT_EQ(readFile(d.file(f)), readFile(original.file(f))) << f;
    EXPECT_FALSE(exists(d.file("Gong.packing")));
    EXPECT_FALSE(exists(d.file("Gong-pack.dbf")));
  }
}

TEST(Gongdb, APackKilledAtAnyMomentLosesNothing) {
  Table t;
  run(t.path(), {"seed", "2000"});
  {
    DbServer db = gongDbOpen(t.path());
    for (long n = 7; n <= 2000; n += 7) {
      ASSERT_TRUE(db.seek(Value(n)));
      db.deleteRecord();
    }
    db.close();
  }
  const std::string before = exportOf(t.path());
  // A whole pack of this table takes some tens of milliseconds; kill it
  // after 2, 5, 8, ... ms, and let the next run recover.
  int killed = 0, finished = 0, recovered = 0, undone = 0;
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE("killed after " + std::to_string(2 + 3 * trial) + " ms");
    TempDir d;
    copyFiles(t.path(), d.path(), kTableFiles);
    RunOptions o;
    o.args = {"pack", "--dir", d.path()};
    o.timeoutMs = 2 + 3 * trial;
    const RunResult pack = runProgram(GONGDB_EXE, o);
    (pack.timedOut ? killed : finished) += 1;
    const RunResult check = gongdb(d.path(), {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    recovered += check.err.find("finished an interrupted pack") != std::string::npos;
    undone += check.err.find("undid an interrupted pack") != std::string::npos;
    EXPECT_EQ(exportOf(d.path()), before);
    for (const auto& f : {"Gong.packing", "Gong-pack.dbf", "Gong-pack.dbt", "Gong1-pack.ndx", "Gong3-pack.ndx"})
      EXPECT_FALSE(exists(d.file(f))) << f;
  }
  EXPECT_GT(killed, 0);
  EXPECT_GT(finished, 0);
  std::printf("pack killed %d times (then undone %d, finished %d), completed %d times\n", killed, undone,
              recovered, finished);
}

TEST(Gongdb, ASeedKilledMidwayLeavesWholeNoticesAndRepairableIndexes) {
  int cut = 0;
  for (int trial = 0; trial < 12; ++trial) {
    SCOPED_TRACE("killed after " + std::to_string(5 + 12 * trial) + " ms");
    Table t;
    RunOptions o;
    o.args = {"seed", "3000", "--dir", t.path()};
    o.timeoutMs = 5 + 12 * trial;
    cut += runProgram(GONGDB_EXE, o).timedOut;
    // The next opening rebuilds any index the batch left marked.
    ASSERT_EQ(gongdb(t.path(), {"list", "--limit", "1"}).exitCode, 0);
    const RunResult check = gongdb(t.path(), {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    // Every record that made it is a whole notice, numbered in order.
    DbServer db = gongDbOpen(t.path());
    const long count = db.recordCount();
    long expected = 1;
    db.setOrder(1);
    for (db.goTop(); !db.eof(); db.skip(1), ++expected) {
      EXPECT_EQ(db.fieldGet("NYNO").number(), expected);
      EXPECT_NE(trimRight(db.fieldGet("TITLE").text()), "");
      EXPECT_NE(db.fieldGet("BIGO").text(), "");
    }
    EXPECT_EQ(expected - 1, count);
    db.close();
  }
  EXPECT_GT(cut, 0);
}

TEST(Gongdb, ASeedHoldsTheTableLockSoTheBoardsNumbersStayDistinct) {
  Table t;
  RunResult seeded;
  std::thread seeding([&] { seeded = gongdb(t.path(), {"seed", "3000"}); });
  std::vector<RunResult> saves;
  for (int i = 0; i < 6; ++i)
    saves.push_back(cgiPost("action=GongWrite_Ok2&job=New&title=board&bigo=b&password=1827364", t.path()));
  seeding.join();
  ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
  for (const auto& s : saves) EXPECT_EQ(s.exitCode, 0) << s.out;

  std::set<long> numbers;
  DbServer db = gongDbOpen(t.path());
  EXPECT_EQ(db.recordCount(), 3006);
  db.setOrder(1);
  for (db.goTop(); !db.eof(); db.skip(1)) numbers.insert(static_cast<long>(db.fieldGet("NYNO").number()));
  db.close();
  EXPECT_EQ(numbers.size(), 3006u);
  EXPECT_EQ(*numbers.rbegin(), 3006);
  EXPECT_EQ(gongdb(t.path(), {"check"}).exitCode, 0);
}

TEST(Gongdb, ListShowsLiveNoticesNewestFirst) {
  Table t;
  t.import(utf8(u8"{\"title\":\"첫 공지\"}\n{\"title\":\"지운 공지\"}\n{\"title\":\"셋째 공지\",\"qty\":12}\n"));
  t.remove(2);
  const RunResult r = gongdb(t.path(), {"list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto third = r.out.find(utf8(u8"     3  ") + today() + "      12  " + utf8(u8"셋째 공지\n"));
  const auto first = r.out.find(utf8(u8"     1  ") + today() + "       0  " + utf8(u8"첫 공지\n"));
  EXPECT_NE(third, std::string::npos) << r.out;
  EXPECT_LT(third, first) << r.out;
  EXPECT_EQ(r.out.find(utf8(u8"지운 공지")), std::string::npos);
  EXPECT_THAT(r.out, HasSubstr("(2 notices)"));

  const RunResult newest = gongdb(t.path(), {"list", "--limit", "1"});
  EXPECT_THAT(newest.out, HasSubstr(utf8(u8"셋째 공지")));
  EXPECT_EQ(newest.out.find(utf8(u8"첫 공지")), std::string::npos);
}

TEST(Gongdb, TextsOutOfTheTableAreReadAsCp949AndListShowsNoControlBytes) {
  Table t;
  t.import("{\"nyno\":1,\"nydate\":\"2001-05-17\",\"title\":\"t\",\"bigo\":\"\",\"qty\":0}\n");
  auto setTitle = [&](const std::string& bytes) {
    DbServer db = gongDbOpen(t.path());
    ASSERT_TRUE(db.seek(Value(1)));
    db.fieldPut("TITLE", Value(bytes));
    db.close();
  };
  // 똠 exists in CP949 (8C 63), which Korean Windows tools write, not in EUC-KR.
  setTitle("\x8C\x63 \x1B[31m red");
  EXPECT_THAT(exportOf(t.path()), HasSubstr(utf8(u8"\"title\":\"똠 \\u001b[31m red\"")));
  const RunResult list = gongdb(t.path(), {"list"});
  EXPECT_THAT(list.out, HasSubstr(utf8(u8"똠 ?[31m red\n")));
  EXPECT_EQ(list.out.find('\x1B'), std::string::npos);

  // Bytes that are no text: export refuses, naming the notice; list shows '?'.
  setTitle("ab\xFF\xFF");
  const RunResult exported = gongdb(t.path(), {"export"});
  expectOneLineFailure(exported, "export of undecodable bytes");
  EXPECT_THAT(exported.err, HasSubstr("notice 1 title"));
  EXPECT_THAT(gongdb(t.path(), {"list"}).out, HasSubstr("ab??\n"));
}

}  // namespace
}  // namespace tavrix::test
