#include "store/db_server.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <vector>

#include "store/dbf_table.h"
#include "store/index_key.h"
#include "store/memo_file.h"
#include "store/ndx_index.h"

namespace tavrix {

using store::DbfTable;
using store::FieldDesc;
using store::IndexKey;
using store::LockKind;
using store::MemoFile;
using store::NdxIndex;
using store::fail;

namespace {

bool gExclusiveOpening = false;
bool gHideDeleted = true;

using FileId = std::pair<std::uint64_t, std::uint64_t>;

// Explicit table locks held in this process, by table file: an opening that
// waited for one of them would wait for itself.
std::map<FileId, const void*>& heldTableLocks() {
  static std::map<FileId, const void*> held;
  return held;
}

bool endsWithNoCase(const std::string& s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), s.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

std::string withExtension(const std::string& name, std::string_view ext) {
  return endsWithNoCase(name, ext) ? name : name + std::string(ext);
}

std::string baseName(const std::string& name) {
  return endsWithNoCase(name, ".dbf") ? name.substr(0, name.size() - 4) : name;
}

}  // namespace

void setExclusiveOpening(bool on) { gExclusiveOpening = on; }
bool exclusiveOpening() { return gExclusiveOpening; }
void setHideDeleted(bool on) { gHideDeleted = on; }
bool hideDeleted() { return gHideDeleted; }

namespace store {
struct AttachedIndex {
  NdxIndex ndx;
  IndexKey key;
  bool fresh = false;  // header re-read under the current lock
};
}  // namespace store
using Attached = store::AttachedIndex;

struct DbServer::Impl {
  explicit Impl(const std::string& base, bool exclusive);

  // ---- locking ----
  enum class Held { None, Shared, Exclusive };
  void acquire(LockKind kind);
  void releaseOperationLock(bool failed) noexcept;
  void settle();
  Attached& use(std::size_t i);
  void exclusively(const std::function<void()>& fix);
  void repair(Attached& a);
  void recoverRecord();
  void writeInPlace(std::uint32_t r, const std::string& rec);
  void releaseExplicit(bool dropPending);

  // ---- positioning ----
  bool hasCurrent() const { return recNo != 0 || isNew; }
  bool visible(std::uint32_t r, std::string& rec);
  bool entryVisible(const NdxIndex::Cursor& c, std::string& rec);
  bool forwardVisible(NdxIndex::Cursor& c, std::string& rec);
  bool backwardVisible(NdxIndex::Cursor& c, std::string& rec);
  void setCurrent(std::uint32_t r, std::string rec);
  void setAt(NdxIndex::Cursor&& c, std::string rec);
  void setNone();
  void positionEnd(bool top);
  void stepForward(long n);
  void stepBackward(long n);
  void checkRecordNumber(const NdxIndex& ndx, std::uint32_t r) const;
  void remember(NdxIndex::Cursor&& c);
  NdxIndex::Cursor current(Attached& a, bool& here);

  // ---- changes ----
  void flush();
  void dropPending();
  void syncAll();
  const FieldDesc& field(std::string_view name) const;
  Value value(int field);

  DbfTable table;
  std::optional<MemoFile> memo;
  std::vector<Attached> indexes;
  int order = 0;
  FileId identity;

  Held held = Held::None;
  TableLock* explicitLock = nullptr;

  std::uint32_t recNo = 0;
  bool eof = true;
  bool bof = false;
  std::string record;  // the current record's bytes, with pending changes
  std::string posKey;  // its key in the current order, for finding it again
  // Where the last move left the current order's index, and the index's
  // stamp then: while the stamp is unchanged the next move starts there
  // instead of descending from the root again.
  std::optional<NdxIndex::Cursor> cursor;
  std::uint32_t cursorStamp = 0;

