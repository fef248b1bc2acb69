#include "search/index_load.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <span>

#include "common/encoding.h"
#include "common/files.h"
#include "common/strings.h"
#include "indexfile/compressor.h"
#include "indexfile/data_file.h"
#include "indexfile/index_text_reader.h"
#include "search/data_file_check.h"
#include "search/work_copy.h"

namespace quor {

namespace {

// Lexicon entries made room for before any is read: a damaged header may
// announce any number.
constexpr std::int32_t kMaxLexiconReserve = 1 << 18;
// Bytes of words made room for per announced word (most words are shorter).
constexpr std::size_t kReservedBytesPerWord = 10;

class LoadedIndexSink final : public IndexTextSink {
 public:
  LoadedIndexSink(LoadedIndex& index, IndexLoadObserver* observer)
      : index_(index), observer_(observer) {}

  void FileListEntry(std::string_view path) override {
    index_.FileList.push_back(index_.Texts.InternUtf8(path));
  }
  void LexiconHeader(std::int32_t wordCount, std::string_view title) override {
    index_.WordCount = wordCount;
    index_.IndexTitle = Utf8ToText(title);
    const auto words = static_cast<std::size_t>(std::clamp(wordCount, 0, kMaxLexiconReserve));
    index_.Lexicon.Reserve(words, words * kReservedBytesPerWord);
    if (observer_) observer_->ShowIndexTitle(index_.IndexTitle);
  }
  void LexiconEntry(std::int32_t rowNumber, std::string_view word) override {
    index_.Lexicon.Add(word, rowNumber);
  }

