// The selection options shared by `quor list` and `quor index`: they fill
// the Index Module window's fields as a user would, after an optional
// settings file (--settings) has been loaded.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quor {
class frmIndexMain;
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

// The usage lines of the options, for a command's help entry.
std::string SelectionOptionsUsage();

// Parses args; false with a message in error for an unknown option, a
// missing value, a size that is not a number of at most four digits, or a
// stray argument.
[[nodiscard]] bool ParseSelectionOptions(const std::vector<std::string>& args,
                                         SelectionOptions& options, std::string& error);

// ParseSelectionOptions for `quor <command>`, which also needs --top or
// --settings. False after writing what is wrong, and the usage, to err (the
// command then exits with kExitUsage).
[[nodiscard]] bool ParseCommandSelection(std::string_view command,
                                         const std::vector<std::string>& args,
                                         SelectionOptions& options, std::ostream& err);

// Fills a loaded window: its defaults (the saved "next run" file is not
// used), then the settings file, then each explicit option. False, with the
// reason on err, when a file or folder named does not exist or the window
// refuses a value.
[[nodiscard]] bool ApplySelectionOptions(const SelectionOptions& options, frmIndexMain& form,
                                         std::ostream& err);

}  // namespace quor::app
