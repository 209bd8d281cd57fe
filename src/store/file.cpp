#include "store/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tavrix::store {

void fail(GenCode gen, const std::string& operation, const std::string& description,
          const std::string& file, int osCode) {
  throw makeError(kSubSystem, gen, operation, description, file,
                  static_cast<std::uint32_t>(osCode));
}

File::File(const std::string& path, Mode mode) : path_(path) {
  int flags = O_RDWR | O_CLOEXEC;
  if (mode == Mode::CreateNew) flags |= O_CREAT | O_EXCL;
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) {
    int e = errno;
    fail(mode == Mode::CreateNew ? GenCode::Create : GenCode::Open, "open",
         std::string("cannot open file: ") + std::strerror(e), path, e);
  }
}

File::~File() { close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

void File::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::size_t File::readSome(std::uint64_t offset, void* data, std::size_t size) const {
  auto* p = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      fail(GenCode::Read, "read", std::string("read failed: ") + std::strerror(e), path_, e);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void File::readAt(std::uint64_t offset, void* data, std::size_t size) const {
  if (readSome(offset, data, size) != size)
    fail(GenCode::Corruption, "read",
         "file ends at byte " + std::to_string(File::size()) + ", expected " +
             std::to_string(size) + " bytes at offset " + std::to_string(offset),
         path_);
}

void File::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(fd_, p + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      fail(GenCode::Write, "write", std::string("write failed: ") + std::strerror(e), path_, e);
    }
    done += static_cast<std::size_t>(n);
  }
}

std::uint64_t File::size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    int e = errno;
    fail(GenCode::Read, "stat", std::string("cannot stat: ") + std::strerror(e), path_, e);
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::pair<std::uint64_t, std::uint64_t> File::identity() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    int e = errno;
    fail(GenCode::Read, "stat", std::string("cannot stat: ") + std::strerror(e), path_, e);
  }
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

void File::truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    int e = errno;
    fail(GenCode::Write, "truncate", std::string("cannot truncate: ") + std::strerror(e), path_, e);
  }
}

void File::sync() {
  if (::fdatasync(fd_) != 0) {
    int e = errno;
    fail(GenCode::Write, "sync", std::string("cannot sync: ") + std::strerror(e), path_, e);
  }
}

bool File::lock(std::uint64_t offset, LockKind kind, bool wait) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  for (;;) {
    if (::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno == EINTR) continue;
    if (!wait && (errno == EAGAIN || errno == EACCES)) return false;
    int e = errno;
    fail(GenCode::Lock, "lock", std::string("cannot lock: ") + std::strerror(e), path_, e);
  }
}

void File::unlock(std::uint64_t offset) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = 1;
  if (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
    int e = errno;
    fail(GenCode::Lock, "unlock", std::string("cannot unlock: ") + std::strerror(e), path_, e);
  }
}

}  // namespace tavrix::store
