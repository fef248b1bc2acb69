// The renderer tests need a QApplication; they run off screen unless the
// caller chose a platform, with a private runtime folder for Qt.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string runtime = (std::filesystem::temp_directory_path() / "quor-qt-test-XXXXXX").string();
  const bool madeRuntime = ::mkdtemp(runtime.data()) != nullptr;
  if (madeRuntime) {
    ::chmod(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  int status = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  if (madeRuntime) {
    std::error_code error;
    std::filesystem::remove_all(runtime, error);
  }
  return status;
}
