// VCommandMgr: focus messages, broadcasts with deferred removals, the Tab
// chain and key dispatch.
#include "views/VCommandMgr.h"

#include <algorithm>

#include "views/VEvent.h"
#include "views/VFrame.h"
#include "platform/toolbox/TbxPorts.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

VCommandMgr* gCurrentMgr = nullptr;

bool Has(const std::vector<VFrame*>& list, const VFrame* f) {
  return std::find(list.begin(), list.end(), f) != list.end();
}
void Append(std::vector<VFrame*>& list, VFrame* f) {
  if (f != nullptr && !Has(list, f)) list.push_back(f);
}
void Remove(std::vector<VFrame*>& list, const VFrame* f) {
  auto it = std::find(list.begin(), list.end(), f);
  if (it != list.end()) list.erase(it);
}
template <typename T>
void Answer(intptr_t parameter, T value) {
  if (parameter != 0) *reinterpret_cast<T*>(parameter) = value;
}

// Makes the frame's window port the current one while it lives and puts
// the previous one back.
class WindowPortCurrent {
 public:
  explicit WindowPortCurrent(VFrame* frame) {
    Tbx::GetPort(&fSaved);
    auto* window = static_cast<Tbx::WindowRecord*>(frame->GetWindowPort());
    fSwitched = window != nullptr && reinterpret_cast<Tbx::GrafPtr>(&window->port) != fSaved;
    if (fSwitched) Tbx::SetPort(&window->port);
  }
  ~WindowPortCurrent() {
    if (fSwitched) Tbx::SetPort(fSaved);
  }
  WindowPortCurrent(const WindowPortCurrent&) = delete;
  WindowPortCurrent& operator=(const WindowPortCurrent&) = delete;

 private:
  Tbx::GrafPtr fSaved = nullptr;
  bool fSwitched = false;
};

}  // namespace

VCommandMgr::VCommandMgr(VFrame* owner) : fOwner(owner) {}

VCommandMgr::~VCommandMgr() {
  if (gCurrentMgr == this) gCurrentMgr = nullptr;
}

VCommandMgr* VCommandMgr::GetCurrent() { return gCurrentMgr; }

void VCommandMgr::TellOwner() {
  if (fOwner == nullptr) return;
  fOwner->NotifyParent(nullptr, kMsgOwnerFocusTold, reinterpret_cast<intptr_t>(this));
}

bool VCommandMgr::IsPending(const VFrame* frame) const { return Has(fPending, frame); }

bool VCommandMgr::HandleMessage(VFrame* sender, int32_t code, intptr_t parameter) {
  switch (code) {
    case kMsgGetFocusManager: Answer<void*>(parameter, this); return true;
    case kMsgMergeManager: {
      // The other manager comes as the parameter (a manager is no frame).
      auto* other = reinterpret_cast<VCommandMgr*>(parameter);
      if (other == nullptr || other == this) return true;
      while (!other->fChain.empty()) {
        VFrame* f = other->fChain.front();
        other->fChain.erase(other->fChain.begin());
        Append(fChain, f);
      }
      while (!other->fListeners.empty()) {
        VFrame* f = other->fListeners.front();
        other->fListeners.erase(other->fListeners.begin());
        Append(fListeners, f);
      }
      return true;
    }
    case kMsgCounter: fCounter += parameter == 0 ? -1 : 1; return true;
    case kMsgGetCounter: Answer<int32_t>(parameter, fCounter); return true;
    case kMsgSetEnabled:
      if (parameter == 0) {
        Remove(fChain, sender);
      } else {
        Append(fChain, sender);
      }
      return true;
    case kMsgSetListening:
      if (parameter != 0) {
        Remove(fPending, sender);
        Append(fListeners, sender);
      } else if (fDepth > 0) {
        Append(fPending, sender);
      } else {
        Remove(fListeners, sender);
      }
      return true;
    case kMsgMakeDefaultFrame: fDefault = sender; return true;
    case kMsgGetDefaultFrame: Answer<void*>(parameter, fDefault); return true;
    case kMsgRequestFocus: {
      TellOwner();
      const bool mayMove =
          fOwner != nullptr &&
          fOwner->NotifyParent(nullptr, kMsgOwnerFocusMayMove, reinterpret_cast<intptr_t>(this));
      if (mayMove && sender != fTarget && (fTarget == nullptr || fTarget->CanLoseFocus())) {
        MoveTarget(sender, true);
        return true;
      }
      return sender != nullptr && sender == fTarget;
    }
    case kMsgGetFocusFrame: Answer<void*>(parameter, fTarget); return true;
    case kMsgTookFocus:
      TellOwner();
      if (fTarget != nullptr && fTarget != sender) {
        MoveTarget(sender, false);
      } else {
        fTarget = sender;
      }
      gCurrentMgr = this;
      return true;
    case kMsgLostFocus:
      TellOwner();
      if (sender != nullptr && sender == fTarget) {
        fTarget = nullptr;
        VFrame* none = nullptr;
        BroadcastTracked(sender, none);
      }
      return true;
    case kMsgFrameLeaving:
      if (sender == nullptr) return true;
      for (auto& ends : fRunning) {
        if (ends.first == sender) ends.first = nullptr;
        if (ends.second == sender) ends.second = nullptr;
      }
      if (sender == fTarget) HandleMessage(sender, kMsgLostFocus, 0);
      // A listener's notice may have made it the target again; it is leaving.
      if (sender == fTarget) fTarget = nullptr;
      if (sender == fDefault) fDefault = nullptr;
      Remove(fChain, sender);
      if (fDepth > 0) {
        if (Has(fListeners, sender)) Append(fPending, sender);
      } else {
        Remove(fListeners, sender);
      }
      return true;
    default: return false;
  }
}

