// VProcessWindow: a task whose windows stay responsive while the host's own
// process is busy. Start makes a host process that takes the window over
// through the start handshake and runs an event loop in it until the state
// reaches 5; Close from another process waits for that loop to end.
#pragma once

#include <cstdint>

#include "framework/core/strings/VUniString.h"
#include "views/VTask.h"

struct HostEventRecord;
class VShortcut;
class VWindowView;

class VProcessWindow : public VTask {
 public:
  // `title` may be null; a stack size of 0 asks for 16000 bytes. A local
  // window's process name begins with "$".
  VProcessWindow(VFrame* owner, const VString* title, uint32_t stackSize, bool local);
  ~VProcessWindow() override;

  void Delay(int32_t milliseconds) override;
  void Pause() override;
  bool Start() override;
  void Resume() override;
  void Close() override;
  void ShowWindows(bool show) override;
  void AddFrame(VFrame* frame) override;

  const VString& GetTitle() const { return fTitle; }
  uint32_t GetStarterProcess() const { return fStarterProcess; }
  bool IsLocal() const { return fLocal != 0; }

  // The body of every process a process window starts: it finds its window
  // through the registered handshake.
  static void ProcessWindowMain();

 protected:
  // Where a key event ends: the target frame's key handling.
  virtual void DeliverShortcut(VFrame* target, const VShortcut& shortcut, const HostEventRecord& record);

 private:
  void RunSimpleLoop();
  void RunEventLoop();
  void HandleIdle(int32_t& lastX, int32_t& lastY, bool& buttonDown);
  void HandleMouseDown(const HostEventRecord& record, bool& buttonDown);
  void HandleMouseUp(const HostEventRecord& record, bool& buttonDown);
  void HandleKey(const HostEventRecord& record);
  void HandleUpdate(const HostEventRecord& record);
  // The frame of the task whose window is the view; null for none.
  VFrame* FrameOfView(const VWindowView* view) const;
  void Finish();

  VStr<255> fTitle;
  uint32_t fStarterProcess = 0;
  uint8_t fLocal = 0;
};
