// The golden files of tests/data (see its README), and what tests compare
// with them: the files an index build left in a folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "indexfile/compressor.h"

namespace quor::test {

// The bytes of tests/data/<name>; empty when it cannot be read.
inline std::string Golden(const char* name) {
  return ReadWholeFile(Utf8ToText(std::string(QUOR_TEST_DATA_DIR) + "/" + name)).value_or("");
}

// The names in a folder, sorted.
inline std::vector<std::string> SortedNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The index text of a compressed index file, expanded through scratch.
inline std::string ExpandedIndexText(const std::filesystem::path& indexFile,
                                     const std::filesystem::path& scratch) {
  FileCompressor compressor;
  EXPECT_TRUE(compressor.AllocateCompressionBuffer());
  const std::u16string expanded = Utf8ToText(scratch.string());
  EXPECT_EQ(compressor.DecompressFile(Utf8ToText(indexFile.string()), expanded), 0);
  return ReadWholeFile(expanded).value_or("");
}

}  // namespace quor::test
