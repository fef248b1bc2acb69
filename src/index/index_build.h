// The index build: the counting pass over the selection, the indexing pass
// with the per-file work, the lexicon and count rows, the data file,
// compression in place and the length stamp.
//
// The indexing pass takes the counting pass's list; worker threads read and
// cut the text files ahead of it (index/file_word_pool.h), and their words
// are merged in list order, so the files are those one thread writes.
//
// The build knows no window. It takes a request, reports progress, messages
// and questions to an IndexBuildObserver, polls one StopToken, and returns an
// IndexBuildResult. The index text is written as the pass goes; the data
// file's matrix is held as the lexicon's postings and written row by row once
// the pass has ended. Both are written under temporary names in the output
// folder and renamed into place only when the run has completed (the data
// file first): a run that is stopped, fails or is killed leaves the previous
// index and data file as they were.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "common/strings.h"
#include "extract/common_words.h"
#include "index/file_word_pool.h"
#include "index/index_run_output.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "selection/folder_walk.h"
#include "selection/selection_rules.h"

namespace quor {

class ProgramTexts;

// Compresses source into target and replaces source with it; a status below
// 0 is a failure (see index/compressor.h), described in error.
using CompressIndexFile = std::function<std::int32_t(
    const std::u16string& source, const std::u16string& target, std::u16string& error)>;
std::int32_t CompressWithFileCompressor(const std::u16string& source, const std::u16string& target,
                                        std::u16string& error);

// Free bytes on the file system of a folder; nullopt when they cannot be
// known (the check is then skipped).
using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(std::u16string_view folder)>;

// The name a run writes an output file under until it completes: the final
// path followed by ".tmp-" and the process id.
std::u16string TemporaryOutputPath(std::u16string_view finalPath, long processId);

// Removes from folder the temporary files of the project's runs (index
// text, compression target, data file) whose process no longer runs or is
// this one: what a killed run left. Other files are never touched.
void RemoveStaleTemporaryFiles(std::u16string_view folder, std::u16string_view projectName);

// The name of the compressor's temporary file for an index file: the path
// without its last 3 characters followed by "dwixc" (proj_index.quor gives
// proj_index.qdwixc).
std::u16string CompressionTargetPath(std::u16string_view indexFilePath);

inline constexpr std::u16string_view kResultCompleted = u"Data extraction completed.";
inline constexpr std::u16string_view kResultStopped = u"Data extraction stopped.";
inline constexpr std::u16string_view kResultCompressionError =
    u"Compression error when creating index file.";

// What to build. The fields are checked by the caller (see
// selection/project_fields.h); the build takes them as they are.
struct IndexBuildRequest {
  // Names <project>_index.quor and <project>_data.quor.
  std::u16string projectName;
  // Stored in the index text; holds no double quote.
  std::u16string title;
  // An existing folder; a separator is added when it has none.
  std::u16string outputFolder;
  // The selection, with rules.topFolder ending in a separator.
  SelectionRules rules;
  // The common words left out of the lexicon.
  CommonWords commonWords;
  // The program texts (the title of a data-file error); may be null, and
  // when set must outlive the run.
  const ProgramTexts* texts = nullptr;
  // Where DOCX documents are converted to their temporary text (the reader
  // removes that text, and reports a folder it cannot remove).
  std::u16string tempFolder;
  std::int32_t maxFilesToIndex = kMaxFilesToIndex;
  // Asked before the data file is written; may be empty (no check).
  FreeSpaceQuery freeSpace;
  // Threads that read files and cut them into words: 1 reads every file on
  // the calling thread; 0 takes QUOR_INDEX_THREADS from the environment, or
  // else one per core. The files written are the same whatever the number.
  std::int32_t threads = 0;
};

// The reading threads a build of request threads uses (see
// IndexBuildRequest::threads), at least 1.
std::int32_t IndexBuildThreads(std::int32_t threads);

// Where a build reports. Messages and questions (a DOCX document's questions
// are answered here) go through MessageSink with their texts, titles and
// icons; the rest is progress, in the order the build passes its stages.
// Every method but MessageBox has a harmless default. Every method is called
// on the thread that runs the build, whatever its reading threads.
class IndexBuildObserver : public MessageSink {
 public:
  // Called after every file and every line: the place for pending events.
  // A window lets its events run here (its platform throttles them by time;
  // a Stop arrives through the token).
  virtual void Poll() {}
  // The walk passed over a file or folder (see WalkObserver::PassedOver).
  virtual void PassedOver(const PassedOverEntry& /*entry*/) {}
  // A pass over the selection (the counting pass's walk, the indexing pass
  // over its list) begins and ends.
  virtual void WalkStarted() {}
  virtual void WalkEnded() {}
  // Counting pass: the count reached 50, 60, 70 ...
  virtual void CountingProgress(std::int32_t /*count*/) {}
  // The counting pass found files and was not stopped: their number and size
  // (Totals), then CountingDone.
  virtual void Totals(std::int32_t /*count*/, double /*totalFileSize*/) {}
  virtual void CountingDone(std::int32_t /*count*/) {}
  // The counting pass has ended, whatever its outcome.
  virtual void CountingEnded() {}
  // Both files exist; the indexing pass begins.
  virtual void IndexingStarted(std::int32_t /*fileTotal*/) {}
  // File fileNumber (1-based) of fileTotal is taken; wordCount different
  // words so far.
  virtual void FileStarted(const std::u16string& /*fullPath*/, std::int32_t /*fileNumber*/,
                           std::int32_t /*fileTotal*/, std::int32_t /*wordCount*/) {}
  // Bytes of text read so far (a DOCX document counts its text).
  virtual void TextSizeChanged(double /*totalTextSize*/) {}
  // About every 90 new words while a file is read.
  virtual void WordsSoFar(std::int32_t /*fileNumber*/, std::int32_t /*wordCount*/) {}
  // The indexing pass ended complete.
  virtual void IndexingDone(std::int32_t /*fileNumber*/, std::int32_t /*fileTotal*/,
                            std::int32_t /*wordCount*/) {}
  // The lexicon is written (WritingStarted), then the data file's matrix
  // (after WritingEnded).
  virtual void WritingStarted(std::int32_t /*wordCount*/) {}
  virtual void WritingEnded() {}
};

// How a build ended.
enum class IndexBuildEnd {
  kCountingStopped,  // the token ended the counting pass
  kLimitReached,     // more than maxFilesToIndex files qualify
  kNoFiles,          // no file qualifies
  kFinished,         // the indexing pass was reached: see resultText
};

struct IndexBuildResult {
  IndexBuildEnd end = IndexBuildEnd::kCountingStopped;
  // kResultCompleted, kResultStopped or kResultCompressionError once the
  // indexing pass was reached; empty otherwise.
  std::u16string resultText;
  bool indexCreated = false;
  std::u16string indexFilePath;
  std::u16string dataFilePath;
  // Files counted (can stand one above the limit) and their total size.
  std::int32_t fileCount = 0;
  double totalFileSize = 0;
  // 1-based like IndexFileList: after the indexing pass the paths relative
  // to the top folder, after a counting pass that ended the run the counted
  // entries (type digit and full path).
  TextList fileList{std::u16string()};
  // Bytes of text read, different words, bytes of index text written before
  // compression (0 unless completed), and the sizes of the two files made.
  double totalTextSize = 0;
  std::int32_t wordCount = 0;
  std::int64_t indexTextLength = 0;
  std::int64_t indexFileSize = 0;
  std::int64_t dataFileSize = 0;
  // What the walks passed over, in the order they were reported.
  std::vector<PassedOverEntry> passedOver;
  // Seconds the counting pass and the whole run took.
  double countingSeconds = 0;
  double seconds = 0;
};

class IndexBuilder {
 public:
  IndexBuilder();
  ~IndexBuilder();
  IndexBuilder(const IndexBuilder&) = delete;
  IndexBuilder& operator=(const IndexBuilder&) = delete;

