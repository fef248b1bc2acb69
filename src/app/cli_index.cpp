// `quor index`: the Index Module's "Create index file" from the command line.
// The selection options give the project's fields, the same checks as the
// window's decide whether the build starts, and the index build runs with
// this command as its observer: messages on stderr as their boxes would show
// them, progress on stderr at most about once a second, the totals and the
// result line on stdout. Ctrl-C stops the build, which removes the partial
// files.
#include "app/cli_index.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "app/cli_messages.h"
#include "app/cli_selection_options.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/common_words.h"
#include "extract/program_texts.h"
#include "index/index_build.h"
#include "index/index_project.h"
#include "index/index_run_texts.h"
#include "ui/system_services.h"

namespace quor::app {

namespace {

constexpr int kTextFilesToBeIndexed = 45;
constexpr int kTextPleaseWait = 50;
constexpr std::u16string_view kCreateIndexFile = u"Create index file";

// Progress lines on stderr: the first and last report of each stage, and in
// between at most one line a second.
class IndexObserver : public CliWalkObserver<IndexBuildObserver> {
 public:
  using CliWalkObserver::CliWalkObserver;

  void CountingProgress(std::int32_t count) override {
    if (Due(Stage::kCounting, false)) Counting(count);
  }
  void CountingDone(std::int32_t count) override {
    if (Due(Stage::kCounting, true)) Counting(count);
  }
  void FileStarted(const std::u16string& /*fullPath*/, std::int32_t fileNumber,
                   std::int32_t fileTotal, std::int32_t wordCount) override {
    if (Due(Stage::kIndexing, false)) Indexing(fileNumber, fileTotal, wordCount);
  }
  void IndexingDone(std::int32_t fileNumber, std::int32_t fileTotal,
                    std::int32_t wordCount) override {
    if (Due(Stage::kIndexing, true)) Indexing(fileNumber, fileTotal, wordCount);
  }
  void TextSizeChanged(double /*totalTextSize*/) override { textRead = true; }
  void WritingStarted(std::int32_t wordCount) override {
    if (!Due(Stage::kWriting, true)) return;
    err_ << "Writing the index: " << TerminalText(GroupDigits(wordCount)) << " different words\n";
    err_.flush();
  }

  // A file's text was opened (the window then shows the total text size).
  bool textRead = false;

 private:
  enum class Stage { kCounting, kIndexing, kWriting };

  bool Due(Stage stage, bool final) {
    const auto now = std::chrono::steady_clock::now();
    const bool newStage = !started_ || stage != stage_;
    if (!newStage && !final && now - last_ < std::chrono::seconds(1)) return false;
    started_ = true;
    stage_ = stage;
    last_ = now;
    return true;
  }
  void Counting(std::int32_t count) {
    err_ << "Counting files: " << TerminalText(GroupDigits(count)) << '\n';
    err_.flush();
  }
  void Indexing(std::int32_t fileNumber, std::int32_t fileTotal, std::int32_t wordCount) {
    err_ << "Indexing file " << TerminalText(GroupDigits(fileNumber)) << " of "
         << TerminalText(GroupDigits(fileTotal)) << ", " << TerminalText(GroupDigits(wordCount))
         << " different words\n";
    err_.flush();
  }

