#include "app/cli_selection_options.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <utility>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "extract/program_texts.h"
#include "index/index_project.h"
#include "selection/folder_listing.h"
#include "ui/system_services.h"
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

constexpr int kTextExcludedEntryNotRelative = 56;
constexpr int kTextExcludedEntryTitle = 57;

// What the window's top-folder controls do to the check boxes: files of the
// top folder can be excluded only beside included subfolders.
void UpdateTopFolderChoice(CliProject& project) {
  project.topFolderHasSubfolders = false;
  if (!project.topFolder.empty()) {
    FolderListing listing;
    std::u16string error;
    if (ReadFolder(project.topFolder, listing, error)) {
      project.topFolderHasSubfolders = !listing.subfolders.empty();
    }
  }
  if (!project.topFolderHasSubfolders || project.includedSubfolders.empty()) {
    project.excludeTopFolderFiles = false;
  }
}

// A settings file's values as the window loads them: folders that no longer
// exist are left out, and so are list entries they do not hold.
void ApplySettings(const IndexSettings& settings, CliProject& project) {
  project.projectName = settings.projectName;
  project.title = settings.title;
  project.excludedFilepaths = settings.excludedFilepaths;
  std::u16string output = EnsureTrailingBackslash(settings.outputFolder);
  if (!output.empty() && !FolderExists(output)) output.clear();
  project.outputFolder = output;
  std::u16string top = Trim(settings.topFolder);
  if (!top.empty()) top = FolderExists(top) ? EnsureTrailingBackslash(top) : u"";
  project.topFolder = top;
  project.excludedFiles.clear();
  project.includedSubfolders.clear();
  if (!top.empty()) {
    project.excludedFiles = ParseExcludedFiles(settings.excludedFiles);
    DropMissingEntries(project.excludedFiles, top, false);
    project.includedSubfolders = ParseIncludedSubfolders(settings.includedFolders);
    DropMissingEntries(project.includedSubfolders, top, true);
  }
  project.minimumFilesize = settings.minimumFilesize;
  project.excludeTopFolderFiles = settings.excludeTopFolderFiles == 1;
  project.includeNestedSubfolders = settings.includeNestedSubfolders == 1;
  UpdateTopFolderChoice(project);
}

}  // namespace

CliSyntax SelectionSyntax(std::string command, std::string summary, bool indexRun) {
  CliSyntax syntax;
  syntax.command = std::move(command);
  syntax.summary = std::move(summary);
  // What an index run needs may come from a settings file instead.
  const auto needed = [indexRun](CliOption option) {
    return indexRun ? option.RequiredUnless("--settings") : option;
  };
  syntax.options = {
      needed(Valued("--project", "NAME",
                    "the project name: the index files are NAME_index.quor and NAME_data.quor")),
      needed(Valued("--title", "TEXT", "the title stored in the index")),
      Valued("--top", "DIR", "the top folder of the files to index").RequiredUnless("--settings"),
      needed(Valued("--output", "DIR", "the folder the index files are written to")),
      Valued("--include", "SUBDIR", "a subfolder of the top folder whose files are included")
          .Repeatable(),
      Flag("--all-subfolders", "include every subfolder of the top folder, and theirs"),
      Flag("--nested", "include the subfolders of the included subfolders too"),
      Flag("--exclude-top-files", "leave out the files of the top folder itself"),
      Valued("--exclude-file", "RELPATH", "a file to leave out, relative to the top folder")
          .Repeatable(),
      Valued("--exclude-paths", "\"frag1,frag2\"", "leave out every path holding one of these"),
      Valued("--min-size", "BYTES", "the smallest file size included, in bytes; 0: no limit")
          .Default("400"),
      Valued("--max-size", "KB", "the largest file size included, in Kb; 0: no limit")
          .Default("4000"),
      Valued("--settings", "FILE.usri",
             "load a settings file of the Index Module first; the options given replace its "
             "values"),
      Flag("--yes", "answer every question Yes (otherwise No)"),
  };
  syntax.details =
      "The files walked are those of the top folder itself (unless --exclude-top-files)\n"
      "and those of each subfolder named with --include, relative to the top folder;\n"
      "--nested adds the subfolders of those, and --all-subfolders includes every\n"
      "subfolder of the top folder with theirs. Sizes, --exclude-file and\n"
      "--exclude-paths then leave files out.";
  return syntax;
}

