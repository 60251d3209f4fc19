#include "host/context/VHostRoutineCall.h"

#include <cstring>

#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/values/VValue.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "host/context/HostVariables.h"
#include "platform/toolbox/TbxHandleState.h"
#include "platform/toolbox/TbxHandles.h"

VHostRoutineCall::VHostRoutineCall(const VString& name) { fName.CopyText(name); }

void VHostRoutineCall::SetName(const VString& name) {
  fName.SetEmpty(false);
  fName.CopyText(name);
  fRoutine = 0;
}

VValue* VHostRoutineCall::CallFunction(std::initializer_list<const VValue*> arguments) {
  return HostRoutineExecute(arguments.begin(), static_cast<uint32_t>(arguments.size()));
}

int32_t VHostRoutineCall::FindRoutine() {
  if (fRoutine == 0) {
    HostParamBlock block;
    StringToPText(fName, block.text, kHostRoutineNameMax);
    block.param1 = 0;
    block.error = 0;
    CallHost(kHostSelFindRoutine, block);
    fRoutine = HostWordOf(block.param1);
  }
  return fRoutine;
}

void VHostRoutineCall::CallProcedure(std::initializer_list<const VValue*> arguments) {
  uint32_t count = 0;
  for (const VValue* argument : arguments) {
    if (argument == nullptr) break;
    ++count;
  }
  if (FindRoutine() == 0) return;
  const Tbx::Handle h = RunRoutine(arguments.begin(), count);
  if (h == 0) return;
  // The host releases what it attached to each argument's entry.
  ReleaseEntries(h, 1, count);
}

VValue* VHostRoutineCall::HostRoutineExecute(const VValue* const* arguments, uint32_t count) {
  if (FindRoutine() == 0) return nullptr;
  const Tbx::Handle h = RunRoutine(arguments, count);
  if (h == 0) return nullptr;
  auto* entries = static_cast<HostVariableEntry*>(Tbx::HLock(h));
  VValue* result = HostVariableToValue(entries[0], false);
  Tbx::HUnlock(h);
  // The host releases what it attached to each entry, the arguments' texts
  // and data included.
  ReleaseEntries(h, 0, count);
  return result;
}

uint32_t VHostRoutineCall::RunRoutine(const VValue* const* arguments, uint32_t count) {
  // Entry 0 receives the result; entries 1 to n carry the arguments.
  const uint64_t bytes = (uint64_t{count} + 1) * kHostEntrySize;
  if (bytes > INT32_MAX) return 0;
  const Tbx::Handle h = Tbx::NewHandleClear(static_cast<int32_t>(bytes));
  if (h == 0) return 0;
  auto* entries = static_cast<HostVariableEntry*>(Tbx::HLock(h));
  entries[0].type = kHostUndefined;
  for (uint32_t k = 0; k < count; ++k) {
    // A kind without a host form goes as an undefined value, not as the
    // empty text that a cleared entry would read as.
    entries[k + 1].type = kHostUndefined;
    if (arguments[k] != nullptr) ValueToHostVariable(*arguments[k], entries[k + 1]);
  }
  Tbx::HUnlock(h);

  HostParamBlock block;
  block.param1 = HostWord(fRoutine);
  block.handle = h;
  block.error = 0;
  CallHost(kHostSelRunRoutine, block);
  return h;
}

void VHostRoutineCall::ReleaseEntries(uint32_t h, uint32_t first, uint32_t last) {
  auto* entries = static_cast<HostVariableEntry*>(Tbx::HLock(h));
  for (uint32_t k = first; k <= last; ++k) {
    HostParamBlock release;
    release.param1 = HostAddress(&entries[k]);
    release.error = 0;
    CallHost(kHostSelReleaseEntry, release);
  }
  Tbx::HUnlock(h);
  Tbx::DisposeHandle(h);
}
