// Writers killed with SIGKILL at random moments. After each kill: every
// save the writer reported as returned is in the table, no record is torn
// (title and body always belong to the same save), at most the one save in
// flight differs, the next opening repairs any index left half-changed, and
// the verifier then finds nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <time.h>

#include "store/dbf_table.h"
#include "store/memo_file.h"
#include "store_fixture.h"

namespace tavrix::test {
namespace {

struct Notice {
  long version = 0;
  long views = 0;
  bool operator==(const Notice&) const = default;
};

// The live notices by number (a deleted highest number is given again, so
// only live numbers are unique) and how many records carry the deletion mark.
struct Board {
  std::map<long, Notice> live;
  long deleted = 0;
};

std::string titleFor(long number, long version) {
  return "notice " + std::to_string(number) + " v" + std::to_string(version);
}

// Bodies of several lines and sizes, up to a few memo blocks.
std::string bodyFor(long number, long version) {
  std::string body;
  const long lines = 1 + (number * 7 + version * 13) % 40;
  for (long i = 0; i < lines; ++i)
    body += "line " + std::to_string(i) + " of " + std::to_string(number) + "/" + std::to_string(version) + "\r\n";
  return body;
}

// The writer: saves one thing after another, reporting each save on `out`
// after it returned. Never returns.
[[noreturn]] void writer(const std::string& dir, int out, unsigned seed) {
  std::mt19937 rng(seed);
  auto report = [&](const std::string& line) {
    const std::string l = line + "\n";
    if (write(out, l.data(), l.size()) != static_cast<ssize_t>(l.size())) _exit(3);
  };
  try {
    for (;;) {
      auto db = gongDbOpen(dir);
      db.goBottom();
      const long top = static_cast<long>(db.fieldGet("NYNO").number());
      const int op = static_cast<int>(rng() % 100);
      const bool full = db.recordCount() >= 500;  // then only edits and views: each check stays quick
      const long pick = top ? 1 + static_cast<long>(rng() % static_cast<unsigned long>(top)) : 0;
      if ((op < 40 && !full) || top == 0) {
        long number;
        {
          auto lock = db.lock();
          db.goBottom();
          number = static_cast<long>(db.fieldGet("NYNO").number()) + 1;
          db.append();
          db.fieldPut("NYNO", Value(number));
          db.fieldPut("NYDATE", Value("2001-05-17"));
          db.fieldPut("TITLE", Value(titleFor(number, 0)));
          db.fieldPut("BIGO", Value(bodyFor(number, 0)));
        }
        db.close();
        report("A " + std::to_string(number));
      } else if (op < 65) {
        if (db.seek(Value(pick))) {
          const long version = leadingNumber(db.fieldGet("TITLE").text().substr(titleFor(pick, 0).size() - 1)) + 1;
          db.fieldPut("TITLE", Value(titleFor(pick, version)));
          db.fieldPut("BIGO", Value(bodyFor(pick, version)));
          db.close();
          report("E " + std::to_string(pick) + " " + std::to_string(version));
        }
      } else if (op < 92 || full) {
        const bool found = countView(db, pick);
        db.close();
        if (found) report("V " + std::to_string(pick));
      } else {
        if (db.seek(Value(pick))) {
          db.deleteRecord();
          db.close();
          report("D " + std::to_string(pick));
        }
      }
    }
  } catch (const std::exception& e) {
    fprintf(stderr, "writer: %s\n", e.what());
    _exit(2);
  }
}

// The board as the table holds it; a record whose title, body and number
// do not belong together fails the test.
Board readAll(const std::string& dir) {
  Board all;
  setHideDeleted(false);
  auto db = gongDbOpen(dir);
  for (db.goTop(); !db.eof(); db.skip()) {
    const long number = static_cast<long>(db.fieldGet("NYNO").number());
    const std::string title = db.fieldGet("TITLE").text();
    const std::string prefix = titleFor(number, 0);
    EXPECT_EQ(title.substr(0, prefix.size() - 1), prefix.substr(0, prefix.size() - 1)) << "torn record " << db.recNo();
    const long version = leadingNumber(title.substr(prefix.size() - 1));
    EXPECT_EQ(db.fieldGet("BIGO").text(), bodyFor(number, version)) << "torn record " << number;
    if (db.deleted()) {
      ++all.deleted;
      continue;
    }
    EXPECT_EQ(all.live.count(number), 0u) << "number " << number << " given twice";
    all.live[number] = Notice{version, static_cast<long>(db.fieldGet("QTY").number())};
  }
  db.close();
  setHideDeleted(true);
  return all;
}

TEST(CrashSafety, KilledWritersLoseNoReturnedSaveAndLeaveNothingTorn) {
  RamDir dir;
  createGongTable(dir.path());
  std::mt19937 rng(4711);
  Board model;
  int repaired = 0, inFlight = 0;
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (int trial = 0; trial < 250; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      writer(dir.path(), fds[1], static_cast<unsigned>(trial));
    }
    close(fds[1]);
    usleep(static_cast<useconds_t>(rng() % 20000));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped by itself, status " << status;

    std::string log;
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) log.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    std::istringstream lines(log);
    for (std::string op; lines >> op;) {
      long number = 0, version = 0;
      lines >> number;
      if (op == "A") model.live[number] = Notice{};
      if (op == "E") lines >> version, model.live[number].version = version;
      if (op == "V") ++model.live[number].views;
      if (op == "D") model.live.erase(number), ++model.deleted;
    }

