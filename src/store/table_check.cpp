#include "store/table_check.h"

#include <algorithm>
#include <optional>

#include "core/value.h"
#include "store/dbf_table.h"
#include "store/index_key.h"
#include "store/memo_file.h"
#include "store/ndx_index.h"

namespace tavrix {

namespace {

using store::DbfTable;

void checkRecords(DbfTable& table, const std::optional<store::MemoFile>& memo,
                  std::vector<std::string>& problems) {
  const auto len = static_cast<std::size_t>(table.recordLength());
  const std::uint32_t count = table.recordCount();
  const std::uint32_t memoEnd = memo ? memo->nextFree() : 0;
  for (std::uint32_t first = 1; first <= count; first += 4096) {
    const std::uint32_t n = std::min<std::uint32_t>(4096, count - first + 1);
    const std::string recs = table.readRecords(first, n);
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::string_view rec = std::string_view(recs).substr(i * len, len);
      const std::string at = table.path() + ": record " + std::to_string(first + i) + ": ";
      if (rec[0] != ' ' && rec[0] != '*') problems.push_back(at + "deletion mark is neither blank nor '*'");
      for (const auto& f : table.fields()) {
        const std::string raw(rec.substr(static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.length)));
        const auto begin = raw.find_first_not_of(' ');
        if (f.type == 'N' || f.type == 'F') {
          if (begin != std::string::npos && raw.find_first_not_of("0123456789.-", begin) != std::string::npos &&
              raw.find_last_not_of(' ') >= raw.find_first_not_of("0123456789.-", begin))
            problems.push_back(at + "field " + f.name + " holds no number: \"" + raw + "\"");
        } else if (f.type == 'M' && begin != std::string::npos) {
          const long long block = leadingNumber(raw);
          if (!memo) {
            problems.push_back(at + "memo field " + f.name + " set but there is no memo file");
          } else if (block <= 0 || static_cast<std::uint64_t>(block) >= memoEnd) {
            problems.push_back(at + "memo block " + std::to_string(block) + " of field " + f.name +
                               " beyond the memo file's used blocks");
          } else {
            try {
              memo->read(static_cast<std::uint32_t>(block));
            } catch (const Error& e) {
              problems.push_back(at + e.description);
            }
          }
        }
      }
    }
  }
}

void checkIndex(DbfTable& table, const std::string& indexName, std::vector<std::string>& problems) {
  const std::string path =
      indexName.size() > 4 && indexName.substr(indexName.size() - 4) == ".ndx" ? indexName : indexName + ".ndx";
  std::optional<store::NdxIndex> ndx;
  std::optional<store::IndexKey> key;
  try {
    ndx.emplace(path);
    key.emplace(ndx->expression(), table, path);
  } catch (const Error& e) {
    problems.push_back(path + ": " + e.description);
    return;
  }
  if (key->numeric() != ndx->numeric() || key->length() != ndx->keyLength())
    problems.push_back(path + ": key length or type does not match the key expression");
  std::vector<store::IndexEntry> found = ndx->scan(problems);
  std::vector<store::IndexEntry> expected;
  const auto len = static_cast<std::size_t>(table.recordLength());
  for (std::uint32_t first = 1; first <= table.recordCount(); first += 4096) {
    const std::uint32_t n = std::min<std::uint32_t>(4096, table.recordCount() - first + 1);
    const std::string recs = table.readRecords(first, n);
    for (std::uint32_t i = 0; i < n; ++i)
      expected.push_back({key->of(std::string_view(recs).substr(i * len, len)), first + i});
  }
  auto byRecord = [](const store::IndexEntry& a, const store::IndexEntry& b) {
    return a.recNo != b.recNo ? a.recNo < b.recNo : a.key < b.key;
  };
  std::sort(found.begin(), found.end(), byRecord);
  std::size_t reported = 0;
  auto report = [&](const std::string& what) {
    if (++reported <= 20) problems.push_back(path + ": " + what);
  };
  std::size_t i = 0, j = 0;
  while (i < found.size() || j < expected.size()) {
    if (j == expected.size() || (i < found.size() && found[i].recNo < expected[j].recNo)) {
      report("entry for record " + std::to_string(found[i].recNo) +
             (found[i].recNo > table.recordCount() ? ", which is beyond the table" : " is one too many"));
      ++i;
    } else if (i == found.size() || expected[j].recNo < found[i].recNo) {
      report("no entry for record " + std::to_string(expected[j].recNo));
      ++j;
    } else {
      if (found[i].key != expected[j].key)
        report("entry for record " + std::to_string(found[i].recNo) + " has a key the record does not have");
      ++i;
      ++j;
    }
  }
  if (reported > 20) problems.push_back(path + ": " + std::to_string(reported - 20) + " more entry problems");
}

}  // namespace

std::vector<std::string> verifyTable(const std::string& tableName, const std::vector<std::string>& indexNames) {
  std::vector<std::string> problems;
  const std::string base =
      tableName.size() > 4 && tableName.substr(tableName.size() - 4) == ".dbf" ? tableName.substr(0, tableName.size() - 4) : tableName;
  std::optional<DbfTable> table;
  try {
    table.emplace(base + ".dbf");
  } catch (const Error& e) {
    problems.push_back(base + ".dbf: " + e.description);
    return problems;
  }
  table->file().lock(store::kOperationLockByte, store::LockKind::Shared, true);
  try {
    table->refresh();
    std::optional<store::MemoFile> memo;
    if (table->hasMemoFields()) memo.emplace(base + ".dbt");
    if (table->rewritePending())
      problems.push_back(base + ".dbf: a record left half rewritten (a writer stopped while rewriting record " +
                         std::to_string(memo && memo->journal() ? memo->journal()->recNo : 0) + ")");
    checkRecords(*table, memo, problems);
  } catch (const Error& e) {
    problems.push_back((e.fileName.empty() ? base : e.fileName) + ": " + e.description);
    return problems;
  }
  for (const auto& name : indexNames) checkIndex(*table, name, problems);
  return problems;
}

}  // namespace tavrix
