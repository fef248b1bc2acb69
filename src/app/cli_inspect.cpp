// `quor inspect FILE`: classifies the file as the walk does, reads it as the
// indexing pass does (fresh scanner, the program folder's common words, DOCX
// through its conversion) and prints its words with their counts and values.
#include "app/cli_inspect.h"

#include <filesystem>
#include <optional>
#include <ostream>

#include "common/encoding.h"
#include "common/paths.h"
#include "extract/classify.h"
#include "extract/common_words.h"
#include "index/file_words.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "selection/folder_walk.h"
#include "ui/console_platform.h"

namespace quor::app {

namespace {

constexpr const char* kUsage = "[--yes] FILE";

int Usage(CliStreams& io, const std::string& problem) {
  io.err << "quor inspect: " << problem << "\nUsage: quor inspect " << kUsage << '\n';
  return kExitUsage;
}

struct InspectArgs {
  bool yes = false;
  std::string file;
};

// Parses [--yes] FILE; "--" ends the options. Empty on bad usage (reported).
std::optional<InspectArgs> ParseArgs(const std::vector<std::string>& args, CliStreams& io) {
  InspectArgs parsed;
  bool haveFile = false;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg == "--yes") {
      parsed.yes = true;
      continue;
    }
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      Usage(io, "unknown option '" + arg + "'");
      return std::nullopt;
    }
    if (haveFile) {
      Usage(io, "one FILE only");
      return std::nullopt;
    }
    parsed.file = arg;
    haveFile = true;
  }
  if (!haveFile || parsed.file.empty()) {
    Usage(io, "FILE is needed");
    return std::nullopt;
  }
  return parsed;
}

int RunInspect(const std::vector<std::string>& args, CliStreams& io) {
  const std::optional<InspectArgs> parsed = ParseArgs(args, io);
  if (!parsed) return kExitUsage;
  const std::string& file = parsed->file;
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

  ui::ConsolePlatform platform({parsed->yes}, io.err);
  const std::u16string commonWordsPath =
      EnsureTrailingBackslash(platform.ProgramFolder()) + u"cwds.txt";
  CommonWords commonWords;
  if (commonWords.LoadCommonWords(commonWordsPath) == 0) {
    io.err << "quor inspect: warning: no common words in " << TextToUtf8(commonWordsPath)
           << "; every occurrence is counted\n";
  }
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, &commonWords);
  scanner.InitWordExtraction();

  platform.InstallInterruptHandler();
  FileReadHooks hooks;
  hooks.afterLine = [&platform] {
    platform.DoEvents();
    return platform.Interrupted();
  };
  const FileReadResult read =
      ReadFileWords(platform, platform.TempFolder(), scanner, path, type, 1, hooks);
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
  return {"inspect", kUsage,
          "how the index reads one file: its type code, whether it is UTF-8, and its words with "
          "their counts and values (--yes answers DOCX questions Yes)",
          RunInspect};
}

}  // namespace quor::app
