// The dBASE III table file, as this program reads and writes it.
//
//   Header (32 bytes, integers little-endian):
//     0      version: 0x03 plain, 0x83 with a memo file (any x3 is accepted)
//     1..3   date of the last change: year - 1900, month, day
//     4..7   record count (uint32)
//     8..9   header length in bytes (uint16): 32 + 32 per field + 1 (+ padding)
//     10..11 record length in bytes (uint16): 1 + the field lengths
//     12..31 reserved; byte 14 is set while a record is being rewritten
//            from the journal (the format's "incomplete transaction" flag);
//            byte 29 is the code-page mark (0x79 for Korean here)
//   Field descriptors, 32 bytes each, ended by 0x0D:
//     0..10  name, NUL-padded     11 type (C N F D L M)
//     12..15 reserved (some writers keep the field's offset there)
//     16     length                17 decimal places      18..31 reserved
//   Records follow the header, each `record length` bytes: a deletion mark
//   (' ' live, '*' deleted) and the fields' bytes in descriptor order. The
//   file ends with 0x1A after the last record.
//
// Invariant relied on for crash safety: a record is written in one write
// before the header's count grows to include it (and its writer syncs the
// file in between), so a reader never sees a counted record that is only
// partly there, not even after a power cut.
#include "store/dbf_table.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace tavrix::store {

namespace {

std::uint32_t get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void put16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void dateBytes(unsigned char* p) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  p[0] = static_cast<unsigned char>(tm.tm_year);
  p[1] = static_cast<unsigned char>(tm.tm_mon + 1);
  p[2] = static_cast<unsigned char>(tm.tm_mday);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

void DbfTable::create(const std::string& path, const std::vector<FieldDesc>& fields,
                      std::uint8_t codePageMark) {
  bool memo = std::any_of(fields.begin(), fields.end(), [](const FieldDesc& f) { return f.type == 'M'; });
  int recordLength = 1;
  for (const auto& f : fields) recordLength += f.length;
  int headerLength = 32 + 32 * static_cast<int>(fields.size()) + 1;
  std::string bytes(static_cast<std::size_t>(headerLength) + 1, '\0');
  auto* h = reinterpret_cast<unsigned char*>(bytes.data());
  h[0] = memo ? 0x83 : 0x03;
  dateBytes(h + 1);
  put16(h + 8, static_cast<std::uint16_t>(headerLength));
  put16(h + 10, static_cast<std::uint16_t>(recordLength));
  h[29] = codePageMark;
  int offset = 1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    unsigned char* d = h + 32 + 32 * i;
    std::memcpy(d, fields[i].name.data(), std::min<std::size_t>(fields[i].name.size(), 10));
    d[11] = static_cast<unsigned char>(fields[i].type);
    put32(d + 12, static_cast<std::uint32_t>(offset));
    d[16] = static_cast<unsigned char>(fields[i].length);
    d[17] = static_cast<unsigned char>(fields[i].decimals);
    offset += fields[i].length;
  }
  h[headerLength - 1] = 0x0D;
  h[headerLength] = 0x1A;
  File f(path, File::Mode::CreateNew);
  f.writeAt(0, bytes);
  f.sync();
}

DbfTable::DbfTable(const std::string& path) : file_(path, File::Mode::ReadWrite) {
  auto bad = [&](const std::string& what) { fail(GenCode::Corruption, "open", "bad table header: " + what, path); };
  // The header before the size: a writer makes the file longer before it
  // makes the count larger, so the count read first always fits.
  unsigned char h[32];
  if (file_.readSome(0, h, 32) < 32) bad("file shorter than a header");
  const std::uint64_t size = file_.size();
  if (size < 33) bad("file shorter than a header");
  if ((h[0] & 0x07) != 0x03) bad("not a dBASE III table (version byte " + std::to_string(h[0]) + ")");
  headerLength_ = get16(h + 8);
  recordLength_ = get16(h + 10);
  if (headerLength_ < 65 || static_cast<std::uint64_t>(headerLength_) > size)
    bad("header length " + std::to_string(headerLength_));
  std::string desc(static_cast<std::size_t>(headerLength_ - 32), '\0');
  file_.readAt(32, desc.data(), desc.size());
  int offset = 1;
  std::size_t pos = 0;
  for (; pos + 32 <= desc.size() && desc[pos] != '\x0D'; pos += 32) {
    const auto* d = reinterpret_cast<const unsigned char*>(desc.data() + pos);
    FieldDesc f;
    f.name.assign(reinterpret_cast<const char*>(d), strnlen(reinterpret_cast<const char*>(d), 11));
    f.type = static_cast<char>(std::toupper(d[11]));
    f.length = d[16];
    f.decimals = d[17];
    f.offset = offset;
    if (f.name.empty()) bad("a field without a name");
    if (f.length == 0) bad("field " + f.name + " of length 0");
    if (std::string_view("CNFDLM").find(f.type) == std::string_view::npos)
      bad("field " + f.name + " of unknown type " + std::string(1, f.type));
    offset += f.length;
    fields_.push_back(std::move(f));
  }
  if (pos >= desc.size() || desc[pos] != '\x0D') bad("field list without its end mark");
  if (fields_.empty()) bad("no fields");
  if (offset != recordLength_)
    bad("record length " + std::to_string(recordLength_) + " differs from the fields' " + std::to_string(offset));
  rewritePending_ = h[14] != 0;
  takeCount(h + 4, size);
}

bool DbfTable::hasMemoFields() const {
  return std::any_of(fields_.begin(), fields_.end(), [](const FieldDesc& f) { return f.type == 'M'; });
}

