// Reading the document part out of a DOCX zip package with libzip.
#include "extract/docx.h"

#include <zip.h>

#include <algorithm>
#include <memory>
#include <string>

#include "common/paths.h"

namespace quor {
namespace {

constexpr const char* kDocumentMember = "word/document.xml";
constexpr std::int64_t kReadChunk = 64 * 1024;

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
  void operator()(zip_file_t* member) const { zip_fclose(member); }
};

}  // namespace

UnzippedPart UnzipDocumentPart(std::u16string_view zipPath, std::int64_t maxBytes) {
  UnzippedPart result;
  maxBytes = std::max<std::int64_t>(maxBytes, 0);
  const std::string fsPath = ToFsPath(zipPath).string();
  int openError = 0;
  std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(fsPath.c_str(), ZIP_RDONLY, &openError));
  if (!archive) return result;

  const zip_int64_t index = zip_name_locate(archive.get(), kDocumentMember, ZIP_FL_NOCASE);
  if (index < 0) return result;
  // Opening checks the local header and the compression method; a member that
  // cannot even be opened holds no text we could offer to scan.
  std::unique_ptr<zip_file_t, MemberCloser> member(
      zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(index), 0));
  if (!member) return result;

  // The sizes in the headers are not trusted: the reading stops at maxBytes
  // whatever they claim, so a small package cannot make us inflate gigabytes.
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
      (stat.valid & ZIP_STAT_SIZE) != 0) {
    const zip_uint64_t cap = static_cast<zip_uint64_t>(maxBytes);
    result.bytes.reserve(static_cast<std::size_t>(std::min(stat.size, cap)));
  }

  result.outcome = UnzippedPart::Outcome::Complete;
  while (static_cast<std::int64_t>(result.bytes.size()) < maxBytes) {
    const std::int64_t want =
        std::min(kReadChunk, maxBytes - static_cast<std::int64_t>(result.bytes.size()));
    const std::size_t had = result.bytes.size();
    result.bytes.resize(had + static_cast<std::size_t>(want));
    const zip_int64_t got =
        zip_fread(member.get(), result.bytes.data() + had, static_cast<zip_uint64_t>(want));
    if (got < 0) {
      // libzip checks the checksum only after the last byte was handed out,
      // and a corrupted deflate stream stops with a data error: either way
      // the member is damaged, and what was read so far is kept for the
      // user's decision.
      result.bytes.resize(had);
      result.outcome = UnzippedPart::Outcome::Damaged;
      break;
    }
    result.bytes.resize(had + static_cast<std::size_t>(got));
    if (got == 0) break;
  }
  return result;
}

}  // namespace quor
