// VControl: the base of every control a toolbar places on itself. A control
// is bound by id to one command, which is its model: the control shows the
// command's value and enabled state, and a click sends the command id up the
// parent chain. The base also shows a tool tip (the command's title and its
// shortcut) after the mouse rests on the control.
#pragma once

#include <cstdint>
#include <vector>

#include "views/VCommandListeners.h"
#include "views/VView.h"

class VCommand;
class VResourceFile;
class VValue;
struct VControlHeader;

// Tool-tip states.
constexpr uint8_t kTipIdle = 0;
constexpr uint8_t kTipWaiting = 1;
constexpr uint8_t kTipShown = 2;
constexpr uint8_t kTipDone = 3;
constexpr uint8_t kTipsOff = 255;

// Element states shared by the control kinds and the look painters.
constexpr int32_t kStateOff = 0;
constexpr int32_t kStateOn = 1;
constexpr int32_t kStateMixed = 2;
constexpr int32_t kStatePressed = -100;
constexpr int32_t kStatePressedOn = -99;
constexpr int32_t kStatePressedMixed = -97;
constexpr int32_t kStateDisabled = -96;
constexpr int32_t kStateDisabledOn = -95;
constexpr int32_t kStateDisabledMixed = -94;

class VControl : public VView, public VCommandControl {
 public:
  explicit VControl(VFrame* parent);
  // Unbinds from the command.
  ~VControl() override;

  // ---- Own operations.
  // Gives a bound command without value the number 0 (with notification).
  virtual void EnsureValue();
  // The command's value into `out`; cleared without command.
  virtual void GetValue(VValue& out);
  // The command's value changed: marks the value dirty and redraws a shown
  // control with the mode.
  void CommandValueChanged(int32_t mode) override;
  // Stores a changed enabled state and redraws a shown control.
  void CommandEnabledChanged(bool enabled, int32_t mode) override;
  void ClearCommand() override { fCommand = nullptr; }

  // ---- Frame operations.
  void SetVisible(bool visible) override;
  bool MouseDown(VEvent& event) override;
  bool IsEnabled() const override;
  void Idle(bool flag) override;
  void AdjustCursor(VEvent& event) override;
  void AdjustCursorWithin(VEvent& event) override;
  // The mouse left the control.
  void CursorHook() override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  bool IsControl() const override { return true; }

  // Unbinds, then binds to the command the chain answers for `id` (0: none).
  void AttachCommand(int32_t id);
  VCommand* GetCommand() const { return fCommand; }
  int32_t GetCommandId() const;
  void SetDisplayMode(uint8_t mode) { fDisplayMode = mode; }
  uint8_t GetDisplayMode() const { return fDisplayMode; }
  void SetToolTipsEnabled(bool enabled) { fTipState = enabled ? kTipIdle : kTipsOff; }
  bool AreToolTipsEnabled() const { return fTipState != kTipsOff; }
  uint8_t GetToolTipState() const { return fTipState; }
  bool IsValueDirty() const { return fValueDirty != 0; }
  void SetValueDirty(bool dirty) { fValueDirty = dirty ? 1 : 0; }
  bool IsCommandEnabled() const { return fCommandEnabled != 0; }

 protected:
  // A click ends the tool tip until the mouse leaves.
  void EndToolTip() {
    if (fTipState != kTipsOff) fTipState = kTipDone;
  }
  // The template steps every kind shares: copies resource (type, id) of the
  // file into `bytes`; false when there is no file, the id is 0 or the
  // resource is missing.
  static bool FetchTemplate(VResourceFile* file, uint32_t type, int16_t id,
                            std::vector<uint8_t>& bytes);
  // Binds the template's command unless the constructor's id already bound
  // one, and sets a non-empty title (resolving a 'STR#' reference).
  void ApplyHeader(VResourceFile* file, const VControlHeader& header, int32_t commandId);
  // The command's value as a number; 0 without command or value.
  int32_t GetLongValue() const;

  VCommand* fCommand = nullptr;
  uint32_t fTipStamp = 0;
  uint8_t fTipState = kTipIdle;
  uint8_t fValueDirty = 0;
  uint8_t fCommandEnabled = 1;
  uint8_t fDisplayMode = 0;

 private:
  void Bind(VCommand* command);
  void ShowToolTip();
};
