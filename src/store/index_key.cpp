#include "store/index_key.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>

namespace tavrix::store {

std::string numericKey(double value) {
  std::string k(8, '\0');
  std::memcpy(k.data(), &value, 8);  // the format is little-endian, as is this machine
  return k;
}

double numericKeyValue(std::string_view key) {
  double v = 0;
  std::memcpy(&v, key.data(), std::min<std::size_t>(8, key.size()));
  return v;
}

int compareKeys(bool numeric, std::string_view a, std::string_view b) {
  if (numeric) {
    // A total order, NaN (a field reading "nan") below every number: with
    // NaN equal to everything, sorting and the tree's bounds would disagree.
    const double x = numericKeyValue(a), y = numericKeyValue(b);
    if (std::isnan(x) || std::isnan(y)) return std::isnan(y) - std::isnan(x);
    return x < y ? -1 : (y < x ? 1 : 0);
  }
  const std::size_t n = std::min(a.size(), b.size());
  int c = std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() < b.size()) return -1;
  return 0;
}

IndexKey::IndexKey(const std::string& expression, const DbfTable& table, const std::string& indexFile) {
  std::string e;
  for (char c : expression)
    if (!std::isspace(static_cast<unsigned char>(c))) e += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::regex plain(R"(([A-Z_][A-Z0-9_]*))");
  static const std::regex left(R"(LEFT\(([A-Z_][A-Z0-9_]*),([0-9]+)\))");
  static const std::regex substr(R"(SUBSTR\(([A-Z_][A-Z0-9_]*),1,([0-9]+)\))");
  std::smatch m;
  int wanted = 0;
  std::string name;
  if (std::regex_match(e, m, plain)) {
    name = m[1];
  } else if (std::regex_match(e, m, left) || std::regex_match(e, m, substr)) {
    name = m[1];
    wanted = std::stoi(m[2].str().substr(0, 4));
  } else {
    fail(GenCode::Corruption, "set index", "unsupported key expression \"" + expression + "\"", indexFile);
  }
  const int field = table.fieldIndex(name);
  if (field < 0)
    fail(GenCode::NoField, "set index", "key expression names unknown field " + name, indexFile);
  const FieldDesc& f = table.fields()[static_cast<std::size_t>(field)];
  offset_ = f.offset;
  fieldLength_ = f.length;
  if (f.type == 'N' || f.type == 'F') {
    if (wanted) fail(GenCode::Corruption, "set index", "a part of a numeric field as key", indexFile);
    numeric_ = true;
    length_ = 8;
  } else if (f.type == 'C' || f.type == 'D') {
    length_ = wanted ? std::min(wanted, f.length) : f.length;
    if (length_ < 1 || length_ > 100)
      fail(GenCode::Corruption, "set index", "key length " + std::to_string(length_) + " out of range", indexFile);
  } else {
    fail(GenCode::Corruption, "set index", "field " + name + " cannot be a key", indexFile);
  }
}

std::string IndexKey::of(std::string_view record) const {
  if (numeric_) {
    const std::string digits(record.substr(static_cast<std::size_t>(offset_), static_cast<std::size_t>(fieldLength_)));
    return numericKey(std::strtod(digits.c_str(), nullptr));
  }
  return std::string(record.substr(static_cast<std::size_t>(offset_), static_cast<std::size_t>(length_)));
}

std::string IndexKey::forSeek(const Value& value) const {
  if (numeric_) {
    if (value.isNumber()) return numericKey(value.number());
    return numericKey(static_cast<double>(leadingNumber(asString(value))));
  }
  std::string t = asString(value);
  if (t.size() > static_cast<std::size_t>(length_)) t.resize(static_cast<std::size_t>(length_));
  return t;
}

}  // namespace tavrix::store
