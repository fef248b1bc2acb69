// The selection options shared by `quor list` and `quor index`: they give
// an index project's fields the values a user would give the Index Module
// window's fields, after an optional settings file (--settings) has been
// loaded, and the same checks decide whether the run may start.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_messages.h"
#include "app/cli_options.h"
#include "common/messages.h"
#include "common/strings.h"
#include "index/index_project.h"
#include "selection/folder_walk.h"
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

// The syntax of `quor <command>` with the selection options; an index run
// (indexRun) also needs --project, --title and --output unless --settings is
// given.
CliSyntax SelectionSyntax(std::string command, std::string summary, bool indexRun);

// The options of a parsed command line. False after reporting bad usage (a
// size that is not a number of at most four digits) on io.err; the command
// then exits with kExitUsage.
[[nodiscard]] bool SelectionFromArgs(const CliSyntax& syntax, const CliArgs& args,
                                     SelectionOptions& options, CliStreams& io);

// The project's fields, and whether its top folder has subfolders.
struct CliProject : IndexProjectFields {
  bool topFolderHasSubfolders = false;
};

// Fills project: the defaults, then the settings file, then each explicit
// option, by the window's rules. False, with the reason on err or as a
// message, when a file or folder named does not exist or a value is refused.
// An --include that names no subfolder and an --exclude-file that names no
// file get a warning line on err.
[[nodiscard]] bool ProjectFromOptions(const SelectionOptions& options, CliProject& project,
                                      MessageSink& messages, std::ostream& err);

// False after reporting as bad usage the first option ("--title TEXT") whose
// field the run needs and is still blank after the settings file and the
// options.
[[nodiscard]] bool HasRequiredFields(const CliSyntax& syntax, const SelectionOptions& options,
                                     const CliProject& project, bool indexRun, CliStreams& io);

// The checks before a run starts (the window's BuildIndex); title is the
// caption the window's message boxes carry. False after the refusal has been
// reported; otherwise rules hold the selection.
[[nodiscard]] bool PassesRunChecks(CliProject& project, bool indexRun, const ProgramTexts& texts,
                                   MessageSink& messages, std::u16string_view title,
                                   SelectionRules& rules);

// What the observers of `quor list` and `quor index` share, over the walk's
// or the build's observer interface: messages and questions on stderr by
// the command's policy, the Ctrl-C notice at the engine's poll points, and
// one stderr line per file or folder the walk passed over.
template <class EngineObserver>
class CliWalkObserver : public EngineObserver {
 public:
  CliWalkObserver(CliMessages& messages, InterruptStop& interrupt, std::ostream& err)
      : err_(err), messages_(messages), interrupt_(interrupt) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return messages_.MessageBox(request);
  }
  void Poll() override { interrupt_.ReportOnce(err_); }
  void PassedOver(const PassedOverEntry& entry) override {
    err_ << TerminalText(PassedOverLine(entry)) << '\n';
    err_.flush();
  }

 protected:
  std::ostream& err_;

 private:
  CliMessages& messages_;
  InterruptStop& interrupt_;
};

// Loads the program texts beside the executable; false after writing why.
[[nodiscard]] bool LoadProgramTexts(ProgramTexts& texts, std::ostream& err);

}  // namespace quor::app
