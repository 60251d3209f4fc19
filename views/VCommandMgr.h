// VCommandMgr: the keyboard focus of one window or area. It keeps the
// command target, the default target, the Tab chain of frames that can take
// the target, and the frames told of target changes; it answers the focus
// messages frames send up their parent chain (its owner forwards them).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "framework/core/VObject.h"

class VEvent;
class VFrame;

// Messages only the manager and its owner exchange.
enum : int32_t {
  kMsgMergeManager = -1999,
  kMsgCounter = -1998,
  kMsgGetCounter = -1997,
  kMsgOwnerFocusMayMove = -996,
  kMsgOwnerFocusTold = -993,
};

// The answers of DispatchKey.
enum : int32_t {
  kKeyTargetMoved = 0,
  kKeyLeavesForward = 2,
  kKeyLeavesBackward = 3,
};

class VCommandMgr : public VObject {
 public:
  explicit VCommandMgr(VFrame* owner);
  ~VCommandMgr() override;
  VCommandMgr(const VCommandMgr&) = delete;
  VCommandMgr& operator=(const VCommandMgr&) = delete;

  static VCommandMgr* GetCurrent();

  // Whether the code was one of the manager's; the parameter is
  // pointer-sized (frames, answer addresses, flags).
  bool HandleMessage(VFrame* sender, int32_t code, intptr_t parameter);
  void Broadcast(VFrame* oldTarget, VFrame* newTarget);
  void FocusNext(bool backwards);
  void Resume();
  void Suspend();
  // The target Suspend kept, when it is not focused, takes the focus again.
  void RestoreTarget();
  void EnsureTarget();
  bool CanLeave();
  // The target handles the key (following its next-key links); an
  // unhandled Tab moves the target (cycle) or leaves the owner.
  int32_t DispatchKey(VEvent& key, bool cycle);
  void Idle();

  VFrame* GetTarget() const { return fTarget; }
  VFrame* GetDefaultTarget() const { return fDefault; }
  const std::vector<VFrame*>& GetChain() const { return fChain; }
  const std::vector<VFrame*>& GetListeners() const { return fListeners; }
  int32_t GetCounter() const { return fCounter; }

 private:
  // Broadcasts the change, tells the old target it lost the focus and,
  // with `tellNew`, the new one that it has it.
  void MoveTarget(VFrame* to, bool tellNew);
  bool IsPending(const VFrame* frame) const;
  void TellOwner();
  // Broadcast that gives back the ends still alive afterwards.
  void BroadcastTracked(VFrame*& oldTarget, VFrame*& newTarget);

  // The two ends of each broadcast running (outermost first); an end
  // destroyed meanwhile is cleared, so that later listeners and the change
  // itself no longer see it.
  std::vector<std::pair<VFrame*, VFrame*>> fRunning;
  VFrame* fOwner;
  int32_t fCounter = 1;
  int32_t fDepth = 0;
  VFrame* fTarget = nullptr;
  VFrame* fDefault = nullptr;
  std::vector<VFrame*> fChain;
  std::vector<VFrame*> fListeners;
  std::vector<VFrame*> fPending;
};