int DbfTable::fieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (equalsNoCase(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::uint32_t DbfTable::refresh() {
  unsigned char h[11];  // bytes 4..14: count .. rewrite flag
  file_.readAt(4, h, sizeof h);
  rewritePending_ = h[10] != 0;
  return takeCount(h, 0);
}

// The count only grows; the file's size needs checking when it moved.
std::uint32_t DbfTable::takeCount(const unsigned char* c, std::uint64_t fileSize) {
  const std::uint32_t count = get32(c);
  if (count != checkedCount_) {
    if (headerLength_ + static_cast<std::uint64_t>(count) * recordLength_ > (fileSize ? fileSize : file_.size()))
      fail(GenCode::Corruption, "read header",
           "record count " + std::to_string(count) + " beyond the end of the file", path());
    checkedCount_ = count;
  }
  count_ = publishedCount_ = count;
  return count_;
}

void DbfTable::setRewritePending(bool on) {
  const unsigned char flag = on ? 1 : 0;
  file_.writeAt(14, &flag, 1);
  rewritePending_ = on;
}

std::uint64_t DbfTable::recordOffset(std::uint32_t recNo) const {
  return headerLength_ + static_cast<std::uint64_t>(recNo - 1) * recordLength_;
}

std::string DbfTable::blankRecord() const { return std::string(static_cast<std::size_t>(recordLength_), ' '); }

std::string DbfTable::readRecord(std::uint32_t recNo) const {
  if (recNo < 1 || recNo > count_)
    fail(GenCode::Bound, "read record", "record " + std::to_string(recNo) + " beyond the table", path());
  std::string r(static_cast<std::size_t>(recordLength_), '\0');
  file_.readAt(recordOffset(recNo), r.data(), r.size());
  return r;
}

std::string DbfTable::readRecords(std::uint32_t first, std::uint32_t count) const {
  if (first < 1 || first + count - 1 > count_)
    fail(GenCode::Bound, "read record", "records beyond the table", path());
  std::string r(static_cast<std::size_t>(count) * recordLength_, '\0');
  file_.readAt(recordOffset(first), r.data(), r.size());
  return r;
}

void DbfTable::writeRecord(std::uint32_t recNo, const std::string& record) {
  file_.writeAt(recordOffset(recNo), record);
  changed_ = true;
}

std::uint32_t DbfTable::appendRecord(const std::string& record) {
  const std::uint32_t recNo = count_ + 1;
  file_.writeAt(recordOffset(recNo), record + '\x1A');
  count_ = recNo;
  checkedCount_ = recNo;
  changed_ = true;
  return recNo;
}

void DbfTable::dropLastAppended() {
  if (count_ > publishedCount_) --count_;
}

void DbfTable::publish() {
  if (!changed_) return;
  unsigned char h[7];
  dateBytes(h);
  put32(h + 3, count_);
  file_.writeAt(1, h, sizeof h);
  publishedCount_ = count_;
  changed_ = false;
}

Value decodeField(const FieldDesc& field, std::string_view raw) {
  switch (field.type) {
    case 'N':
    case 'F': {
      std::string t(raw);
      return Value(std::strtod(t.c_str(), nullptr));
    }
    case 'D': {
      if (raw.size() < 8 || raw.substr(0, 8).find_first_not_of("0123456789") != std::string_view::npos)
        return Value(Date{});
      auto num = [&](std::size_t at, std::size_t n) { return std::stoi(std::string(raw.substr(at, n))); };
      return Value(Date{num(0, 4), num(4, 2), num(6, 2)});
    }
    case 'L':
      return Value(!raw.empty() && std::string_view("TtYy").find(raw[0]) != std::string_view::npos);
    default:
      return Value(std::string(raw));
  }
}

std::string fitText(std::string_view text, std::size_t width) {
  std::size_t keep = text.size();
  if (keep > width) {
    keep = 0;
    while (keep < width) {
      const auto c = static_cast<unsigned char>(text[keep]);
      const std::size_t step = (c >= 0xA1 && c <= 0xFE && keep + 1 < text.size()) ? 2 : 1;
      if (keep + step > width) break;
      keep += step;
    }
  }
  std::string out(text.substr(0, keep));
  out.resize(width, ' ');
  return out;
}

std::string encodeField(const FieldDesc& field, const Value& value, const std::string& file) {
  const auto width = static_cast<std::size_t>(field.length);
  if (value.isNil()) return std::string(width, ' ');
  auto wrong = [&](const char* want) {
    fail(GenCode::Argument, "field put", "field " + field.name + " takes " + want, file);
  };
  switch (field.type) {
    case 'N':
    case 'F': {
      if (!value.isNumber()) wrong("a number");
      char buf[64];
      std::snprintf(buf, sizeof buf, "%*.*f", field.length, field.decimals, value.number());
      if (std::strlen(buf) > width)
        fail(GenCode::DataWidth, "field put",
             "number " + std::string(buf) + " does not fit field " + field.name, file);
      return buf;
    }
    case 'D': {
      if (value.type() != Type::Date) wrong("a date");
      const Date& d = value.date();
      if (d.year == 0) return std::string(width, ' ');
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
      return fitText(buf, width);
    }
    case 'L':
      if (value.type() != Type::Logical) wrong("a logical");
      return fitText(value.logical() ? "T" : "F", width);
    default:
      if (!value.isText()) wrong("a text");
      return fitText(value.text(), width);
  }
}

}  // namespace tavrix::store
