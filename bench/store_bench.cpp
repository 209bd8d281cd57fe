// The record server's cost per board page and per saved notice.
//
//   BoardPage/N          the table work of one list page on an open table:
//                        GOBOTTOM, one soft SEEK, eleven records read (all
//                        five fields, the body from the memo file) with SKIP
//   BoardPageOpenClose/N the same plus opening the table with its three
//                        indexes and closing it, as one request does
//   AppendDurable        one notice added the board's way (locked number,
//                        append, fields) and made durable, per iteration
//   AppendBatch          notices added under one lock, synced once at the end
//
// N is the number of notices: 10, 1,000 and 65,535. The page's cost must not
// grow with N beyond the index's depth: one descent, never a scan.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "store/db_server.h"
#include "store/gong_table.h"

namespace {

using tavrix::DbServer;
using tavrix::Value;

std::string tempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavrix-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern;
}

struct Folders {
  std::map<long, std::string> byCount;
  ~Folders() {
    for (const auto& [n, dir] : byCount) std::filesystem::remove_all(dir);
  }
};
Folders folders;

void addNotices(DbServer& db, long count) {
  auto lock = db.lock();
  db.goBottom();
  long number = static_cast<long>(db.fieldGet("NYNO").number());
  for (long i = 0; i < count; ++i) {
    db.append();
    db.fieldPut("NYNO", Value(++number));
    db.fieldPut("NYDATE", Value("2001-05-17"));
    db.fieldPut("TITLE", Value("notice " + std::to_string(number) + " about something"));
    db.fieldPut("BIGO", Value("first line\r\nsecond line of notice " + std::to_string(number) + "\r\n"));
  }
}

// A folder holding a table of `count` notices, made once per run.
const std::string& tableOf(long count) {
  auto it = folders.byCount.find(count);
  if (it != folders.byCount.end()) return it->second;
  const std::string dir = tempFolder();
  tavrix::createGongTable(dir);
  auto db = tavrix::gongDbOpen(dir);
  addNotices(db, count);
  db.commit();
  db.close();
  return folders.byCount[count] = dir;
}

// GONGDATA2's table work for the middle page of the board.
long pageWork(DbServer& db) {
  db.goBottom();
  const long top = static_cast<long>(db.fieldGet("NYNO").number());
  const long pages = top <= 10 ? 1 : (top + 9) / 10;
  const long range = pages / 2 + 1;
  db.seek(Value((range - 1) * 10 + 1), true);
  long read = 0;
  for (int i = 0; i < 11 && !db.eof(); ++i, db.skip(1)) {
    benchmark::DoNotOptimize(db.fieldGet("NYNO"));
    benchmark::DoNotOptimize(db.fieldGet("NYDATE"));
    benchmark::DoNotOptimize(db.fieldGet("TITLE"));
    benchmark::DoNotOptimize(db.fieldGet("BIGO"));
    benchmark::DoNotOptimize(db.fieldGet("QTY"));
    ++read;
  }
  return read;
}

void BoardPage(benchmark::State& state) {
  tavrix::setHideDeleted(true);
  auto db = tavrix::gongDbOpen(tableOf(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pageWork(db));
  db.close();
}
BENCHMARK(BoardPage)->Arg(10)->Arg(1000)->Arg(65535)->Unit(benchmark::kMicrosecond);

void BoardPageOpenClose(benchmark::State& state) {
  tavrix::setHideDeleted(true);
  const std::string& dir = tableOf(state.range(0));
  for (auto _ : state) {
    auto db = tavrix::gongDbOpen(dir);
    benchmark::DoNotOptimize(pageWork(db));
    db.close();
  }
}
BENCHMARK(BoardPageOpenClose)->Arg(10)->Arg(1000)->Arg(65535)->Unit(benchmark::kMicrosecond);

void AppendDurable(benchmark::State& state) {
  const std::string dir = tempFolder();
  tavrix::createGongTable(dir);
  for (auto _ : state) {
    auto db = tavrix::gongDbOpen(dir);
    addNotices(db, 1);
    db.close();  // an added notice is synced by close
  }
  state.SetItemsProcessed(state.iterations());
  std::filesystem::remove_all(dir);
}
BENCHMARK(AppendDurable)->Unit(benchmark::kMicrosecond);

void AppendBatch(benchmark::State& state) {
  const std::string dir = tempFolder();
  tavrix::createGongTable(dir);
  auto db = tavrix::gongDbOpen(dir);
  for (auto _ : state) addNotices(db, 1000);
  db.commit();
  db.close();
  state.SetItemsProcessed(state.iterations() * 1000);
  std::filesystem::remove_all(dir);
}
BENCHMARK(AppendBatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
