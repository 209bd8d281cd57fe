// The dBASE III index file, as this program reads and writes it.
//
//   The file is a sequence of 512-byte blocks; integers are little-endian.
//   Block 0, the header:
//     0..3   root block              4..7   number of blocks in the file
//     8..11  change stamp: odd while a writer is changing the tree; raised
//            by one when a change starts and again when it ends
//     12..13 key length              14..15 keys per block
//     16..17 key type: 0 character, 1 numeric
//     18..19 entry size: key length + 8, rounded up to a multiple of 4
//     23     unique flag (always 0 here: notice numbers may repeat)
//     24..   key expression, NUL-terminated
//   Every other block is a node:
//     0..3   key count n
//     then entries of `entry size` bytes: child block (uint32), record
//     number (uint32), key bytes. In a leaf every child is 0 and each entry
//     is one index entry. In an interior node the record numbers are 0 and
//     there are n keys and n + 1 children; the last entry holds only its
//     child. Numeric keys are 8-byte IEEE doubles.
//
//   Tree invariant: in an interior node, every entry under child i is at or
//   below key i, and every entry under child i + 1 is at or above it. Keys
//   only bound their subtrees, so removing an entry never touches interior
//   nodes. Blocks are never freed; a leaf may become empty.
//
//   Splits: a node one entry over capacity moves its lower part into a new
//   block and keeps the upper part, so the parent's key for it stays true;
//   the parent gains the new block with the lower part's highest key. A leaf
//   that overflowed by an entry added at its end keeps just that entry, so
//   numbers added in rising order fill their leaves.
#include "store/ndx_index.h"

#include <algorithm>
#include <cstring>

#include "store/index_key.h"

namespace tavrix::store {

namespace {

constexpr int kMaxDepth = 32;

std::uint32_t get32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
}
std::uint16_t get16(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}
void put32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}
void put16(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v);
  p[1] = static_cast<char>(v >> 8);
}

int entrySizeFor(int keyLength) { return (keyLength + 8 + 3) / 4 * 4; }
// Room for the keys and the extra child pointer of an interior node.
int maxKeysFor(int entrySize) { return (NdxIndex::kBlockSize - 8) / entrySize; }

[[noreturn]] void corrupt(const std::string& file, const std::string& what) {
  fail(GenCode::Corruption, "read index", what, file);
}

}  // namespace

void NdxIndex::create(const std::string& path, const std::string& expression, int keyLength,
                      bool numeric) {
  const int entrySize = entrySizeFor(keyLength);
  std::string bytes(2 * kBlockSize, '\0');
  put32(bytes.data(), 1);
  put32(bytes.data() + 4, 2);
  put16(bytes.data() + 12, static_cast<std::uint16_t>(keyLength));
  put16(bytes.data() + 14, static_cast<std::uint16_t>(maxKeysFor(entrySize)));
  put16(bytes.data() + 16, numeric ? 1 : 0);
  put16(bytes.data() + 18, static_cast<std::uint16_t>(entrySize));
  std::memcpy(bytes.data() + 24, expression.data(), std::min<std::size_t>(expression.size(), 400));
  File f(path, File::Mode::CreateNew);
  f.writeAt(0, bytes);
  f.sync();
}

NdxIndex::NdxIndex(const std::string& path) : file_(path, File::Mode::ReadWrite) {
  char h[kBlockSize];
  const std::uint64_t size = file_.size();
  if (size < 2 * kBlockSize) corrupt(path, "bad index header: file shorter than two blocks");
  file_.readAt(0, h, kBlockSize);
  keyLength_ = get16(h + 12);
  const int type = get16(h + 16);
  entrySize_ = get16(h + 18);
  if (keyLength_ < 1 || keyLength_ > 100) corrupt(path, "bad index header: key length " + std::to_string(keyLength_));
  if (type > 1 || (type == 1 && keyLength_ != 8)) corrupt(path, "bad index header: key type " + std::to_string(type));
  if (entrySize_ < keyLength_ + 8 || entrySize_ > static_cast<int>(kBlockSize) / 2)
    corrupt(path, "bad index header: entry size " + std::to_string(entrySize_));
  numeric_ = type == 1;
  maxKeys_ = std::min<int>(get16(h + 14), maxKeysFor(entrySize_));
  if (maxKeys_ < 2) corrupt(path, "bad index header: too few keys per block");
  expression_.assign(h + 24, strnlen(h + 24, kBlockSize - 24));
  if (static_cast<std::uint64_t>(get32(h + 4)) * kBlockSize <= size) checkedBlocks_ = get32(h + 4);
  takeHeaderWords(h);
}

