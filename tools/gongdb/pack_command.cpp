// pack: the table without its deleted records, the memo file without unused
// blocks, and the indexes rebuilt to match.
//
// The new files are written beside the old ones under staged names
// (Gong-pack.dbf, Gong-pack.dbt, Gong1-pack.ndx ...), made durable, and then
// renamed over the old ones. A marker file, Gong.packing, says how far a
// pack got: it exists (flock-ed by the packing process) from the start, and
// it holds the word "commit" once every staged file is complete and synced.
// A crash before "commit" leaves the old files whole: the staged files are
// thrown away. A crash after it is finished by renaming whatever staged files
// remain. Every gongdb run does that first (recoverInterruptedPack), leaving
// alone a marker whose pack is still running (its flock is held).
//
// While it packs, the tool holds the table opened exclusively, so the board
// cannot open it (its requests end in the error report) and no change can be
// lost in the old files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command.h"
#include "core/value.h"
#include "progress.h"
#include "store/dbf_table.h"
#include "store/gong_table.h"
#include "store/index_key.h"
#include "store/memo_file.h"
#include "store/ndx_index.h"

namespace gongdb {

namespace {

using tavrix::gongPath;

struct Staged {
  std::string from;
  std::string to;
};

// In the order they are renamed: the memo before the table that points into
// it, the indexes last.
std::vector<Staged> stagedFiles(const std::string& dir) {
  std::vector<Staged> out = {{gongPath(dir, "Gong-pack.dbt"), gongPath(dir, "Gong.dbt")},
                             {gongPath(dir, "Gong-pack.dbf"), gongPath(dir, "Gong.dbf")}};
  for (const auto& i : tavrix::kGongIndexes)
    out.push_back({gongPath(dir, std::string(i.file) + "-pack.ndx"), gongPath(dir, std::string(i.file) + ".ndx")});
  return out;
}

std::string markerPath(const std::string& dir) { return gongPath(dir, "Gong.packing"); }

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

[[noreturn]] void osFail(const std::string& what, const std::string& path) {
  throw std::runtime_error(path + ": " + what + ": " + std::strerror(errno));
}

void syncDir(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) osFail("cannot open folder", dir);
  const int r = ::fsync(fd);
  ::close(fd);
  if (r != 0) osFail("cannot sync folder", dir);
}

void renameStaged(const std::string& dir) {
  for (const auto& s : stagedFiles(dir))
    if (exists(s.from) && ::rename(s.from.c_str(), s.to.c_str()) != 0) osFail("cannot rename into place", s.from);
  syncDir(dir);
}

void removeStaged(const std::string& dir) {
  for (const auto& s : stagedFiles(dir)) ::unlink(s.from.c_str());
}

std::string readSmallFile(int fd) {
  char buf[64];
  const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// The marker of a pack in progress, flock-ed from the moment it appears (it
// is made under a private name and linked into place).
class Marker {
 public:
  explicit Marker(const std::string& dir) : path_(markerPath(dir)) {
    const std::string temp = path_ + "." + std::to_string(::getpid());
    fd_ = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) osFail("cannot create", temp);
    if (::flock(fd_, LOCK_EX) != 0) osFail("cannot lock", temp);
    const bool linked = ::link(temp.c_str(), path_.c_str()) == 0;
    const int err = errno;
    ::unlink(temp.c_str());
    if (!linked) {
      ::close(fd_);
      if (err == EEXIST) throw std::runtime_error(path_ + ": another pack is running");
      errno = err;
      osFail("cannot create", path_);
    }
    syncDir(dir);
  }
  ~Marker() {
    if (fd_ >= 0) ::close(fd_);
  }
  void commit() {
    if (::pwrite(fd_, "commit\n", 7, 0) != 7 || ::fsync(fd_) != 0) osFail("cannot write", path_);
  }
  void remove(const std::string& dir) {
    if (::unlink(path_.c_str()) != 0) osFail("cannot remove", path_);
    syncDir(dir);
  }

 private:
  std::string path_;
  int fd_ = -1;
};

std::uint16_t get16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}

void put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

struct PackResult {
  std::uint32_t kept = 0;
  std::uint32_t dropped = 0;
  std::uint32_t memoBlocksBefore = 0;
  std::uint32_t memoBlocksAfter = 0;
};

