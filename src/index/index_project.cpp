#include "index/index_project.h"

#include <algorithm>

#include "common/files.h"
#include "common/paths.h"

namespace quor {

namespace {

constexpr std::u16string_view kInadmissibleNameChars = u":\\/,<>'&\"";

// A typed subfolder entry without the separators around it.
std::u16string CleanSubfolderEntry(std::u16string_view entry) {
  while (!entry.empty() && (entry.front() == kPathSeparator || entry.front() == u'\\')) {
    entry.remove_prefix(1);
  }
  while (!entry.empty() && (entry.back() == kPathSeparator || entry.back() == u'\\')) {
    entry.remove_suffix(1);
  }
  return std::u16string(entry);
}

}  // namespace

SelectionRules SelectionOf(const IndexProjectFields& fields) {
  SelectionRules rules;
  rules.topFolder = fields.topFolder;
  rules.excludeTopFolderFiles = fields.excludeTopFolderFiles;
  rules.includeNestedSubfolders = fields.includeNestedSubfolders;
  rules.IncludedSubfolders = fields.includedSubfolders;
  rules.ExcludedFiles = fields.excludedFiles;
  rules.FilepathFragments = SplitFragments(fields.excludedFilepaths);
  rules.MinFileSize = SizeFieldValue(fields.minimumFilesize);
  rules.MaxFileSizeKb = SizeFieldValue(fields.maximumFilesize);
  return rules;
}

std::optional<char16_t> InadmissibleProjectNameChar(std::u16string_view name) {
  const auto bad = name.find_first_of(kInadmissibleNameChars);
  if (bad == std::u16string_view::npos) return std::nullopt;
  return name[bad];
}

std::u16string InadmissibleNameMessage(char16_t ch) {
  return u"The project name contains an inadmissible character: " + std::u16string(1, ch);
}

bool IsStorableTitle(std::u16string_view title) {
  return title.find(u'"') == std::u16string_view::npos;
}

std::u16string IndexFilePathFor(std::u16string_view outputFolder, std::u16string_view project) {
  return EnsureTrailingBackslash(std::u16string(outputFolder)) + std::u16string(project) +
         u"_index.quor";
}

std::u16string OverwriteQuestion(std::u16string_view indexFilePath) {
  return u"An index file " + std::u16string(indexFilePath) + u" exists.  Overwrite this?";
}

std::u16string TooManyFilesMessage(std::int32_t limit) {
  return u"Too many files!  No more than " + ToText(limit) + u" files can be indexed.";
}

int RefusedFieldText(std::u16string_view project, std::u16string_view title,
                     std::u16string_view topFolder, std::u16string_view outputFolder,
                     bool indexRun) {
  if (indexRun && project.empty()) return 28;
  if (indexRun && title.empty()) return 34;
  if (topFolder.empty()) return 35;
  if (!FolderExists(topFolder)) return 36;
  if (!indexRun) return 0;
  if (outputFolder.empty()) return 37;
  if (!FolderExists(outputFolder)) return 38;
  return 0;
}

std::optional<std::u16string> FirstFullPathEntry(const TextList& excludedFiles) {
  for (const std::u16string& entry : excludedFiles) {
    if (!IsRelativeEntry(entry)) return entry;
  }
  return std::nullopt;
}

TextList ParseIncludedSubfolders(std::u16string_view text) {
  TextList entries;
  SplitLines(text, entries, 0, true);
  TextList included;
  for (const std::u16string& entry : entries) {
    std::u16string clean = CleanSubfolderEntry(entry);
    if (!clean.empty() && std::find(included.begin(), included.end(), clean) == included.end()) {
      included.push_back(std::move(clean));
    }
  }
  return included;
}

TextList ParseExcludedFiles(std::u16string_view text) {
  TextList files;
  SplitLines(text, files, 0, true);
  if (!files.empty()) SortStrings(files, 0, static_cast<int>(files.size()) - 1, true);
  return files;
}

bool DropMissingEntries(TextList& entries, std::u16string_view topFolder, bool folders) {
  const std::u16string top(topFolder);
  const auto dropped = std::erase_if(entries, [&](const std::u16string& entry) {
    return top.empty() || !(folders ? FolderExists(top + entry) : FileExists(top + entry));
  });
  return dropped > 0;
}

int NoFilesText(bool topFolderHasSubfolders, bool filesExcluded) {
  if (topFolderHasSubfolders) return filesExcluded ? 93 : 92;
  return filesExcluded ? 91 : 90;
}

}  // namespace quor
