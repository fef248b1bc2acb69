// `quor inspect FILE`: classifies the file as the walk does, reads it as the
// indexing pass does (fresh scanner, the program folder's common words, DOCX
// through its conversion) and prints its words with their counts and values.
#include "app/cli_inspect.h"

#include <filesystem>
#include <ostream>

#include "app/cli_messages.h"
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

// The reading's messages go to stderr as every command prints them (a
// question gets Yes only under --yes); the first Ctrl-C asks the reading to
// stop, so a DOCX temporary folder is removed, and a second one ends the
// process as usual.
class InspectObserver : public DocumentTextObserver {
 public:
  InspectObserver(bool assumeYes, std::ostream& err, InterruptStop& interrupts)
      : messages_(err, assumeYes), err_(err), interrupts_(interrupts) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return messages_.MessageBox(request);
  }
  bool ConversionStep() override { return Interrupted(); }

  // True once Ctrl-C was seen; says so on stderr the first time.
  bool Interrupted() {
    if (!interrupts_.Interrupted()) return false;
    interrupts_.ReportOnce(err_);
    return true;
  }

 private:
  CliMessages messages_;
  std::ostream& err_;
  InterruptStop& interrupts_;
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
  // A named pipe or a device would block the reading, or never end.
  if (status.type() != std::filesystem::file_type::regular) {
    io.err << "quor inspect: " << file << " is not a regular file\n";
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

  StopToken stop;
  InterruptStop interrupts(stop);
  InspectObserver observer(args.Given("--yes"), io.err, interrupts);
  FileReadHooks hooks;
  hooks.afterLine = [&observer] { return observer.Interrupted(); };
  const FileReadResult read = ReadFileWords(observer, scanner, path, type, 1, hooks);
  if (interrupts.Interrupted()) return kExitInterrupted;
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
