// `quor list`: fills the Index Module window from the selection options, runs
// its "List files" through the console platform, and prints the files the
// walk accepts, one per line, with the closing text.
#include "app/cli_list.h"

#include <chrono>
#include <iomanip>
#include <ostream>

#include "app/cli_selection_options.h"
#include "common/encoding.h"
#include "common/paths.h"
#include "extract/program_texts.h"
#include "ui/app_context.h"
#include "ui/console_platform.h"
#include "windows/frm_index_main.h"

namespace quor::app {

namespace {

// A window text for the terminal: UTF-8 with LF line ends.
std::string ForOutput(std::u16string_view text) {
  std::string out = TextToUtf8(text);
  std::string cleaned;
  cleaned.reserve(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n') continue;
    cleaned += out[i];
  }
  return cleaned;
}

int RunList(const std::vector<std::string>& args, CliStreams& io) {
  SelectionOptions options;
  if (!ParseCommandSelection("list", args, options, io.err)) return kExitUsage;

  ui::ConsolePlatform platform({options.yes}, io.err);
  ProgramTexts texts;
  const std::u16string textFile = EnsureTrailingBackslash(platform.ProgramFolder()) + u"quor.dat";
  if (const int loaded = texts.Load(textFile); loaded <= 0) {
    io.err << "quor: " << TextToUtf8(ProgramTextLoadMessage(loaded, textFile)) << '\n';
    return kExitFailed;
  }
  ui::AppContext app(platform, std::move(texts));
  frmIndexMain form(app);
  form.Show();
  if (!ApplySelectionOptions(options, form, io.err)) return kExitFailed;

  platform.InstallInterruptHandler();
  platform.onInterrupt = [&form] { form.walk.StopRequested = true; };

  const auto start = std::chrono::steady_clock::now();
  // The walk sets the count; left at -1 the checks refused the run.
  form.walk.IndexFileCount = -1;
  form.cmdListFiles_Click(0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (form.walk.IndexFileCount < 0) return kExitFailed;

  TextList entries(form.walk.IndexFileList.begin() + 1, form.walk.IndexFileList.end());
  if (!entries.empty()) SortStrings(entries, 0, static_cast<int>(entries.size()) - 1, true);
  for (const std::u16string& entry : entries) io.out << ForOutput(entry) << '\n';
  io.out << '\n' << ForOutput(form.ListingClosingText()) << '\n';
  if (!entries.empty()) {
    io.out << "To be indexed: "
           << ForOutput(ListingCaption(static_cast<std::int32_t>(entries.size()),
                                       form.walk.TotalFileSize))
           << '\n';
  }
  io.out.flush();

  if (form.walk.IndexFileCount > form.walk.MaxFilesToIndex) {
    io.err << "Too many files!  No more than " << form.walk.MaxFilesToIndex
           << " files can be indexed.\n";
  }
  io.err << "Listed " << entries.size() << " file" << (entries.size() == 1 ? "" : "s") << " in "
         << std::fixed << std::setprecision(2) << seconds << " seconds.\n";
  return form.walk.StopRequested ? kExitFailed : kExitOk;
}

}  // namespace

CliCommand ListCommand() {
  return {"list", SelectionOptionsUsage(),
          "list the files an index of the selection would hold (the window's \"List files\")",
          RunList};
}

}  // namespace quor::app
