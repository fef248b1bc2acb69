// `quor list`: the Index Module's "List files" from the command line. The
// selection options give the project's fields, the folder walk lists the
// files it accepts, and they are printed one per line with the closing text.
#include "app/cli_list.h"

#include <chrono>
#include <iomanip>
#include <ostream>

#include "app/cli_messages.h"
#include "app/cli_selection_options.h"
#include "extract/program_texts.h"
#include "index/index_project.h"
#include "selection/folder_walk.h"

namespace quor::app {

namespace {

int RunList(const CliSyntax& syntax, const CliArgs& args, CliStreams& io) {
  SelectionOptions options;
  if (!SelectionFromArgs(syntax, args, options, io)) return kExitUsage;
  ProgramTexts texts;
  if (!LoadProgramTexts(texts, io.err)) return kExitFailed;
  CliMessages messages(io.err, options.yes);
  CliProject project;
  if (!ProjectFromOptions(options, project, messages, io.err)) return kExitFailed;
  if (!HasRequiredFields(syntax, options, project, false, io)) return kExitUsage;
  if (project.excludeTopFolderFiles && project.includedSubfolders.empty()) {
    messages.MsgBox(u"No files are included.", MsgButtons::Ok, MsgIcon::Exclamation, u"List files");
    return kExitFailed;
  }
  FolderWalk walk;
  if (!PassesRunChecks(project, false, texts, messages, u"Create index file", walk.rules)) {
    return kExitFailed;
  }

  StopToken stop;
  InterruptStop interrupt(stop);
  CliWalkObserver<WalkObserver> observer(messages, interrupt, io.err);
  const auto start = std::chrono::steady_clock::now();
  walk.ListOnly = true;
  const WalkOutcome outcome = walk.WalkTopFolder(observer, stop);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  TextList entries(walk.IndexFileList.begin() + 1, walk.IndexFileList.end());
  if (!entries.empty()) SortStrings(entries, 0, static_cast<int>(entries.size()) - 1, true);
  for (const std::u16string& entry : entries) io.out << TerminalText(entry) << '\n';
  io.out << '\n' << TerminalText(ListingClosingText(walk)) << '\n';
  if (!entries.empty()) {
    io.out << "To be indexed: "
           << TerminalText(
                  ListingCaption(static_cast<std::int32_t>(entries.size()), walk.TotalFileSize))
           << '\n';
  }
  io.out.flush();

  if (outcome == WalkOutcome::kLimitReached) {
    io.err << TerminalText(TooManyFilesMessage(walk.MaxFilesToIndex)) << '\n';
  }
  io.err << "Listed " << entries.size() << " file" << (entries.size() == 1 ? "" : "s") << " in "
         << std::fixed << std::setprecision(2) << seconds << " seconds.\n";
  if (interrupt.Interrupted()) return kExitInterrupted;
  return outcome == WalkOutcome::kStopped ? kExitFailed : kExitOk;
}

}  // namespace

CliCommand ListCommand() {
  CliSyntax syntax = SelectionSyntax(
      "list", "list the files an index of the selection would hold (the window's \"List files\")",
      false);
  return MakeCliCommand(
      syntax, [syntax](const CliArgs& args, CliStreams& io) { return RunList(syntax, args, io); });
}

}  // namespace quor::app
