// The golden files of tests/data (see its README), and what tests compare
// with them: the files an index build left in a folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/encoding.h"
#include "common/files.h"
#include "indexfile/compressor.h"
#include "support/temp_folder.h"

namespace quor::test {

// The bytes of tests/data/<name>; empty when it cannot be read.
inline std::string Golden(const char* name) {
  return ReadWholeFile(Utf8ToText(std::string(QUOR_TEST_DATA_DIR) + "/" + name)).value_or("");
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
