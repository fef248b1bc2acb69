#include "index/index_build.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/document_text.h"
#include "extract/program_texts.h"
#include "index/file_words.h"
#include "indexfile/compressor.h"
#include "indexfile/index_format.h"

namespace quor {

namespace {

constexpr int kTextDataFileError = 48;
// The words display is refreshed after this many new words.
constexpr std::int32_t kWordsBetweenRefreshes = 90;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// The walk's reports go on to the build's observer; the files of the
// indexing pass come back to the build.
class IndexBuilder::WalkForwarder : public WalkObserver {
 public:
  explicit WalkForwarder(IndexBuilder& build) : build_(build), observer_(*build.observer_) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return observer_.MessageBox(request);
  }
  void WalkStarted() override { observer_.WalkStarted(); }
  void WalkEnded() override { observer_.WalkEnded(); }
  void Poll() override { observer_.Poll(); }
  void CountingProgress(std::int32_t count) override { observer_.CountingProgress(count); }
  void Totals(std::int32_t count, double totalFileSize) override {
    observer_.Totals(count, totalFileSize);
  }
  bool IndexFile(const std::u16string& fullPath, int typeCode) override {
    return build_.IndexFile(fullPath, typeCode);
  }

 private:
  IndexBuilder& build_;
  IndexBuildObserver& observer_;
};

std::int32_t CompressWithFileCompressor(const std::u16string& source,
                                        const std::u16string& target) {
  FileCompressor compressor;
  // A buffer that cannot be had counts as a failed compression.
  if (!compressor.AllocateCompressionBuffer()) return kCompressNoBuffer;
  const std::int32_t status = compressor.CompressFile(source, target, true);
  compressor.FreeCompressionBuffer();
  return status;
}

std::u16string CompressionTargetPath(std::u16string_view indexFilePath) {
  const std::size_t keep = indexFilePath.size() >= 3 ? indexFilePath.size() - 3 : 0;
  return std::u16string(indexFilePath.substr(0, keep)) + u"dwixc";
}

IndexBuilder::IndexBuilder() = default;

IndexBuilder::~IndexBuilder() {
  if (dataFd_ >= 0) ::close(dataFd_);
}

IndexBuildResult IndexBuilder::Run(const IndexBuildRequest& request, IndexBuildObserver& observer,
                                   const StopToken& stop) {
  const auto start = std::chrono::steady_clock::now();
  request_ = &request;
  observer_ = &observer;
  stop_ = &stop;
  stopped_ = false;
  const std::u16string folder = EnsureTrailingBackslash(request.outputFolder);
  indexFilePath_ = folder + request.projectName + u"_index.quor";
  dataFilePath_ = folder + request.projectName + u"_data.quor";

  IndexBuildResult result;
  result.indexFilePath = indexFilePath_;
  result.dataFilePath = dataFilePath_;
  const bool counted = CountingPass(result);
  result.countingSeconds = SecondsSince(start);
  if (counted) {
    IndexingPass();
    WriteIndex();
    Finish(result);
  }
  walk.IndexingPass = false;
  scanner_.reset();
  result.fileCount = walk.IndexFileCount;
  result.totalFileSize = walk.TotalFileSize;
  result.fileList = walk.IndexFileList;
  result.totalTextSize = TotalTextSize;
  result.wordCount = Lexicon.WordCount();
  result.seconds = SecondsSince(start);
  request_ = nullptr;
  observer_ = nullptr;
  stop_ = nullptr;
  return result;
}

bool IndexBuilder::CountingPass(IndexBuildResult& result) {
  walk.ClearFileList();
  walk.rules = request_->rules;
  walk.MaxFilesToIndex = request_->maxFilesToIndex;
  walk.ListOnly = false;
  walk.IndexingPass = false;
  TotalTextSize = 0;
  CurrentFileNumber = 0;
  RowLength = 0;
  WalkForwarder forwarder(*this);
  const WalkOutcome outcome = walk.WalkTopFolder(forwarder, *stop_);
  if (outcome != WalkOutcome::kCompleted) stopped_ = true;
  if (!Ended()) observer_->CountingDone(walk.IndexFileCount);
  observer_->CountingEnded();

  if (outcome == WalkOutcome::kLimitReached) {
    result.end = IndexBuildEnd::kLimitReached;
    return false;
  }
  if (Ended()) {
    result.end = IndexBuildEnd::kCountingStopped;
    return false;
  }
  if (walk.IndexFileCount == 0) {
    result.end = IndexBuildEnd::kNoFiles;
    return false;
  }
  result.end = IndexBuildEnd::kFinished;
  return true;
}

void IndexBuilder::IndexingPass() {
  RowLength = walk.IndexFileCount;
  DeleteOutputFiles();

  // Both files exist from the start of the pass, as a user watching the
  // output folder expects; the data file's matrix is written at its end.
  dataFd_ = openForWriting(dataFilePath_);
  if (dataFd_ < 0) {
    const std::u16string error = ErrorDescription(errno);
    WriteFailed(error + std::u16string(kCrLf) + dataFilePath_);
  } else if (!indexText_.Open(indexFilePath_, openForWriting)) {
    WriteFailed(indexText_.Error() + std::u16string(kCrLf) + indexFilePath_);
  }
  // Finish reports the stop and removes what was made.
  if (Ended()) return;

  observer_->IndexingStarted(RowLength);
  commonWords_ = request_->commonWords;
  scanner_.emplace(Lexicon, &commonWords_);
  scanner_->InitWordExtraction();
  scanner_->ClearStopRequest();
  scanner_->SetEventPoll([this] {
    observer_->Poll();
    return Ended();
  });
  CurrentFileNumber = 0;
  walk.IndexingPass = true;
  WalkForwarder forwarder(*this);
  if (walk.WalkTopFolder(forwarder, *stop_) != WalkOutcome::kCompleted) stopped_ = true;
  walk.IndexingPass = false;
}

bool IndexBuilder::IndexFile(const std::u16string& fullPath, int typeCode) {
  ProcessFile(fullPath, typeCode);
  if (Ended()) return false;
  if (Lexicon.MaxCountInFile() > 0) {
    // The file's byte values become postings of its words.
    const std::u16string error = scanner_->EndFile();
    if (!error.empty()) {
      WriteFailed(error);
      return false;
    }
  }
  return true;
}

void IndexBuilder::ProcessFile(const std::u16string& fullPath, int typeCode) {
  ++CurrentFileNumber;
  // The file takes its place in the list whatever happens to it afterwards.
  indexText_.Records().WriteStringRecord(request_->rules.RelativePath(fullPath));
  if (!indexText_.Flush()) {
    WriteFailed(indexText_.Error() + std::u16string(kCrLf) + indexFilePath_);
    return;
  }
  observer_->FileStarted(fullPath, CurrentFileNumber, RowLength, Lexicon.WordCount());

  std::int32_t wordsShown = Lexicon.WordCount();
  FileReadHooks hooks;
  hooks.opened = [&](std::int64_t textSize) {
    TotalTextSize += static_cast<double>(textSize);
    observer_->TextSizeChanged(TotalTextSize);
  };
  hooks.afterLine = [&] {
    if (Lexicon.WordCount() > wordsShown + kWordsBetweenRefreshes) {
      observer_->WordsSoFar(CurrentFileNumber, Lexicon.WordCount());
      wordsShown = Lexicon.WordCount();
    }
    observer_->Poll();
    return Ended();
  };
  // A DOCX document's conversion lets events happen too; its stop check is
  // afterLine's.
  ForwardingDocumentObserver documentObserver(*observer_, request_->tempFolder, [this] {
    observer_->Poll();
    return false;
  });
  const FileReadResult read = ReadFileWords(documentObserver, *scanner_, fullPath, typeCode,
                                            static_cast<std::uint32_t>(CurrentFileNumber), hooks);
  switch (read.outcome) {
    case FileReadOutcome::kRead:
    case FileReadOutcome::kPassedOver:  // keeps its list place and an all-zero column
      return;
    case FileReadOutcome::kStopped:
    case FileReadOutcome::kFailed:
      stopped_ = true;
      return;
  }
}

void IndexBuilder::WriteFailed(const std::u16string& description) {
  const std::u16string title =
      request_->texts ? request_->texts->Get(kTextDataFileError) : std::u16string();
  observer_->MsgBox(description, MsgButtons::Ok, MsgIcon::Critical, title);
  stopped_ = true;
}

void IndexBuilder::WriteIndex() {
  if (!Ended()) {
    observer_->IndexingDone(CurrentFileNumber, RowLength, Lexicon.WordCount());
    indexText_.Records().WriteStringRecord(kEndOfFileList);
    observer_->WritingStarted(Lexicon.WordCount());
    WriteLexicon(indexText_.Records(), Lexicon, request_->title);
    if (!indexText_.Flush()) WriteFailed(indexText_.Error());
    observer_->WritingEnded();
  }
  // The matrix, row by row from the postings.
  if (!Ended() && dataFd_ >= 0) {
    const std::u16string error = WriteDataMatrix(dataFd_, Lexicon, RowLength);
    if (!error.empty()) WriteFailed(error);
  }
  if (dataFd_ >= 0 && ::close(dataFd_) != 0 && !Ended()) WriteFailed(ErrorDescription(errno));
  dataFd_ = -1;
  observer_->Poll();
}

void IndexBuilder::Finish(IndexBuildResult& result) {
  // The list keeps the paths relative to the top folder ("List files which
  // were indexed").
  const std::size_t cut = walk.rules.topFolder.size() + 1;
  const auto last = std::min<std::size_t>(walk.IndexFileList.size() - 1,
                                          static_cast<std::size_t>(walk.IndexFileCount));
  for (std::size_t i = 1; i <= last; ++i) {
    std::u16string& entry = walk.IndexFileList[i];
    entry = entry.size() > cut ? entry.substr(cut) : std::u16string();
  }

  if (Ended()) {
    indexText_.Abandon();
  } else {
    WriteCountRows(indexText_.Records(), Lexicon, RowLength);
    // A write that fails while the text is completed (a full disk) ends the
    // run as stopped: no compressed index may claim to be complete.
    if (!indexText_.Close()) WriteFailed(indexText_.Error());
  }

  if (Ended()) {
    result.resultText = std::u16string(kResultStopped);
    DeleteOutputFiles();
  } else {
    const std::int64_t textLength = indexText_.Length();
    const std::int32_t status = compressFile(indexFilePath_, CompressionTargetPath(indexFilePath_));
    if (status < 0) {
      result.resultText = std::u16string(kResultCompressionError);
    } else {
      result.resultText = std::u16string(kResultCompleted);
      result.indexCreated = true;
      result.indexTextLength = textLength;
      const std::u16string error =
          textLength > 0 ? AppendLengthStamp(dataFilePath_, textLength) : std::u16string();
      // Without its stamp the data file is rebuilt from the count rows when
      // the index is first searched; the index itself is complete.
      if (!error.empty()) {
        const std::u16string title =
            request_->texts ? request_->texts->Get(kTextDataFileError) : std::u16string();
        observer_->MsgBox(error + std::u16string(kCrLf) + dataFilePath_, MsgButtons::Ok,
                          MsgIcon::Exclamation, title);
      }
    }
    result.indexFileSize = FileLength(indexFilePath_).value_or(0);
    result.dataFileSize = FileLength(dataFilePath_).value_or(0);
  }
}

void IndexBuilder::DeleteOutputFiles() {
  DeleteFileForced(dataFilePath_, true, true, true);
  DeleteFileForced(indexFilePath_, true, true, true);
}

}  // namespace quor