  bool dirty = false;
  bool isNew = false;
  bool markChanged = false;
  std::vector<bool> changed;
  std::map<int, std::string> pendingMemo;
  bool needSync = false;
};

namespace store {
// Holds the operation lock for one operation, unless this opening already
// holds a lock that covers it (its TableLock, or an enclosing operation).
class OperationGuard {
 public:
  OperationGuard(DbServer::Impl& db, LockKind kind) : db_(db) {
    using H = DbServer::Impl::Held;
    if (db.held == H::Exclusive || (db.held == H::Shared && kind == LockKind::Shared)) return;
    db.acquire(kind);
    try {
      db.recoverRecord();
    } catch (...) {
      db.releaseOperationLock(true);
      throw;
    }
    taken_ = true;
    uncaught_ = std::uncaught_exceptions();
  }
  ~OperationGuard() {
    if (taken_) db_.releaseOperationLock(std::uncaught_exceptions() > uncaught_);
  }
  // Completes the operation's writes (see Impl::settle).
  void finish() {
    if (taken_) db_.settle();
  }
  OperationGuard(const OperationGuard&) = delete;
  OperationGuard& operator=(const OperationGuard&) = delete;

 private:
  DbServer::Impl& db_;
  bool taken_ = false;
  int uncaught_ = 0;
};
}  // namespace store
using store::OperationGuard;

DbServer::Impl::Impl(const std::string& base, bool exclusive) : table(base + ".dbf") {
  if (table.hasMemoFields()) memo.emplace(base + ".dbt");
  identity = table.file().identity();
  if (!table.file().lock(store::kOpenLockByte, exclusive ? LockKind::Exclusive : LockKind::Shared, false))
    fail(GenCode::Lock, "open",
         exclusive ? "table is in use by another opening" : "table is opened exclusively by another opening",
         table.path());
  record = table.blankRecord();
  changed.assign(table.fields().size(), false);
}

void DbServer::Impl::acquire(LockKind kind) {
  auto& held_ = heldTableLocks();
  auto it = held_.find(identity);
  if (it != held_.end() && it->second != this)
    fail(GenCode::Lock, "lock", "the table is locked by another opening in this process", table.path());
  table.file().lock(store::kOperationLockByte, kind, true);
  held = kind == LockKind::Shared ? Held::Shared : Held::Exclusive;
  for (auto& a : indexes) a.fresh = false;
  try {
    table.refresh();
  } catch (...) {
    releaseOperationLock(true);
    throw;
  }
}

// Lets the operation lock go. After a failure, records appended under it
// stay unpublished (the next append writes over them) and the indexes it
// changed stay marked, so the next operation rebuilds them.
void DbServer::Impl::releaseOperationLock(bool failed) noexcept {
  if (!failed) try {
      settle();
    } catch (...) {
      failed = true;
    }
  if (failed)
    for (auto& a : indexes) a.ndx.abandonChange();
  try {
    table.file().unlock(store::kOperationLockByte);
  } catch (...) {
    // The lock goes with the file at the latest; nothing better to do here.
  }
  held = Held::None;
}

// Completes the writes of a lock hold: new records (and their memo texts)
// reach the disk before the header's count includes them; the changed
// indexes reach it before their change marks are cleared.
void DbServer::Impl::settle() {
  if (table.hasUnpublishedRecords()) {
    if (memo) memo->file().sync();
    table.file().sync();
  }
  table.publish();
  for (auto& a : indexes) a.ndx.endChange();
}

// The attached index i, its header re-read under the current lock; an
// index left half-changed by a writer that died is rebuilt first.
Attached& DbServer::Impl::use(std::size_t i) {
  Attached& a = indexes[i];
  if (a.fresh) return a;
  a.ndx.refresh();
  if (a.ndx.damaged()) {
    exclusively([&] {
      a.ndx.refresh();
      if (a.ndx.damaged()) repair(a);
    });
    a.ndx.refresh();
  }
  a.fresh = true;
  return a;
}

// Runs `fix` under the exclusive lock: at once when this opening holds it,
// else by trading its shared lock for the exclusive one and back. `fix`
// checks again what it fixes: another opening may have fixed it meanwhile.
void DbServer::Impl::exclusively(const std::function<void()>& fix) {
  if (held == Held::Exclusive) return fix();
  table.file().unlock(store::kOperationLockByte);
  held = Held::None;
  acquire(LockKind::Exclusive);
  fix();
  table.file().unlock(store::kOperationLockByte);
  held = Held::None;
  acquire(LockKind::Shared);
}

// A record rewrite cut short by its writer's death is finished from the
// journal before anything reads the record.
void DbServer::Impl::recoverRecord() {
  if (!table.rewritePending()) return;
  exclusively([&] {
    if (!table.rewritePending()) return;
    if (auto entry = memo ? memo->journal() : std::nullopt;
        entry && entry->recNo >= 1 && entry->recNo <= table.recordCount() &&
        entry->record.size() == static_cast<std::size_t>(table.recordLength())) {
      table.writeRecord(entry->recNo, entry->record);
      table.publish();
    }
    table.setRewritePending(false);
  });
}

// Rewrites a record in place through the journal, where it fits: the
// journal whole, then the flag that it is to be used, then the record.
void DbServer::Impl::writeInPlace(std::uint32_t r, const std::string& rec) {
  if (!memo || !MemoFile::journalHolds(rec.size())) return table.writeRecord(r, rec);
  memo->writeJournal(r, rec);
  table.setRewritePending(true);
  table.writeRecord(r, rec);
  table.setRewritePending(false);
}

void DbServer::Impl::repair(Attached& a) {
  std::vector<store::IndexEntry> entries;
  const std::uint32_t count = table.recordCount();
  entries.reserve(count);
  const std::uint32_t chunk = 4096;
  const auto len = static_cast<std::size_t>(table.recordLength());
  for (std::uint32_t first = 1; first <= count; first += chunk) {
    const std::uint32_t n = std::min(chunk, count - first + 1);
    const std::string recs = table.readRecords(first, n);
    for (std::uint32_t i = 0; i < n; ++i)
      entries.push_back({a.key.of(std::string_view(recs).substr(i * len, len)), first + i});
  }
  a.ndx.rebuild(std::move(entries));
  a.ndx.endChange();
}

void DbServer::Impl::releaseExplicit(bool drop) {
  TableLock* lock = explicitLock;
  explicitLock = nullptr;
  if (lock) lock->impl_ = nullptr;
  heldTableLocks().erase(identity);
  try {
    if (drop) {
      dropPending();
    } else {
      flush();
      settle();
    }
  } catch (...) {
    releaseOperationLock(true);
    throw;
  }
  releaseOperationLock(drop);
}

void DbServer::Impl::checkRecordNumber(const NdxIndex& ndx, std::uint32_t r) const {
  if (r == 0 || r > table.recordCount())
    fail(GenCode::Corruption, "read index",
         "index entry refers to record " + std::to_string(r) + " beyond the table", ndx.path());
}

bool DbServer::Impl::visible(std::uint32_t r, std::string& rec) {
  rec = table.readRecord(r);
  return !(gHideDeleted && rec[0] == '*');
}

// Whether the record an index entry names is visible, reading it into
// `rec`. A record whose key is not the entry's means the index is out of
// step with its table: it must not be used.
bool DbServer::Impl::entryVisible(const NdxIndex::Cursor& c, std::string& rec) {
  const Attached& a = indexes[static_cast<std::size_t>(order - 1)];
  checkRecordNumber(a.ndx, c.recNo());
  const bool shown = visible(c.recNo(), rec);
  if (a.key.of(rec) != c.key())
    fail(GenCode::Corruption, "read index",
         "index entry for record " + std::to_string(c.recNo()) + " does not hold the record's key", a.ndx.path());
  return shown;
}

bool DbServer::Impl::forwardVisible(NdxIndex::Cursor& c, std::string& rec) {
  for (; c.valid(); c.next())
    if (entryVisible(c, rec)) return true;
  return false;
}

bool DbServer::Impl::backwardVisible(NdxIndex::Cursor& c, std::string& rec) {
  for (; c.valid(); c.prev())
    if (entryVisible(c, rec)) return true;
  return false;
}

void DbServer::Impl::remember(NdxIndex::Cursor&& c) {
  cursor = std::move(c);
  cursorStamp = indexes[static_cast<std::size_t>(order - 1)].ndx.stamp();
}

// A cursor on the current record's entry in the current order (`here`), or,
// when the entry is gone, on the first entry after where it was.
NdxIndex::Cursor DbServer::Impl::current(Attached& a, bool& here) {
  if (cursor && cursorStamp == a.ndx.stamp() && cursor->valid()) {
    NdxIndex::Cursor c = std::move(*cursor);
    cursor.reset();
    c.reload();
    if (c.valid() && c.recNo() == recNo && c.key() == posKey) {
      here = true;
      return c;
    }
  }
  NdxIndex::Cursor c = a.ndx.find(posKey, recNo);
  here = c.valid() && c.recNo() == recNo && store::compareKeys(a.ndx.numeric(), c.key(), posKey) == 0;
  return c;
}

void DbServer::Impl::setCurrent(std::uint32_t r, std::string rec) {
  recNo = r;
  record = std::move(rec);
  posKey = order ? indexes[static_cast<std::size_t>(order - 1)].key.of(record) : std::string();
  eof = false;
}

// The record of the cursor's entry becomes current. Its position key is the
// entry's key, not one made from the record: in an index out of step with
// its table the two differ, and finding the record again by the record's
// key could land elsewhere and walk in circles; by the entry's key every
// step goes on from where the last one ended.
void DbServer::Impl::setAt(NdxIndex::Cursor&& c, std::string rec) {
  const std::uint32_t r = c.recNo();
  std::string key = c.key();
  remember(std::move(c));
  setCurrent(r, std::move(rec));
  posKey = std::move(key);
}

void DbServer::Impl::setNone() {
  cursor.reset();
  recNo = 0;
  record = table.blankRecord();
  posKey.clear();
  eof = true;
}

// The first (top) or last visible record of the order; none: BOF and EOF.
void DbServer::Impl::positionEnd(bool top) {
  std::string rec;
  bof = false;
  if (order == 0) {
    const std::uint32_t count = table.recordCount();
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t r = top ? i + 1 : count - i;
      if (visible(r, rec)) return setCurrent(r, std::move(rec));
    }
  } else {
    Attached& a = use(static_cast<std::size_t>(order - 1));
    auto c = top ? a.ndx.first() : a.ndx.last();
    if (top ? forwardVisible(c, rec) : backwardVisible(c, rec)) return setAt(std::move(c), std::move(rec));
  }
  setNone();
  bof = true;
}

