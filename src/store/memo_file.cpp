// The dBASE III memo file, as this program reads and writes it.
//
//   The file is a sequence of 512-byte blocks. Block 0 is the header: the
//   next free block number (uint32, little-endian) at offset 0; bytes
//   4..255 are unused. A memo starts on a block boundary and ends with
//   0x1A 0x1A; it may run over several blocks. A table record refers to a
//   memo by its start block, written as right-aligned digits in the memo
//   field (blank: no memo). Since 0x1A ends a memo, a body never holds it.
//
//   Bytes 256..511 of the header block, unused by the format, hold the
//   record journal (all zero when none was ever written):
//     256..259 "RJNL"   260..263 record number   264..265 record length
//     266..269 check: FNV-1a of bytes 260..265 xor FNV-1a of the record
//     270..    the record's bytes
//   The entry lies inside one page, so a killed writer leaves it whole or
//   not written at all; the hash tells a whole entry from anything else.
#include "store/memo_file.h"

#include <algorithm>
#include <cstring>

namespace tavrix::store {

namespace {

constexpr std::size_t kJournalAt = 256;
constexpr std::size_t kJournalHead = 14;
constexpr char kJournalMagic[4] = {'R', 'J', 'N', 'L'};

std::uint32_t fnv1a(std::string_view bytes) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

void put32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

std::uint32_t get32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
}

}  // namespace

void MemoFile::create(const std::string& path) {
  std::string header(kBlockSize, '\0');
  header[0] = 1;
  File f(path, File::Mode::CreateNew);
  f.writeAt(0, header);
  f.sync();
}

MemoFile::MemoFile(const std::string& path) : file_(path, File::Mode::ReadWrite) {
  if (file_.size() < 4) fail(GenCode::Corruption, "open", "bad memo header: file too short", path);
}

std::uint32_t MemoFile::nextFree() const {
  unsigned char b[4];
  file_.readAt(0, b, 4);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::string MemoFile::read(std::uint32_t block) const {
  if (block == 0) fail(GenCode::Corruption, "read memo", "memo block 0 is the header", path());
  std::string text;
  char buf[kBlockSize];
  for (std::uint64_t at = static_cast<std::uint64_t>(block) * kBlockSize;; at += kBlockSize) {
    const std::size_t n = file_.readSome(at, buf, kBlockSize);
    const char* end = std::find(buf, buf + n, '\x1A');
    text.append(buf, static_cast<std::size_t>(end - buf));
    if (end != buf + n) return text;
    if (n < kBlockSize) break;  // the end of the file
  }
  if (text.empty())
    fail(GenCode::Corruption, "read memo", "memo block " + std::to_string(block) + " beyond the file", path());
  fail(GenCode::Corruption, "read memo", "memo at block " + std::to_string(block) + " has no end mark", path());
}

std::uint32_t MemoFile::append(std::string_view text) {
  std::string body;
  body.reserve(text.size() + 2);
  std::copy_if(text.begin(), text.end(), std::back_inserter(body), [](char c) { return c != '\x1A'; });
  body += "\x1A\x1A";
  const std::uint32_t first = nextFree();
  if (first == 0 || static_cast<std::uint64_t>(first - 1) * kBlockSize > file_.size())
    fail(GenCode::Corruption, "write memo", "next free block " + std::to_string(first) + " beyond the file", path());
  const std::uint32_t blocks = static_cast<std::uint32_t>((body.size() + kBlockSize - 1) / kBlockSize);
  body.resize(static_cast<std::size_t>(blocks) * kBlockSize, '\0');
  file_.writeAt(static_cast<std::uint64_t>(first) * kBlockSize, body);
  const std::uint32_t next = first + blocks;
  unsigned char b[4] = {static_cast<unsigned char>(next), static_cast<unsigned char>(next >> 8),
                        static_cast<unsigned char>(next >> 16), static_cast<unsigned char>(next >> 24)};
  file_.writeAt(0, b, 4);
  return first;
}

bool MemoFile::journalHolds(std::size_t length) { return length <= kBlockSize - kJournalAt - kJournalHead; }

void MemoFile::writeJournal(std::uint32_t recNo, std::string_view record) {
  std::string entry(kJournalHead + record.size(), '\0');
  std::memcpy(entry.data(), kJournalMagic, 4);
  put32(entry.data() + 4, recNo);
  entry[8] = static_cast<char>(record.size());
  entry[9] = static_cast<char>(record.size() >> 8);
  std::memcpy(entry.data() + kJournalHead, record.data(), record.size());
  put32(entry.data() + 10, fnv1a(std::string_view(entry).substr(4, 6)) ^ fnv1a(record));
  file_.writeAt(kJournalAt, entry);
}

std::optional<MemoFile::JournalEntry> MemoFile::journal() const {
  char head[kJournalHead];
  if (file_.readSome(kJournalAt, head, 4) < 4 || std::memcmp(head, kJournalMagic, 4) != 0) return std::nullopt;
  if (file_.readSome(kJournalAt, head, kJournalHead) < kJournalHead) return std::nullopt;
  const std::size_t length = static_cast<unsigned char>(head[8]) | (static_cast<unsigned char>(head[9]) << 8);
  if (!journalHolds(length)) return std::nullopt;
  JournalEntry entry{get32(head + 4), std::string(length, '\0')};
  if (file_.readSome(kJournalAt + kJournalHead, entry.record.data(), length) < length) return std::nullopt;
  if ((fnv1a(std::string_view(head + 4, 6)) ^ fnv1a(entry.record)) != get32(head + 10)) return std::nullopt;
  return entry;
}

}  // namespace tavrix::store
