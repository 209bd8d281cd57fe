// The key expressions an index file may carry, and what each keys on.
#include <gtest/gtest.h>

#include "core/error.h"
#include "store/dbf_table.h"
#include "store/index_key.h"
#include "support/temp_dir.h"

namespace tavrix::store {
namespace {

TEST(IndexKey, AcceptsAFieldAndItsLeadingBytesOnly) {
  test::TempDir dir;
  const std::string path = dir.file("T.dbf");
  DbfTable::create(path, {{"NYNO", 'N', 10, 0, 0}, {"TITLE", 'C', 120, 0, 0}}, 0x79);
  const DbfTable table(path);
  struct Case {
    const char* expression;
    bool accepted;
    bool numeric;
    int length;
  } cases[] = {
      {"NYNO", true, true, 8},
      {"nyno", true, true, 8},
      {"TITLE", false, false, 0},  // 120 bytes: character keys are at most 100
      {"LEFT(TITLE,100)", true, false, 100},
      {" left( title , 20 ) ", true, false, 20},
      {"SUBSTR(TITLE,1,30)", true, false, 30},
      {"LEFT(TITLE,0)", false, false, 0},
      {"LEFT(TITLE)", false, false, 0},
      {"LEFT(TITLE,x)", false, false, 0},
      {"SUBSTR(TITLE,2,30)", false, false, 0},
      {"LEFT(NYNO,3)", false, false, 0},   // no part of a number
      {"UPPER(TITLE)", false, false, 0},
      {"MISSING", false, false, 0},
      {"", false, false, 0},
      {"LEFT(TITLE,100", false, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    if (!c.accepted) {
      EXPECT_THROW(IndexKey(c.expression, table, "T1.ndx"), Error);
      continue;
    }
    const IndexKey key(c.expression, table, "T1.ndx");
    EXPECT_EQ(key.numeric(), c.numeric);
    EXPECT_EQ(key.length(), c.length);
  }
}

}  // namespace
}  // namespace tavrix::store