    for (const auto& problem : verifyGong(dir.path()))
      if (problem.find("change mark") != std::string::npos) {
        ++repaired;  // the next opening must rebuild it
        break;
      }
    const Board actual = readAll(dir.path());
    // Every returned save is there; only the save in flight may differ.
    int differences = 0;
    for (const auto& [number, notice] : model.live) {
      auto it = actual.live.find(number);
      if (it == actual.live.end()) {
        ++differences;  // a deletion in flight, or a lost notice
        continue;
      }
      if (!(it->second == notice)) ++differences;
    }
    for (const auto& [number, notice] : actual.live) differences += model.live.count(number) ? 0 : 1;
    ASSERT_LE(differences, 1);
    ASSERT_GE(actual.deleted, model.deleted);
    ASSERT_LE(actual.deleted, model.deleted + 1);
    if (actual.deleted > model.deleted) {
      ASSERT_EQ(actual.live.size() + 1, model.live.size());  // the deletion was the save in flight
    }
    inFlight += differences;
    model = actual;
    ASSERT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
  printf("250 kills in %.1f s: %zu notices, %d indexes repaired, %d saves caught in flight\n", seconds,
         model.live.size(), repaired, inFlight);
  EXPECT_GT(model.live.size(), 0u);
}

// A batch keeps the indexes marked from its first append until its lock
// goes, so a batch cut short always leaves them for the next opening to
// rebuild; every batch that was committed is there in full.
TEST(CrashSafety, KilledBatchesLeaveCommittedBatchesWhole) {
  setHideDeleted(true);
  RamDir dir;
  createGongTable(dir.path());
  std::mt19937 rng(99);
  long committed = 0;
  int repaired = 0;
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      try {
        auto db = gongDbOpen(dir.path());
        for (int batch = 0;; ++batch) {
          if (batch == 3) pause();  // a bounded table keeps each check quick
          long last = 0;
          {
            auto lock = db.lock();
            db.goBottom();
            last = static_cast<long>(db.fieldGet("NYNO").number());
            for (int i = 0; i < 100; ++i) {
              db.append();
              db.fieldPut("NYNO", Value(++last));
              db.fieldPut("TITLE", Value(titleFor(last, 0)));
              db.fieldPut("BIGO", Value(bodyFor(last, 0)));
            }
          }
          db.commit();
          const std::string line = std::to_string(last) + "\n";
          if (write(fds[1], line.data(), line.size()) < 0) _exit(3);
        }
      } catch (...) {
        _exit(2);
      }
    }
    close(fds[1]);
    usleep(static_cast<useconds_t>(rng() % 20000));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    char buf[4096];
    std::string log;
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) log.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    std::istringstream lines(log);
    for (long last; lines >> last;) committed = last;

    for (const auto& problem : verifyGong(dir.path()))
      if (problem.find("change mark") != std::string::npos) {
        ++repaired;
        break;
      }
    const Board actual = readAll(dir.path());
    ASSERT_GE(static_cast<long>(actual.live.size()), committed);
    long expected = 1;
    for (const auto& [number, notice] : actual.live) ASSERT_EQ(number, expected++);
    ASSERT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
  }
  printf("40 batch kills: %ld notices committed, %d kills left indexes to rebuild\n", committed, repaired);
  EXPECT_GT(repaired, 0);
}

