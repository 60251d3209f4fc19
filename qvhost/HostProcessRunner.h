// HostProcessRunner: the stand-in host's cooperative processes. Each process
// runs its body on a stack of its own (ucontext) on the host's one thread.
// The main process (the one that loaded the module) drives them: when it
// yields, every live process gets one turn, in the order they were made,
// and control comes back to it. A process that yields goes back to the main
// process; one whose body returns, or that ends itself, never runs again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class HostProcessRunner {
 public:
  explicit HostProcessRunner(int32_t mainNumber);
  // Stacks of processes still live are freed without running them again.
  ~HostProcessRunner();
  HostProcessRunner(const HostProcessRunner&) = delete;
  HostProcessRunner& operator=(const HostProcessRunner&) = delete;

  // Makes a process numbered `number` that will run `body` at its first
  // turn. The stack is never below what instrumented code needs, whatever
  // the caller asked for. False when no stack could be had.
  bool Start(void (*body)(), int32_t number, const std::string& name);
  // From the main process: one turn for every live process. From another:
  // back to the main process until its next turn.
  void Yield();
  // The current process skips `turns` turns (at most 60) after yielding
  // now; another process only skips them.
  void Delay(int32_t number, int32_t turns);
  // From a process: it ends here and never comes back. From the main
  // process: nothing.
  void EndCurrent();

  int32_t Current() const;
  int32_t MainNumber() const { return fMainNumber; }
  bool InProcess() const { return fCurrent != nullptr; }
  bool IsLive(int32_t number) const;
  size_t CountLive() const;
  // How many times in a row the main process has yielded with no process
  // to run: a module waiting for something no process will ever do.
  uint64_t FruitlessYields() const { return fFruitlessYields; }
  // The name a live or ended process was made with; empty for none.
  std::string NameOf(int32_t number) const;

 private:
  struct Process;
  static void Trampoline();
  // Switches from the running context to `to` (null: the main process);
  // `ending` when the running process never comes back.
  void SwitchTo(Process* to, bool ending);
  void FreeEnded();

  int32_t fMainNumber;
  std::vector<std::unique_ptr<Process>> fProcesses;
  Process* fCurrent = nullptr;  // null while the main process runs
  std::unique_ptr<Process> fMain;
  uint64_t fFruitlessYields = 0;
};
