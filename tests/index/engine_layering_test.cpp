// The engines stay apart from the windows: no source of an engine folder
// includes the window model, the module windows, the app or the GUI toolkit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quor {
namespace {

namespace fs = std::filesystem;

TEST(EngineLayering, EngineSourcesIncludeNothingOfTheWindows) {
  const fs::path src = fs::path(QUOR_DATA_DIR) / ".." / "src";
  const char* engines[] = {"common", "extract", "indexfile", "selection",
                           "index",  "search",  "report"};
  const std::string forbidden[] = {"#include \"ui/", "#include \"windows/", "#include \"app/",
                                   "#include <Q"};
  std::vector<std::string> offending;
  int files = 0;
  for (const char* engine : engines) {
    if (!fs::exists(src / engine)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(src / engine)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".h" && ext != ".cpp") continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        for (const std::string& prefix : forbidden) {
          if (line.rfind(prefix, 0) == 0) {
            offending.push_back(entry.path().string() + ":" + std::to_string(number) + ": " + line);
          }
        }
      }
    }
  }
  EXPECT_GT(files, 20) << "the engine folders were not found under " << src;
  for (const std::string& line : offending) ADD_FAILURE() << line;
}

}  // namespace
}  // namespace quor