void NdxIndex::refresh() {
  char h[12];
  file_.readAt(0, h, sizeof h);
  takeHeaderWords(h);
}

void NdxIndex::takeHeaderWords(const char* h) {
  root_ = get32(h);
  blocks_ = get32(h + 4);
  stamp_ = get32(h + 8);
  if (damaged()) return;  // the tree is not to be trusted; the caller rebuilds it
  if (blocks_ != checkedBlocks_) {
    if (static_cast<std::uint64_t>(blocks_) * kBlockSize > file_.size())
      corrupt(path(), "block count " + std::to_string(blocks_) + " beyond the end of the file");
    checkedBlocks_ = blocks_;
  }
  if (root_ == 0 || root_ >= blocks_) corrupt(path(), "root block " + std::to_string(root_) + " beyond the file");
}

// The odd stamp reaches the disk before any block changes, and the blocks
// before the even stamp: so after a crash or a power cut an index is either
// whole or marked.
void NdxIndex::beginChange() {
  if (markedByMe_) return;
  stamp_ = (stamp_ | 1) + 2;  // odd, and unlike any stamp a reader kept
  char b[4];
  put32(b, stamp_);
  file_.writeAt(8, b, 4);
  file_.sync();
  markedByMe_ = true;
}

void NdxIndex::abandonChange() { markedByMe_ = false; }

void NdxIndex::endChange() {
  if (!markedByMe_) return;
  file_.sync();
  ++stamp_;
  char b[4];
  put32(b, stamp_);
  file_.writeAt(8, b, 4);
  markedByMe_ = false;
}

void NdxIndex::writeHeader() {
  char h[8];
  put32(h, root_);
  put32(h + 4, blocks_);
  file_.writeAt(0, h, sizeof h);
}

NdxIndex::Node NdxIndex::readNode(std::uint32_t block) const {
  if (block == 0 || block >= blocks_) corrupt(path(), "block number " + std::to_string(block) + " beyond the file");
  std::string raw(kBlockSize, '\0');
  file_.readAt(static_cast<std::uint64_t>(block) * kBlockSize, raw.data(), kBlockSize);
  return parseNode(block, std::move(raw));
}

NdxIndex::Node NdxIndex::parseNode(std::uint32_t block, std::string raw) const {
  const char* b = raw.data();
  Node n;
  n.block = block;
  const std::uint32_t count = get32(b);
  if (count > static_cast<std::uint32_t>(maxKeys_))
    corrupt(path(), "block " + std::to_string(block) + " holds " + std::to_string(count) + " keys");
  n.leaf = get32(b + 4) == 0;
  const std::uint32_t refs = n.leaf ? count : count + 1;
  n.keys.reserve(count + 1);  // room for one insertion before a split
  n.refs.reserve(refs + 1);
  for (std::uint32_t i = 0; i < refs; ++i) {
    const char* e = b + 4 + i * entrySize_;
    if (n.leaf) {
      n.refs.push_back(get32(e + 4));
    } else {
      const std::uint32_t child = get32(e);
      if (child == 0 || child >= blocks_)
        corrupt(path(), "block " + std::to_string(block) + " points to block " + std::to_string(child) + " beyond the file");
      n.refs.push_back(child);
    }
    if (i < count) n.keys.emplace_back(e + 8, static_cast<std::size_t>(keyLength_));
  }
  n.raw = std::move(raw);
  return n;
}

