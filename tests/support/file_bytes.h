// Byte-level edits of a file, for tests that damage a table, memo or index
// on purpose: little-endian numbers in and out, and bytes written over a
// file at an offset.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "support/temp_dir.h"

namespace tavrix::test {

inline std::string le32(std::uint32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

inline std::uint32_t readLe32(const std::string& path, std::size_t offset) {
  std::uint32_t v;
  std::memcpy(&v, readFile(path).data() + offset, 4);
  return v;
}

inline void patch(const std::string& path, std::size_t offset, const std::string& bytes) {
  std::string data = readFile(path);
  data.replace(offset, bytes.size(), bytes);
  writeFile(path, data);
}

}  // namespace tavrix::test
