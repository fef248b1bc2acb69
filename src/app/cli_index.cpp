// `quor index`: fills the Index Module window from the selection options and
// clicks "Create index file" through the console platform. Messages appear on
// stderr as their boxes would show them, progress is reported on stderr at
// most about once a second, and the totals and the result line go to stdout.
// Ctrl-C takes the run's Stop path, which removes the partial files.
#include "app/cli_index.h"

#include <chrono>
#include <ostream>
#include <string>

#include "app/cli_selection_options.h"
#include "common/encoding.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/program_texts.h"
#include "ui/app_context.h"
#include "ui/console_platform.h"
#include "windows/frm_index_main.h"
#include "windows/index_run.h"

namespace quor::app {

namespace {

std::string ForTerminal(std::u16string_view text) {
  return TextToUtf8(text);
}

// Progress lines on stderr: the first and last report of each stage, and in
// between at most one line a second.
class ProgressPrinter {
 public:
  explicit ProgressPrinter(std::ostream& err) : err_(err) {}

  void operator()(const IndexRunProgress& progress) {
    const auto now = std::chrono::steady_clock::now();
    const bool newStage = !started_ || progress.stage != stage_;
    if (!newStage && !progress.final && now - last_ < std::chrono::seconds(1)) return;
    started_ = true;
    stage_ = progress.stage;
    last_ = now;
    using Stage = IndexRunProgress::Stage;
    switch (progress.stage) {
      case Stage::kCounting:
        err_ << "Counting files: " << ForTerminal(GroupDigits(progress.filesCounted)) << '\n';
        break;
      case Stage::kIndexing:
        err_ << "Indexing file " << ForTerminal(GroupDigits(progress.fileNumber)) << " of "
             << ForTerminal(GroupDigits(progress.fileTotal)) << ", "
             << ForTerminal(GroupDigits(progress.wordCount)) << " different words\n";
        break;
      case Stage::kWriting:
        err_ << "Writing the index: " << ForTerminal(GroupDigits(progress.wordCount))
             << " different words\n";
        break;
    }
    err_.flush();
  }

 private:
  std::ostream& err_;
  bool started_ = false;
  IndexRunProgress::Stage stage_ = IndexRunProgress::Stage::kCounting;
  std::chrono::steady_clock::time_point last_;
};

// A label's caption as a line; the spaces a label keeps before an empty time
// text are dropped.
void PrintLabel(std::ostream& out, const std::u16string& caption) {
  const std::u16string line = Trim(caption);
  if (!line.empty()) out << ForTerminal(line) << '\n';
}

int RunIndex(const std::vector<std::string>& args, CliStreams& io) {
  SelectionOptions options;
  if (!ParseCommandSelection("index", args, options, io.err)) return kExitUsage;

  ui::ConsolePlatform platform({options.yes}, io.err);
  ProgramTexts texts;
  const std::u16string textFile = EnsureTrailingBackslash(platform.ProgramFolder()) + u"quor.dat";
  if (const int loaded = texts.Load(textFile); loaded <= 0) {
    io.err << "quor: " << ForTerminal(ProgramTextLoadMessage(loaded, textFile)) << '\n';
    return kExitFailed;
  }
  ui::AppContext app(platform, std::move(texts));
  frmIndexMain form(app);
  form.Show();
  if (!ApplySelectionOptions(options, form, io.err)) return kExitFailed;

  auto run = std::make_unique<IndexRun>();
  IndexRun& indexRun = *run;
  form.indexBuild = std::move(run);
  indexRun.onProgress = ProgressPrinter(io.err);

  platform.InstallInterruptHandler();
  platform.onInterrupt = [&form] { form.walk.StopRequested = true; };

  form.cmdExtractData_Click();

  if (!indexRun.ResultText.empty()) {
    PrintLabel(io.out, form.lblTotalNumFiles.caption);
    PrintLabel(io.out, form.lblTotalFileSize.caption);
    PrintLabel(io.out, form.lblTotalTextSize.caption);
    io.out << "Different words: " << ForTerminal(GroupDigits(indexRun.Lexicon.WordCount())) << '\n';
    PrintLabel(io.out, form.lblCurrentFile.caption);
  } else if (platform.Interrupted()) {
    io.err << "quor index: stopped\n";
  }
  io.out.flush();
  return form.IndexCreated ? kExitOk : kExitFailed;
}

}  // namespace

CliCommand IndexCommand() {
  return {"index", SelectionOptionsUsage(),
          "create the index and data files of the selection (the window's \"Create index file\"); "
          "--yes answers every question Yes",
          RunIndex};
}

}  // namespace quor::app
