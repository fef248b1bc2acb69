// `quor inspect FILE`: classifies the file as the walk does, reads it as the
// indexing pass does (fresh scanner, the program folder's common words, DOCX
// through its conversion) and prints its words with their counts and values.
#include "app/cli_inspect.h"

#include <signal.h>

#include <atomic>
#include <filesystem>
#include <ostream>

#include "app/cli_options.h"
#include "common/encoding.h"
#include "common/paths.h"
#include "extract/classify.h"
#include "extract/common_words.h"
#include "extract/document_text.h"
#include "index/file_words.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "selection/folder_walk.h"
#include "ui/system_services.h"

namespace quor::app {

namespace {

// Set by the SIGINT handler; a signal handler can reach nothing else.
std::atomic<bool> interruptSeen{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInspectInterrupt(int) {
  interruptSeen.store(true);
}

// While it lives, the first Ctrl-C asks the reading to stop (so a DOCX
// temporary folder is removed); a second one ends the process as usual. The
// earlier handling of SIGINT comes back at the end.
class InterruptGuard {
 public:
  InterruptGuard() {
    interruptSeen.store(false);
    struct sigaction action {};
    action.sa_handler = OnInspectInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() { ::sigaction(SIGINT, &previous_, nullptr); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

// The reading's messages on stderr as "Title: text"; a question gets the
// answer of the command line (Yes only under --yes; OK for OK/Cancel), which
// is printed after it.
class InspectObserver : public DocumentTextObserver {
 public:
  InspectObserver(bool assumeYes, std::ostream& err) : assumeYes_(assumeYes), err_(err) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    const MsgResult answer = Answer(request.buttons);
    if (!request.title.empty()) err_ << TerminalText(request.title) << ": ";
    err_ << TerminalText(request.text) << '\n';
    if (request.buttons != MsgButtons::Ok) err_ << "  -> " << AnswerName(answer) << '\n';
    err_.flush();
    return answer;
  }
  bool ConversionStep() override { return Interrupted(); }

  // True once Ctrl-C was seen; says so on stderr the first time.
  bool Interrupted() {
    if (!interruptSeen.load()) return false;
    if (!told_) err_ << "Interrupted: stopping ...\n" << std::flush;
    told_ = true;
    return true;
  }

 private:
  MsgResult Answer(MsgButtons buttons) const {
    switch (buttons) {
      case MsgButtons::Ok:
      case MsgButtons::OkCancel:
        return MsgResult::Ok;
      case MsgButtons::YesNo:
      case MsgButtons::YesNoCancel:
        return assumeYes_ ? MsgResult::Yes : MsgResult::No;
      case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
      case MsgButtons::RetryCancel:
        return MsgResult::Cancel;
    }
    return MsgResult::Cancel;
  }
  static const char* AnswerName(MsgResult answer) {
    switch (answer) {
      case MsgResult::Ok:
        return "OK";
      case MsgResult::Cancel:
        return "Cancel";
      case MsgResult::Abort:
        return "Abort";
      case MsgResult::Retry:
        return "Retry";
      case MsgResult::Ignore:
        return "Ignore";
      case MsgResult::Yes:
        return "Yes";
      case MsgResult::No:
        return "No";
    }
    return "?";
  }

  bool assumeYes_;
  std::ostream& err_;
  bool told_ = false;
};

int RunInspect(const CliArgs& args, CliStreams& io) {
  const std::string& file = args.Operands()[0];
  const std::u16string path = Utf8ToText(file);

  std::error_code ec;
  const auto status = std::filesystem::status(std::filesystem::path(file), ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    io.err << "quor inspect: " << file << ": no such file\n";
    return kExitFailed;
  }
  if (status.type() == std::filesystem::file_type::directory) {
    io.err << "quor inspect: " << file << " is a folder, not a file\n";
    return kExitFailed;
  }

  std::u16string error;
  const int type = ClassifyForIndexing(path, error);
  if (type == kTypeMissing) {
    io.err << "quor inspect: cannot read " << file << ": "
           << (error.empty() ? std::string("no such file") : TextToUtf8(error)) << '\n';
    return kExitFailed;
  }
  if (type < kTypeCrLf) {
    io.out << "type: " << type << "\nwords: 0\n";
    io.out.flush();
    return kExitOk;
  }
  // A DOCX document's text comes from its XML part, which is UTF-8 and is
  // repaired as such while it is converted.
  const bool utf8 = IsDocxFile(path) || ClassifyTextFile(path).isUtf8;

  const std::u16string commonWordsPath =
      EnsureTrailingBackslash(ui::DefaultProgramFolder()) + u"cwds.txt";
  CommonWords commonWords;
  if (commonWords.LoadCommonWords(commonWordsPath) == 0) {
    io.err << "quor inspect: warning: no common words in " << TextToUtf8(commonWordsPath)
           << "; every occurrence is counted\n";
  }
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, &commonWords);
  scanner.InitWordExtraction();

  InspectObserver observer(args.Given("--yes"), io.err);
  const InterruptGuard interrupts;
  FileReadHooks hooks;
  hooks.afterLine = [&observer] { return observer.Interrupted(); };
  const FileReadResult read = ReadFileWords(observer, scanner, path, type, 1, hooks);
  if (read.outcome == FileReadOutcome::kFailed || read.outcome == FileReadOutcome::kStopped) {
    return kExitFailed;
  }

  const std::vector<FileWord> words =
      read.outcome == FileReadOutcome::kRead ? lexicon.CurrentFileWords() : std::vector<FileWord>{};
  io.out << "type: " << type << "\nutf8: " << (utf8 ? "yes" : "no") << "\nwords: " << words.size()
         << '\n';
  for (const FileWord& word : words) {
    io.out << TextToUtf8(word.word) << ' ' << word.count << ' ' << word.value << '\n';
  }
  io.out.flush();
  return kExitOk;
}

}  // namespace

CliCommand InspectCommand() {
  CliSyntax syntax;
  syntax.command = "inspect";
  syntax.summary =
      "how the index reads one file: its type code, whether it is UTF-8, and its words with "
      "their counts and values";
  syntax.options = {Flag("--yes", "answer the questions about a DOCX document Yes (otherwise No)")};
  syntax.operands = "FILE";
  syntax.minOperands = syntax.maxOperands = 1;
  syntax.missingOperands = "FILE is needed";
  syntax.extraOperands = "one FILE only";
  return MakeCliCommand(std::move(syntax), RunInspect);
}

}  // namespace quor::app
