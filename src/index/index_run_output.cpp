#include "index/index_run_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/files.h"

namespace quor {

int OpenFileForWriting(const std::u16string& path) {
  return ::open(TextToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

// ---- the index text ----

IndexTextFile::~IndexTextFile() {
  Abandon();
}

bool IndexTextFile::Open(const std::u16string& path, const OpenForWriting& open) {
  Abandon();
  records_ = RecordWriter();
  written_ = 0;
  failed_ = false;
  error_.clear();
  fd_ = open(path);
  if (fd_ < 0) return Fail(errno);
  return true;
}

bool IndexTextFile::Fail(int errnoValue) {
  failed_ = true;
  error_ = ErrorDescription(errnoValue);
  return false;
}

bool IndexTextFile::Flush(bool force) {
  if (failed_ || fd_ < 0) return false;
  const std::string& waiting = records_.Utf8();
  if (waiting.empty() || (!force && waiting.size() < kFlushSize)) return true;
  if (const int error = WriteAllToFd(fd_, waiting.data(), waiting.size()); error != 0) {
    return Fail(error);
  }
  written_ += static_cast<std::int64_t>(waiting.size());
  records_.Take();
  return true;
}

bool IndexTextFile::Close() {
  if (fd_ < 0) return !failed_;
  const bool flushed = Flush(true);
  const int closeError = CloseChecked(fd_);
  fd_ = -1;
  if (!flushed) return false;
  if (closeError != 0) return Fail(closeError);
  return true;
}

void IndexTextFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace quor