bool SelectionFromArgs(const CliSyntax& syntax, const CliArgs& args, SelectionOptions& options,
                       CliStreams& io) {
  auto optional = [&args](const char* name) -> std::optional<std::string> {
    if (!args.Given(name)) return std::nullopt;
    return args.Value(name);
  };
  options.settings = optional("--settings");
  options.project = optional("--project");
  options.title = optional("--title");
  options.top = optional("--top");
  options.output = optional("--output");
  options.include = args.Values("--include");
  options.allSubfolders = args.Given("--all-subfolders");
  options.nested = args.Given("--nested");
  options.excludeTopFiles = args.Given("--exclude-top-files");
  options.excludeFile = args.Values("--exclude-file");
  options.excludePaths = optional("--exclude-paths");
  options.minSize = optional("--min-size");
  options.maxSize = optional("--max-size");
  options.yes = args.Given("--yes");
  for (const auto& [name, size] :
       {std::pair{"--min-size", &options.minSize}, std::pair{"--max-size", &options.maxSize}}) {
    if (*size && !IsSizeValue(**size)) {
      UsageError(syntax, io, std::string(name) + " takes a whole number of at most four digits");
      return false;
    }
  }
  return true;
}

bool HasRequiredFields(const CliSyntax& syntax, const SelectionOptions& options,
                       const CliProject& project, bool indexRun, CliStreams& io) {
  const std::pair<const std::u16string*, const char*> fields[] = {
      {&project.projectName, "--project NAME"},
      {&project.title, "--title TEXT"},
      {&project.topFolder, "--top DIR"},
      {&project.outputFolder, "--output DIR"},
  };
  for (const auto& [field, option] : fields) {
    const bool needed = indexRun || field == &project.topFolder;
    if (!needed || !Trim(*field).empty()) continue;
    UsageError(syntax, io,
               std::string(option) + (options.settings
                                          ? " is needed: neither the options nor the settings "
                                            "file give it"
                                          : " must not be blank"));
    return false;
  }
  return true;
}

