#include "indexfile/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/strings.h"

namespace quor {

namespace {

bool AllZero(const std::uint8_t* from, std::size_t size) {
  // Eight bytes at a time: this runs over every byte of the matrix.
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, from + i, 8);
    if (word != 0) return false;
  }
  for (; i < size; ++i) {
    if (from[i] != 0) return false;
  }
  return true;
}

// pread of all size bytes at offset: 0, the errno value, or -1 when the file
// ends first.
int ReadAllAt(int fd, void* to, std::size_t size, std::int64_t offset) {
  auto* at = static_cast<char*>(to);
  while (size > 0) {
    const ssize_t got = ::pread(fd, at, size, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return -1;
    at += got;
    offset += got;
    size -= static_cast<std::size_t>(got);
  }
  return 0;
}

}  // namespace

bool HasIndexFileSuffix(std::u16string_view path) {
  return path.ends_with(kIndexFileSuffix);
}

std::u16string DataFilePathFor(std::u16string_view indexPath) {
  if (!HasIndexFileSuffix(indexPath)) return {};
  std::u16string path(indexPath.substr(0, indexPath.size() - kIndexFileSuffix.size()));
  path += kDataFileSuffix;
  return path;
}

LengthStampInfo ReadLengthStamp(std::u16string_view path) {
  LengthStampInfo info;
  OwnedFd fd(::open(TextToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) {
    if (errno != ENOENT && errno != ENOTDIR) info.error = ErrorDescription(errno);
    return info;
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) {
    info.error = ErrorDescription(errno);
    return info;
  }
  if (!S_ISREG(st.st_mode)) return info;
  info.exists = true;
  info.length = st.st_size;
  if (info.length < 4) return info;
  std::uint8_t bytes[4];
  if (const int error = ReadAllAt(fd.Get(), bytes, 4, info.length - 4); error != 0) {
    info.error = error > 0 ? ErrorDescription(error) : u"The data file ends early";
    return info;
  }
  const std::uint32_t value =
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  info.stamp = static_cast<std::int32_t>(value);
  return info;
}

std::u16string AppendLengthStamp(std::u16string_view path, std::int64_t textLength) {
  if (textLength < 0 || textLength > std::numeric_limits<std::int32_t>::max()) {
    return u"The index text is too long for the data file's length stamp";
  }
  const int fd = ::open(TextToUtf8(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return ErrorDescription(errno);
  const auto value = static_cast<std::uint32_t>(textLength);
  const std::uint8_t stamp[4] = {
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  int error = WriteAllToFd(fd, stamp, sizeof stamp);
  const int closeError = CloseChecked(fd);
  if (error == 0) error = closeError;
  return error == 0 ? std::u16string() : ErrorDescription(error);
}

DataMatrixWriter::DataMatrixWriter(int fd, std::int32_t rowLength)
    : fd_(fd), rowLength_(static_cast<std::size_t>(std::max<std::int32_t>(rowLength, 0))) {
  // Room for a row that starts just before the end of the first kWindow
  // bytes, rounded up to whole blocks.
  const std::size_t size = kWindow + (rowLength_ + kBlock - 1) / kBlock * kBlock;
  window_.assign(size, 0);
  marked_.assign(size / kBlock, 0);
}

std::u16string DataMatrixWriter::AppendRow(std::span<const std::uint8_t> row) {
  const std::size_t size = std::min(row.size(), rowLength_);
  std::size_t done = 0;
  while (done < size) {
    // One block of the window at a time: copied, then marked unless all zero.
    const std::size_t at = rowAt_ + done;
    const std::size_t part = std::min(size - done, kBlock - at % kBlock);
    if (!AllZero(row.data() + done, part)) {
      std::memcpy(window_.data() + at, row.data() + done, part);
      marked_[at / kBlock] = 1;
    }
    done += part;
  }
  return EndRow();
}

std::u16string DataMatrixWriter::EndRow() {
  if (!error_.empty()) return error_;
  rowAt_ += rowLength_;
  while (rowAt_ >= kWindow) {
    if (std::u16string error = Advance(); !error.empty()) return error;
  }
  return {};
}

std::u16string DataMatrixWriter::WriteMarked(std::size_t size) {
  // base_ is a multiple of kWindow, so the window's blocks are the file's
  // blocks. Consecutive marked blocks go out in one write and are then
  // cleared; the others hold only zeros.
  const std::size_t blocks = (size + kBlock - 1) / kBlock;
  for (std::size_t block = 0; block < blocks;) {
    if (!marked_[block]) {
      ++block;
      continue;
    }
    std::size_t end = block;
    while (end < blocks && marked_[end]) marked_[end++] = 0;
    const std::size_t from = block * kBlock;
    const std::size_t to = std::min(size, end * kBlock);
    if (const int error = WriteAllAt(fd_, window_.data() + from, to - from,
                                     base_ + static_cast<std::int64_t>(from));
        error != 0) {
      error_ = ErrorDescription(error);
      return error_;
    }
    std::memset(window_.data() + from, 0, end * kBlock - from);
    block = end;
  }
  return {};
}

std::u16string DataMatrixWriter::Advance() {
  if (std::u16string error = WriteMarked(kWindow); !error.empty()) return error;
  // The blocks past kWindow belong to the row that crossed it: they move to
  // the front, whose blocks are all clear now.
  const std::size_t first = kWindow / kBlock;
  for (std::size_t block = first; block < marked_.size(); ++block) {
    if (!marked_[block]) continue;
    std::uint8_t* from = window_.data() + block * kBlock;
    std::memcpy(window_.data() + (block - first) * kBlock, from, kBlock);
    std::memset(from, 0, kBlock);
    marked_[block - first] = 1;
    marked_[block] = 0;
  }
  base_ += static_cast<std::int64_t>(kWindow);
  rowAt_ -= kWindow;
  return {};
}

std::u16string DataMatrixWriter::Finish() {
  if (!error_.empty()) return error_;
  if (std::u16string error = WriteMarked(rowAt_); !error.empty()) return error;
  if (::ftruncate(fd_, static_cast<off_t>(Length())) != 0) error_ = ErrorDescription(errno);
  return error_;
}

DataFileRows::~DataFileRows() {
  Close();
}

std::u16string DataFileRows::Open(std::u16string_view path) {
  Close();
  fd_ = ::open(TextToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  return fd_ < 0 ? ErrorDescription(errno) : std::u16string();
}

std::u16string DataFileRows::ReadRow(std::int32_t rowNumber, std::span<std::uint8_t> row) const {
  if (fd_ < 0) return ErrorDescription(EBADF);
  if (rowNumber < 1) return u"There is no row " + ToText(rowNumber) + u" in the data file";
  const std::int64_t offset =
      static_cast<std::int64_t>(rowNumber - 1) * static_cast<std::int64_t>(row.size());
  const int error = ReadAllAt(fd_, row.data(), row.size(), offset);
  if (error < 0) return u"Row " + ToText(rowNumber) + u" lies beyond the end of the data file";
  return error == 0 ? std::u16string() : ErrorDescription(error);
}

void DataFileRows::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

DataRow ReadDataRow(std::u16string_view path, std::int32_t rowNumber, std::int32_t rowLength) {
  DataRow result;
  DataFileRows rows;
  result.error = rows.Open(path);
  if (!result.error.empty()) return result;
  result.bytes.assign(static_cast<std::size_t>(std::max<std::int32_t>(rowLength, 0)), 0);
  result.error = rows.ReadRow(rowNumber, result.bytes);
  if (!result.error.empty()) result.bytes.clear();
  return result;
}

}  // namespace quor
