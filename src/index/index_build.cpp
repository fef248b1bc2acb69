#include "index/index_build.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/classify.h"
#include "extract/document_text.h"
#include "extract/program_texts.h"
#include "index/file_words.h"
#include "indexfile/compressor.h"
#include "indexfile/index_format.h"

namespace quor {

namespace {

constexpr int kTextDataFileError = 48;
// The title of a failure writing the index text.
constexpr std::u16string_view kIndexTextErrorTitle = u"Error writing index file";
constexpr char16_t kTemporarySuffix[] = u".tmp-";
// The words display is refreshed after this many new words.
constexpr std::int32_t kWordsBetweenRefreshes = 90;
// How far the reading threads may go beyond the file being merged, per
// thread: enough to even out files of different sizes.
constexpr std::int32_t kFilesAheadPerThread = 8;
// While a reading thread is still at a file, the observer is polled this
// often.
constexpr std::chrono::milliseconds kWaitBetweenPolls{20};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// The counting walk's reports go on to the build's observer.
class IndexBuilder::WalkForwarder : public WalkObserver {
 public:
  explicit WalkForwarder(IndexBuilder& build) : build_(build), observer_(*build.observer_) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return observer_.MessageBox(request);
  }
  void PassedOver(const PassedOverEntry& entry) override {
    build_.passedOver_.push_back(entry);
    observer_.PassedOver(entry);
  }
  void WalkStarted() override { observer_.WalkStarted(); }
  void WalkEnded() override { observer_.WalkEnded(); }
  void Poll() override { observer_.Poll(); }
  void CountingProgress(std::int32_t count) override { observer_.CountingProgress(count); }
  void Totals(std::int32_t count, double totalFileSize) override {
    observer_.Totals(count, totalFileSize);
  }

