// DbfTable: a dBASE III table file (.dbf) — its header, its field
// descriptors and its fixed-width records. It knows bytes and record numbers;
// locking, memo texts and indexes are the record server's business. The
// field layout is read once at opening; the record count is re-read by
// refresh() because other openings append.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"
#include "store/file.h"

namespace tavrix::store {

// Bytes of the table file used as locks (far beyond any real table's end):
// every opening holds the open byte for its life, shared or, for an
// exclusive opening, exclusive; every operation holds the operation byte,
// shared to read and exclusive to write.
inline constexpr std::uint64_t kOpenLockByte = 0x7FFFFFFE;
inline constexpr std::uint64_t kOperationLockByte = 0x7FFFFFFF;

struct FieldDesc {
  std::string name;  // upper case as stored, at most 10 characters
  char type = 'C';   // C, N, F, D, L or M
  int length = 0;
  int decimals = 0;
  int offset = 0;    // position in the record; the deletion mark is byte 0
};

class DbfTable {
 public:
  // Creates a new empty table file; fails if the file exists.
  static void create(const std::string& path, const std::vector<FieldDesc>& fields,
                     std::uint8_t codePageMark);

  explicit DbfTable(const std::string& path);

  const std::string& path() const { return file_.path(); }
  File& file() { return file_; }
  const std::vector<FieldDesc>& fields() const { return fields_; }
  int recordLength() const { return recordLength_; }
  bool hasMemoFields() const;
  // The position of a field in fields(), matched without regard to case;
  // -1 when there is none.
  int fieldIndex(std::string_view name) const;

  // Re-reads the record count (checked against the file's size) and the
  // rewrite flag from the header. Returns the count.
  std::uint32_t refresh();
  // Header byte 14, the format's "incomplete transaction" flag: set while a
  // record is rewritten in place from the journal (memo_file.h), as of the
  // last refresh().
  bool rewritePending() const { return rewritePending_; }
  void setRewritePending(bool on);
  std::uint32_t recordCount() const { return count_; }

  std::string blankRecord() const;
  std::string readRecord(std::uint32_t recNo) const;  // 1..recordCount()
  // Records first .. first + count - 1, back to back.
  std::string readRecords(std::uint32_t first, std::uint32_t count) const;
  void writeRecord(std::uint32_t recNo, const std::string& record);
  // Writes the record after the last one and returns its number. The
  // header's count does not include it until publish(): until then other
  // openings (and a reader after a crash) do not see it.
  std::uint32_t appendRecord(const std::string& record);
  // Forgets the last record appended and not yet published.
  void dropLastAppended();
  // Writes the count and the date of the last change into the header, when
  // anything was written since the last publish().
  void publish();
  bool hasUnpublishedRecords() const { return count_ != publishedCount_; }

 private:
  std::uint64_t recordOffset(std::uint32_t recNo) const;
  std::uint32_t takeCount(const unsigned char* countBytes, std::uint64_t fileSize);

  File file_;
  std::vector<FieldDesc> fields_;
  int headerLength_ = 0;
  int recordLength_ = 0;
  bool rewritePending_ = false;
  std::uint32_t count_ = 0;           // with records appended but not yet published
  std::uint32_t publishedCount_ = 0;  // as in the header
  bool changed_ = false;              // written since the last publish()
  std::optional<std::uint32_t> checkedCount_;  // count last checked against the file size
};

// Field values in and out of their stored bytes (memo fields excepted: their
// bytes are a block number, which the record server resolves).
//   N, F: right-aligned decimal digits; blank reads as 0.
//   C:    blank-padded text; a longer value is cut to the width without
//         splitting a two-byte EUC-KR character.
//   D:    YYYYMMDD; blank reads as the empty date.
//   L:    T/Y true, anything else false.
Value decodeField(const FieldDesc& field, std::string_view raw);
std::string encodeField(const FieldDesc& field, const Value& value, const std::string& file);

// `text` cut to at most `width` bytes, never between the two bytes of an
// EUC-KR character (lead byte 0xA1..0xFE), then blank-padded to `width`.
std::string fitText(std::string_view text, std::size_t width);

}  // namespace tavrix::store