  bool started_ = false;
  Stage stage_ = Stage::kCounting;
  std::chrono::steady_clock::time_point last_;
};

// The checks of the window's click before the build: the top folder's own
// files excluded with no subfolder, a title the index cannot store, an index
// that exists and is not to be overwritten.
bool PassesStartQuestions(const CliProject& project, MessageSink& messages) {
  const std::u16string title(kCreateIndexFile);
  if (project.excludeTopFolderFiles && !project.topFolderHasSubfolders) {
    messages.MsgBox(u"No files are included.", MsgButtons::Ok, MsgIcon::Exclamation, title);
    return false;
  }
  if (!IsStorableTitle(project.title)) {
    messages.MsgBox(std::u16string(kTitleQuoteMessage), MsgButtons::Ok, MsgIcon::Exclamation,
                    title);
    return false;
  }
  const std::u16string output = Trim(project.outputFolder);
  if (output.empty() || project.projectName.empty()) return true;
  const std::u16string indexFile = IndexFilePathFor(output, project.projectName);
  if (!FileExists(indexFile)) return true;
  return messages.MsgBox(OverwriteQuestion(indexFile), MsgButtons::YesNo, MsgIcon::Question,
                         title) == MsgResult::Yes;
}

void PrintResult(std::ostream& out, const IndexBuildResult& result, const CliProject& project,
                 const ProgramTexts& texts, bool textRead) {
  out << TerminalText(texts.Get(kTextFilesToBeIndexed)) << ": "
      << TerminalText(GroupDigits(result.fileCount)) << '\n';
  out << "Total file size: " << TerminalText(FormatTotalSize(result.totalFileSize, 2)) << '\n';
  if (textRead) {
    out << "Total text size: " << TerminalText(FormatTotalSize(result.totalTextSize, 2)) << '\n';
  }
  out << "Different words: " << TerminalText(GroupDigits(result.wordCount)) << '\n';
  std::u16string line = result.resultText;
  if (result.indexCreated) line += u"   Index file is " + project.projectName + u"_index.quor.";
  line += u"  " + RunTimeText(result.seconds);
  out << TerminalText(Trim(line)) << '\n';
}

int RunIndex(const CliSyntax& syntax, const CliArgs& args, CliStreams& io) {
  SelectionOptions options;
  if (!SelectionFromArgs(syntax, args, options, io)) return kExitUsage;
  ProgramTexts texts;
  if (!LoadProgramTexts(texts, io.err)) return kExitFailed;
  CliMessages messages(io.err, options.yes);
  CliProject project;
  if (!ProjectFromOptions(options, project, messages, io.err)) return kExitFailed;
  if (!HasRequiredFields(syntax, options, project, true, io)) return kExitUsage;
  if (!PassesStartQuestions(project, messages)) return kExitFailed;

  IndexBuildRequest request;
  if (!PassesRunChecks(project, true, texts, messages, kCreateIndexFile, request.rules)) {
    return kExitFailed;
  }
  request.projectName = project.projectName;
  request.title = project.title;
  request.outputFolder = project.outputFolder;
  request.commonWords.LoadCommonWords(EnsureTrailingBackslash(ui::DefaultProgramFolder()) +
                                      u"cwds.txt");
  request.texts = &texts;
  request.tempFolder = SystemTempFolder();
  request.freeSpace = [](std::u16string_view folder) -> std::optional<std::uint64_t> {
    const std::optional<std::int64_t> free = ui::DiskFreeSpaceAt(std::u16string(folder));
    if (!free || *free < 0) return std::nullopt;
    return static_cast<std::uint64_t>(*free);
  };

  StopToken stop;
  InterruptStop interrupt(stop);
  IndexObserver observer(messages, interrupt, io.err);
  // The builder outlives the command: freeing a large tree's lexicon word by
  // word takes a tenth of a second that the process's end does at once. A
  // later run in the same process reuses it, as the window's does.
  static IndexBuilder& builder = *new IndexBuilder;
  const IndexBuildResult result = builder.Run(request, observer, stop);

  switch (result.end) {
    case IndexBuildEnd::kLimitReached:
      messages.MsgBox(TooManyFilesMessage(request.maxFilesToIndex), MsgButtons::Ok,
                      MsgIcon::Exclamation, std::u16string(kCreateIndexFile));
      break;
    case IndexBuildEnd::kNoFiles:
      messages.MsgBox(
          texts.Get(NoFilesText(project.topFolderHasSubfolders, !project.excludedFiles.empty())) +
              u".",
          MsgButtons::Ok, MsgIcon::Exclamation, texts.Get(kTextPleaseWait));
      break;
    case IndexBuildEnd::kCountingStopped:
    case IndexBuildEnd::kFinished:
      break;
  }
  if (!result.resultText.empty()) {
    PrintResult(io.out, result, project, texts, observer.textRead);
  } else if (interrupt.Interrupted()) {
    io.err << "quor index: stopped\n";
  }
  io.out.flush();
  if (result.indexCreated) return kExitOk;
  return interrupt.Interrupted() ? kExitInterrupted : kExitFailed;
}

}  // namespace

CliCommand IndexCommand() {
  CliSyntax syntax = SelectionSyntax(
      "index",
      "create the index and data files of the selection (the window's \"Create index file\")",
      true);
  return MakeCliCommand(
      syntax, [syntax](const CliArgs& args, CliStreams& io) { return RunIndex(syntax, args, io); });
}

}  // namespace quor::app