// Writes Gong-pack.dbf and Gong-pack.dbt: the live records byte for byte
// (every field, known or not, as it was) but with memo references moved to
// the new memo file; the header as it was, with the new count and date.
PackResult writeStagedTable(const std::string& dir) {
  namespace st = tavrix::store;
  PackResult result;
  st::DbfTable old(gongPath(dir, "Gong.dbf"));
  const std::uint32_t count = old.refresh();
  std::string header(32, '\0');
  old.file().readAt(0, header.data(), 32);
  header.resize(get16(header, 8));
  old.file().readAt(0, header.data(), header.size());

  std::optional<st::MemoFile> oldMemo, newMemo;
  const std::string newMemoPath = gongPath(dir, "Gong-pack.dbt");
  if (old.hasMemoFields()) {
    oldMemo.emplace(gongPath(dir, "Gong.dbt"));
    result.memoBlocksBefore = oldMemo->nextFree();
    st::MemoFile::create(newMemoPath);
    newMemo.emplace(newMemoPath);
  }

  const auto len = static_cast<std::size_t>(old.recordLength());
  std::string records;
  Progress progress("pack", count);
  for (std::uint32_t first = 1; first <= count; first += 4096) {
    const std::uint32_t n = std::min<std::uint32_t>(4096, count - first + 1);
    const std::string chunk = old.readRecords(first, n);
    for (std::uint32_t i = 0; i < n; ++i) {
      std::string rec = chunk.substr(i * len, len);
      if (rec[0] == '*') {
        ++result.dropped;
        continue;
      }
      for (const auto& f : old.fields()) {
        if (f.type != 'M') continue;
        const auto at = static_cast<std::size_t>(f.offset), width = static_cast<std::size_t>(f.length);
        const long long block = tavrix::leadingNumber(rec.substr(at, width));
        if (block <= 0) continue;
        const std::string moved = std::to_string(newMemo->append(oldMemo->read(static_cast<std::uint32_t>(block))));
        rec.replace(at, width, std::string(width - moved.size(), ' ') + moved);
      }
      records += rec;
      ++result.kept;
    }
    progress.advance(first + n - 1);
  }
  progress.finish();

  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  header[1] = static_cast<char>(tm.tm_year);
  header[2] = static_cast<char>(tm.tm_mon + 1);
  header[3] = static_cast<char>(tm.tm_mday);
  put32(header, 4, result.kept);
  st::File out(gongPath(dir, "Gong-pack.dbf"), st::File::Mode::CreateNew);
  out.writeAt(0, header + records + '\x1A');
  out.sync();
  if (newMemo) {
    newMemo->file().sync();
    result.memoBlocksAfter = newMemo->nextFree();
  }
  return result;
}

// Makes the staged indexes, with the key expressions of the old ones (or the
// usual ones where an old index is missing or unreadable), and fills them.
void writeStagedIndexes(const std::string& dir) {
  namespace st = tavrix::store;
  {
    st::DbfTable staged(gongPath(dir, "Gong-pack.dbf"));
    for (const auto& i : tavrix::kGongIndexes) {
      std::string expression = i.expression;
      try {
        expression = st::NdxIndex(gongPath(dir, std::string(i.file) + ".ndx")).expression();
      } catch (const tavrix::Error&) {
        // Missing or damaged: the usual key will do.
      }
      const std::string path = gongPath(dir, std::string(i.file) + "-pack.ndx");
      st::IndexKey key(expression, staged, path);
      st::NdxIndex::create(path, expression, key.length(), key.numeric());
    }
  }
  tavrix::DbServer db(gongPath(dir, "Gong-pack"), /*shared=*/false);
  for (const auto& i : tavrix::kGongIndexes) db.setIndex(gongPath(dir, std::string(i.file) + "-pack"));
  db.reindex();
  db.commit();
  db.close();
}

}  // namespace

void recoverInterruptedPack(const std::string& dir) {
  const std::string marker = markerPath(dir);
  const int fd = ::open(marker.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;  // a pack is running; it finishes its own work
  }
  const bool committed = readSmallFile(fd).rfind("commit", 0) == 0;
  if (committed) renameStaged(dir);
  else removeStaged(dir);
  ::unlink(marker.c_str());
  ::close(fd);
  syncDir(dir);
  std::fprintf(stderr, "gongdb: %s an interrupted pack\n", committed ? "finished" : "undid");
}

int runPack(const Args& args) {
  const std::string& dir = args.dir;
  // Exclusive: no other opening may exist while the files are replaced.
  tavrix::DbServer guard(gongPath(dir, "Gong"), /*shared=*/false);
  auto lock = guard.lock();
  // A record rewrite that a killed writer left in the journal is finished by
  // the next operation of any opening: make it happen before the records are
  // copied, so none is copied half written.
  guard.goTop();
  Marker marker(dir);
  removeStaged(dir);
  PackResult result;
  try {
    result = writeStagedTable(dir);
    writeStagedIndexes(dir);
  } catch (...) {
    removeStaged(dir);
    marker.remove(dir);
    throw;
  }
  syncDir(dir);
  marker.commit();
  // A board process that opened the old table file just before the rename
  // must not get to write into it after the lock goes: empty the old file,
  // which every opening then refuses as damaged.
  tavrix::store::File oldTable(gongPath(dir, "Gong.dbf"), tavrix::store::File::Mode::ReadWrite);
  renameStaged(dir);
  marker.remove(dir);
  oldTable.truncate(0);
  lock.release();
  guard.close();
  std::printf("packed: kept %u records, dropped %u deleted; memo blocks %u -> %u; indexes rebuilt\n", result.kept,
              result.dropped, result.memoBlocksBefore, result.memoBlocksAfter);
  return 0;
}

}  // namespace gongdb
