// Texts and program-text numbers of the Search Module window.
#pragma once

#include <string_view>

namespace quor::search_main {

// Program texts by number.
inline constexpr int kTextProductName = 1;
inline constexpr int kTextSettingsSaved = 17;
inline constexpr int kTextTopFolderFirst = 23;
inline constexpr int kTextCopySelection = 32;
inline constexpr int kTextCopyAll = 33;
inline constexpr int kTextTopFolderPrompt = 64;
inline constexpr int kTextIndexFilePrompt = 65;
inline constexpr int kTextWordsChanged = 66;
inline constexpr int kTextSearchFirst = 68;
inline constexpr int kTextSelectFile = 71;
inline constexpr int kTextNotUnderTopFolder = 72;
inline constexpr int kTextNotInIndex = 75;
inline constexpr int kTextNoSingleFile = 76;
inline constexpr int kTextChooseIt = 86;
inline constexpr int kTextNotAllowed = 100;
inline constexpr int kTextDataFolderName = 310;

inline constexpr std::u16string_view kModuleName = u"Search Module";
inline constexpr std::u16string_view kMinimisedCaption = u"QUOR -- Search Module";
inline constexpr std::u16string_view kSearchCaption = u"Search";
inline constexpr std::u16string_view kStopCaption = u"Stop";
inline constexpr std::u16string_view kReportCaption = u"Report ->";

inline constexpr std::u16string_view kSearchTypeItems[] = {u"Any word", u"All words",
                                                           u"Exact phrase"};

inline constexpr std::u16string_view kSettingsFilter = u"Settings file (*.usrs) | *.usrs";
inline constexpr std::u16string_view kIndexFileFilter = u"QUOR index files (*.quor) | *.quor";

}  // namespace quor::search_main