// A record rewrite cut short (a write over a page boundary can stop half
// done when its writer is killed) is finished from the journal by the next
// operation of any opening.
TEST(CrashSafety, RecordRewriteCutShortIsFinishedFromTheJournal) {
  setHideDeleted(true);
  TempDir dir;
  createGongTable(dir.path());
  auto db = gongDbOpen(dir.path());
  for (int i = 0; i < 30; ++i) addNotice(db, titleFor(i + 1, 0), bodyFor(i + 1, 0));
  ASSERT_TRUE(db.seek(Value(25)));
  const long recNo = db.recNo();
  db.close();
  auto early = gongDbOpen(dir.path());

  // Notice 25's title as the writer meant it, and the files as it died:
  // the title's index marked as being changed, the journal written, and
  // only the first bytes of the new title in the table.
  std::string ndx = readFile(dir.file("Gong3.ndx"));
  ndx[8] = 3, ndx[9] = ndx[10] = ndx[11] = 0;
  writeFile(dir.file("Gong3.ndx"), ndx);
  const std::size_t at = 32 + 5 * 32 + 1 + static_cast<std::size_t>(recNo - 1) * 161;
  std::string table = readFile(dir.file("Gong.dbf"));
  std::string meant = table.substr(at, 161);
  meant.replace(1 + 10 + 10, 120, store::fitText(titleFor(25, 1), 120));
  table.replace(at, 30, meant.substr(0, 30));
  table[14] = 1;  // the journal is to be used
  writeFile(dir.file("Gong.dbf"), table);
  store::MemoFile(dir.file("Gong.dbt")).writeJournal(static_cast<std::uint32_t>(recNo), meant);
  EXPECT_FALSE(verifyGong(dir.path()).empty());

  ASSERT_TRUE(early.seek(Value(25)));
  EXPECT_EQ(early.fieldGet("TITLE").text(), store::fitText(titleFor(25, 1), 120));
  early.close();
  const std::string after = readFile(dir.file("Gong.dbf"));
  EXPECT_EQ(after.substr(at, 161), meant);
  EXPECT_EQ(after[14], 0);
  gongDbOpen(dir.path()).close();  // attaching Gong3 rebuilds it, on the meant title
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
}

TEST(CrashSafety, IndexLeftHalfChangedIsRebuiltByTheNextOperation) {
  setHideDeleted(true);
  RamDir dir;
  createGongTable(dir.path());
  auto db = gongDbOpen(dir.path());
  for (int i = 0; i < 50; ++i) addNotice(db, titleFor(i + 1, 0), bodyFor(i + 1, 0));
  db.close();
  auto early = gongDbOpen(dir.path());  // open before the damage, used after it

  // What a writer killed inside a change leaves: an odd stamp and a tree
  // half written (here the first leaf wiped).
  std::string ndx = readFile(dir.file("Gong1.ndx"));
  ndx[8] = 1, ndx[9] = ndx[10] = ndx[11] = 0;
  std::fill(ndx.begin() + 512, ndx.begin() + 1024, '\0');
  writeFile(dir.file("Gong1.ndx"), ndx);
  EXPECT_FALSE(verifyGong(dir.path()).empty());

  ASSERT_TRUE(early.seek(Value(3)));
  EXPECT_EQ(early.fieldGet("TITLE").text().substr(0, 9), "notice 3 ");
  int count = 0;
  for (early.goTop(); !early.eof(); early.skip()) ++count;
  EXPECT_EQ(count, 50);
  early.close();
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace tavrix::test