std::string NdxIndex::blockBytes(const Node& n) const {
  std::string b(kBlockSize, '\0');
  put32(b.data(), static_cast<std::uint32_t>(n.keys.size()));
  for (std::size_t i = 0; i < n.refs.size(); ++i) {
    char* e = b.data() + 4 + i * entrySize_;
    if (n.leaf) put32(e + 4, n.refs[i]);
    else put32(e, n.refs[i]);
    if (i < n.keys.size()) std::memcpy(e + 8, n.keys[i].data(), static_cast<std::size_t>(keyLength_));
  }
  return b;
}

void NdxIndex::writeNode(const Node& n) {
  file_.writeAt(static_cast<std::uint64_t>(n.block) * kBlockSize, blockBytes(n));
}

bool NdxIndex::entryLess(const IndexEntry& a, std::string_view key, std::uint32_t recNo) const {
  const int c = compareKeys(numeric_, a.key, key);
  return c < 0 || (c == 0 && a.recNo < recNo);
}

// ---- cursor ----

void NdxIndex::Cursor::push(std::uint32_t block) {
  if (path_.size() >= static_cast<std::size_t>(kMaxDepth))
    corrupt(index_->path(), "cycle between index blocks (deeper than " + std::to_string(kMaxDepth) + " levels)");
  if (++loads_ > 2 * index_->blocks_ + kMaxDepth)
    corrupt(index_->path(), "cycle between index blocks (walk longer than the file)");
  path_.push_back(Frame{index_->readNode(block), 0});
}

bool NdxIndex::Cursor::nextLeaf() {
  for (;;) {
    path_.pop_back();
    if (path_.empty()) return false;
    Frame& f = path_.back();
    if (f.slot + 1 < f.node.refs.size()) {
      ++f.slot;
      break;
    }
  }
  while (!path_.back().node.leaf) push(path_.back().node.refs[path_.back().slot]);
  path_.back().slot = 0;
  return true;
}

bool NdxIndex::Cursor::prevLeaf() {
  for (;;) {
    path_.pop_back();
    if (path_.empty()) return false;
    Frame& f = path_.back();
    if (f.slot > 0) {
      --f.slot;
      break;
    }
  }
  for (;;) {
    Frame& f = path_.back();
    if (f.node.leaf) {
      f.slot = f.node.keys.empty() ? 0 : f.node.keys.size() - 1;
      return true;
    }
    push(f.node.refs[f.slot]);
    path_.back().slot = path_.back().node.refs.empty() ? 0 : path_.back().node.refs.size() - 1;
  }
}

void NdxIndex::Cursor::next() {
  if (!valid_) return;
  if (++path_.back().slot < leaf().keys.size()) return;
  while (nextLeaf())
    if (!leaf().keys.empty()) return;
  valid_ = false;
}

void NdxIndex::Cursor::prev() {
  if (!valid_) return;
  if (path_.back().slot > 0) {
    --path_.back().slot;
    return;
  }
  while (prevLeaf())
    if (!leaf().keys.empty()) return;
  valid_ = false;
}

void NdxIndex::Cursor::reload() {
  loads_ = 0;
  Frame& f = path_.back();
  if (f.node.block >= index_->blocks_) {
    valid_ = false;
    return;
  }
  std::string raw(kBlockSize, '\0');
  index_->file_.readAt(static_cast<std::uint64_t>(f.node.block) * kBlockSize, raw.data(), kBlockSize);
  if (raw == f.node.raw) return;  // as it was: no need to decode it again
  f.node = index_->parseNode(f.node.block, std::move(raw));
  if (!f.node.leaf || f.slot >= f.node.keys.size()) valid_ = false;
}

NdxIndex::Cursor NdxIndex::first() {
  Cursor c(*this);
  c.push(root_);
  while (!c.path_.back().node.leaf) c.push(c.path_.back().node.refs[0]);
  c.valid_ = true;
  if (c.leaf().keys.empty()) {
    c.path_.back().slot = 0;
    c.valid_ = false;
    while (c.nextLeaf())
      if (!c.leaf().keys.empty()) return c.valid_ = true, c;
  }
  return c;
}

