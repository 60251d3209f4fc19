// The stand-in host's answers for the module's processes: starting one as a
// coroutine, yielding, delaying and ending, which process runs, the windows
// handed to a process and reported active, and the events a process loop
// takes from the scripted queue. Every wait ends: a process asking for an
// event once the queue is empty is told to quit.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "platform/toolbox/TbxWindows.h"
#include "platform/win32/WinPaint.h"
#include "platform/win32/WinWindows.h"
#include "qvhost/HostScreen.h"
#include "qvhost/QvHost.h"

namespace {

constexpr uint16_t kNoEventMarker = 0xFFFF;
constexpr uint16_t kQuitEvent = 33;
// The yields of the main process in a row, with no process to run, that
// the host puts up with.
constexpr uint64_t kMaxFruitlessYields = 1u << 20;

std::string Name(const uint8_t* text, size_t capacity) {
  const size_t n = text[0] <= capacity ? text[0] : capacity;
  return std::string(reinterpret_cast<const char*>(text + 1), n);
}

}  // namespace

void QvHost::GiveProcessesATurn() {
  if (!fProcesses || fProcesses->InProcess() || fProcesses->CountLive() == 0) return;
  // Events the script queued wait for the loop a later line runs: a
  // process's turn would take them first.
  if (!fEvents.empty()) return;
  // A process lets the others run as it asks for its next event: the first
  // turn brings it to that request, the second answers it, so that what
  // the line left for its windows is drawn before the next line.
  fProcesses->Yield();
  fProcesses->Yield();
}

HostProcessRunner& QvHost::Processes() {
  if (!fProcesses) fProcesses = std::make_unique<HostProcessRunner>(currentProcess);
  return *fProcesses;
}

bool QvHost::AnswerProcess(int32_t selector, HostParamBlock& block) {
  HostProcessRunner& runner = Processes();
  switch (selector) {
    case kHostSelNewProcess: {
      auto* body = reinterpret_cast<void (*)()>(block.handle);
      const std::string name = Name(block.text2, 80);
      const std::string stack = std::to_string(HostWordOf(block.param3));
      if (refuseProcesses) {
        block.param1 = 0;
        fLog.push_back({selector, "process refused " + name});
        return true;
      }
      if (body == nullptr) return false;  // numbered only, nothing to run
      const int32_t number = fLastProcess + 1;
      if (!runner.Start(body, number, name)) {
        block.param1 = 0;
        fLog.push_back({selector, "process refused " + name});
        return true;
      }
      fLastProcess = number;
      block.param1 = HostWord(number);
      fLog.push_back({selector, "new process " + name + " stack " + stack});
      return true;
    }
    case kHostSelCurrentProcess:
      if (!runner.InProcess()) return false;
      block.param1 = HostWord(runner.Current());
      fLog.push_back({selector, "current process"});
      return true;
    case kHostSelWaitStep:
    case kHostSelWaitIdle:
      fLog.push_back({selector, selector == kHostSelWaitStep ? "wait step" : "wait idle"});
      if (!runner.InProcess() && idlePass && !fInIdlePass) {
        fInIdlePass = true;
        idlePass();
        fInIdlePass = false;
      }
      runner.Yield();
      if (runner.FruitlessYields() > kMaxFruitlessYields) {
        // Nothing can ever end this wait: stop here instead of hanging.
        std::fprintf(stderr, "qvhost: the module keeps waiting with no process to run\n");
        std::abort();
      }
      return true;
    case kHostSelDelayProcess: {
      const int32_t process = HostWordOf(block.param1);
      const int32_t ticks = HostWordOf(block.param2);
      fLog.push_back({selector, "delay process " + std::to_string(process) + " by " + std::to_string(ticks)});
      runner.Delay(process, ticks);
      return true;
    }
    case -86:
      if (!runner.InProcess()) return false;
      fLog.push_back({selector, "process " + std::to_string(runner.Current()) + " ends"});
      runner.EndCurrent();  // does not come back
      return true;
    case -92:
      fProcessWindows[static_cast<uint32_t>(block.handle)] = HostWordOf(block.param1);
      fLog.push_back({selector, "window " + std::to_string(static_cast<uint32_t>(block.handle)) + " to process " +
                                    std::to_string(HostWordOf(block.param1))});
      return true;
    case -414:
      block.flag = fEvents.empty() && !fUserPresent ? 1 : 0;
      fLog.push_back({selector, block.flag ? "process should stop" : "process goes on"});
      return true;
    case -422: {
      const uint32_t window = static_cast<uint32_t>(block.handle);
      block.flag = activeWindows.count(window) != 0 ? 1 : 0;
      block.error = 0;
      fLog.push_back({selector, "window " + std::to_string(window) + (block.flag ? " active" : " inactive")});
      return true;
    }
    case -361: {
      // Waiting for an event lets the other processes run.
      if (runner.InProcess()) runner.Yield();
      auto* record = HostPointer<HostEventRecord>(block.handle);
      if (record == nullptr) {
        block.error = -1;
        fLog.push_back({selector, "no event record"});
        return true;
      }
      if (fEvents.empty() && fUserPresent) {
        // Nothing the script queued: what the process's windows need
        // drawn, else nothing happens.
        *record = HostEventRecord{};
        record->when = HostScreen::Ticks(fScreen->Clock());
        const int32_t current = runner.Current();
        for (const auto& [window, process] : fProcessWindows) {
          HWND native = reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
          RECT dirty{0, 0, 0, 0};
          if (process != current || !IsWindow(native) || !GetUpdateRect(native, &dirty, FALSE_)) continue;
          Tbx::WindowRef toolbox = Tbx::GetNativeWindowRecord(native);
          if (toolbox == nullptr) continue;
          record->what = 6;
          record->message = reinterpret_cast<uintptr_t>(toolbox);
          break;
        }
        fLog.push_back({selector, "process " + std::to_string(current) + " event " + std::to_string(record->what)});
        return true;
      }
      if (fEvents.empty()) {
        *record = HostEventRecord{kQuitEvent, 0, 0, 0, 0, 0};
        fLog.push_back({selector, "process " + std::to_string(runner.Current()) + " event 33 (script exhausted)"});
        return true;
      }
      *record = fEvents.front().record;
      fEvents.pop_front();
      if (record->what == kNoEventMarker) record->what = 0;
      fLog.push_back({selector, "process " + std::to_string(runner.Current()) + " event " + std::to_string(record->what)});
      return true;
    }
    case -360:
      block.param2 = 0;  // the host consumes none of the process's events
      fLog.push_back({selector, "event offered"});
      return true;
    default:
      return false;
  }
}