  // Runs one build. Stops at the next file or line once stop is requested:
  // the run then ends as "stopped" and removes what it made.
  IndexBuildResult Run(const IndexBuildRequest& request, IndexBuildObserver& observer,
                       const StopToken& stop);

  // ---- replaceable for tests ----
  OpenForWriting openForWriting = OpenFileForWriting;
  CompressIndexFile compressFile = CompressWithFileCompressor;

  // ---- state of the current or last run ----
  // The walk with the run's file list (IndexFileList, IndexFileCount).
  FolderWalk walk;
  IndexLexicon Lexicon;
  std::int32_t CurrentFileNumber = 0;
  // The length of one data-file row: the number of files of the run.
  std::int32_t RowLength = 0;
  double TotalTextSize = 0;

 private:
  class WalkForwarder;
  bool Ended() const { return stopped_ || stop_->StopRequested(); }
  [[nodiscard]] bool CountingPass(IndexBuildResult& result);
  void IndexingPass();
  // The files of the counting pass's list, in its order.
  std::vector<FileWordJob> ListedFiles() const;
  // Reads one file on this thread (false ends the pass).
  bool IndexFile(const std::u16string& fullPath, int typeCode);
  // Takes file index of the pool's list, cut by a worker (false ends the
  // pass).
  bool TakeCutFile(FileWordPool& pool, std::size_t index, const std::u16string& fullPath);
  // Gives the next file its number and list place and reports it; false
  // when the list cannot be written.
  bool StartFile(const std::u16string& fullPath);
  void ProcessFile(const std::u16string& fullPath, int typeCode);
  // Turns the counts of the current file into postings (false ends the
  // pass).
  bool EndFile();
  void WriteIndex();
  void Finish(IndexBuildResult& result);
  // Waits for the data file's matrix, reports a failure to write it and
  // closes the file.
  void EndDataFile();
  // Refuses (critical box, stops) a data file the output folder has no room
  // for.
  [[nodiscard]] bool HasRoomForDataFile();
  // Compresses the text, stamps the data file and renames both into place.
  void Complete(IndexBuildResult& result);
  // Reports a write failure (critical icon) and stops; the box's title is
  // what, by default program text 48 (the data file's).
  void WriteFailed(const std::u16string& description, std::u16string_view what = {});
  void RemoveTemporaryFiles();

  // Set for the duration of Run.
  const IndexBuildRequest* request_ = nullptr;
  IndexBuildObserver* observer_ = nullptr;
  const StopToken* stop_ = nullptr;
  bool stopped_ = false;
  std::u16string indexFilePath_;
  std::u16string dataFilePath_;
  // What the run writes until it completes.
  std::u16string indexTempPath_;
  std::u16string dataTempPath_;
  std::u16string compressionTempPath_;
  // The run's copy of the request's common words (the scanner marks them).
  CommonWords commonWords_;
  std::optional<WordScanner> scanner_;
  IndexTextFile indexText_;
  std::vector<PassedOverEntry> passedOver_;
  int dataFd_ = -1;
  // Per reading thread: the lexicon's row of each row of the thread's own
  // lexicon (0 where not yet known).
  std::vector<std::vector<std::int32_t>> workerRows_;
  // Writes the data file's matrix beside the count rows and compression.
  std::jthread dataWriter_;
  std::u16string dataWriteError_;
};

}  // namespace quor