 private:
  LoadedIndex& index_;
  IndexLoadObserver* observer_;
};

struct FreeText {
  void operator()(char* text) const { std::free(text); }
};

void ShowExpansionError(IndexLoadObserver& observer, std::int32_t status) {
  observer.MsgBox(u"Error when reading the index file:" + ToText(status) +
                      u"\r\nProbably the index file is incomplete or corrupted.\r\n"
                      u"Try using the index module to recreate the index file.",
                  MsgButtons::Ok, MsgIcon::Critical, u"Error");
}

// Expands the whole file without keeping it: 0 or the negative status.
std::int32_t CheckWholeExpansion(FileCompressor& compressor) {
  std::string piece;
  for (bool done = false; !done;) {
    piece.clear();
    if (const std::int32_t status = compressor.ExpandMore(piece, done); status < 0) return status;
  }
  return 0;
}

}  // namespace

bool CheckIndexFileName(std::u16string_view indexFilePath, MessageSink& sink) {
  if (HasIndexFileSuffix(indexFilePath)) return true;
  sink.MsgBox(u"Index file names must end in '_index.quor'.", MsgButtons::Ok, MsgIcon::Exclamation,
              u"Invalid input");
  return false;
}

std::u16string SearchableWordsLabel(std::int32_t wordCount, std::int32_t fileCount) {
  return u"There are " + GroupDigits(wordCount) + u" searchable words in " +
         (fileCount == 1 ? std::u16string(u"one file.") : GroupDigits(fileCount) + u" files.");
}

std::u16string ReadFileList(RecordFieldReader& reader, LoadedIndex& index) {
  index.FileList.clear();
  LoadedIndexSink sink(index, nullptr);
  std::u16string error = ReadFileListRecords(reader, sink);
  index.FileCount = static_cast<std::int32_t>(index.FileList.size());
  return error;
}

std::u16string ReadLexicon(RecordFieldReader& reader, LoadedIndex& index,
                           IndexLoadObserver& observer) {
  index.Lexicon.ClearWords();
  LoadedIndexSink sink(index, &observer);
  std::int32_t wordsRead = 0;
  std::u16string error = ReadLexiconRecords(reader, sink, wordsRead);
  // An early "End of lexicon" leaves fewer words than announced.
  index.WordCount = wordsRead;
  return error;
}

std::u16string ReadIndexFile(RecordFieldReader& reader, LoadedIndex& index,
                             std::int64_t expandedLength, const FreeSpaceQuery& freeSpace,
                             IndexLoadObserver& observer, const StopToken& stop, bool& stopped) {
  stopped = false;
  if (std::u16string error = ReadFileList(reader, index); !error.empty()) {
    return u"Error when reading file list: " + error;
  }
  if (reader.SourceStatus() < 0) return {};
  if (std::u16string error = ReadLexicon(reader, index, observer); !error.empty()) {
    return u"Error when reading lexicon: " + error;
  }
  if (reader.SourceStatus() < 0) return {};

  const LengthStampInfo stamp = ReadLengthStamp(index.DataFilePath);
  if (DataFileIsCurrent(stamp, expandedLength, index.FileCount, index.WordCount)) return {};
  if (stamp.exists && stamp.length == 0) {
    DeleteFileForced(index.DataFilePath, true, true, true);
  }
  const DataFileJob job{index.DataFilePath, expandedLength, index.FileCount, index.WordCount,
                        freeSpace};
  return CreateDataFile(job, reader, observer, stop, stopped);
}

IndexLoadResult LoadIndex(const IndexLoadRequest& request, IndexLoadObserver& observer,
                          const StopToken& stop) {
  IndexLoadResult result;
  const std::u16string& path = request.indexFilePath;
  if (!CheckIndexFileName(path, observer)) return result;
  if (!FileExists(path)) {
    observer.MsgBox(
        u"The index file does not exist.\r\nPerhaps it has not yet been created by the index "
        u"module.",
        MsgButtons::Ok, MsgIcon::Exclamation, request.searchCaption);
    return result;
  }

  LoadedIndex& index = result.index;
  index.IndexFilePath = path;
  index.DataFilePath = DataFilePathFor(path);

  // A work copy made from this very index file, whose data file is still
  // current, spares the expansion and the reading of the text.
  const std::optional<IndexFileIdentity> identity =
      request.dataFolder.empty() ? std::nullopt : IdentifyIndexFile(path);
  const std::u16string workCopy = identity ? WorkCopyPath(request.dataFolder, path) : u"";
  if (identity && LoadWorkCopy(workCopy, *identity, index)) {
    observer.ShowIndexTitle(index.IndexTitle);
    result.fromWorkCopy = true;
    result.searchableWordsLabel = SearchableWordsLabel(index.WordCount, index.FileCount);
    result.ready = true;
    return result;
  }

  FileCompressor compressor;
  if (!compressor.AllocateCompressionBuffer()) {
    observer.MsgBox(u"Allocation error when reading the index file.", MsgButtons::Ok,
                    MsgIcon::Critical, u"Error");
    return result;
  }

  // The frame header declares the expanded length. When the data file's
  // stamp already matches it, the text is read only up to the end of the
  // lexicon: the count rows are in the data file. Otherwise the whole
  // expansion is checked first, so that a damaged file is reported as such
  // before anything is read or built, and then expanded again for reading.
  std::int32_t status = compressor.BeginExpand(path);
  std::int64_t expandedLength = 0;
  bool stampMatches = false;
  if (status == kCompressOk) {
    // The stamp holds 32 bits, so the index build never writes a longer text.
    constexpr auto kLongest = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    if (compressor.DeclaredSize() > kLongest) {
      ShowExpansionError(observer, kCompressBadContentSize);
      return result;
    }
    expandedLength = static_cast<std::int64_t>(compressor.DeclaredSize());
    const LengthStampInfo stamp = ReadLengthStamp(index.DataFilePath);
    stampMatches = stamp.stamp.has_value() && *stamp.stamp == expandedLength;
    if (!stampMatches) {
      status = CheckWholeExpansion(compressor);
      if (status == kCompressOk) status = compressor.BeginExpand(path);
    }
  }
  if (status < 0) {
    ShowExpansionError(observer, status);
    return result;
  }

  // With a current data file the text is expanded into one buffer and read
  // where it lies. The buffer's pages are taken only as far as the
  // expansion gets. A buffer that cannot be had leaves the piecewise
  // expansion.
  const std::size_t textSize = static_cast<std::size_t>(expandedLength) + 1;
  const std::unique_ptr<char, FreeText> text(
      stampMatches ? static_cast<char*>(std::malloc(textSize)) : nullptr);
  std::optional<RecordFieldReader> reading;
  if (text) {
    const std::span<char> buffer(text.get(), textSize);
    reading.emplace(
        RecordFieldReader::GrowingText{[&compressor, buffer](std::string_view& view, bool& done) {
          constexpr std::size_t kPiece = 128 * 1024;
          const std::int32_t status = compressor.ExpandInto(buffer, kPiece, done);
          if (status == kCompressOk) {
            view = {buffer.data(), static_cast<std::size_t>(compressor.Expanded())};
          }
          return status;
        }});
  } else {
    reading.emplace(
        [&compressor](std::string& to, bool& done) { return compressor.ExpandMore(to, done); });
  }
  RecordFieldReader& reader = *reading;
  std::u16string error = ReadIndexFile(reader, index, expandedLength, request.freeSpace, observer,
                                       stop, result.stopped);
  // A text that the reader found damaged may be a damaged expansion: that
  // is what the user is told, as when the whole file is expanded first.
  if (!error.empty() && reader.SourceStatus() == 0 && stampMatches) (void)reader.Drain();
  if (reader.SourceStatus() < 0) {
    ShowExpansionError(observer, reader.SourceStatus());
    return result;
  }
  compressor.FreeCompressionBuffer();
  if (result.stopped) return result;

  if (!error.empty()) {
    observer.MsgBox(error, MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
    result.searchableWordsLabel = error;
  } else {
    result.searchableWordsLabel = SearchableWordsLabel(index.WordCount, index.FileCount);
  }
  result.errorText = std::move(error);
  result.ready = result.errorText.empty();
  if (result.ready && identity) {
    (void)WriteWorkCopy(workCopy, index, *identity, expandedLength);
  }
  return result;
}

}  // namespace quor
