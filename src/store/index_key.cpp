#include "store/index_key.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

namespace {

bool isFieldName(std::string_view s) {
  if (s.empty() || !(std::isupper(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '_';
  });
}

bool isCount(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
}

// The key expressions an index may carry, upper-cased and without blanks:
// FIELD, LEFT(FIELD,n) and SUBSTR(FIELD,1,n). Sets the field's name and, for
// the last two, the number of leading bytes wanted (0: the whole field).
// Parsed by hand: every opening of the table parses three of them, and a
// CGI process opens it once per request.
bool parseKeyExpression(std::string_view e, std::string& name, int& wanted) {
  wanted = 0;
  if (isFieldName(e)) {
    name = e;
    return true;
  }
  const bool left = e.starts_with("LEFT(");
  if (!left && !e.starts_with("SUBSTR(")) return false;
  if (!e.ends_with(")")) return false;
  std::string_view inside = e.substr(left ? 5 : 7);
  inside.remove_suffix(1);
  const std::size_t comma = inside.find(',');
  if (comma == std::string_view::npos) return false;
  const std::string_view field = inside.substr(0, comma);
  std::string_view count = inside.substr(comma + 1);
  if (!left) {
    if (!count.starts_with("1,")) return false;
    count.remove_prefix(2);
  }
  if (!isFieldName(field) || !isCount(count)) return false;
  name = field;
  wanted = std::atoi(std::string(count.substr(0, 4)).c_str());
  return true;
}

}  // namespace

IndexKey::IndexKey(const std::string& expression, const DbfTable& table, const std::string& indexFile) {
  std::string e;
  for (char c : expression)
    if (!std::isspace(static_cast<unsigned char>(c))) e += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  int wanted = 0;
  std::string name;
  if (!parseKeyExpression(e, name, wanted)) {
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
