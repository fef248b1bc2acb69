#include "common/fd_io.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace quor {

namespace {

// Writes at the descriptor's position when offset is negative, else at offset.
int WriteLoop(int fd, const char* from, std::size_t size, std::int64_t offset) {
  while (size > 0) {
    const ssize_t written =
        offset < 0 ? ::write(fd, from, size) : ::pwrite(fd, from, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    from += written;
    if (offset >= 0) offset += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

}  // namespace

int WriteAllToFd(int fd, const void* data, std::size_t size) {
  return WriteLoop(fd, static_cast<const char*>(data), size, -1);
}

int WriteAllAt(int fd, const void* data, std::size_t size, std::int64_t offset) {
  if (offset < 0) return EINVAL;
  return WriteLoop(fd, static_cast<const char*>(data), size, offset);
}

int CloseChecked(int fd) {
  return ::close(fd) == 0 ? 0 : errno;
}

int OwnedFd::Close() {
  if (fd_ < 0) return 0;
  const int error = CloseChecked(fd_);
  fd_ = -1;
  return error;
}

}  // namespace quor
