// Writing to and closing file descriptors with every error seen: writes go on
// after short writes and interruptions, and a close reports the delayed write
// failures some file systems only give then.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quor {

// Writes all size bytes of data at the descriptor's position. 0, or the errno
// value of the failure (EIO when the system accepts no byte at all).
int WriteAllToFd(int fd, const void* data, std::size_t size);

// As WriteAllToFd, at the given file offset (the position stays unchanged).
int WriteAllAt(int fd, const void* data, std::size_t size, std::int64_t offset);

// Closes fd. 0, or the errno value of the failure.
int CloseChecked(int fd);

// A file descriptor closed on every path out; Close closes it early so that
// its error can be seen.
class OwnedFd {
 public:
  explicit OwnedFd(int fd = -1) : fd_(fd) {}
  ~OwnedFd() { Close(); }
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes the descriptor held (ignoring its error) and takes fd instead.
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  // 0 (also when already closed), or the errno value of the failure.
  int Close();

 private:
  int fd_;
};

}  // namespace quor