NdxIndex::Cursor NdxIndex::last() {
  Cursor c(*this);
  c.push(root_);
  for (;;) {
    auto& f = c.path_.back();
    if (f.node.leaf) break;
    f.slot = f.node.refs.size() - 1;
    c.push(f.node.refs[f.slot]);
  }
  if (!c.leaf().keys.empty()) {
    c.path_.back().slot = c.leaf().keys.size() - 1;
    c.valid_ = true;
    return c;
  }
  while (c.prevLeaf())
    if (!c.leaf().keys.empty()) return c.valid_ = true, c;
  return c;
}

// Goes down to a leaf by the interior keys: FirstKey and FirstEntry take
// the first child whose key is not below `key`, so they reach the first
// entry with that key; AfterEqualKeys takes the first child whose key is
// above it, reaching the end of the entries with that key. In the leaf the
// slot is the first entry not below `key` (FirstKey) or not below (key,
// recNo), or the leaf's end.
NdxIndex::Cursor NdxIndex::descend(std::string_view key, std::uint32_t recNo, Descent how) {
  Cursor c(*this);
  c.push(root_);
  for (;;) {
    auto& f = c.path_.back();
    const auto& keys = f.node.keys;
    std::size_t i = 0;
    if (f.node.leaf) {
      while (i < keys.size() && (how == Descent::FirstKey ? compareKeys(numeric_, keys[i], key) < 0
                                                          : entryLess(IndexEntry{keys[i], f.node.refs[i]}, key, recNo)))
        ++i;
      f.slot = i;
      return c;
    }
    const int above = how == Descent::AfterEqualKeys ? 0 : -1;
    while (i < keys.size() && compareKeys(numeric_, keys[i], key) <= above) ++i;
    f.slot = i;
    c.push(f.node.refs[i]);
  }
}

// The leaf and slot where (key, recNo) belongs: entries before it are below
// it, entries from it on are not; the slot may be the leaf's end. Usually
// one descent past the equal keys; only when equal keys with higher record
// numbers precede the place does it walk them from the first.
NdxIndex::Cursor NdxIndex::place(std::string_view key, std::uint32_t recNo) {
  Cursor c = descend(key, recNo, Descent::AfterEqualKeys);
  if (c.slot() > 0) return c;
  Cursor before = c;
  before.valid_ = true;
  before.prev();
  if (!before.valid() || entryLess(IndexEntry{before.key(), before.recNo()}, key, recNo)) return c;
  // When the entry that follows the place opens a later leaf, the place is
  // the end of the last leaf holding smaller entries, which keeps the
  // interior keys true for an entry put there.
  c = descend(key, recNo, Descent::FirstEntry);
  while (c.slot() == c.leaf().keys.size()) {
    Cursor probe = c;
    bool more = false;
    while (probe.nextLeaf())
      if (!probe.leaf().keys.empty()) {
        more = true;
        break;
      }
    if (!more || !entryLess(IndexEntry{probe.leaf().keys[0], probe.leaf().refs[0]}, key, recNo)) break;
    c = std::move(probe);
    const auto& n = c.leaf();
    std::size_t i = 0;
    while (i < n.keys.size() && entryLess(IndexEntry{n.keys[i], n.refs[i]}, key, recNo)) ++i;
    c.path_.back().slot = i;
  }
  return c;
}

NdxIndex::Cursor NdxIndex::lowerBound(std::string_view key) {
  Cursor c = descend(key, 0, Descent::FirstKey);
  c.valid_ = true;
  if (c.slot() >= c.leaf().keys.size()) {
    c.valid_ = false;
    while (c.nextLeaf()) {
      const auto& keys = c.leaf().keys;
      std::size_t i = 0;
      while (i < keys.size() && compareKeys(numeric_, keys[i], key) < 0) ++i;
      if (i < keys.size()) {
        c.path_.back().slot = i;
        c.valid_ = true;
        break;
      }
    }
  }
  return c;
}

