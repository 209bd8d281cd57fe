// Several processes on one table: the locked number assignment and the
// locked view count lose nothing; exclusive openings exclude; an opening
// never waits on a lock held by another opening of its own process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "core/error.h"
#include "store_fixture.h"

namespace tavrix::test {
namespace {

// Runs `work` in `count` child processes at once and waits for all; each
// child's exit status is 0 when its work returned without an exception.
void inProcesses(int count, const std::function<void(int)>& work) {
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        work(i);
      } catch (const std::exception& e) {
        fprintf(stderr, "child %d: %s\n", i, e.what());
        status = 1;
      }
      _exit(status);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

TEST(Concurrency, EightWritersGetDistinctNumbersOneTo800) {
  setHideDeleted(true);
  RamDir dir;
  createGongTable(dir.path());
  inProcesses(8, [&](int writer) {
    for (int i = 0; i < 100; ++i) {
      auto db = gongDbOpen(dir.path());  // one opening per request, as the board does
      addNotice(db, "writer " + std::to_string(writer), "body " + std::to_string(i));
      db.close();
    }
  });
  auto db = gongDbOpen(dir.path());
  std::vector<long> numbers;
  for (db.goTop(); !db.eof(); db.skip()) numbers.push_back(static_cast<long>(db.fieldGet("NYNO").number()));
  db.close();
  ASSERT_EQ(numbers.size(), 800u);
  for (long i = 0; i < 800; ++i) ASSERT_EQ(numbers[static_cast<std::size_t>(i)], i + 1);
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
}

TEST(Concurrency, EightReadersCountEveryView) {
  setHideDeleted(true);
  RamDir dir;
  createGongTable(dir.path());
  {
    auto db = gongDbOpen(dir.path());
    addNotice(db, "popular", "body");
    addNotice(db, "other", "body");
    db.close();
  }
  inProcesses(8, [&](int) {
    for (int i = 0; i < 100; ++i) {
      auto db = gongDbOpen(dir.path());
      if (!countView(db, 1)) throw std::runtime_error("notice 1 not found");
      db.close();
    }
  });
  auto db = gongDbOpen(dir.path());
  ASSERT_TRUE(db.seek(Value(1)));
  EXPECT_EQ(db.fieldGet("QTY").number(), 800);
  ASSERT_TRUE(db.seek(Value(2)));
  EXPECT_EQ(db.fieldGet("QTY").number(), 0);
  db.close();
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});
}

GenCode codeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return static_cast<GenCode>(e.genCode);
  }
  return GenCode::None;
}

TEST(Locking, ExclusiveOpeningExcludesEveryOtherOpening) {
  RamDir dir;
  createGongTable(dir.path());
  const std::string table = gongPath(dir.path(), "Gong");
  {
    DbServer shared(table);
    EXPECT_EQ(codeOf([&] { DbServer exclusive(table, false); }), GenCode::Lock);
  }
  DbServer exclusive(table, false);
  EXPECT_EQ(codeOf([&] { DbServer shared(table, true); }), GenCode::Lock);
  setExclusiveOpening(true);
  EXPECT_EQ(codeOf([&] { DbServer other(table); }), GenCode::Lock);
  setExclusiveOpening(false);
}

TEST(Locking, SecondOpeningInTheProcessFailsInsteadOfWaitingForItself) {
  RamDir dir;
  createGongTable(dir.path());
  auto first = gongDbOpen(dir.path());
  auto second = gongDbOpen(dir.path());
  {
    auto lock = first.lock();
    EXPECT_EQ(codeOf([&] { second.goTop(); }), GenCode::Lock);
  }
  EXPECT_EQ(codeOf([&] { second.goTop(); }), GenCode::None);
}

TEST(Locking, ChangesUnderALockAreDroppedWhenAnErrorUnwindsIt) {
  RamDir dir;
  createGongTable(dir.path());
  auto db = gongDbOpen(dir.path());
  EXPECT_THROW(
      {
        auto lock = db.lock();
        db.append();
        db.fieldPut("NYNO", Value(1));
        db.fieldPut("NOSUCH", Value(1));  // fails before the notice is complete
      },
      Error);
  EXPECT_EQ(db.recordCount(), 0);
  db.close();
}

TEST(Locking, CloseUnderALockWritesAndLetsGo) {
  RamDir dir;
  createGongTable(dir.path());
  auto db = gongDbOpen(dir.path());
  auto lock = db.lock();
  db.append();
  db.fieldPut("NYNO", Value(1));
  db.close();  // the lock outlives the opening; its end must do nothing
  auto other = gongDbOpen(dir.path());
  EXPECT_TRUE(other.seek(Value(1)));
  other.close();
}

}  // namespace
}  // namespace tavrix::test