void DbServer::Impl::stepForward(long n) {
  std::string rec;
  if (order == 0) {
    std::uint32_t r = recNo;
    const std::uint32_t count = table.recordCount();
    for (long i = 0; i < n; ++i) {
      do {
        if (++r > count) return setNone();
      } while (!visible(r, rec));
    }
    return setCurrent(r, std::move(rec));
  }
  Attached& a = use(static_cast<std::size_t>(order - 1));
  bool here = false;
  auto c = current(a, here);
  for (long i = 0; i < n; ++i) {
    if (i > 0 || here) c.next();
    if (!forwardVisible(c, rec)) return setNone();
  }
  setAt(std::move(c), std::move(rec));
}

void DbServer::Impl::stepBackward(long n) {
  std::string rec;
  if (order == 0) {
    std::uint32_t r = recNo;
    for (long i = 0; i < n; ++i) {
      do {
        if (--r == 0) {
          positionEnd(true);
          bof = true;
          return;
        }
      } while (!visible(r, rec));
    }
    return setCurrent(r, std::move(rec));
  }
  Attached& a = use(static_cast<std::size_t>(order - 1));
  bool here = false;
  auto c = current(a, here);
  if (c.valid()) c.prev();
  else c = a.ndx.last();
  for (long i = 0; i < n; ++i) {
    if (i > 0) c.prev();
    if (!backwardVisible(c, rec)) {
      positionEnd(true);
      bof = true;
      return;
    }
  }
  setAt(std::move(c), std::move(rec));
}

