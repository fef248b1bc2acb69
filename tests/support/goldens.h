// The golden files of tests/data (see its README).
#pragma once

#include <string>

#include "common/encoding.h"
#include "common/files.h"

namespace quor::test {

// The bytes of tests/data/<name>; empty when it cannot be read.
inline std::string Golden(const char* name) {
  return ReadWholeFile(Utf8ToText(std::string(QUOR_TEST_DATA_DIR) + "/" + name)).value_or("");
}

}  // namespace quor::test
