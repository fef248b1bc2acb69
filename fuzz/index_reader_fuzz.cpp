// Reads arbitrary bytes as an expanded index text and as a compressed index
// file. The text is read whole and in pieces of every size the input
// chooses, and both must give the fields the settings reader gives. The
// first byte chooses: bytes as a compressed index file, or as the text of
// one, which is also compressed and loaded; a load goes all the way through
// the data-file build, and the load after it may take the work copy.
#include <unistd.h>
#include <zstd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/encoding.h"
#include "common/paths.h"
#include "common/records.h"
#include "indexfile/index_text_reader.h"
#include "search/index_load.h"
#include "search/work_copy.h"

namespace {

void CheckPiecewiseReading(std::string_view text, std::size_t piece) {
  std::size_t at = 0;
  quor::RecordFieldReader pieces([&](std::string& to, bool& done) {
    const std::size_t n = std::min(piece, text.size() - at);
    to.append(text.substr(at, n));
    at += n;
    done = at == text.size();
    return 0;
  });
  quor::RecordReader whole(text);
  std::u16string expected;
  std::string_view field;
  while (whole.Next(expected)) {
    if (pieces.Next(field) != quor::RecordFieldReader::Result::kField) std::abort();
    if (quor::Utf8ToText(field) != expected) std::abort();
  }
  if (pieces.Next(field) != quor::RecordFieldReader::Result::kEnd) std::abort();
}

class QuietObserver final : public quor::IndexLoadObserver {
 public:
  quor::MsgResult MessageBox(const quor::MessageBoxRequest&) override {
    return quor::MsgResult::Ok;
  }
};

// Loads bytes as the index file f_index.quor, building its data file. With
// stampFirst a data file stamped with the declared expanded length is there
// first, so the text is read in place up to the end of its lexicon. A load
// that succeeds is repeated (its data file is current then) and must read
// the same.
void LoadAsIndexFile(std::string_view bytes, bool stampFirst) {
  // Never destroyed, so that the clean-up at exit can still name it.
  static const std::filesystem::path* const folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "quor-fuzz-XXXXXX").string();
    const char* dir = ::mkdtemp(pattern.data());
    if (!dir) std::abort();
    auto* made = new std::filesystem::path(dir);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(*folder, ec);
    });
    return made;
  }();
  const std::filesystem::path index = *folder / "f_index.quor";
  FILE* out = std::fopen(index.c_str(), "wb");
  if (!out) return;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  std::error_code ec;
  std::filesystem::remove(*folder / "f_data.quor", ec);
  // The file is rewritten in place, perhaps within one tick of the clock:
  // the first load reads its text, the second may use the copy it wrote.
  const std::u16string indexPath = quor::Utf8ToText(index.string());
  std::filesystem::remove(
      quor::ToFsPath(quor::WorkCopyPath(quor::Utf8ToText(folder->string()), indexPath)), ec);
  const unsigned long long declared = ZSTD_getFrameContentSize(bytes.data(), bytes.size());
  if (stampFirst && declared < (1ULL << 31)) {
    if (FILE* data = std::fopen((*folder / "f_data.quor").c_str(), "wb")) {
      const unsigned char stamp[4] = {
          static_cast<unsigned char>(declared), static_cast<unsigned char>(declared >> 8),
          static_cast<unsigned char>(declared >> 16), static_cast<unsigned char>(declared >> 24)};
      std::fwrite(stamp, 1, sizeof stamp, data);
      std::fclose(data);
    }
  }

  quor::IndexLoadRequest request;
  request.indexFilePath = indexPath;
  request.searchCaption = u"Search";
  request.dataFolder = quor::Utf8ToText(folder->string());
  QuietObserver observer;
  quor::StopToken stop;
  const quor::IndexLoadResult result = quor::LoadIndex(request, observer, stop);
  if (result.ready &&
      result.index.FileCount != static_cast<std::int32_t>(result.index.FileList.size())) {
    std::abort();
  }
  if (!result.ready) return;
  const quor::IndexLoadResult again = quor::LoadIndex(request, observer, stop);
  if (!again.ready || again.index.FileList != result.index.FileList ||
      again.index.WordCount != result.index.WordCount ||
      again.index.IndexTitle != result.index.IndexTitle ||
      again.searchableWordsLabel != result.searchableWordsLabel) {
    std::abort();
  }
  for (std::size_t i = 0; i < again.index.Lexicon.size(); ++i) {
    if (again.index.Lexicon.Word(i) != result.index.Lexicon.Word(i) ||
        again.index.Lexicon.RowNumber(i) != result.index.Lexicon.RowNumber(i)) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 0x80) {
    LoadAsIndexFile(bytes, (data[0] & 0x20) != 0);
    return 0;
  }
  (void)quor::ReadIndexText(bytes);
  CheckPiecewiseReading(bytes, 1 + data[0] % 17);
  if (data[0] & 0x40) {
    // The text as a well-formed compressed file: the whole load reads it.
    std::string frame(ZSTD_compressBound(bytes.size()), '\0');
    const std::size_t length =
        ZSTD_compress(frame.data(), frame.size(), bytes.data(), bytes.size(), 1);
    if (ZSTD_isError(length)) std::abort();
    frame.resize(length);
    LoadAsIndexFile(frame, (data[0] & 0x20) != 0);
  }
  return 0;
}
