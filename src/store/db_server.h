// DbServer: the record server — one opening of a dBASE III table (name.dbf,
// with its memo file name.dbt) and of the index files attached to it.
//
// Contract:
//  - Every operation sees the files as they are now: it takes the table lock
//    (shared to read, exclusive to write), re-reads the record count, the
//    index header and the index blocks it needs, and lets the lock go. A
//    move from the current record starts at the leaf the last move left,
//    re-read, when the index's change stamp shows no change since; otherwise
//    it descends from the root. fieldGet() returns the current record's
//    bytes as they were when the record was reached.
//  - Changes to a record (fieldPut, append) collect in the opening and are
//    written as one unit when the opening moves, deletes, commits, closes or
//    releases its TableLock: memo texts first, then the record, then the
//    index entries. A new record counts (for other openings, and after a
//    crash) only once it and its memo text are on the disk and the header's
//    count includes it: at the end of the operation, or under a TableLock at
//    its release or at commit(). A record rewritten in place goes through a
//    journal (memo_file.h) first, since a write over a page boundary can
//    stop half done; the next operation of any opening finishes it. An index
//    being changed carries a change mark on the disk until its blocks are on
//    the disk too. So a writer killed at any moment leaves either the old or
//    the new record, never a mixture, and an index it was changing carries
//    the mark and is rebuilt by the next operation of any opening; after a
//    power cut no new record counts before it is whole and no index changed
//    unmarked (a rewrite in place is not synced before it starts, so a power
//    cut in its middle is the one case left to gongdb check).
//  - deleteRecord() is written at once: every other opening that hides
//    deleted records, in this process or another, stops seeing the record
//    with its next operation. Deleted records keep their index entries.
//  - commit() makes everything written so far durable (fdatasync of table,
//    memo and indexes). close() does the same when this opening appended,
//    deleted, or changed a character, memo, date or logical field; changes
//    confined to numeric fields of existing records (view counters) are
//    written but not synced, so a power cut may lose the last few views,
//    never a notice.
//  - lock() takes the exclusive table lock until the TableLock goes, for a
//    read-modify-write sequence (a new notice's number through its append; a
//    counter read through its write). Pending changes are written before the
//    lock is released. A batch (an import) is many appends under one lock()
//    and one commit(): the indexes' change marks stay set and the new
//    records stay uncounted until then, so a batch cut short leaves the
//    table as it was before the batch (or its last commit()). While one
//    opening holds the lock, another opening of the same table in this
//    process gets an error instead of waiting forever for itself.
//  - An opening belongs to one thread at a time; it must not be shared with
//    a child process (fork), whose locks would be the parent's.
//  - Failures throw tavrix::Error (SUBSYSTEM "DBSERVER") with operation,
//    description, file name and OS code. A seek that finds nothing is a
//    result, not an error.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/value.h"

namespace tavrix {

// Process-wide switches, set once at start-up.
void setExclusiveOpening(bool on);  // default off
bool exclusiveOpening();
void setHideDeleted(bool on);       // default on
bool hideDeleted();

struct FieldInfo {
  std::string name;
  std::string caption;  // the field's label; dBASE fields have none, so empty
  int length = 0;
  char type = 'C';
  int decimals = 0;
};

class TableLock;

class DbServer {
 public:
  // Opens table `name`: files name.dbf and (when it has memo fields)
  // name.dbt; `name` may carry a folder ("dir/Gong"). shared: nullopt means
  // shared unless exclusive opening is on. A shared opening fails while
  // another opening holds the table exclusively, and the other way round.
  explicit DbServer(const std::string& name, std::optional<bool> shared = std::nullopt);
  ~DbServer();  // closes if still open; pending changes are dropped when an exception is unwinding
  DbServer(DbServer&&) noexcept;
  DbServer& operator=(DbServer&&) noexcept;  // closes this opening first, like the destructor

  // Attaches name.ndx (name may carry a folder). Orders are numbered 1, 2, 3
  // in attach order; attaching the first index selects order 1.
  void setIndex(const std::string& name);
  // 0 is record-number order; 1..n the attached indexes.
  void setOrder(int order);

  void goTop();
  void goBottom();
  void skip(long count = 1);
  // Positions on the first visible record whose key (in the current order)
  // equals `key` and returns true. Otherwise returns false and leaves no
  // current record (EOF), or with `soft` the first visible record with a
  // higher key. Numeric orders take a number; character orders a text,
  // which matches every key starting with it.
  bool seek(const Value& key, bool soft = false);
  bool eof() const;
  bool bof() const;

  // Field values: N → Number, C → Text as stored (blank padded), M → Text,
  // D → Date, L → Logical. With no current record, the blank value.
  Value fieldGet(std::string_view fieldName) const;
  Value fieldGet(int position) const;  // 1-based
  void fieldPut(std::string_view fieldName, const Value& value);

  void append();        // a blank record, current from now on
  void deleteRecord();  // marks the current record deleted; no current record: nothing
  bool deleted() const; // whether the current record carries the deletion mark

  int fieldCount() const;
  FieldInfo dataField(int position) const;  // 1-based
  long recNo() const;        // the current record's number, 0 when none
  long recordCount() const;  // records in the table, deleted ones included

  TableLock lock();
  void commit();
  void close();

  // Rebuilds every attached index from the table, under the exclusive lock.
  void reindex();

  struct Impl;

 private:
  void closeQuietly() noexcept;
  std::unique_ptr<Impl> impl_;
};

// The exclusive table lock of one opening, held until release() or the
// destructor. Changes made under it are written before it goes; if the
// lock goes while an exception is unwinding, pending (unwritten) changes
// are dropped instead.
class TableLock {
 public:
  TableLock(TableLock&& other) noexcept;
  TableLock& operator=(TableLock&&) = delete;
  TableLock(const TableLock&) = delete;
  ~TableLock() noexcept(false);
  void release();

 private:
  friend class DbServer;
  friend struct DbServer::Impl;
  explicit TableLock(DbServer::Impl* impl);
  DbServer::Impl* impl_;
  int uncaught_;
};

}  // namespace tavrix
