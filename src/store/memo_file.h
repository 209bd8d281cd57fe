// MemoFile: the dBASE III memo file (.dbt) beside a table. A memo is written
// once into fresh blocks, before the record that refers to it, and never
// changed in place; a record whose memo is edited points to a new memo, and
// the old blocks stay unused until the table is packed. So a reader never
// sees a memo half rewritten, and a memo reference read under the table lock
// can be followed after the lock is gone.
//
// The header block also carries the table's record journal: a record about
// to be rewritten in place is first put there whole, so that a writer killed
// in the middle of the rewrite (a write over a page boundary can stop half
// done) leaves a record the next operation can put right. The table's
// header says when the journal is to be used (DbfTable::rewritePending).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/file.h"

namespace tavrix::store {

class MemoFile {
 public:
  static constexpr std::uint32_t kBlockSize = 512;

  // Creates an empty memo file; fails if the file exists.
  static void create(const std::string& path);

  explicit MemoFile(const std::string& path);

  const std::string& path() const { return file_.path(); }
  File& file() { return file_; }

  // The next free block, re-read from the file.
  std::uint32_t nextFree() const;

  // The text of the memo starting at `block`, up to its end mark.
  std::string read(std::uint32_t block) const;

  // Stores `text` (with every 0x1A removed) in fresh blocks at the end and
  // returns the first block. The text is written before the header's next
  // free block moves past it.
  std::uint32_t append(std::string_view text);

  struct JournalEntry {
    std::uint32_t recNo = 0;
    std::string record;
  };
  // Whether a record of `length` bytes fits the journal.
  static bool journalHolds(std::size_t length);
  void writeJournal(std::uint32_t recNo, std::string_view record);
  // The journal's record when the journal holds a whole one.
  std::optional<JournalEntry> journal() const;

 private:
  File file_;
};

}  // namespace tavrix::store
