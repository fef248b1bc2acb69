// `quor search`: the index is loaded (its data file built when it is not
// current), the words are taken as typed into the search box, and the
// search engine runs over all files or one. Messages appear on stderr as
// their boxes would show them; progress is shown only for a run that takes
// longer than a second.
#include "app/cli_search.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>

#include "app/cli_messages.h"
#include "app/cli_options.h"
#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/program_texts.h"
#include "indexfile/data_file.h"
#include "report/extracts.h"
#include "report/html_report.h"
#include "report/report_request.h"
#include "report/search_scanner.h"
#include "report/text_report.h"
#include "search/index_load.h"
#include "search/search_run.h"
#include "search/search_words.h"
#include "ui/system_services.h"

namespace quor::app {

namespace {

// Program texts of the search.
constexpr int kTextNotAllowed = 100;
constexpr int kTextNotInIndex = 75;
constexpr int kTextDataFolder = 310;

// The caption the window's report button and its refusals carry.
constexpr std::u16string_view kReportCaption = u"Report ->";

// Prints a message as its box would show it and answers a question: Yes
// when yes, else No.
MsgResult PrintMessage(std::ostream& err, const MessageBoxRequest& request, bool yes = false) {
  if (!request.title.empty()) err << TerminalText(request.title) << ": ";
  err << TerminalText(request.text) << '\n';
  err.flush();
  switch (request.buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
      return yes ? MsgResult::Yes : MsgResult::No;
    default:
      return MsgResult::Ok;
  }
}

// Progress lines on stderr, at most one a second and none in the first.
class ProgressLines {
 public:
  explicit ProgressLines(std::ostream& err) : err_(err), last_(std::chrono::steady_clock::now()) {}
  void Show(std::u16string_view text) {
    if (text.empty()) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::seconds(1)) return;
    last_ = now;
    err_ << TerminalText(Trim(text)) << '\n';
    err_.flush();
  }

 private:
  std::ostream& err_;
  std::chrono::steady_clock::time_point last_;
};

class LoadReporter : public IndexLoadObserver {
 public:
  LoadReporter(std::ostream& err, ProgressLines& progress) : err_(err), progress_(progress) {}
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return PrintMessage(err_, request);
  }
  void ShowResultsText(std::u16string_view text) override { progress_.Show(text); }

 private:
  std::ostream& err_;
  ProgressLines& progress_;
};

// A DOCX document's questions are answered Yes, as in an unattended run.
class SearchReporter : public SearchObserver {
 public:
  SearchReporter(std::ostream& err, ProgressLines& progress) : err_(err), progress_(progress) {}
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return PrintMessage(err_, request, true);
  }
  void ShowResultsText(const std::u16string& text) override {
    if (text.starts_with(u"Now searching")) progress_.Show(text);
  }

 private:
  std::ostream& err_;
  ProgressLines& progress_;
};

SearchType TypeOf(const std::string& name) {
  if (name == "any") return SearchType::kAnyWord;
  if (name == "phrase") return SearchType::kExactPhrase;
  return SearchType::kAllWords;
}

std::u16string JoinWords(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return Utf8ToText(text);
}

extern "C" char** environ;