bool ProjectFromOptions(const SelectionOptions& options, CliProject& project, MessageSink& messages,
                        std::ostream& err) {
  project = CliProject();
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
    ApplySettings(settings, project);
  }
  if (options.top) {
    const std::u16string top = AbsoluteFolder(*options.top);
    if (!FolderExists(top)) {
      err << "quor: --top: no such folder: " << *options.top << '\n';
      return false;
    }
    // As a folder chosen in the browser: the lists keep what the new top
    // folder holds, and its files are not excluded.
    project.topFolder = EnsureTrailingBackslash(top);
    DropMissingEntries(project.includedSubfolders, project.topFolder, true);
    DropMissingEntries(project.excludedFiles, project.topFolder, false);
    project.excludeTopFolderFiles = false;
    UpdateTopFolderChoice(project);
  }
  if (options.output) {
    const std::u16string output = AbsoluteFolder(*options.output);
    if (!FolderExists(output)) {
      err << "quor: --output: no such folder: " << *options.output << '\n';
      return false;
    }
    project.outputFolder = EnsureTrailingBackslash(output);
    if (ui::IsReadOnlyFileSystemAt(project.outputFolder)) {
      messages.MsgBox(u"The output folder cannot be on a read-only file system.", MsgButtons::Ok,
                      MsgIcon::Exclamation, u"Error");
      return false;
    }
  }
  if (options.project) {
    std::u16string name = Utf8ToText(*options.project);
    if (name.size() > static_cast<std::size_t>(kProjectNameMaxLength)) {
      err << "quor: --project: at most " << kProjectNameMaxLength << " characters\n";
      return false;
    }
    // As typed: a space becomes "_".
    std::replace(name.begin(), name.end(), u' ', u'_');
    project.projectName = name;
  }
  // A name that cannot name the index files is refused whichever way it came.
  project.projectName = Trim(project.projectName);
  if (const std::optional<char16_t> bad = InadmissibleProjectNameChar(project.projectName)) {
    messages.MsgBox(InadmissibleNameMessage(*bad), MsgButtons::Ok, MsgIcon::Exclamation,
                    std::u16string(kProjectNameTitle));
    return false;
  }
  if (options.title) project.title = Utf8ToText(*options.title);

  const std::u16string& top = project.topFolder;
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
      // A subfolder that is not there is left out, as the window drops it.
      if (top.empty() || !FolderExists(top + sub)) {
        err << "quor: warning: --include: no such subfolder of the top folder, left out: " << entry
            << '\n';
        continue;
      }
      included.push_back(sub);
    }
    project.includedSubfolders = ParseIncludedSubfolders(JoinLines(included));
    DropMissingEntries(project.includedSubfolders, top, true);
    UpdateTopFolderChoice(project);
  }
  if (options.allSubfolders || options.nested) project.includeNestedSubfolders = true;
  if (options.excludeTopFiles) project.excludeTopFolderFiles = true;
  if (!options.excludeFile.empty()) {
    TextList files;
    for (const std::string& entry : options.excludeFile) files.push_back(Utf8ToText(entry));
    project.excludedFiles = ParseExcludedFiles(JoinLines(files));
    // A full path is refused by the run checks; a relative one that names
    // no file leaves nothing out, which a typing error would hide.
    for (const std::u16string& entry : project.excludedFiles) {
      if (FirstFullPathEntry({entry}) || FileExists(top + entry)) continue;
      err << "quor: warning: --exclude-file: no such file in the top folder: "
          << TerminalText(entry) << '\n';
    }
  }
  if (options.excludePaths) project.excludedFilepaths = Utf8ToText(*options.excludePaths);
  if (options.minSize) project.minimumFilesize = Utf8ToText(*options.minSize);
  if (options.maxSize) project.maximumFilesize = Utf8ToText(*options.maxSize);
  return true;
}

bool PassesRunChecks(CliProject& project, bool indexRun, const ProgramTexts& texts,
                     MessageSink& messages, std::u16string_view title, SelectionRules& rules) {
  project.title = Trim(project.title);
  project.topFolder = Trim(project.topFolder);
  project.outputFolder = Trim(project.outputFolder);
  if (const int refusal = RefusedFieldText(project.projectName, project.title, project.topFolder,
                                           project.outputFolder, indexRun)) {
    messages.MsgBox(texts.Get(refusal), MsgButtons::Ok, MsgIcon::Exclamation,
                    std::u16string(title));
    return false;
  }
  if (const std::optional<std::u16string> entry = FirstFullPathEntry(project.excludedFiles)) {
    messages.MsgBox(
        texts.Get(kTextExcludedEntryNotRelative) + u":" + std::u16string(kCrLf) + *entry,
        MsgButtons::Ok, MsgIcon::Exclamation, texts.Get(kTextExcludedEntryTitle));
    return false;
  }
  rules = SelectionOf(project);
  return true;
}

bool LoadProgramTexts(ProgramTexts& texts, std::ostream& err) {
  const std::u16string textFile = EnsureTrailingBackslash(ui::DefaultProgramFolder()) + u"quor.dat";
  if (const int loaded = texts.Load(textFile); loaded <= 0) {
    err << "quor: " << TextToUtf8(ProgramTextLoadMessage(loaded, textFile)) << '\n';
    return false;
  }
  return true;
}

}  // namespace quor::app
