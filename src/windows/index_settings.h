// The Index Module's settings file (".usri"): two records of UTF-8 text in
// the record form. Line 1 is the header ("QUOR -- Settings for Index
// Module"; files of earlier versions carry another name before " -- " and
// load all the same); line 2 holds eleven items: project
// name, title, excluded file-path fragments, output folder, top folder,
// excluded files and included subfolders (each a list joined by CR LF),
// minimum file size (text), the two check boxes (numbers 0 or 1) and a
// reserved number that is always 0. The maximum file size is not stored.
#pragma once

#include <string>
#include <string_view>

#include "windows/settings_file.h"

namespace quor {

inline constexpr std::u16string_view kDefaultIndexSettingsName = u"dwixi.usri";

struct IndexSettings {
  std::u16string projectName;
  std::u16string title;
  std::u16string excludedFilepaths;
  std::u16string outputFolder;
  std::u16string topFolder;
  std::u16string excludedFiles;
  std::u16string includedFolders;
  std::u16string minimumFilesize;
  int excludeTopFolderFiles = 0;
  int includeNestedSubfolders = 0;

  bool operator==(const IndexSettings&) const = default;
};

// The file's text, with programName in its header. A double quote inside a
// value is written as "'" (a quote would end the value when read back).
std::string WriteIndexSettings(const IndexSettings& settings,
                               std::u16string_view programName = u"QUOR");

enum class SettingsReadStatus {
  Ok,
  // The first line is not the header of an Index Module settings file:
  // nothing was read.
  NoSettingsHeader,
  // The output folder is neither empty nor an absolute path: not a settings
  // file of this module. The first three values were read.
  NotASettingsFile,
  // The file ended early or held a value of the wrong kind; see error.
  Error,
};

// Reads the items back in order. On NotASettingsFile the project name, title
// and fragments are set; on Error error holds the description; on
// NoSettingsHeader error stays empty.
SettingsReadStatus ReadIndexSettings(std::string_view utf8, IndexSettings& settings,
                                     std::u16string& error);

}  // namespace quor
