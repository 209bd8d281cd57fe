#include "store/gong_table.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <vector>

#include "store/dbf_table.h"
#include "store/index_key.h"
#include "store/memo_file.h"
#include "store/ndx_index.h"

namespace tavrix {

namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Whether two key definitions key a table alike: same type and length, and
// the same key for a record of digits in no repeating pattern (so keys on
// different fields or parts differ).
bool sameKey(const store::IndexKey& a, const store::IndexKey& b, int recordLength) {
  if (a.numeric() != b.numeric() || a.length() != b.length()) return false;
  std::string probe(static_cast<std::size_t>(recordLength), ' ');
  std::uint32_t x = 12345;
  for (char& c : probe) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>('0' + (x >> 16) % 10);
  }
  return a.of(probe) == b.of(probe);
}

}  // namespace

std::string gongPath(const std::string& dir, const std::string& name) {
  return (dir.empty() || dir == ".") ? name : dir + "/" + name;
}

DbServer gongDbOpen(const std::string& dir) {
  DbServer db(gongPath(dir, "Gong"));
  for (const auto& index : kGongIndexes) db.setIndex(gongPath(dir, index.file));
  db.setOrder(1);
  return db;
}

DbServer gongDbOpen() { return gongDbOpen(std::string()); }

void createGongTable(const std::string& dir) {
  std::vector<std::string> files = {gongPath(dir, "Gong.dbf"), gongPath(dir, "Gong.dbt")};
  for (const auto& index : kGongIndexes) files.push_back(gongPath(dir, std::string(index.file) + ".ndx"));
  for (const auto& f : files)
    if (exists(f)) store::fail(GenCode::Create, "create table", "file exists already", f, EEXIST);
  store::DbfTable::create(files[0],
                          {{"NYNO", 'N', 10, 0, 0},
                           {"NYDATE", 'C', 10, 0, 0},
                           {"TITLE", 'C', 120, 0, 0},
                           {"BIGO", 'M', 10, 0, 0},
                           {"QTY", 'N', 10, 0, 0}},
                          0x79);
  store::MemoFile::create(files[1]);
  reindexGongTable(dir);
}

void reindexGongTable(const std::string& dir) {
  const std::string table = gongPath(dir, "Gong");
  {
    store::DbfTable t(table + ".dbf");
    for (const auto& index : kGongIndexes) {
      const std::string path = gongPath(dir, std::string(index.file) + ".ndx");
      store::IndexKey key(index.expression, t, path);
      if (exists(path)) {
        try {
          store::NdxIndex existing(path);
          const store::IndexKey has(existing.expression(), t, path);
          if (sameKey(has, key, t.recordLength()) && existing.keyLength() == key.length() &&
              existing.numeric() == key.numeric())
            continue;
        } catch (const Error&) {
        }
        // A header that is no header of this index: make the file afresh.
        ::unlink(path.c_str());
      }
      store::NdxIndex::create(path, index.expression, key.length(), key.numeric());
    }
  }
  DbServer db(table);
  for (const auto& index : kGongIndexes) db.setIndex(gongPath(dir, index.file));
  db.reindex();
  db.commit();
  db.close();
}

}  // namespace tavrix
