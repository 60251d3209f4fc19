// The task base, the start handshake and the pending reply.
#include "views/VTask.h"

#include <algorithm>

#include "framework/system/environment/VSystemServices.h"
#include "views/VFrame.h"
#include "host/context/HostProcesses.h"

namespace {

// The one handshake of a start in progress, shared by the two processes.
VProcessHandshake* gHandshake = nullptr;

constexpr uint32_t kPlugInKind = 0x504C5547;  // 'PLUG'

// Yields the current process once.
void YieldOnce() { HostWait(-1); }

}  // namespace

VTask::VTask() : fState(2) { fIdleInterval = VSystemServices::GetCaretBlinkTime(); }

VTask::VTask(VFrame* owner) : fOwner(owner) { fIdleInterval = VSystemServices::GetCaretBlinkTime(); }

VTask::~VTask() = default;

VCommand* VTask::FindCommand(int32_t commandId) {
  if (fOwner != nullptr && fOwner->GetKind() == kPlugInKind) return fOwner->FindCommand(commandId);
  return nullptr;
}

void VTask::AddFrame(VFrame* frame) {
  if (frame != nullptr) fFrames.push_back(frame);
}

void VTask::RemoveFrame(VFrame* frame) {
  auto it = std::find(fFrames.begin(), fFrames.end(), frame);
  if (it != fFrames.end()) fFrames.erase(it);
}

void VTask::IdleFrames() {
  // A frame's idle may take frames out: walk a copy.
  const std::vector<VFrame*> frames = fFrames;
  for (VFrame* frame : frames) {
    if (HasFrame(frame) && frame->IsShown()) frame->DispatchIdle(false);
  }
}

bool VTask::HasFrame(const VFrame* frame) const {
  return frame != nullptr && std::find(fFrames.begin(), fFrames.end(), frame) != fFrames.end();
}

VFrame* VTask::GetFrame(int32_t index) const {
  if (index < 1 || index > CountFrames()) return nullptr;
  return fFrames[static_cast<size_t>(index - 1)];
}

VObject* VTask::TakePosted() {
  if (fPosted.empty()) return nullptr;
  VObject* first = fPosted.front();
  fPosted.erase(fPosted.begin());
  return first;
}

bool VTask::Tick() {
  const uint32_t now = VSystemServices::TickCount60();
  const uint32_t elapsed = now >= fLastTick ? now - fLastTick : fLastTick - now;
  if (elapsed <= fIdleInterval) return false;
  fLastTick = now;
  IdleFrames();
  Idle();
  return true;
}

VProcessHandshake::VProcessHandshake(VObject* object) : fObject(object) {
  while (gHandshake != nullptr) YieldOnce();
  fFlag = 0;
  gHandshake = this;
}

VProcessHandshake::~VProcessHandshake() {
  if (gHandshake == this) gHandshake = nullptr;
}

void VProcessHandshake::Acknowledge() {
  fFlag = 1;
  while (gHandshake != nullptr && gHandshake->fFlag == 1) YieldOnce();
}

void VProcessHandshake::WaitForAcknowledge() {
  fFlag = 0;
  while (fFlag != 1) YieldOnce();
  fFlag = 0;
}

VProcessHandshake* VProcessHandshake::Registered() { return gHandshake; }
