// What both module windows' settings files share: the header that names the
// module on their first line, and the message for a file that has none.
#pragma once

#include <string>
#include <string_view>

namespace quor {

// The headers end with these; the program's name comes before them ("QUOR
// -- Settings for Index Module"; files of earlier versions carry another
// name there and load all the same).
inline constexpr std::u16string_view kIndexSettingsHeaderTail = u" -- Settings for Index Module";
inline constexpr std::u16string_view kSearchSettingsHeaderTail = u" -- Settings for Search Module";

// True when the first item of the settings text utf8 is a header ending with
// headerTail.
bool HasSettingsHeader(std::string_view utf8, std::u16string_view headerTail);

// "notes.txt is not a QUOR settings file.", naming the file by its name.
std::u16string NotASettingsFileMessage(const std::u16string& path);

}  // namespace quor
