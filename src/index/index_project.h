// The rules of an index project's fields, shared by the Index Module window
// and the command line: what a project name and a title may hold, the names
// of the index files, the checks a run must pass before it starts, how the
// typed subfolder and excluded-file lists are read, and the texts of the
// refusals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/strings.h"
#include "selection/selection_rules.h"

namespace quor {

// An index project's fields as the Index Module window holds them: texts as
// typed, the lists as their boxes hold them once left, the check boxes.
struct IndexProjectFields {
  std::u16string projectName;
  std::u16string title;
  std::u16string topFolder;     // empty or an existing folder ending in a separator
  std::u16string outputFolder;  // likewise
  TextList includedSubfolders;
  TextList excludedFiles;
  std::u16string excludedFilepaths;  // "frag1,frag2"
  std::u16string minimumFilesize = u"400";
  std::u16string maximumFilesize = u"4000";
  bool excludeTopFolderFiles = false;
  bool includeNestedSubfolders = false;
};

// The selection rules of the fields: the fragments text split, the size
// fields' values.
SelectionRules SelectionOf(const IndexProjectFields& fields);

// A project name holds at most this many characters.
inline constexpr int kProjectNameMaxLength = 17;

// The first character a project name cannot hold (it names files and stands
// in the index text), if any.
std::optional<char16_t> InadmissibleProjectNameChar(std::u16string_view name);
// "The project name contains an inadmissible character: &" (title "Project
// name").
std::u16string InadmissibleNameMessage(char16_t ch);
inline constexpr std::u16string_view kProjectNameTitle = u"Project name";

// The title is stored as one quoted field of the index text, which cannot
// hold a double quote.
bool IsStorableTitle(std::u16string_view title);
inline constexpr std::u16string_view kTitleQuoteMessage =
    u"The title cannot contain a double quote (\").  Please change the title.";

// <outputFolder>/<project>_index.quor (a separator is added when missing).
std::u16string IndexFilePathFor(std::u16string_view outputFolder, std::u16string_view project);
// "An index file <path> exists.  Overwrite this?"
std::u16string OverwriteQuestion(std::u16string_view indexFilePath);
// "Too many files!  No more than 32000 files can be indexed."
std::u16string TooManyFilesMessage(std::int32_t limit);

// The checks a run must pass before it starts, on trimmed fields: the
// program-text number of the first refusal (28 no project name, 34 no title,
// 35 no top folder, 36 top folder missing, 37 no output folder, 38 output
// folder missing), or 0. A listing (indexRun false) needs only the top
// folder.
int RefusedFieldText(std::u16string_view project, std::u16string_view title,
                     std::u16string_view topFolder, std::u16string_view outputFolder,
                     bool indexRun);

// The first excluded-files entry that is not relative to the top folder, if
// any (refused with program texts 56 and 57).
std::optional<std::u16string> FirstFullPathEntry(const TextList& excludedFiles);

// The included subfolders of a typed text: one per line, trimmed, without
// the separators around them, empty lines and repeats dropped.
TextList ParseIncludedSubfolders(std::u16string_view text);
// The excluded files of a typed text: one per line, trimmed, sorted.
TextList ParseExcludedFiles(std::u16string_view text);

// Drops the entries that name no existing subfolder (folders) or file of the
// top folder; every entry when the top folder is empty. True when any was
// dropped.
bool DropMissingEntries(TextList& entries, std::u16string_view topFolder, bool folders);

// The program text of a run that found no file: 90 to 93 as the top folder
// has subfolders and files are excluded.
int NoFilesText(bool topFolderHasSubfolders, bool filesExcluded);

}  // namespace quor