// Hands path to the desktop's opener (xdg-open) without waiting for the
// browser; false when the opener cannot be started or fails.
bool OpenOnDesktop(const std::string& path) {
  char opener[] = "xdg-open";
  std::string target = path;
  char* argv[] = {opener, target.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Writes the report the options ask for and prints it (text) or its path
// (html) on stdout.
int WriteReport(const CliArgs& args, CliStreams& io, const ReportRequest& request,
                const std::u16string& dataFolder, SearchReporter& reporter, StopToken& stop) {
  SearchFileScanner scanner(request.searchType, reporter);
  if (args.Value("--report") == "text") {
    TextReportBuffer buffer(0);
    WriteTextReport(request, scanner, buffer, stop);
    io.out << TerminalText(buffer.Text());
    io.out.flush();
    return kExitOk;
  }
  const std::u16string path =
      EnsureTrailingBackslash(dataFolder) + std::u16string(kHtmlReportFileName);
  const HtmlReportResult written = WriteHtmlReport(path, request, scanner, stop);
  if (!written.error.empty()) {
    PrintMessage(io.err, {u"Cannot write the report " + path + u": " + written.error,
                          std::u16string(kReportCaption), MsgButtons::Ok, MsgIcon::Exclamation});
    return kExitFailed;
  }
  io.out << TerminalText(path) << '\n';
  io.out.flush();
  if (args.Given("--open") && !OpenOnDesktop(TextToUtf8(path))) {
    io.err << "quor search: could not open the report in a browser (xdg-open)\n";
  }
  return kExitOk;
}

int RunSearchCommand(const CliArgs& args, CliStreams& io) {
  const std::u16string indexPath = Utf8ToText(args.Value("--index"));
  if (!HasIndexFileSuffix(indexPath)) {
    PrintMessage(io.err, {u"Index file names must end in '_index.quor'.", u"Invalid input",
                          MsgButtons::Ok, MsgIcon::Exclamation});
    return kExitFailed;
  }
  const std::u16string topFolder = EnsureTrailingBackslash(Utf8ToText(args.Value("--top")));
  const bool report = args.Value("--report") != "none";
  if (report && args.Given("--paths-only")) {
    io.err << "quor search: --paths-only lists the files found; it takes no --report\n";
    return kExitUsage;
  }
  ReportOptions reportOptions;
  reportOptions.windowCaption = u"Search Module";
  reportOptions.extractSize = std::stoi(args.Value("--extract-size"));
  reportOptions.showDescriptions = args.Given("--descriptions");
  reportOptions.showPaths = args.Given("--paths");
  if (report) {
    const MaxExtractsCheck check =
        ValidateMaxExtracts(Utf8ToText(args.Value("--max-extracts")), kReportCaption);
    if (check.refusal) {
      PrintMessage(io.err, *check.refusal);
      return kExitFailed;
    }
    reportOptions.maxExtracts = check.maximum;
  }

  ProgramTexts texts;
  const std::u16string textFile = EnsureTrailingBackslash(ui::DefaultProgramFolder()) + u"quor.dat";
  if (const int loaded = texts.Load(textFile); loaded <= 0) {
    io.err << "quor: " << TerminalText(ProgramTextLoadMessage(loaded, textFile)) << '\n';
    return kExitFailed;
  }

  ProgressLines progress(io.err);
  LoadReporter loadReporter(io.err, progress);
  IndexLoadRequest load;
  load.indexFilePath = indexPath;
  load.searchCaption = u"Search";
  const std::u16string dataFolder =
      ProgramDataFolder(ui::DefaultAppDataFolder(), texts.Get(kTextDataFolder));
  load.dataFolder = dataFolder;
  load.freeSpace = [](std::u16string_view folder) -> std::optional<std::uint64_t> {
    const std::optional<std::int64_t> free = ui::DiskFreeSpaceAt(std::u16string(folder));
    if (!free || *free < 0) return std::nullopt;
    return static_cast<std::uint64_t>(*free);
  };
  StopToken stop;
  InterruptStop interrupt(stop);  // each step ends early, then the command exits 130
  const auto interrupted = [&] {
    if (!interrupt.Interrupted()) return false;
    interrupt.ReportOnce(io.err);
    io.err << "quor search: stopped\n";
    return true;
  };
  const IndexLoadResult loaded = LoadIndex(load, loadReporter, stop);
  if (interrupted()) return kExitInterrupted;
  if (!loaded.ready) return kExitFailed;

  SearchRequest request;
  request.index = &loaded.index;
  request.topFolder = topFolder;
  request.searchText = ConvertQuoteUmlauts(JoinWords(args.Operands()));
  request.type = TypeOf(args.Value("--type"));
  request.sort = args.Given("--sort");
  request.fillTitles = !args.Given("--paths-only");
  request.fillDescriptions = args.Given("--descriptions");
  request.notAllowedText = texts.Get(kTextNotAllowed);
  if (args.Given("--file")) {
    // A single file is named by its full path or by its path under the top folder.
    std::u16string file = Utf8ToText(args.Value("--file"));
    if (!file.starts_with(topFolder)) file = topFolder + file;
    if (FindIndexedFile(loaded.index, topFolder, file) < 0) {
      PrintMessage(io.err, {texts.Get(kTextNotInIndex), u"", MsgButtons::Ok, MsgIcon::Information});
      return kExitFailed;
    }
    request.singleFile = true;
    request.singleFilePath = file;
  }

  SearchReporter reporter(io.err, progress);
  const SearchResult result = Search(request, reporter, stop);
  if (interrupted()) return kExitInterrupted;
  if (result.status != SearchStatus::kCompleted) return kExitFailed;
  if (report && result.FoundCount > 0) {
    const int status = WriteReport(args, io, MakeReportRequest(request, result, reportOptions),
                                   dataFolder, reporter, stop);
    if (interrupted()) return kExitInterrupted;
    if (!result.LabelText.empty()) io.err << TerminalText(result.LabelText) << '\n';
    return status;
  }
  if (args.Given("--paths-only")) {
    for (const std::u16string& file : result.FoundFiles) io.out << TerminalText(file) << '\n';
  } else {
    io.out << TerminalText(result.ResultsText);
    if (!result.ResultsText.ends_with(u"\r\n")) io.out << '\n';
  }
  io.out.flush();
  if (!result.LabelText.empty()) io.err << TerminalText(result.LabelText) << '\n';
  return kExitOk;
}

}  // namespace

CliCommand SearchCommand() {
  CliSyntax syntax;
  syntax.command = "search";
  syntax.summary = "searches an index (the Search Module's \"Search\") and lists the files found";
  syntax.options = {
      Valued("--index", "FILE_index.quor", "the index file to search").Required(),
      Valued("--top", "DIR", "the top folder of the indexed files").Required(),
      Valued("--type", "TYPE", "any, all or phrase: \"Any word\", \"All words\", \"Exact phrase\"")
          .Default("all")
          .Choices({"any", "all", "phrase"}),
      Flag("--sort", "list the files by decreasing score"),
      Valued("--file", "PATH", "search only this indexed file (full path or under DIR)"),
      Valued("--report", "KIND",
             "none, text (the text report on stdout) or html (writes quor.htm in the data "
             "folder and prints its path)")
          .Default("none")
          .Choices({"none", "text", "html"}),
      Valued("--max-extracts", "N", "at most N extracts per file, 1 to 32767 (default: no limit)"),
      Valued("--extract-size", "1-9", "size of the extracts (for reports)")
          .Default("5")
          .Choices({"1", "2", "3", "4", "5", "6", "7", "8", "9"}),
      Flag("--descriptions", "read and show the pages' descriptions"),
      Flag("--paths", "show file paths in an HTML report (for reports)"),
      Flag("--paths-only", "print only the relative paths of the files found, one a line"),
      Flag("--open", "open the HTML report in the browser (xdg-open)"),
  };
  syntax.operands = "WORD...";
  syntax.maxOperands = kAnyNumber;
  syntax.details =
      "The words are joined by spaces and searched as if typed into the search box: "
      "a\" o\" u\" become umlauts, only letters, spaces and a final \"*\" (a stem, with "
      "--type any) are allowed. The results box goes to stdout, the count of files found "
      "to stderr. With a report, stdout gets the report (text) or the path of the written "
      "quor.htm (html) instead of the results box; a search that finds nothing writes none.";
  return MakeCliCommand(std::move(syntax), RunSearchCommand);
}

}  // namespace quor::app