NdxIndex::Cursor NdxIndex::find(std::string_view key, std::uint32_t recNo) {
  Cursor c = place(key, recNo);
  c.valid_ = true;
  if (c.slot() < c.leaf().keys.size()) return c;
  c.valid_ = false;
  while (c.nextLeaf())
    if (!c.leaf().keys.empty()) {
      c.valid_ = true;
      break;
    }
  return c;
}

void NdxIndex::insert(const std::string& key, std::uint32_t recNo) {
  beginChange();
  Cursor c = place(key, recNo);
  auto& f = c.path_.back();
  f.node.keys.insert(f.node.keys.begin() + static_cast<std::ptrdiff_t>(f.slot), key);
  f.node.refs.insert(f.node.refs.begin() + static_cast<std::ptrdiff_t>(f.slot), recNo);
  const std::uint32_t before = blocks_, rootBefore = root_;
  store(c, c.path_.size() - 1, f.slot);
  if (blocks_ != before || root_ != rootBefore) writeHeader();
}

void NdxIndex::store(Cursor& c, std::size_t level, std::size_t inserted) {
  Node& n = c.path_[level].node;
  if (n.keys.size() <= static_cast<std::size_t>(maxKeys_)) {
    writeNode(n);
    return;
  }
  const std::size_t count = n.keys.size();
  Node lower;
  lower.block = blocks_++;
  lower.leaf = n.leaf;
  std::string separator;
  if (n.leaf) {
    const std::size_t h = inserted == count - 1 ? count - 1 : count / 2;
    lower.keys.assign(n.keys.begin(), n.keys.begin() + static_cast<std::ptrdiff_t>(h));
    lower.refs.assign(n.refs.begin(), n.refs.begin() + static_cast<std::ptrdiff_t>(h));
    n.keys.erase(n.keys.begin(), n.keys.begin() + static_cast<std::ptrdiff_t>(h));
    n.refs.erase(n.refs.begin(), n.refs.begin() + static_cast<std::ptrdiff_t>(h));
    separator = lower.keys.back();
  } else {
    const std::size_t h = count / 2;
    separator = n.keys[h];
    lower.keys.assign(n.keys.begin(), n.keys.begin() + static_cast<std::ptrdiff_t>(h));
    lower.refs.assign(n.refs.begin(), n.refs.begin() + static_cast<std::ptrdiff_t>(h + 1));
    n.keys.erase(n.keys.begin(), n.keys.begin() + static_cast<std::ptrdiff_t>(h + 1));
    n.refs.erase(n.refs.begin(), n.refs.begin() + static_cast<std::ptrdiff_t>(h + 1));
  }
  writeNode(lower);
  writeNode(n);
  if (level == 0) {
    Node root;
    root.block = blocks_++;
    root.leaf = false;
    root.keys = {separator};
    root.refs = {lower.block, n.block};
    writeNode(root);
    root_ = root.block;
    return;
  }
  auto& parent = c.path_[level - 1];
  parent.node.keys.insert(parent.node.keys.begin() + static_cast<std::ptrdiff_t>(parent.slot), separator);
  parent.node.refs.insert(parent.node.refs.begin() + static_cast<std::ptrdiff_t>(parent.slot), lower.block);
  store(c, level - 1, parent.slot);
}

void NdxIndex::remove(const std::string& key, std::uint32_t recNo) {
  Cursor c = find(key, recNo);
  if (!c.valid() || c.recNo() != recNo || compareKeys(numeric_, c.key(), key) != 0)
    fail(GenCode::Corruption, "update index",
         "index has no entry for record " + std::to_string(recNo) + "; the index is out of step with its table",
         path());
  beginChange();
  auto& f = c.path_.back();
  f.node.keys.erase(f.node.keys.begin() + static_cast<std::ptrdiff_t>(f.slot));
  f.node.refs.erase(f.node.refs.begin() + static_cast<std::ptrdiff_t>(f.slot));
  writeNode(f.node);
}

