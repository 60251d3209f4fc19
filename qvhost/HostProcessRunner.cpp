// The stand-in host's cooperative processes over ucontext. Under
// AddressSanitizer every switch of stacks is announced to it, so that it
// checks each process against its own stack.
#include "qvhost/HostProcessRunner.h"

#include <sys/mman.h>
#include <ucontext.h>

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#define QV_FIBER_ANNOTATIONS 1
#endif

namespace {

// Instrumented frames are large; the size a process asks for is the host's
// bookkeeping, the stack it gets is at least this.
constexpr size_t kStackBytes = 1024 * 1024;
constexpr int32_t kMaxDelayTurns = 60;

HostProcessRunner* sRunning = nullptr;

}  // namespace

struct HostProcessRunner::Process {
  ucontext_t context{};
  void* stack = nullptr;
  size_t stackSize = 0;
  const void* stackBottom = nullptr;  // for the sanitizer: where the stack lies
  size_t stackExtent = 0;
  void (*body)() = nullptr;
  int32_t number = 0;
  std::string name;
  bool ended = false;
  int32_t skip = 0;
};

HostProcessRunner::HostProcessRunner(int32_t mainNumber)
    : fMainNumber(mainNumber), fMain(std::make_unique<Process>()) {
  fMain->number = mainNumber;
}

HostProcessRunner::~HostProcessRunner() {
  for (auto& p : fProcesses) {
    if (p->stack == nullptr) continue;
#if defined(QV_FIBER_ANNOTATIONS)
    __asan_unpoison_memory_region(p->stack, p->stackSize);
#endif
    munmap(p->stack, p->stackSize);
    p->stack = nullptr;
  }
  if (sRunning == this) sRunning = nullptr;
}

bool HostProcessRunner::Start(void (*body)(), int32_t number, const std::string& name) {
  if (body == nullptr) return false;
  auto p = std::make_unique<Process>();
  p->stackSize = kStackBytes;
  p->stack = mmap(nullptr, p->stackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p->stack == MAP_FAILED) return false;
  if (getcontext(&p->context) != 0) {
    munmap(p->stack, p->stackSize);
    return false;
  }
  p->context.uc_stack.ss_sp = p->stack;
  p->context.uc_stack.ss_size = p->stackSize;
  p->context.uc_link = nullptr;  // a body never returns through here: Trampoline ends it
  makecontext(&p->context, &HostProcessRunner::Trampoline, 0);
  p->stackBottom = p->stack;
  p->stackExtent = p->stackSize;
  p->body = body;
  p->number = number;
  p->name = name;
  fProcesses.push_back(std::move(p));
  return true;
}

void HostProcessRunner::Trampoline() {
  HostProcessRunner* runner = sRunning;
#if defined(QV_FIBER_ANNOTATIONS)
  const void* bottom = nullptr;
  size_t extent = 0;
  __sanitizer_finish_switch_fiber(nullptr, &bottom, &extent);
  runner->fMain->stackBottom = bottom;
  runner->fMain->stackExtent = extent;
#endif
  runner->fCurrent->body();
  runner->EndCurrent();
}

void HostProcessRunner::SwitchTo(Process* to, bool ending) {
  Process* from = fCurrent != nullptr ? fCurrent : fMain.get();
  Process* target = to != nullptr ? to : fMain.get();
  fCurrent = to;
  sRunning = this;
#if defined(QV_FIBER_ANNOTATIONS)
  void* fake = nullptr;
  __sanitizer_start_switch_fiber(ending ? nullptr : &fake, target->stackBottom, target->stackExtent);
#else
  (void)ending;
#endif
  swapcontext(&from->context, &target->context);
#if defined(QV_FIBER_ANNOTATIONS)
  const void* bottom = nullptr;
  size_t extent = 0;
  __sanitizer_finish_switch_fiber(fake, &bottom, &extent);
  // A process is only ever resumed by the main process.
  if (from != fMain.get()) {
    fMain->stackBottom = bottom;
    fMain->stackExtent = extent;
  }
#endif
}

void HostProcessRunner::Yield() {
  if (fCurrent != nullptr) {
    SwitchTo(nullptr, false);
    return;
  }
  bool ran = false;
  // Processes made during these turns get theirs in the same pass.
  for (size_t i = 0; i < fProcesses.size(); ++i) {
    Process* p = fProcesses[i].get();
    if (p->ended) continue;
    if (p->skip > 0) {
      --p->skip;
      continue;
    }
    SwitchTo(p, false);
    ran = true;
  }
  fFruitlessYields = ran ? 0 : fFruitlessYields + 1;
  FreeEnded();
}

void HostProcessRunner::Delay(int32_t number, int32_t turns) {
  turns = std::clamp(turns, 0, kMaxDelayTurns);
  for (auto& p : fProcesses) {
    if (p->number == number && !p->ended) p->skip = turns;
  }
  if (fCurrent != nullptr && fCurrent->number == number) Yield();
}

void HostProcessRunner::EndCurrent() {
  if (fCurrent == nullptr) return;
  fCurrent->ended = true;
  SwitchTo(nullptr, true);
}

void HostProcessRunner::FreeEnded() {
  for (auto& p : fProcesses) {
    if (!p->ended || p->stack == nullptr || p.get() == fCurrent) continue;
#if defined(QV_FIBER_ANNOTATIONS)
    __asan_unpoison_memory_region(p->stack, p->stackSize);
#endif
    munmap(p->stack, p->stackSize);
    p->stack = nullptr;
  }
}

int32_t HostProcessRunner::Current() const {
  return fCurrent != nullptr ? fCurrent->number : fMainNumber;
}

bool HostProcessRunner::IsLive(int32_t number) const {
  for (const auto& p : fProcesses) {
    if (p->number == number) return !p->ended;
  }
  return false;
}

size_t HostProcessRunner::CountLive() const {
  return static_cast<size_t>(
      std::count_if(fProcesses.begin(), fProcesses.end(), [](const auto& p) { return !p->ended; }));
}

std::string HostProcessRunner::NameOf(int32_t number) const {
  for (const auto& p : fProcesses) {
    if (p->number == number) return p->name;
  }
  return {};
}
