// Processes and memory figures for the benchmarks.
#include "bench/ProcessBench.h"

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

int64_t StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field))) * 1024;
  }
  return 0;
}

void ResetPeak() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

bool RunProcess(const std::vector<std::string>& arguments, double& seconds, int64_t& peakBytes) {
  return RunProcessWith(arguments, {}, "", seconds, peakBytes);
}

bool RunProcessWith(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                    const std::string& errors, double& seconds, int64_t& peakBytes) {
  if (arguments.empty()) return false;
  // The added variables come first: a name set twice takes its first value.
  std::vector<char*> env;
  for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  env.push_back(nullptr);
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errors.empty() ? "/dev/null" : errors.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  peakBytes = int64_t(usage.ru_maxrss) * 1024;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunSelf(const std::vector<std::string>& arguments, double& seconds, int64_t& peakBytes) {
  std::vector<std::string> command{std::filesystem::read_symlink("/proc/self/exe").string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunProcess(command, seconds, peakBytes);
}

bool HasProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}
