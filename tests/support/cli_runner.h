// Runs one command of the command line in the test's process, with its
// output and messages caught as text.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"

namespace quor::test {

struct CliOutcome {
  int status = -1;
  std::string out;  // what the command wrote to stdout
  std::string err;  // and to stderr
};

inline CliOutcome RunCliCommand(const app::CliCommand& command,
                                const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  app::CliStreams io{out, err};
  CliOutcome outcome;
  outcome.status = command.run(args, io);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

}  // namespace quor::test