const FieldDesc& DbServer::Impl::field(std::string_view name) const {
  const int i = table.fieldIndex(name);
  if (i < 0) fail(GenCode::NoField, "field access", "no field named " + std::string(name), table.path());
  return table.fields()[static_cast<std::size_t>(i)];
}

Value DbServer::Impl::value(int i) {
  const FieldDesc& f = table.fields()[static_cast<std::size_t>(i)];
  const std::string_view raw = std::string_view(record).substr(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.length));
  if (f.type != 'M') return store::decodeField(f, raw);
  if (auto it = pendingMemo.find(i); it != pendingMemo.end()) return Value(it->second);
  const long long block = leadingNumber(raw);
  if (block <= 0 || !memo) return Value(std::string());
  // No lock needed: memo blocks are never rewritten (memo_file.h).
  return Value(memo->read(static_cast<std::uint32_t>(block)));
}

// Forgets unwritten changes; the opening is left without a current record.
void DbServer::Impl::dropPending() {
  if (dirty) setNone();
  dirty = isNew = markChanged = false;
  changed.assign(changed.size(), false);
  pendingMemo.clear();
}

// Writes the pending change of the current record: memo texts, then the
// record, then the index entries whose keys changed, each changed index
// carrying its change mark from before the record is written.
void DbServer::Impl::flush() {
  if (!dirty) return;
  bool appended = false;
  try {
    OperationGuard g(*this, LockKind::Exclusive);
    for (std::size_t i = 0; i < indexes.size(); ++i) use(i);
    std::string old;
    std::string rec = record;
    if (!isNew) {
      old = table.readRecord(recNo);
      rec = old;
      for (std::size_t i = 0; i < changed.size(); ++i) {
        const FieldDesc& f = table.fields()[i];
        if (changed[i] && f.type != 'M')
          rec.replace(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.length), record, static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.length));
      }
      if (markChanged) rec[0] = record[0];
    }
    for (const auto& [i, text] : pendingMemo) {
      const FieldDesc& f = table.fields()[static_cast<std::size_t>(i)];
      std::string digits(static_cast<std::size_t>(f.length), ' ');
      if (!text.empty()) {
        if (!memo) fail(GenCode::Open, "field put", "table has no memo file", table.path());
        const std::string n = std::to_string(memo->append(text));
        if (n.size() > digits.size()) fail(GenCode::DataWidth, "field put", "memo block number too wide", table.path());
        digits.replace(digits.size() - n.size(), n.size(), n);
      }
      rec.replace(static_cast<std::size_t>(f.offset), digits.size(), digits);
    }
    std::vector<std::pair<std::string, std::string>> keys;  // old, new per index
    for (auto& a : indexes) {
      keys.emplace_back(isNew ? std::string() : a.key.of(old), a.key.of(rec));
      if (isNew || keys.back().first != keys.back().second) a.ndx.beginChange();
    }
    if (isNew) {
      recNo = table.appendRecord(rec);
      appended = true;
    } else {
      if (!pendingMemo.empty() && memo) memo->file().sync();  // the text before the record points to it
      writeInPlace(recNo, rec);
    }
    for (std::size_t i = 0; i < indexes.size(); ++i) {
      if (!isNew && keys[i].first == keys[i].second) continue;
      if (!isNew) indexes[i].ndx.remove(keys[i].first, recNo);
      indexes[i].ndx.insert(keys[i].second, recNo);
    }
    g.finish();
    bool heavy = isNew || markChanged || !pendingMemo.empty();
    for (std::size_t i = 0; i < changed.size(); ++i) {
      const char t = table.fields()[i].type;
      if (changed[i] && t != 'N' && t != 'F') heavy = true;
    }
    needSync = needSync || heavy;
    cursor.reset();
    isNew = dirty = markChanged = false;
    changed.assign(changed.size(), false);
    pendingMemo.clear();
    setCurrent(recNo, std::move(rec));
  } catch (...) {
    // Under a TableLock the lock stays: undo what the failed write did to
    // this opening's view, and have the indexes it touched rebuilt.
    if (appended) table.dropLastAppended();
    for (auto& a : indexes)
      if (a.ndx.changing()) {
        a.ndx.abandonChange();
        a.fresh = false;
      }
    dropPending();
    throw;
  }
}

