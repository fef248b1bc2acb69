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
  DataMatrixWriter writer(fd, rowLength);
  for (std::int32_t r = 1; r <= lexicon.WordCount(); ++r) {
    for (const Posting& p : lexicon.Postings(r)) {
      // File numbers are 1-based; 0 falls outside the row like one too high.
      writer.Set(p.File() - 1, p.Value());
    }
    if (std::u16string error = writer.EndRow(); !error.empty()) return error;
  }
  return writer.Finish();
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

}  // namespace quor
