// File: one open file of the table (table, memo or index), read and written at
// explicit offsets. Every failure throws the runtime error with the file's
// name and the operating-system code; a read that comes up short is reported
// as damage, never handed back as partial data.
//
// Locks are open-file-description locks: they belong to this opening, so two
// openings of one file in the same process exclude each other like two
// processes do, and closing one opening never drops the other's lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/error.h"

namespace tavrix::store {

// The component name every storage error carries in SUBSYSTEM.
inline constexpr const char* kSubSystem = "DBSERVER";

// A storage error: which operation on which file failed and why.
[[noreturn]] void fail(GenCode gen, const std::string& operation,
                       const std::string& description, const std::string& file,
                       int osCode = 0);

enum class LockKind { Shared, Exclusive };

class File {
 public:
  enum class Mode { ReadWrite, CreateNew };

  File() = default;
  File(const std::string& path, Mode mode);
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // Reads exactly `size` bytes at `offset`; a short read is Corruption.
  void readAt(std::uint64_t offset, void* data, std::size_t size) const;
  // Reads up to `size` bytes; returns how many were there.
  std::size_t readSome(std::uint64_t offset, void* data, std::size_t size) const;
  void writeAt(std::uint64_t offset, const void* data, std::size_t size);
  void writeAt(std::uint64_t offset, std::string_view bytes) {
    writeAt(offset, bytes.data(), bytes.size());
  }
  std::uint64_t size() const;
  void truncate(std::uint64_t size);
  void sync();

  // Byte-range locks; `wait` blocks until granted, otherwise returns false
  // when another opening holds a conflicting lock.
  bool lock(std::uint64_t offset, LockKind kind, bool wait);
  void unlock(std::uint64_t offset);

  // Identity of the underlying file (device, inode), for telling whether two
  // openings name the same table.
  std::pair<std::uint64_t, std::uint64_t> identity() const;

 private:
  void close() noexcept;
  int fd_ = -1;
  std::string path_;
};

}  // namespace tavrix::store
