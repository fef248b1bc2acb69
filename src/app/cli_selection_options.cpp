#include "app/cli_selection_options.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "selection/folder_listing.h"
#include "windows/frm_index_main.h"
#include "windows/index_settings.h"

namespace quor::app {

namespace {

// A size field holds at most four characters.
bool IsSizeValue(const std::string& text) {
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::u16string AbsoluteFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  return FromFsPath(absolute.lexically_normal());
}

}  // namespace

std::string SelectionOptionsUsage() {
  return "--top DIR [--project NAME] [--title TEXT] [--output DIR]\n"
         "[--include SUBDIR]... [--all-subfolders] [--nested] [--exclude-top-files]\n"
         "[--exclude-file RELPATH]... [--exclude-paths \"frag1,frag2\"]\n"
         "[--min-size BYTES] [--max-size KB] [--settings FILE.usri] [--yes]";
}

bool ParseSelectionOptions(const std::vector<std::string>& args, SelectionOptions& options,
                           std::string& error) {
  struct Valued {
    const char* name;
    std::optional<std::string> SelectionOptions::*field;
  };
  const Valued valued[] = {
      {"--settings", &SelectionOptions::settings},
      {"--project", &SelectionOptions::project},
      {"--title", &SelectionOptions::title},
      {"--top", &SelectionOptions::top},
      {"--output", &SelectionOptions::output},
      {"--exclude-paths", &SelectionOptions::excludePaths},
      {"--min-size", &SelectionOptions::minSize},
      {"--max-size", &SelectionOptions::maxSize},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--all-subfolders") {
      options.allSubfolders = true;
    } else if (arg == "--nested") {
      options.nested = true;
    } else if (arg == "--exclude-top-files") {
      options.excludeTopFiles = true;
    } else if (arg == "--yes") {
      options.yes = true;
    } else if (arg == "--include") {
      if (!value(text)) return false;
      options.include.push_back(text);
    } else if (arg == "--exclude-file") {
      if (!value(text)) return false;
      options.excludeFile.push_back(text);
    } else {
      const auto* known = std::find_if(std::begin(valued), std::end(valued),
                                       [&](const Valued& v) { return arg == v.name; });
      if (known == std::end(valued)) {
        error = "unknown argument " + arg;
        return false;
      }
      if (!value(text)) return false;
      options.*(known->field) = text;
    }
  }
  for (const auto& [name, size] :
       {std::pair{"--min-size", &options.minSize}, std::pair{"--max-size", &options.maxSize}}) {
    if (*size && !IsSizeValue(**size)) {
      error = std::string(name) + " takes a whole number of at most four digits";
      return false;
    }
  }
  return true;
}

bool ParseCommandSelection(std::string_view command, const std::vector<std::string>& args,
                           SelectionOptions& options, std::ostream& err) {
  std::string error;
  if (!ParseSelectionOptions(args, options, error)) {
    err << "quor " << command << ": " << error << "\nUsage: quor " << command << ' '
        << SelectionOptionsUsage() << '\n';
    return false;
  }
  if (!options.top && !options.settings) {
    err << "quor " << command << ": --top DIR (or --settings FILE.usri) is needed\n";
    return false;
  }
  return true;
}

bool ApplySelectionOptions(const SelectionOptions& options, frmIndexMain& form, std::ostream& err) {
  form.SetDefaults();
  form.UpdateTopFolderControls();
  if (options.settings) {
    const std::u16string path = Utf8ToText(*options.settings);
    std::u16string error;
    const auto text = ReadWholeFile(path, &error);
    IndexSettings settings;
    if (text && ReadIndexSettings(*text, settings, error) != SettingsReadStatus::Ok) {
      if (error.empty()) error = u"not a settings file of the Index Module";
    }
    if (!error.empty()) {
      err << "quor: cannot load " << *options.settings << ": " << TextToUtf8(error) << '\n';
      return false;
    }
    form.LoadSettings(path);
  }
  if (options.top) {
    const std::u16string top = AbsoluteFolder(*options.top);
    if (!FolderExists(top)) {
      err << "quor: --top: no such folder: " << *options.top << '\n';
      return false;
    }
    form.SetTopFolder(top);
  }
  if (options.output) {
    const std::u16string output = AbsoluteFolder(*options.output);
    if (!FolderExists(output)) {
      err << "quor: --output: no such folder: " << *options.output << '\n';
      return false;
    }
    if (!form.SetOutputFolder(output)) return false;
  }
  if (options.project) {
    std::u16string name = Utf8ToText(*options.project);
    if (name.size() > static_cast<std::size_t>(form.txbProjectName.maxLength)) {
      err << "quor: --project: at most " << form.txbProjectName.maxLength << " characters\n";
      return false;
    }
    // As typed: a space becomes "_".
    std::replace(name.begin(), name.end(), u' ', u'_');
    form.txbProjectName.SetText(name);
    form.txbProjectName_LostFocus();
    if (form.IndexFilePath.empty()) return false;
  }
  if (options.title) form.txbTitle.SetText(Utf8ToText(*options.title));

  const std::u16string& top = form.txbTopFolder.Text();
  if (options.allSubfolders || !options.include.empty()) {
    TextList included;
    if (options.allSubfolders) {
      FolderListing listing;
      std::u16string error;
      if (!top.empty() && ReadFolder(top, listing, error)) {
        for (const ListedFolder& sub : listing.subfolders) included.push_back(sub.name);
      }
    }
    for (const std::string& entry : options.include) {
      const std::u16string sub = Utf8ToText(entry);
      if (top.empty() || !FolderExists(top + sub)) {
        err << "quor: --include: no such subfolder of the top folder: " << entry << '\n';
        return false;
      }
      included.push_back(sub);
    }
    form.txbIncludedFolders.SetText(JoinLines(included));
    form.txbIncludedFolders_LostFocus();
  }
  if (options.allSubfolders || options.nested) form.chkIncludeSubfoldersOfSubfolders.SetValue(1);
  if (options.excludeTopFiles) form.chkExcludeFilesInTopFolder.SetValue(1);
  if (!options.excludeFile.empty()) {
    TextList files;
    for (const std::string& entry : options.excludeFile) files.push_back(Utf8ToText(entry));
    form.txbExcludedFiles.SetText(JoinLines(files));
    form.txbExcludedFiles_LostFocus();
  }
  if (options.excludePaths) form.txbExcludedFilepaths.SetText(Utf8ToText(*options.excludePaths));
  if (options.minSize) form.txbMinimumFilesize.SetText(Utf8ToText(*options.minSize));
  if (options.maxSize) form.txbMaximumFilesize.SetText(Utf8ToText(*options.maxSize));
  return true;
}

}  // namespace quor::app