void VCommandMgr::Broadcast(VFrame* oldTarget, VFrame* newTarget) {
  BroadcastTracked(oldTarget, newTarget);
}

void VCommandMgr::BroadcastTracked(VFrame*& oldTarget, VFrame*& newTarget) {
  if (!fListeners.empty()) {
    ++fDepth;
    const size_t level = fRunning.size();
    fRunning.emplace_back(oldTarget, newTarget);
    // By index: listeners may be appended during the walk; removals wait.
    for (size_t i = 0; i < fListeners.size(); ++i) {
      VFrame* f = fListeners[i];
      if (!IsPending(f)) f->FocusChanged(fRunning[level].first, fRunning[level].second);
    }
    oldTarget = fRunning[level].first;
    newTarget = fRunning[level].second;
    fRunning.pop_back();
    --fDepth;
  }
  if (fDepth == 0) {
    while (!fPending.empty()) {
      VFrame* f = fPending.front();
      fPending.erase(fPending.begin());
      Remove(fListeners, f);
    }
  }
}

void VCommandMgr::MoveTarget(VFrame* to, bool tellNew) {
  VFrame* old = fTarget;
  // A frame destroyed by a listener meanwhile is no longer called.
  BroadcastTracked(old, to);
  // Recorded before the old target is told, so that its -1989 and the new
  // one's -1990 find the change made.
  fTarget = to;
  if (old != nullptr && old != to) old->LoseFocus(to);
  fTarget = to;
  if (to != nullptr && tellNew) to->TakeFocus();
}

void VCommandMgr::FocusNext(bool backwards) {
  if (fTarget != nullptr) {
    if (!fTarget->CanLoseFocus()) return;
    void* answer = nullptr;
    if (fTarget->NotifyParent(fTarget, kMsgGetFocusManager, reinterpret_cast<intptr_t>(&answer)) &&
        answer != nullptr && answer != this) {
      static_cast<VCommandMgr*>(answer)->FocusNext(backwards);
      return;
    }
  }
  size_t start = 0;
  if (fTarget != nullptr) {
    auto it = std::find(fChain.begin(), fChain.end(), fTarget);
    start = it == fChain.end() ? fChain.size() : static_cast<size_t>(it - fChain.begin()) + 1;
  }
  VFrame* found = nullptr;
  for (size_t i = start; i < fChain.size() && found == nullptr; ++i) {
    if (fChain[i]->IsEnabled()) found = fChain[i];
  }
  for (size_t i = 0; i < fChain.size() && found == nullptr; ++i) {
    if (fChain[i]->IsEnabled()) found = fChain[i];
  }
  if (found != nullptr && found != fTarget) MoveTarget(found, true);
}

void VCommandMgr::Resume() {
  gCurrentMgr = this;
  if (fTarget == nullptr && fDefault != nullptr) {
    Broadcast(nullptr, fDefault);
    // The default may have left during the broadcast.
    if (fDefault != nullptr) fDefault->TakeFocus();
  }
}

void VCommandMgr::Suspend() {
  gCurrentMgr = nullptr;
  if (fTarget != nullptr) {
    VFrame* kept = fTarget;
    VFrame* none = nullptr;
    BroadcastTracked(kept, none);
    // A target destroyed during the broadcast has already left.
    if (kept == nullptr || fTarget != kept) return;
    // Its -1989 finds no target and broadcasts nothing more; the target
    // stays recorded for the next activation.
    fTarget = nullptr;
    kept->LoseFocus(nullptr);
    fTarget = kept;
  }
}

void VCommandMgr::RestoreTarget() {
  // The target Suspend kept was told that it lost the focus; it is told
  // that it has it again, and its listeners with it.
  if (fTarget == nullptr || fTarget->IsFocused()) return;
  VFrame* kept = fTarget;
  VFrame* none = nullptr;
  BroadcastTracked(none, kept);
  // A target destroyed during the broadcast has already left.
  if (kept != nullptr && fTarget == kept) kept->TakeFocus();
}

void VCommandMgr::EnsureTarget() {
  if (fTarget != nullptr) return;
  if (fDefault != nullptr) {
    Broadcast(nullptr, fDefault);
    if (fDefault != nullptr) fDefault->TakeFocus();
  } else {
    FocusNext(false);
  }
}

bool VCommandMgr::CanLeave() { return fTarget == nullptr || fTarget->CanLoseFocus(); }

int32_t VCommandMgr::DispatchKey(VEvent& key, bool cycle) {
  int32_t result = kKeyNotHandled;
  if (fTarget != nullptr) {
    WindowPortCurrent current(fTarget);
    result = fTarget->DispatchKey(key);
  }
  if (result != kKeyNotHandled || key.GetKeyWord() != 9) return result;
  if (cycle) {
    VFrame* before = fTarget;
    FocusNext(key.IsShift());
    return fTarget != before ? kKeyTargetMoved : kKeyNotHandled;
  }
  if (!CanLeave()) return kKeyNotHandled;
  Suspend();
  return key.IsShift() ? kKeyLeavesBackward : kKeyLeavesForward;
}

void VCommandMgr::Idle() {
  if (fTarget == nullptr) return;
  WindowPortCurrent current(fTarget);
  fTarget->FocusIdle();
}
