// Texts and program-text numbers of the Index Module window.
#pragma once

#include <string_view>

namespace quor::index_main {

// Program texts by number.
inline constexpr int kTextProductName = 1;
inline constexpr int kTextManualFile = 2;
inline constexpr int kTextModuleName = 4;
inline constexpr int kTextMakerAddress = 6;
inline constexpr int kTextSettingsSaved = 17;
inline constexpr int kTextSpecialLetters = 18;
inline constexpr int kTextIntro = 19;
inline constexpr int kTextExcludedFilesTip = 20;
inline constexpr int kTextNoSubfolders = 25;
inline constexpr int kTextOneSubfolder = 26;
inline constexpr int kTextSeveralSubfolders = 27;
inline constexpr int kTextTopFolderHasNoSubfolders = 29;
inline constexpr int kTextRunningCaption = 30;
inline constexpr int kTextFilesToBeIndexed = 45;
inline constexpr int kTextTopFolderHasNoFiles = 53;
inline constexpr int kTextExcludedEntryNotRelative = 56;
inline constexpr int kTextExcludedEntryTitle = 57;
inline constexpr int kTextResetQuestion1 = 58;
inline constexpr int kTextResetQuestion2 = 59;
inline constexpr int kTextSeveralExcluded = 55;
inline constexpr int kTextNestedOne = 88;
inline constexpr int kTextNestedSeveral = 89;
inline constexpr int kTextDataFolderName = 310;

inline constexpr std::u16string_view kCreateIndexFile = u"Create index file";
inline constexpr std::u16string_view kListFiles = u"List files";
inline constexpr std::u16string_view kNoFilesIncluded = u"No files are included.";

inline constexpr std::u16string_view kClearItems[] = {
    u"Output folder",  u"Maximum filesize",    u"Minimum filesize", u"Excluded filepaths",
    u"Excluded files", u"Included subfolders", u"Top folder",       u"Title",
    u"Project name"};
enum ClearItem {
  kClearOutputFolder,
  kClearMaximumFilesize,
  kClearMinimumFilesize,
  kClearExcludedFilepaths,
  kClearExcludedFiles,
  kClearIncludedSubfolders,
  kClearTopFolder,
  kClearTitle,
  kClearProjectName,
};

// Width of lblNowProcessingFile while a walk runs and otherwise.
inline constexpr int kWalkBusyLabelWidth = 5000;
inline constexpr int kWalkIdleLabelWidth = 3000;

inline constexpr std::u16string_view kSettingsFilter = u"Settings file (*.usri) | *.usri";

}  // namespace quor::index_main
