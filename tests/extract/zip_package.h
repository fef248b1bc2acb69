// Writing small zip packages (DOCX documents) for the tests of this folder.
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quor::test {

struct ZipMember {
  std::string name;
  std::string bytes;
  bool deflate = true;  // false: stored as it is
};

// Writes a zip package with libzip; the members in order.
inline void WriteZip(const std::filesystem::path& path, const std::vector<ZipMember>& members) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  for (const auto& member : members) {
    zip_source_t* source = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
    ASSERT_NE(source, nullptr);
    const zip_int64_t index = zip_file_add(archive, member.name.c_str(), source, ZIP_FL_OVERWRITE);
    ASSERT_GE(index, 0);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             member.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

}  // namespace quor::test
