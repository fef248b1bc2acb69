// What the tests of both module windows share: a launcher that counts the
// calls a window makes on it, and the program's texts as the launcher loads
// them.
#pragma once

#include <gtest/gtest.h>

#include "extract/program_texts.h"
#include "support/scripted_platform.h"
#include "ui/launcher.h"

namespace quor::test {

struct RecordingLauncher : ui::Launcher {
  int closedCalls = 0;
  int endCalls = 0;
  void ModuleWindowClosed() override { ++closedCalls; }
  void EndProgram() override { ++endCalls; }
};

// The texts of the program folder's quor.dat.
inline ProgramTexts LoadProgramTexts(const ScriptedPlatform& platform) {
  ProgramTexts texts;
  EXPECT_GT(texts.Load(platform.ProgramFolder() + u"/quor.dat"), 0);
  return texts;
}

}  // namespace quor::test
