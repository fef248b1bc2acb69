#include "windows/settings_file.h"

#include "common/paths.h"
#include "common/records.h"

namespace quor {

bool HasSettingsHeader(std::string_view utf8, std::u16string_view headerTail) {
  RecordReader reader(utf8);
  std::u16string header;
  return reader.Next(header) && header.ends_with(headerTail);
}

std::u16string NotASettingsFileMessage(const std::u16string& path) {
  return GetFileName(path) + u" is not a QUOR settings file.";
}

}  // namespace quor
