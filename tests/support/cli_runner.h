// Runs one command of the command line in the test's process, or a program
// of the build as a child process, with its output and messages caught as text.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
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

// A program of this build (QUOR_BIN_DIR/name).
inline std::string BuiltProgram(const std::string& name) {
  return std::string(QUOR_BIN_DIR) + "/" + name;
}

// Runs program with args as a child process whose environment is the test's
// plus env ("NAME=value" entries); stdout and stderr go through files in
// scratch, an existing folder. status is the exit status, or 128 + the signal.
inline CliOutcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& env,
                             const std::filesystem::path& scratch) {
  const std::string outPath = (scratch / "child.out").string();
  const std::string errPath = (scratch / "child.err").string();
  std::vector<std::string> argText{program};
  argText.insert(argText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argText) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // An entry of env without "=" names a variable the child does not get.
  const auto unset = [&env](std::string_view entry) {
    for (const std::string& name : env) {
      if (name.find('=') == std::string::npos && entry.size() > name.size() &&
          entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=') {
        return true;
      }
    }
    return false;
  };
  std::vector<std::string> envText;
  for (char** entry = environ; *entry; ++entry) {
    if (!unset(*entry)) envText.emplace_back(*entry);
  }
  for (const std::string& entry : env) {
    if (entry.find('=') != std::string::npos) envText.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& entry : envText) envp.push_back(entry.data());
  envp.push_back(nullptr);

  CliOutcome outcome;
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return outcome;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const auto slurp = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  outcome.out = slurp(outPath);
  outcome.err = slurp(errPath);
  return outcome;
}

}  // namespace quor::test
