// Reads arbitrary bytes as an Index Module settings file and as program
// texts; whatever is read back must write out and read in again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/records.h"
#include "windows/index_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  quor::IndexSettings settings;
  std::u16string error;
  if (quor::ReadIndexSettings(bytes, settings, error) == quor::SettingsReadStatus::Ok) {
    // A file that loads must survive a save and a second load.
    const std::string written = quor::WriteIndexSettings(settings);
    quor::IndexSettings again;
    if (quor::ReadIndexSettings(written, again, error) != quor::SettingsReadStatus::Ok) {
      std::abort();
    }
  }

  quor::RecordReader reader(bytes);
  std::u16string field;
  std::int64_t number = 0;
  for (int i = 0; i < 64 && !reader.AtEnd(); ++i) {
    if (i % 2 == 0) {
      (void)reader.Next(field);
    } else {
      (void)reader.NextNumber(number);
    }
  }
  return 0;
}
