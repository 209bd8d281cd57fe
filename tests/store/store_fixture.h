// Helpers shared by the store tests: a fresh notice table in a temporary
// folder, and the board's own sequences for adding and counting.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/db_server.h"
#include "store/gong_table.h"
#include "store/table_check.h"
#include "support/temp_dir.h"

namespace tavrix::test {

// A fresh folder in memory (/dev/shm) when there is one, else in the
// temporary folder; removed with its contents. For tests that write a lot
// and are not about the disk: a sync there costs nothing, while locking and
// a killed writer behave as on a disk (both live in the page cache).
class RamDir {
 public:
  RamDir() {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/tavrix-store-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~RamDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  RamDir(const RamDir&) = delete;
  RamDir& operator=(const RamDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::vector<std::string> gongIndexPaths(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& i : kGongIndexes) out.push_back(gongPath(dir, i.file));
  return out;
}

inline std::vector<std::string> verifyGong(const std::string& dir) {
  return verifyTable(gongPath(dir, "Gong"), gongIndexPaths(dir));
}

// Adds a notice the way the save page does, under the table lock; returns
// its number.
inline long addNotice(DbServer& db, const std::string& title, const std::string& body,
                      const std::string& date = "2001-05-17") {
  auto lock = db.lock();
  db.setOrder(1);
  db.goBottom();
  const long number = static_cast<long>(db.fieldGet("NYNO").number()) + 1;
  db.append();
  db.fieldPut("NYNO", Value(number));
  db.fieldPut("NYDATE", Value(date));
  db.fieldPut("TITLE", Value(title));
  db.fieldPut("BIGO", Value(body));
  return number;
}

// Counts one reading of notice `number`; false when there is no such notice.
inline bool countView(DbServer& db, long number) {
  auto lock = db.lock();
  if (!db.seek(Value(number))) return false;
  db.fieldPut("QTY", Value(db.fieldGet("QTY").number() + 1));
  return true;
}

}  // namespace tavrix::test
