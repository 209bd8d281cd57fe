// Damaged files end in the runtime error (Corruption, with the file named),
// never in a crash or an endless walk; the verifier names the damage too.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/error.h"
#include "store_fixture.h"
#include "support/file_bytes.h"

namespace tavrix::test {
namespace {

struct Case {
  const char* what;
  const char* file;  // damaged file, in the table's folder
  std::function<void(const std::string& path)> damage;
  const char* named = nullptr;  // the file the error names, when not the damaged one
};

TEST(CorruptFiles, GiveTheErrorNotACrashOrHang) {
  const std::vector<Case> cases = {
      {"table shorter than its header", "Gong.dbf", [](const std::string& p) { writeFile(p, readFile(p).substr(0, 20)); }},
      {"record count beyond the file", "Gong.dbf", [](const std::string& p) { patch(p, 4, le32(100000)); }},
      {"header length beyond the file", "Gong.dbf", [](const std::string& p) { patch(p, 8, std::string("\xFF\x7F", 2)); }},
      {"field list without end mark", "Gong.dbf", [](const std::string& p) { patch(p, 32 * 6, " "); }},
      {"index root beyond the file", "Gong1.ndx", [](const std::string& p) { patch(p, 0, le32(5000)); }},
      {"index block count beyond the file", "Gong1.ndx", [](const std::string& p) { patch(p, 4, le32(5000)); }},
      {"index child beyond the file", "Gong1.ndx",
       [](const std::string& p) { patch(p, readLe32(p, 0) * 512 + 4, le32(4000)); }},
      {"cycle between index blocks", "Gong1.ndx",
       [](const std::string& p) { patch(p, readLe32(p, 0) * 512 + 4, le32(readLe32(p, 0))); }},
      {"index block with too many keys", "Gong1.ndx",
       [](const std::string& p) { patch(p, readLe32(p, 0) * 512, le32(400)); }},
      {"index keyed on another field", "Gong1.ndx", [](const std::string& p) { patch(p, 24, std::string("QTY\0", 4)); }},
      {"record changed behind the index", "Gong.dbf",
       [](const std::string& p) { patch(p, 32 + 5 * 32 + 1 + 39 * 161 + 1, "        77"); }, "Gong1.ndx"},
      {"memo without end mark", "Gong.dbt", [](const std::string& p) {
         std::string d = readFile(p);
         for (char& c : d)
           if (c == '\x1A') c = 'x';
         writeFile(p, d);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    createGongTable(dir.path());
    {
      auto db = gongDbOpen(dir.path());
      for (int i = 0; i < 40; ++i) addNotice(db, "title", "body");  // two index levels
      db.close();
    }
    const std::string path = dir.file(c.file);
    c.damage(path);
    try {
      auto db = gongDbOpen(dir.path());
      db.goBottom();
      for (int i = 0; i < 50 && !db.bof(); ++i) {
        db.fieldGet("BIGO");
        db.skip(-1);
      }
      db.seek(Value(20));
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.genCode, static_cast<std::uint32_t>(GenCode::Corruption)) << e.description;
      EXPECT_EQ(e.fileName, c.named ? dir.file(c.named) : path) << e.description;
      EXPECT_EQ(e.subSystem, "DBSERVER");
      EXPECT_FALSE(e.operation.empty());
    }
    EXPECT_FALSE(verifyGong(dir.path()).empty());
  }
}

TEST(CorruptFiles, VerifierFindsAnIndexOutOfStepWithItsTable) {
  TempDir dir;
  createGongTable(dir.path());
  auto db = gongDbOpen(dir.path());
  for (int i = 0; i < 3; ++i) addNotice(db, "title", "body");
  db.close();
  // Record 2's number changed behind the index's back.
  const std::string dbf = dir.file("Gong.dbf");
  const std::size_t headerLength = 32 + 5 * 32 + 1;
  const std::size_t recordLength = 1 + 10 + 10 + 120 + 10 + 10;
  patch(dbf, headerLength + recordLength + 1, "        77");
  const auto problems = verifyGong(dir.path());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("Gong1.ndx: entry for record 2 has a key the record does not have"), std::string::npos)
      << problems[0];
}

}  // namespace
}  // namespace tavrix::test
