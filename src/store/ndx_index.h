// NdxIndex: one dBASE III index file (.ndx), a B-tree of (key, record
// number) entries over a table. Entries are kept in key order and, among
// equal keys, in record-number order, so every table has exactly one correct
// index. Blocks are read from the file whenever a cursor needs them; nothing
// is kept from one operation to the next except the key definition.
//
// Changing an index is bracketed by a change stamp in its header: made odd
// before any block is touched and even again once the index is whole, so it
// is both a change mark and a version. An odd stamp found while no writer
// holds the table lock means a writer died in the middle; the index is then
// rebuilt from the table (the table is the truth). An unchanged even stamp
// means no block changed since it was last read.
// All callers hold the table lock: shared to read, exclusive to change.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/file.h"

namespace tavrix::store {

struct IndexEntry {
  std::string key;
  std::uint32_t recNo = 0;
};

class NdxIndex {
 public:
  static constexpr std::uint32_t kBlockSize = 512;

  // Creates an index file holding no entries; fails if the file exists.
  static void create(const std::string& path, const std::string& expression, int keyLength,
                     bool numeric);

  // Opens the file and reads its header; a header that does not describe an
  // index is an error.
  explicit NdxIndex(const std::string& path);

  const std::string& path() const { return file_.path(); }
  File& file() { return file_; }
  const std::string& expression() const { return expression_; }
  bool numeric() const { return numeric_; }
  int keyLength() const { return keyLength_; }

  // Re-reads root, block count and change mark. Call once per operation,
  // under the table lock, before using a cursor.
  void refresh();
  // Whether the header carries the change mark of a writer other than this
  // opening (as of the last refresh).
  bool damaged() const { return (stamp_ & 1) && !markedByMe_; }
  std::uint32_t stamp() const { return stamp_; }

  // Sets the change mark (once per lock hold) / clears it.
  void beginChange();
  void endChange();
  // After a failed change: forgets that the mark is this opening's, leaving
  // it set in the file, so the next operation rebuilds the index.
  void abandonChange();
  bool changing() const { return markedByMe_; }

  class Cursor;
  Cursor first();
  Cursor last();
  // The first entry whose key is not below `key` (for character keys, whose
  // leading bytes are not below a shorter `key`).
  Cursor lowerBound(std::string_view key);
  // The first entry not below (key, recNo).
  Cursor find(std::string_view key, std::uint32_t recNo);

  void insert(const std::string& key, std::uint32_t recNo);
  // Removes the entry; a missing entry means the index is out of step with
  // the table, which is an error.
  void remove(const std::string& key, std::uint32_t recNo);

  // Replaces the whole tree by one holding `entries`, written leaves first.
  void rebuild(std::vector<IndexEntry> entries);

  // Walks the whole tree without trusting it: every problem found is added
  // to `problems`; the entries reached are returned in tree order.
  std::vector<IndexEntry> scan(std::vector<std::string>& problems);

  bool entryLess(const IndexEntry& a, std::string_view key, std::uint32_t recNo) const;

  struct Node {
    std::uint32_t block = 0;
    bool leaf = true;
    std::vector<std::string> keys;
    std::vector<std::uint32_t> refs;  // leaf: record numbers; interior: keys + 1 children
    std::string raw;                  // the block as read (empty for a node built here)
  };

 private:
  friend class Cursor;
  void takeHeaderWords(const char* header);
  Node readNode(std::uint32_t block) const;
  Node parseNode(std::uint32_t block, std::string raw) const;
  void writeNode(const Node& node);
  void writeHeader();
  enum class Descent { FirstKey, FirstEntry, AfterEqualKeys };
  Cursor descend(std::string_view key, std::uint32_t recNo, Descent how);
  Cursor place(std::string_view key, std::uint32_t recNo);
  void store(Cursor& cursor, std::size_t level, std::size_t inserted);
  void scanNode(std::uint32_t block, int depth, std::vector<bool>& seen,
                std::vector<IndexEntry>& out, std::vector<std::string>& problems);
  std::string blockBytes(const Node& node) const;

  File file_;
  std::string expression_;
  bool numeric_ = false;
  int keyLength_ = 0;
  int entrySize_ = 0;
  int maxKeys_ = 0;
  std::uint32_t root_ = 0;
  std::uint32_t blocks_ = 0;
  std::uint32_t stamp_ = 0;
  std::uint32_t checkedBlocks_ = 0;  // block count last checked against the file size
  bool markedByMe_ = false;
};

// A position in an index during one operation. It holds copies of the
// blocks on its path; it must not outlive the lock it was made under.
class NdxIndex::Cursor {
 public:
  bool valid() const { return valid_; }
  const std::string& key() const { return leaf().keys[slot()]; }
  std::uint32_t recNo() const { return leaf().refs[slot()]; }
  void next();
  void prev();
  // Re-reads the leaf the cursor stands in, for use under a later lock when
  // the index's stamp shows no change since the cursor was made.
  void reload();

 private:
  friend class NdxIndex;
  struct Frame {
    Node node;
    std::size_t slot = 0;
  };
  explicit Cursor(NdxIndex& index) : index_(&index) {}
  const Node& leaf() const { return path_.back().node; }
  std::size_t slot() const { return path_.back().slot; }
  void push(std::uint32_t block);
  // Moves to the first (or last) slot of the next (previous) leaf; false at
  // the end of the tree.
  bool nextLeaf();
  bool prevLeaf();

  NdxIndex* index_;
  std::vector<Frame> path_;
  bool valid_ = false;
  std::uint32_t loads_ = 0;
};

}  // namespace tavrix::store
