// IndexKey: what an index is keyed on, and the key bytes of a record.
//
// A key expression is a field name ("NYNO"), or the leading bytes of a
// character field ("LEFT(TITLE,100)" or "SUBSTR(TITLE,1,100)"), letter case
// and blanks not mattering. A numeric field gives a numeric key: the value
// as an 8-byte IEEE double, little-endian. A character field gives its
// stored bytes, as many as the key length. Keys order numerically or
// byte by byte (unsigned); equal keys order by record number.
#pragma once

#include <string>
#include <string_view>

#include "store/dbf_table.h"

namespace tavrix::store {

class IndexKey {
 public:
  // Resolves `expression` against the table's fields; an expression of
  // another form, or on an unknown field, is an error naming `indexFile`.
  IndexKey(const std::string& expression, const DbfTable& table, const std::string& indexFile);

  bool numeric() const { return numeric_; }
  int length() const { return length_; }

  // The key of a record, from its stored bytes.
  std::string of(std::string_view record) const;
  // The key a seek looks for: a number for numeric keys, otherwise the text
  // (a shorter text matches every key that starts with it).
  std::string forSeek(const Value& value) const;

 private:
  int offset_ = 0;
  int fieldLength_ = 0;
  int length_ = 0;
  bool numeric_ = false;
};

std::string numericKey(double value);
double numericKeyValue(std::string_view key);

// Orders two keys; `b` may be shorter than `a` for character keys, and then
// only a's leading bytes take part. Numeric keys order as numbers, with NaN
// below all of them.
int compareKeys(bool numeric, std::string_view a, std::string_view b);

}  // namespace tavrix::store