 private:
  IndexBuilder& build_;
  IndexBuildObserver& observer_;
};

std::int32_t CompressWithFileCompressor(const std::u16string& source, const std::u16string& target,
                                        std::u16string& error) {
  FileCompressor compressor;
  // A buffer that cannot be had counts as a failed compression.
  if (!compressor.AllocateCompressionBuffer()) {
    error = u"No compression buffer";
    return kCompressNoBuffer;
  }
  const std::int32_t status = compressor.CompressFile(source, target, true);
  error = compressor.LastError();
  compressor.FreeCompressionBuffer();
  return status;
}

std::int32_t IndexBuildThreads(std::int32_t threads) {
  if (threads > 0) return threads;
  if (const char* value = std::getenv("QUOR_INDEX_THREADS"); value != nullptr) {
    const long parsed = std::strtol(value, nullptr, 10);
    if (parsed > 0 && parsed <= 256) return static_cast<std::int32_t>(parsed);
  }
  return static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

std::u16string TemporaryOutputPath(std::u16string_view finalPath, long processId) {
  return std::u16string(finalPath) + kTemporarySuffix + ToText(processId);
}

void RemoveStaleTemporaryFiles(std::u16string_view folder, std::u16string_view projectName) {
  const std::u16string base = EnsureTrailingBackslash(std::u16string(folder));
  const std::u16string indexFile = base + std::u16string(projectName) + u"_index.quor";
  std::vector<std::string> prefixes;
  for (const std::u16string& path : {indexFile, CompressionTargetPath(indexFile),
                                     base + std::u16string(projectName) + u"_data.quor"}) {
    prefixes.push_back(TextToUtf8(GetFileName(path, false) + kTemporarySuffix));
  }
  std::error_code ec;
  // Stepped with an error code: a folder that cannot be read is left alone.
  for (std::filesystem::directory_iterator it(ToFsPath(base), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::filesystem::directory_entry& item = *it;
    const std::string name = item.path().filename().string();
    for (const std::string& prefix : prefixes) {
      if (!name.starts_with(prefix)) continue;
      const std::string digits = name.substr(prefix.size());
      if (digits.empty() || digits.size() > 9 ||
          !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        continue;
      }
      const long pid = std::stol(digits);
      // A file of a run that still goes on in another process stays.
      const bool gone =
          pid == ::getpid() || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
      std::error_code ignored;
      if (gone && item.is_regular_file(ignored)) std::filesystem::remove(item.path(), ignored);
    }
  }
}

std::u16string CompressionTargetPath(std::u16string_view indexFilePath) {
  const std::size_t keep = indexFilePath.size() >= 3 ? indexFilePath.size() - 3 : 0;
  return std::u16string(indexFilePath.substr(0, keep)) + u"dwixc";
}

IndexBuilder::IndexBuilder() = default;

IndexBuilder::~IndexBuilder() {
  if (dataWriter_.joinable()) dataWriter_.join();
  if (dataFd_ >= 0) ::close(dataFd_);
}

IndexBuildResult IndexBuilder::Run(const IndexBuildRequest& request, IndexBuildObserver& observer,
                                   const StopToken& stop) {
  const auto start = std::chrono::steady_clock::now();
  request_ = &request;
  observer_ = &observer;
  stop_ = &stop;
  stopped_ = false;
  passedOver_.clear();
  const std::u16string folder = EnsureTrailingBackslash(request.outputFolder);
  indexFilePath_ = folder + request.projectName + u"_index.quor";
  dataFilePath_ = folder + request.projectName + u"_data.quor";
  const long pid = ::getpid();
  indexTempPath_ = TemporaryOutputPath(indexFilePath_, pid);
  dataTempPath_ = TemporaryOutputPath(dataFilePath_, pid);
  compressionTempPath_ = TemporaryOutputPath(CompressionTargetPath(indexFilePath_), pid);

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
  result.passedOver = std::move(passedOver_);
  passedOver_.clear();
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
  walk.classifyThreads = IndexBuildThreads(request_->threads);
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
  // What a killed run left goes now; the previous index stays until this
  // run has completed.
  RemoveStaleTemporaryFiles(request_->outputFolder, request_->projectName);

  // Both files exist from the start of the pass; the data file's matrix is
  // written at its end.
  dataFd_ = openForWriting(dataTempPath_);
  if (dataFd_ < 0) {
    const std::u16string error = ErrorDescription(errno);
    WriteFailed(error + std::u16string(kCrLf) + dataFilePath_);
  } else if (!indexText_.Open(indexTempPath_, openForWriting)) {
    WriteFailed(indexText_.Error() + std::u16string(kCrLf) + indexFilePath_, kIndexTextErrorTitle);
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
  // The counting pass's list serves the pass: a second walk would find the
  // same files in the same order and classify them again.
  const std::vector<FileWordJob> jobs = ListedFiles();
  // Marks the pass for those who watch the walk's state.
  walk.IndexingPass = true;
  observer_->WalkStarted();
  const std::int32_t threads = IndexBuildThreads(request_->threads);
  std::optional<FileWordPool> pool;
  workerRows_.assign(static_cast<std::size_t>(threads), {});
  if (threads > 1) pool.emplace(jobs, commonWords_, threads, kFilesAheadPerThread * threads);
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    observer_->Poll();
    if (Ended()) break;
    const FileWordJob& job = jobs[i];
    const bool goOn = pool && job.forWorkers ? TakeCutFile(*pool, i, job.fullPath)
                                             : IndexFile(job.fullPath, job.typeCode);
    if (pool) pool->Release(i);
    if (!goOn || Ended()) break;
  }
  pool.reset();
  workerRows_.clear();
  observer_->WalkEnded();
  walk.IndexingPass = false;
  if (stop_->StopRequested()) stopped_ = true;
}

std::vector<FileWordJob> IndexBuilder::ListedFiles() const {
  std::vector<FileWordJob> jobs;
  const auto last = std::min<std::size_t>(
      walk.IndexFileList.size() - 1, static_cast<std::size_t>(std::max(walk.IndexFileCount, 0)));
  jobs.reserve(last);
  for (std::size_t i = 1; i <= last; ++i) {
    // Each entry is the type digit followed by the full path.
    const std::u16string& entry = walk.IndexFileList[i];
    if (entry.size() < 2) continue;
    FileWordJob job{entry.substr(1), entry[0] - u'0'};
    // A DOCX document's conversion asks questions: it is read here.
    job.forWorkers = !IsDocxFile(job.fullPath);
    jobs.push_back(std::move(job));
  }
  return jobs;
}

bool IndexBuilder::IndexFile(const std::u16string& fullPath, int typeCode) {
  ProcessFile(fullPath, typeCode);
  if (Ended()) return false;
  return EndFile();
}

bool IndexBuilder::EndFile() {
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

bool IndexBuilder::StartFile(const std::u16string& fullPath) {
  ++CurrentFileNumber;
  // The file takes its place in the list whatever happens to it afterwards.
  indexText_.Records().WriteStringRecord(request_->rules.RelativePath(fullPath));
  if (!indexText_.Flush()) {
    WriteFailed(indexText_.Error() + std::u16string(kCrLf) + indexFilePath_, kIndexTextErrorTitle);
    return false;
  }
  observer_->FileStarted(fullPath, CurrentFileNumber, RowLength, Lexicon.WordCount());
  return true;
}

bool IndexBuilder::TakeCutFile(FileWordPool& pool, std::size_t index,
                               const std::u16string& fullPath) {
  if (!StartFile(fullPath)) return false;
  const std::int32_t wordsBefore = Lexicon.WordCount();
  CutFile* cut = nullptr;
  // The window stays live while a long file is read.
  while ((cut = pool.Wait(index, kWaitBetweenPolls)) == nullptr) {
    observer_->Poll();
    if (Ended()) return false;
  }
  if (cut->opened) {
    TotalTextSize += static_cast<double>(cut->textSize);
    observer_->TextSizeChanged(TotalTextSize);
  }
  for (const MessageBoxRequest& message : cut->messages) observer_->MessageBox(message);
  if (cut->outcome == FileReadOutcome::kStopped || cut->outcome == FileReadOutcome::kFailed) {
    stopped_ = true;
    return false;
  }
  scanner_->BeginFile(static_cast<std::uint32_t>(CurrentFileNumber));
  // The worker's rows known from its earlier files are counted without a
  // search; its new words are added and their rows remembered.
  std::vector<std::int32_t>& rows = workerRows_[static_cast<std::size_t>(cut->worker)];
  if (cut->lexiconCleared) rows.clear();
  for (const CutFile::Word& word : cut->words) {
    const auto at = static_cast<std::size_t>(word.workerRow);
    if (word.length == 0 && at < rows.size() && rows[at] != 0) {
      Lexicon.CountRow(rows[at], word.count);
      continue;
    }
    // A word without its text is always one the worker sent before, in a
    // file merged earlier: its row is known.
    const std::int32_t row =
        scanner_->AddCountedWord(cut->WordText(word), word.commonIndex, word.count);
    if (scanner_->StopRequested()) {
      observer_->MsgBox(scanner_->ErrorText(), MsgButtons::Ok, MsgIcon::Exclamation, u"Error");
      stopped_ = true;
      return false;
    }
    if (rows.size() <= at) rows.resize(at + 1, 0);
    rows[at] = row;
  }
  if (Lexicon.WordCount() > wordsBefore + kWordsBetweenRefreshes) {
    observer_->WordsSoFar(CurrentFileNumber, Lexicon.WordCount());
  }
  // As after the lines of a file read here: a Stop meant for this file
  // still ends the run before its postings.
  observer_->Poll();
  if (Ended()) return false;
  return EndFile();
}

void IndexBuilder::ProcessFile(const std::u16string& fullPath, int typeCode) {
  if (!StartFile(fullPath)) return;

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

void IndexBuilder::WriteFailed(const std::u16string& description, std::u16string_view what) {
  std::u16string title(what);
  if (title.empty() && request_->texts) title = request_->texts->Get(kTextDataFileError);
  observer_->MsgBox(description, MsgButtons::Ok, MsgIcon::Critical, title);
  stopped_ = true;
}

void IndexBuilder::WriteIndex() {
  if (Ended()) return observer_->Poll();
  observer_->IndexingDone(CurrentFileNumber, RowLength, Lexicon.WordCount());
  indexText_.Records().WriteStringRecord(kEndOfFileList);
  observer_->WritingStarted(Lexicon.WordCount());
  // The matrix, row by row from the postings. With threads to spare it is
  // written while the lexicon and the count rows are written and
  // compressed: from here on all of them only read the lexicon's rows.
  if (dataFd_ >= 0 && HasRoomForDataFile()) {
    if (IndexBuildThreads(request_->threads) > 1) {
      dataWriter_ =
          std::jthread([this] { dataWriteError_ = WriteDataMatrix(dataFd_, Lexicon, RowLength); });
    } else {
      dataWriteError_ = WriteDataMatrix(dataFd_, Lexicon, RowLength);
    }
  }
  if (!Ended()) {
    WriteLexicon(indexText_.Records(), Lexicon, request_->title);
    if (!indexText_.Flush()) WriteFailed(indexText_.Error(), kIndexTextErrorTitle);
  }
  observer_->WritingEnded();
  observer_->Poll();
}

void IndexBuilder::EndDataFile() {
  if (dataWriter_.joinable()) dataWriter_.join();
  if (!dataWriteError_.empty()) WriteFailed(dataWriteError_);
  dataWriteError_.clear();
  if (dataFd_ >= 0 && ::close(dataFd_) != 0 && !Ended()) WriteFailed(ErrorDescription(errno));
  dataFd_ = -1;
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
    if (!indexText_.Close()) WriteFailed(indexText_.Error(), kIndexTextErrorTitle);
  }

  if (!Ended()) Complete(result);
  EndDataFile();
  if (result.indexCreated) {
    result.indexFileSize = FileLength(indexFilePath_).value_or(0);
    result.dataFileSize = FileLength(dataFilePath_).value_or(0);
    return;
  }
  if (result.resultText.empty()) result.resultText = std::u16string(kResultStopped);
  RemoveTemporaryFiles();
}

bool IndexBuilder::HasRoomForDataFile() {
  if (!request_->freeSpace) return true;
  const std::int64_t needed =
      static_cast<std::int64_t>(Lexicon.WordCount()) * static_cast<std::int64_t>(RowLength) + 4;
  std::u16string folder = GetFolderPart(dataFilePath_);
  if (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  const std::optional<std::uint64_t> available = request_->freeSpace(folder);
  // A query that fails never blocks the run.
  if (!available || *available >= static_cast<std::uint64_t>(needed)) return true;
  observer_->MsgBox(u"There is not enough space in " + folder +
                        u" to create the data file: it needs " + FormatByteSize(needed) +
                        u", and " + FormatByteSize(static_cast<std::int64_t>(*available)) +
                        u" are free.",
                    MsgButtons::Ok, MsgIcon::Critical, u"Insufficient disk space");
  stopped_ = true;
  return false;
}

void IndexBuilder::Complete(IndexBuildResult& result) {
  const std::int64_t textLength = indexText_.Length();
  // A data file that could not be written ends the run before compression.
  EndDataFile();
  if (Ended()) return;
  std::u16string reason;
  if (compressFile(indexTempPath_, compressionTempPath_, reason) < 0) {
    // The system's reason (a full disk) goes with the result.
    result.resultText = std::u16string(kResultCompressionError);
    observer_->MsgBox(result.resultText + std::u16string(kCrLf) + reason, MsgButtons::Ok,
                      MsgIcon::Critical, u"Error");
    return;
  }
  if (textLength > 0) {
    const std::u16string error = AppendLengthStamp(dataTempPath_, textLength);
    if (!error.empty()) return WriteFailed(error + std::u16string(kCrLf) + dataFilePath_);
  }
  // A Stop during the compression still counts.
  if (Ended()) return;
  // The data file first: a search that meets it beside the previous index
  // finds its stamp stale and rebuilds it from that index. The previous data
  // file is removed before the new one takes its name: renaming over it
  // makes ext4 write the whole new file out before the rename returns
  // (seconds for hundreds of megabytes), and the data file is only ever
  // derived from its index, which a missing one is rebuilt from.
  if (::unlink(TextToUtf8(dataFilePath_).c_str()) != 0 && errno != ENOENT) {
    return WriteFailed(ErrorDescription(errno) + std::u16string(kCrLf) + dataFilePath_);
  }
  for (const auto& [from, to] :
       {std::pair{&dataTempPath_, &dataFilePath_}, std::pair{&indexTempPath_, &indexFilePath_}}) {
    std::error_code ec;
    std::filesystem::rename(ToFsPath(*from), ToFsPath(*to), ec);
    if (ec) return WriteFailed(ErrorDescription(ec.value()) + std::u16string(kCrLf) + *to);
  }
  result.resultText = std::u16string(kResultCompleted);
  result.indexCreated = true;
  result.indexTextLength = textLength;
}

void IndexBuilder::RemoveTemporaryFiles() {
  for (const std::u16string* path : {&dataTempPath_, &indexTempPath_, &compressionTempPath_}) {
    DeleteFileForced(*path, true, true, true);
  }
}

}  // namespace quor
