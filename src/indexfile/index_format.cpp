#include "indexfile/index_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/strings.h"

namespace quor {
namespace {

void AppendNumber(std::u16string& out, std::uint32_t n) {
  char16_t digits[10];
  int k = 0;
  do {
    digits[k++] = static_cast<char16_t>(u'0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (k > 0) out += digits[--k];
}

}  // namespace

void WriteLexicon(RecordWriter& out, LexiconRows lexicon, std::u16string_view title,
                  int versionNumber) {
  out.WriteNumber(lexicon.WordCount());
  out.WriteString(title);
  out.EndRecord();
  for (std::int32_t row : lexicon.SortedRows()) {
    out.WriteNumber(row);
    out.WriteString(lexicon.Word(row));
    out.EndRecord();
  }
  out.WriteNumber(versionNumber);
  out.WriteString(kEndOfLexicon);
  out.EndRecord();
}

std::u16string EncodeCountRow(std::span<const Posting> postings, std::int32_t fileCount) {
  std::u16string row;
  std::uint32_t nextFile = 1;  // the first file the row has not covered yet
  auto flushZeros = [&](std::uint32_t upTo) {
    const std::uint32_t zeros = upTo - nextFile;
    if (zeros == 0) return;
    if (zeros == 1) {
      row += u"0,";
    } else {
      row += u'-';
      AppendNumber(row, zeros);
      row += u',';
    }
  };
  const auto last = static_cast<std::uint32_t>(std::max<std::int32_t>(fileCount, 0));
  for (const Posting& p : postings) {
    const std::uint32_t file = p.File();
    if (file < nextFile || file > last || p.Value() == 0) continue;
    flushZeros(file);
    AppendNumber(row, p.Value());
    row += u',';
    nextFile = file + 1;
  }
  flushZeros(last + 1);
  if (!row.empty()) row.pop_back();
  return row;
}

void WriteCountRows(RecordWriter& out, LexiconRows lexicon, std::int32_t fileCount) {
  for (std::int32_t row = 1; row <= lexicon.WordCount(); ++row) {
    out.WriteStringRecord(EncodeCountRow(lexicon.Postings(row), fileCount));
  }
}

std::u16string WriteDataMatrix(int fd, LexiconRows lexicon, std::int32_t rowLength) {
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

std::u16string WriteDataFile(std::u16string_view path, LexiconRows lexicon,
                             std::int32_t rowLength) {
  const int fd = ::open(TextToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return ErrorDescription(errno);
  std::u16string error = WriteDataMatrix(fd, lexicon, rowLength);
  const int closeError = CloseChecked(fd);
  if (error.empty() && closeError != 0) error = ErrorDescription(closeError);
  return error;
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

}  // namespace quor
