// The selection options shared by `quor list` and `quor index`: they give
// an index project's fields the values a user would give the Index Module
// window's fields, after an optional settings file (--settings) has been
// loaded, and the same checks decide whether the run may start.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_options.h"
#include "common/messages.h"
#include "common/strings.h"
#include "index/index_project.h"
#include "selection/selection_rules.h"

namespace quor {
class ProgramTexts;
}

namespace quor::app {

struct SelectionOptions {
  std::optional<std::string> settings;
  std::optional<std::string> project;
  std::optional<std::string> title;
  std::optional<std::string> top;
  std::optional<std::string> output;
  std::vector<std::string> include;
  bool allSubfolders = false;
  bool nested = false;
  bool excludeTopFiles = false;
  std::vector<std::string> excludeFile;
  std::optional<std::string> excludePaths;
  std::optional<std::string> minSize;
  std::optional<std::string> maxSize;
  // --yes: questions are answered Yes.
  bool yes = false;
};

// The syntax of `quor <command>` with the selection options.
CliSyntax SelectionSyntax(std::string command, std::string summary);

// The options of a parsed command line. False after reporting bad usage (a
// size that is not a number of at most four digits, neither --top nor
// --settings) on io.err; the command then exits with kExitUsage.
[[nodiscard]] bool SelectionFromArgs(const CliSyntax& syntax, const CliArgs& args,
                                     SelectionOptions& options, CliStreams& io);

// The project's fields, and whether its top folder has subfolders.
struct CliProject : IndexProjectFields {
  bool topFolderHasSubfolders = false;
};

// Fills project: the defaults, then the settings file, then each explicit
// option, by the window's rules. False, with the reason on err or as a
// message, when a file or folder named does not exist or a value is refused.
[[nodiscard]] bool ProjectFromOptions(const SelectionOptions& options, CliProject& project,
                                      MessageSink& messages, std::ostream& err);

// The checks before a run starts (the window's BuildIndex); title is the
// caption the window's message boxes carry. False after the refusal has been
// reported; otherwise rules hold the selection.
[[nodiscard]] bool PassesRunChecks(CliProject& project, bool indexRun, const ProgramTexts& texts,
                                   MessageSink& messages, std::u16string_view title,
                                   SelectionRules& rules);

// Loads the program texts beside the executable; false after writing why.
[[nodiscard]] bool LoadProgramTexts(ProgramTexts& texts, std::ostream& err);

}  // namespace quor::app
