// The dBASE III memo file, as this program reads and writes it.
//
//   The file is a sequence of 512-byte blocks. Block 0 is the header: the
//   next free block number (uint32, little-endian) at offset 0; the rest of
//   the block is unused. A memo starts on a block boundary and ends with
//   0x1A 0x1A; it may run over several blocks. A table record refers to a
//   memo by its start block, written as right-aligned digits in the memo
//   field (blank: no memo). Since 0x1A ends a memo, a body never holds it.
#include "store/memo_file.h"

#include <algorithm>

namespace tavrix::store {

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

}  // namespace tavrix::store