void NdxIndex::rebuild(std::vector<IndexEntry> entries) {
  beginChange();
  std::sort(entries.begin(), entries.end(), [this](const IndexEntry& a, const IndexEntry& b) {
    return entryLess(a, b.key, b.recNo);
  });
  std::string out;
  std::uint32_t next = 1;
  struct Child {
    std::uint32_t block;
    std::string high;
  };
  std::vector<Child> level;
  const auto per = static_cast<std::size_t>(maxKeys_);
  for (std::size_t i = 0; i < entries.size() || level.empty(); i += per) {
    Node n;
    n.block = next++;
    for (std::size_t j = i; j < std::min(entries.size(), i + per); ++j) {
      n.keys.push_back(entries[j].key);
      n.refs.push_back(entries[j].recNo);
    }
    out += blockBytes(n);
    level.push_back({n.block, n.keys.empty() ? std::string() : n.keys.back()});
  }
  while (level.size() > 1) {
    std::vector<Child> up;
    for (std::size_t i = 0; i < level.size(); i += per + 1) {
      Node n;
      n.block = next++;
      n.leaf = false;
      const std::size_t end = std::min(level.size(), i + per + 1);
      for (std::size_t j = i; j < end; ++j) {
        n.refs.push_back(level[j].block);
        if (j + 1 < end) n.keys.push_back(level[j].high);
      }
      out += blockBytes(n);
      up.push_back({n.block, level[end - 1].high});
    }
    level = std::move(up);
  }
  file_.truncate(kBlockSize);
  file_.writeAt(kBlockSize, out);
  root_ = level[0].block;
  blocks_ = next;
  writeHeader();
}

std::vector<IndexEntry> NdxIndex::scan(std::vector<std::string>& problems) {
  std::vector<IndexEntry> out;
  try {
    refresh();
  } catch (const Error& e) {
    problems.push_back(path() + ": " + e.description);
    return out;
  }
  if (stamp_ & 1) problems.push_back(path() + ": change mark set (a writer stopped while changing it)");
  std::vector<bool> seen(blocks_, false);
  scanNode(root_, 0, seen, out, problems);
  for (std::size_t i = 1; i < out.size(); ++i)
    if (!entryLess(out[i - 1], out[i].key, out[i].recNo)) {
      problems.push_back(path() + ": entries out of order at position " + std::to_string(i + 1) +
                         " (record " + std::to_string(out[i].recNo) + ")");
      break;
    }
  return out;
}

void NdxIndex::scanNode(std::uint32_t block, int depth, std::vector<bool>& seen,
                        std::vector<IndexEntry>& out, std::vector<std::string>& problems) {
  const std::string at = path() + ": block " + std::to_string(block) + ": ";
  if (depth > kMaxDepth) {
    problems.push_back(at + "tree deeper than " + std::to_string(kMaxDepth) + " levels");
    return;
  }
  if (block < seen.size() && seen[block]) {
    problems.push_back(at + "reached twice (cycle or shared block)");
    return;
  }
  Node n;
  try {
    n = readNode(block);
  } catch (const Error& e) {
    problems.push_back(path() + ": " + e.description);
    return;
  }
  seen[block] = true;
  if (n.leaf) {
    for (std::size_t i = 0; i < n.keys.size(); ++i) out.push_back({n.keys[i], n.refs[i]});
    return;
  }
  for (std::size_t i = 0; i < n.refs.size(); ++i) {
    const std::size_t from = out.size();
    scanNode(n.refs[i], depth + 1, seen, out, problems);
    for (std::size_t j = from; j < out.size(); ++j) {
      const bool aboveHigh = i < n.keys.size() && compareKeys(numeric_, out[j].key, n.keys[i]) > 0;
      const bool belowLow = i > 0 && compareKeys(numeric_, out[j].key, n.keys[i - 1]) < 0;
      if (aboveHigh || belowLow) {
        problems.push_back(at + "key of child " + std::to_string(i + 1) + " does not bound record " +
                           std::to_string(out[j].recNo));
        break;
      }
    }
  }
}

}  // namespace tavrix::store