void DbServer::Impl::syncAll() {
  table.file().sync();
  if (memo) memo->file().sync();
  for (auto& a : indexes) a.ndx.file().sync();
  needSync = false;
}

// ---- DbServer ----

DbServer::DbServer(const std::string& name, std::optional<bool> shared)
    : impl_(std::make_unique<Impl>(baseName(name), shared ? !*shared : gExclusiveOpening)) {}

DbServer::~DbServer() { closeQuietly(); }

void DbServer::closeQuietly() noexcept {
  if (!impl_) return;
  if (std::uncaught_exceptions() > 0) impl_->dropPending();
  try {
    close();
  } catch (...) {
    // Nothing can report here; close() explicitly to see failures.
  }
  impl_.reset();
}

DbServer::DbServer(DbServer&&) noexcept = default;

DbServer& DbServer::operator=(DbServer&& other) noexcept {
  if (this != &other) {
    closeQuietly();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

namespace {
DbServer::Impl& openImpl(const std::unique_ptr<DbServer::Impl>& impl) {
  if (!impl) throw makeError(store::kSubSystem, GenCode::Argument, "use", "table is closed");
  return *impl;
}
}  // namespace

void DbServer::setIndex(const std::string& name) {
  Impl& db = openImpl(impl_);
  db.flush();
  const std::string path = withExtension(name, ".ndx");
  NdxIndex ndx(path);
  IndexKey key(ndx.expression(), db.table, path);
  if (key.numeric() != ndx.numeric() || key.length() != ndx.keyLength())
    fail(GenCode::Corruption, "set index", "key length or type does not match the key expression", path);
  db.cursor.reset();  // cursors point into the list of indexes
  const bool marked = ndx.damaged();
  db.indexes.push_back(Attached{std::move(ndx), std::move(key)});
  if (db.indexes.size() == 1) setOrder(1);
  if (marked) {  // a writer at work, or one that died at work: look again under the lock
    OperationGuard g(db, LockKind::Shared);
    db.use(db.indexes.size() - 1);
  }
}

void DbServer::setOrder(int order) {
  Impl& db = openImpl(impl_);
  if (order < 0 || order > static_cast<int>(db.indexes.size()))
    fail(GenCode::NoOrder, "set order", "no index order " + std::to_string(order), db.table.path());
  db.flush();
  db.cursor.reset();
  db.order = order;
  db.posKey = (order && db.recNo) ? db.indexes[static_cast<std::size_t>(order - 1)].key.of(db.record) : std::string();
}

void DbServer::goTop() {
  Impl& db = openImpl(impl_);
  db.flush();
  OperationGuard g(db, LockKind::Shared);
  db.positionEnd(true);
}

void DbServer::goBottom() {
  Impl& db = openImpl(impl_);
  db.flush();
  OperationGuard g(db, LockKind::Shared);
  db.positionEnd(false);
}

void DbServer::skip(long count) {
  Impl& db = openImpl(impl_);
  db.flush();
  OperationGuard g(db, LockKind::Shared);
  db.bof = false;
  if (count == 0) {
    if (db.recNo) db.setCurrent(db.recNo, db.table.readRecord(db.recNo));
    return;
  }
  if (db.recNo == 0) {
    if (count > 0) return db.setNone();
    db.positionEnd(false);
    if (db.recNo == 0) return;
    ++count;
    if (count == 0) return;
  }
  if (count > 0) db.stepForward(count);
  else db.stepBackward(-count);
}

bool DbServer::seek(const Value& key, bool soft) {
  Impl& db = openImpl(impl_);
  db.flush();
  if (db.order == 0) fail(GenCode::NoOrder, "seek", "seek needs an index order", db.table.path());
  OperationGuard g(db, LockKind::Shared);
  Attached& a = db.use(static_cast<std::size_t>(db.order - 1));
  const std::string k = a.key.forSeek(key);
  db.bof = false;
  auto c = a.ndx.lowerBound(k);
  std::string rec;
  if (db.forwardVisible(c, rec)) {
    const bool found = store::compareKeys(a.ndx.numeric(), c.key(), k) == 0;
    if (found || soft) {
      db.setAt(std::move(c), std::move(rec));
      return found;
    }
  }
  db.setNone();
  return false;
}

bool DbServer::eof() const { return openImpl(impl_).eof; }
bool DbServer::bof() const { return openImpl(impl_).bof; }

Value DbServer::fieldGet(std::string_view fieldName) const {
  Impl& db = openImpl(impl_);
  const FieldDesc& f = db.field(fieldName);
  return db.value(static_cast<int>(&f - db.table.fields().data()));
}

Value DbServer::fieldGet(int position) const {
  Impl& db = openImpl(impl_);
  if (position < 1 || position > fieldCount())
    fail(GenCode::Bound, "field get", "no field at position " + std::to_string(position), db.table.path());
  return db.value(position - 1);
}

void DbServer::fieldPut(std::string_view fieldName, const Value& value) {
  Impl& db = openImpl(impl_);
  const FieldDesc& f = db.field(fieldName);
  if (!db.hasCurrent()) fail(GenCode::Bound, "field put", "no current record", db.table.path());
  const int i = static_cast<int>(&f - db.table.fields().data());
  if (f.type == 'M') {
    if (!value.isText() && !value.isNil())
      fail(GenCode::Argument, "field put", "field " + f.name + " takes a text", db.table.path());
    db.pendingMemo[i] = value.isNil() ? std::string() : value.text();
  } else {
    db.record.replace(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.length),
                      store::encodeField(f, value, db.table.path()));
  }
  db.changed[static_cast<std::size_t>(i)] = true;
  db.dirty = true;
}

void DbServer::append() {
  Impl& db = openImpl(impl_);
  db.flush();
  {
    OperationGuard g(db, LockKind::Shared);
    db.recNo = db.table.recordCount() + 1;
  }
  db.record = db.table.blankRecord();
  db.posKey.clear();
  db.isNew = db.dirty = true;
  db.eof = db.bof = false;
}

void DbServer::deleteRecord() {
  Impl& db = openImpl(impl_);
  if (!db.hasCurrent()) return;
  db.record[0] = '*';
  db.markChanged = db.dirty = true;
  db.flush();
}

bool DbServer::deleted() const {
  const Impl& db = openImpl(impl_);
  return db.hasCurrent() && db.record[0] == '*';
}

int DbServer::fieldCount() const { return static_cast<int>(openImpl(impl_).table.fields().size()); }

FieldInfo DbServer::dataField(int position) const {
  const Impl& db = openImpl(impl_);
  if (position < 1 || position > fieldCount())
    fail(GenCode::Bound, "data field", "no field at position " + std::to_string(position), db.table.path());
  const FieldDesc& f = db.table.fields()[static_cast<std::size_t>(position - 1)];
  return FieldInfo{f.name, std::string(), f.length, f.type, f.decimals};
}

long DbServer::recNo() const { return static_cast<long>(openImpl(impl_).recNo); }

long DbServer::recordCount() const {
  Impl& db = openImpl(impl_);
  OperationGuard g(db, LockKind::Shared);
  return static_cast<long>(db.table.recordCount());
}

TableLock DbServer::lock() {
  Impl& db = openImpl(impl_);
  if (db.explicitLock) fail(GenCode::Lock, "lock", "this opening already holds the table lock", db.table.path());
  db.flush();
  db.acquire(LockKind::Exclusive);
  try {
    db.recoverRecord();
  } catch (...) {
    db.releaseOperationLock(true);
    throw;
  }
  heldTableLocks()[db.identity] = &db;
  TableLock lock(&db);
  return lock;
}

void DbServer::commit() {
  Impl& db = openImpl(impl_);
  db.flush();
  if (db.explicitLock) db.settle();  // appends under the lock are published now
  db.syncAll();
}

void DbServer::close() {
  if (!impl_) return;
  Impl& db = *impl_;
  if (db.explicitLock) db.releaseExplicit(false);
  db.flush();
  if (db.needSync) db.syncAll();
  impl_.reset();
}

void DbServer::reindex() {
  Impl& db = openImpl(impl_);
  db.flush();
  OperationGuard g(db, LockKind::Exclusive);
  for (auto& a : db.indexes) db.repair(a);
  g.finish();
}

// ---- TableLock ----

TableLock::TableLock(DbServer::Impl* impl) : impl_(impl), uncaught_(std::uncaught_exceptions()) {
  impl_->explicitLock = this;
}

TableLock::TableLock(TableLock&& other) noexcept : impl_(other.impl_), uncaught_(other.uncaught_) {
  other.impl_ = nullptr;
  if (impl_) impl_->explicitLock = this;
}

TableLock::~TableLock() noexcept(false) {
  if (!impl_) return;
  if (std::uncaught_exceptions() > uncaught_) {
    try {
      impl_->releaseExplicit(true);
    } catch (...) {
      // Already unwinding from another failure; that one is reported.
    }
    return;
  }
  release();
}

void TableLock::release() {
  if (impl_) impl_->releaseExplicit(false);
}

}  // namespace tavrix
