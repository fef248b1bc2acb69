#include "windows/index_settings.h"

#include <cstdint>

#include "common/paths.h"
#include "common/records.h"

namespace quor {

namespace {

constexpr std::u16string_view kInvalidPropertyValue = u"Invalid property value";

}  // namespace

std::string WriteIndexSettings(const IndexSettings& settings, std::u16string_view programName) {
  RecordWriter writer;
  writer.WriteStringRecord(std::u16string(programName) + std::u16string(kIndexSettingsHeaderTail));
  writer.WriteString(settings.projectName);
  writer.WriteString(settings.title);
  writer.WriteString(settings.excludedFilepaths);
  writer.WriteString(settings.outputFolder);
  writer.WriteString(settings.topFolder);
  writer.WriteString(settings.excludedFiles);
  writer.WriteString(settings.includedFolders);
  writer.WriteString(settings.minimumFilesize);
  writer.WriteNumber(settings.excludeTopFolderFiles);
  writer.WriteNumber(settings.includeNestedSubfolders);
  writer.WriteNumber(0);  // reserved
  writer.EndRecord();
  return writer.Take();
}

SettingsReadStatus ReadIndexSettings(std::string_view utf8, IndexSettings& settings,
                                     std::u16string& error) {
  RecordReader reader(utf8);
  std::u16string header;
  auto text = [&](std::u16string& field) {
    if (reader.Next(field)) return true;
    error = std::u16string(kInputPastEndOfFile);
    return false;
  };
  auto checkBox = [&](int& value) {
    if (reader.AtEnd()) {
      error = std::u16string(kInputPastEndOfFile);
      return false;
    }
    std::int64_t number = 0;
    if (!reader.NextNumber(number) || (number != 0 && number != 1)) {
      error = std::u16string(kInvalidPropertyValue);
      return false;
    }
    value = static_cast<int>(number);
    return true;
  };
  if (!HasSettingsHeader(utf8, kIndexSettingsHeaderTail))
    return SettingsReadStatus::NoSettingsHeader;
  if (!text(header) || !text(settings.projectName) || !text(settings.title) ||
      !text(settings.excludedFilepaths) || !text(settings.outputFolder)) {
    return SettingsReadStatus::Error;
  }
  if (!settings.outputFolder.empty() && !IsAbsolutePath(settings.outputFolder)) {
    return SettingsReadStatus::NotASettingsFile;
  }
  std::u16string reserved;
  if (!text(settings.topFolder) || !text(settings.excludedFiles) ||
      !text(settings.includedFolders) || !text(settings.minimumFilesize) ||
      !checkBox(settings.excludeTopFolderFiles) || !checkBox(settings.includeNestedSubfolders) ||
      !text(reserved)) {
    return SettingsReadStatus::Error;
  }
  return SettingsReadStatus::Ok;
}

}  // namespace quor
