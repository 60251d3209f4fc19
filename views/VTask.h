// VTask: a unit of work run in a host process of its own, with the windows
// (frames) that belong to it, objects posted to it, a state and an idle
// interval in ticks. VProcessHandshake hands an object from the process that
// starts a task to the new process; VPendingReply carries an answer that one
// process waits for and another gives.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"

class VCommand;
class VFrame;

// The state of a task that has ended or is ending.
constexpr int32_t kTaskEnded = 5;

class VTask : public VObject {
 public:
  // State 2.
  VTask();
  // For `owner` (may be null); state 0.
  explicit VTask(VFrame* owner);
  ~VTask() override;
  VTask(const VTask&) = delete;
  VTask& operator=(const VTask&) = delete;

  virtual void Delay(int32_t milliseconds) = 0;
  virtual void Pause() = 0;
  // False when no process could be started.
  virtual bool Start() = 0;
  virtual void Resume() = 0;
  virtual void Close() { fState = kTaskEnded; }
  virtual uint32_t GetStackSize() const { return fStackSize; }
  // The owner's command when the owner is a plug-in area; otherwise none.
  virtual VCommand* FindCommand(int32_t commandId);
  virtual bool HandleMessage(intptr_t, intptr_t, intptr_t) { return false; }
  virtual void Post(VObject* object) { fPosted.push_back(object); }
  virtual bool SendMessage(intptr_t, intptr_t b, intptr_t c, intptr_t d) { return HandleMessage(b, c, d); }
  virtual int32_t GetState() const { return fState; }
  virtual void ShowWindows(bool) {}
  virtual void OpenWindows() {}
  virtual bool KeepRunning() { return false; }
  virtual void Idle() {}
  virtual void Ended() {}
  virtual void AddFrame(VFrame* frame);
  virtual void RemoveFrame(VFrame* frame);
  // Every shown frame idles with false.
  virtual void IdleFrames();

  bool HasFrame(const VFrame* frame) const;
  int32_t CountFrames() const { return static_cast<int32_t>(fFrames.size()); }
  // The frame at 1-based `index`; null outside.
  VFrame* GetFrame(int32_t index) const;
  // The first posted object, taken out; null when none waits.
  VObject* TakePosted();
  // Idles the frames and the task when more than the idle interval has
  // passed since the last idle pass.
  bool Tick();

  VFrame* GetOwner() const { return fOwner; }
  uint32_t GetSleepTicks() const { return fSleepTicks; }
  void SetSleepTicks(uint32_t ticks) { fSleepTicks = ticks; }
  uint32_t GetProcess() const { return fProcess; }
  bool RunsEventLoop() const { return fEventLoop != 0; }
  void SetEventLoop(bool full) { fEventLoop = full ? 1 : 0; }
  bool DeletesWhenDone() const { return fDeleteWhenDone != 0; }
  void SetDeleteWhenDone(bool on) { fDeleteWhenDone = on ? 1 : 0; }
  uint32_t GetIdleInterval() const { return fIdleInterval; }
  void SetIdleInterval(uint32_t ticks) { fIdleInterval = ticks; }

 protected:
  std::vector<VFrame*> fFrames;  // not owned
  VFrame* fOwner = nullptr;
  std::vector<VObject*> fPosted;
  uint32_t fSleepTicks = 0;
  int32_t fState = 0;
  uint32_t fProcess = 0;
  uint8_t fEventLoop = 0;
  uint8_t fDeleteWhenDone = 0;
  uint32_t fStackSize = 0;
  uint32_t fLastTick = 0;
  uint32_t fIdleInterval = 0;
};

// Hands `object` from the starting process to the new one. At most one is
// registered at a time: a second waits (yielding) until the first is gone.
class VProcessHandshake {
 public:
  explicit VProcessHandshake(VObject* object);
  ~VProcessHandshake();
  VProcessHandshake(const VProcessHandshake&) = delete;
  VProcessHandshake& operator=(const VProcessHandshake&) = delete;

  VObject* GetObject() const { return fObject; }
  // In the new process: the object is taken over; yields while the starter
  // has not seen it.
  void Acknowledge();
  // In the starter: yields until the new process acknowledges.
  void WaitForAcknowledge();
  // The handshake registered now; null for none.
  static VProcessHandshake* Registered();

 private:
  VObject* fObject;
  uint8_t fFlag = 0;
};

// The request is (sender, message, parameter): the sender and the
// parameter may be addresses, so they are pointer-sized.
class VPendingReply : public VObject {
 public:
  VPendingReply(intptr_t a, int32_t b, intptr_t c, uint8_t flag) : fA(a), fB(b), fC(c), fFlag(flag) {}
  intptr_t GetA() const { return fA; }
  int32_t GetB() const { return fB; }
  intptr_t GetC() const { return fC; }
  void GetRequest(intptr_t& a, int32_t& b, intptr_t& c) const {
    a = fA;
    b = fB;
    c = fC;
  }
  uint8_t GetFlag() const { return fFlag; }
  bool IsAnswered() const { return fAnswered != 0; }
  void SetAnswer(uint8_t answer) {
    fAnswer = answer;
    fAnswered = 1;
  }
  uint8_t GetAnswer() const { return fAnswer; }

 private:
  int32_t fZero = 0;
  intptr_t fA;
  int32_t fB;
  intptr_t fC;
  uint8_t fFlag;
  uint8_t fAnswer = 0;
  uint8_t fAnswered = 0;
};
