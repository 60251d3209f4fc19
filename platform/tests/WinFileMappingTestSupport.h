// Helpers of the named-object and registry tests: names no other run uses,
// and child processes made by fork whose exit code carries their verdict.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>

// A name of this test run: the process id keeps parallel runs apart.
inline std::string UniqueName(const std::string& what) {
  return "qvtest." + std::to_string(getpid()) + "." + what;
}

// Starts `body` in a child process, which ends with _exit(its answer)
// without running the parent's exit work.
template <typename Body>
pid_t StartChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

// The child's exit code, or -1 when it did not exit normally.
inline int WaitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

template <typename Body>
int RunChild(Body body) {
  return WaitChild(StartChild(body));
}
