#include "index/index_run_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

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

// ---- the data file ----

std::u16string WriteDataMatrix(int fd, const IndexLexicon& lexicon, std::int32_t rowLength) {
  // Blocks of the file system's usual size: a block that holds no value is
  // not written at all, so it stays a hole.
  constexpr std::int64_t kBlock = 4096;
  constexpr std::int64_t kWindow = 1024 * kBlock;
  const std::int64_t length = std::max<std::int32_t>(rowLength, 0);
  const std::int64_t total = length * lexicon.WordCount();

  // The window's buffer is cleared once; afterwards only the blocks that
  // received values are cleared again.
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(total, kWindow)), 0);
  std::vector<bool> dirty;
  for (std::int64_t start = 0; start < total; start += kWindow) {
    const std::int64_t end = std::min(total, start + kWindow);
    dirty.assign(static_cast<std::size_t>((end - start + kBlock - 1) / kBlock), false);
    const auto firstRow = static_cast<std::int32_t>(start / length) + 1;
    const auto lastRow = static_cast<std::int32_t>((end - 1) / length) + 1;
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
      const std::int64_t rowStart = static_cast<std::int64_t>(row - 1) * length;
      for (const Posting& p : lexicon.Postings(row)) {
        if (p.File() < 1 || p.File() > static_cast<std::uint32_t>(length)) continue;
        const std::int64_t at = rowStart + p.File() - 1;
        if (at < start || at >= end) continue;
        buffer[static_cast<std::size_t>(at - start)] = p.Value();
        dirty[static_cast<std::size_t>((at - start) / kBlock)] = true;
      }
    }
    // Consecutive blocks with values go out in one write.
    std::size_t block = 0;
    while (block < dirty.size()) {
      if (!dirty[block]) {
        ++block;
        continue;
      }
      std::size_t next = block;
      while (next < dirty.size() && dirty[next]) ++next;
      const std::int64_t from = static_cast<std::int64_t>(block) * kBlock;
      const std::int64_t to = std::min(end - start, static_cast<std::int64_t>(next) * kBlock);
      if (const int error = WriteAllAt(fd, buffer.data() + from,
                                       static_cast<std::size_t>(to - from), start + from);
          error != 0) {
        return ErrorDescription(error);
      }
      std::fill(buffer.begin() + from, buffer.begin() + to, std::uint8_t{0});
      block = next;
    }
  }
  if (::ftruncate(fd, static_cast<off_t>(total)) != 0) return ErrorDescription(errno);
  return {};
}

}  // namespace quor
