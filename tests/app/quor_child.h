// `quor` of this build run as a child process and interrupted as a shell user
// would: a signal sent once the test sees the child at the point it wants.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace quor::test {

// What the test can see of a running child.
struct RunningChild {
  pid_t pid = -1;
  int outFd = -1;   // the read end of its stdout, not read before the signal
  std::string err;  // its stderr so far
};

// True once the child has a handler of its own for SIGINT.
inline bool HandlesInterrupt(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
    return (caught >> (SIGINT - 1)) & 1;
  }
  return false;
}

// Bytes waiting unread in a pipe.
inline int PipeFill(int fd) {
  int waiting = 0;
  return ::ioctl(fd, FIONREAD, &waiting) == 0 ? waiting : -1;
}

// Runs quor with args; once ready says so, sends signal. Until then only
// stderr is read, so a child writing its output blocks on a full pipe.
// status is the exit status, or -1 when a signal ended the child (killedBy);
// signalled tells whether the signal was sent. A child that runs longer than
// 60 seconds is killed.
struct SignalledRun : CliOutcome {
  bool signalled = false;
  int killedBy = 0;
};
inline SignalledRun RunQuorAndSignal(const std::vector<std::string>& args,
                                     const std::function<bool(const RunningChild&)>& ready,
                                     int signal) {
  SignalledRun run;
  int outPipe[2];
  int errPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return run;
  const std::string program = BuiltProgram("quor");
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  RunningChild child;
  child.pid = ::fork();
  if (child.pid == 0) {
    ::dup2(outPipe[1], STDOUT_FILENO);
    ::dup2(errPipe[1], STDERR_FILENO);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) ::close(fd);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  child.outFd = outPipe[0];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool outOpen = true;
  bool errOpen = true;
  char buffer[65536];
  while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
    if (!run.signalled && ready(child)) {
      ::kill(child.pid, signal);
      run.signalled = true;
    }
    // Stdout is read once the signal went, or once the child closed stderr
    // on its way out without the test being ready.
    const bool readOut = outOpen && (run.signalled || !errOpen);
    pollfd fds[2] = {{errOpen ? errPipe[0] : -1, POLLIN, 0},
                     {readOut ? outPipe[0] : -1, POLLIN, 0}};
    if (::poll(fds, 2, 1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        (i == 0 ? errOpen : outOpen) = false;
        continue;
      }
      (i == 0 ? child.err : run.out).append(buffer, static_cast<std::size_t>(n));
    }
  }
  if (outOpen || errOpen) ::kill(child.pid, SIGKILL);
  int status = 0;
  ::waitpid(child.pid, &status, 0);
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  run.err = child.err;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.killedBy = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return run;
}

}  // namespace quor::test
