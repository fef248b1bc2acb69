// Classifies arbitrary bytes as a file of each kind of name, reads them as
// lines by every line rule, and expands them as a compressed index file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "extract/classify.h"
#include "extract/text_reader.h"
#include "indexfile/compressor.h"

namespace {

std::u16string TempPath(const char* name) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("quor-fuzz-" + std::to_string(::getpid()) + "-" + name))
                               .string();
  return std::u16string(path.begin(), path.end());
}

void ReadLines(std::string_view bytes, int typeCode) {
  quor::TextLineReader reader;
  reader.OpenMemory(bytes, typeCode);
  std::u16string_view line;
  std::size_t total = 0;
  while (reader.NextLine(line)) total += line.size();
  // A line never holds more characters than the file has bytes, times the
  // UTF-8 growth of a transcoded unit.
  if (total > 2 * bytes.size() + 8) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char16_t* name : {u"f.txt", u"f.xml", u"f.htm", u"f.bin"}) {
    const quor::TextClassification c = quor::ClassifyTextBytes(name, bytes);
    if (c.typeCode > 0) ReadLines(bytes, c.typeCode);
  }
  for (int typeCode : {quor::kTypeCrLf, quor::kTypeLf, quor::kTypeUnicode}) {
    ReadLines(bytes, typeCode);
  }

  static const std::u16string source = TempPath("in");
  static const std::u16string target = TempPath("out");
  {
    std::ofstream out(std::filesystem::path(std::string(source.begin(), source.end())),
                      std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static quor::FileCompressor compressor;
  static const bool allocated = compressor.AllocateCompressionBuffer();
  if (allocated) (void)compressor.DecompressFile(source, target);
  return 0;
}
