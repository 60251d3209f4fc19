// VPushButton: the toolbar button. It shows a title, an icon or both and
// sends its command when clicked; the template makes it an ordinary button,
// an auto-repeat button, a toggle between 0 and 1, or a member of a group
// of buttons whose group command holds the id of the selected one.
#pragma once

#include <cstdint>

#include "controls/controls/VControl.h"

class VIconShape;
class VPort;
class VString;

constexpr uint32_t kResTypeButton = FourCC("XBUT");
constexpr uint32_t kResTypeIconList = FourCC("XIC#");

class VPushButton : public VControl {
 public:
  // From template 'XBUT' `templateId` of the file; a missing or short
  // template gives a 60 x 20 button at (0, 0). The port measures the title.
  VPushButton(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
              int32_t commandId);
  explicit VPushButton(VFrame* parent);
  // Takes the icon over (null: none) and sizes itself as a template with a
  // single icon and this title would.
  VPushButton(VFrame* parent, VPort* port, VIconShape* icon, const VString& title,
              int32_t commandId);
  // Leaves the group, unlinks itself from the chain and deletes its icons.
  ~VPushButton() override;

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  void AdjustCursor(VEvent& event) override;
  void CursorHook() override;
  int32_t GetCursorIdAt(VEvent&) override { return 0; }
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void EnsureValue() override;
  void ClearCommand() override;

  // Tracking; each answers whether the command is (still) to be sent.
  virtual bool TrackPress(VEvent& event);
  virtual bool TrackGroup(VEvent& event);
  virtual bool TrackToggle(VEvent& event);

  void SetHotTrack(uint8_t on) { fHotTrack = on; }
  void SetAutoRepeat(uint8_t on) { fAutoRepeat = on; }
  bool IsAutoRepeat() const { return fAutoRepeat != 0; }
  bool IsToggle() const { return fToggle != 0; }
  bool HasNoFrame() const { return fNoFrame != 0; }
  bool UsesAltFont() const { return fAltFont != 0; }
  void SetAltFont(uint8_t on);
  bool IsHighlighted() const { return fHighlighted != 0; }
  void SetPrevious(VPushButton* button) { fPrevious = button; }
  void SetNext(VPushButton* button) { fNext = button; }
  VPushButton* GetPrevious() const { return fPrevious; }
  VPushButton* GetNext() const { return fNext; }
  bool HasGroupCommand() const { return fGroupCommand != nullptr; }
  int32_t GetGroupCommandId() const;
  void AttachGroupCommand(int32_t id);
  VIconShape* GetIcon() const { return fIcon; }
  VIconShape* GetPressedIcon() const { return fPressedIcon; }
  VIconShape* GetMixedIcon() const { return fMixedIcon; }
  VIconShape* GetDisabledIcon() const { return fDisabledIcon; }

  // The group chain that toolbar copies are building: every toolbar copy
  // resets it when it starts and when it ends, so that a copy that stopped
  // half-way leaves no pointer to a button that may be deleted.
  static void ResetOpenGroupChain();
  static VPushButton* GetOpenGroupChain();

 private:
  // The group command's listener: the group tells nothing the button draws,
  // but it must know when the command goes.
  class GroupListener : public VCommandControl {
   public:
    explicit GroupListener(VPushButton& owner) : fOwner(owner) {}
    void CommandValueChanged(int32_t) override {}
    void CommandEnabledChanged(bool, int32_t) override {}
    void ClearCommand() override { fOwner.fGroupCommand = nullptr; }

   private:
    VPushButton& fOwner;
  };

  void SizeFromIconAndTitle(VPort* port, int32_t width, int32_t height, bool iconList);
  void LoadIcons(VResourceFile* file, int16_t iconId, bool iconList);
  void DeleteIcons();
  // Draws the button now in its current state.
  void Redraw() { Invalidate(2); }
  // The value object of the bound command, set without notification.
  void SetValueQuietly(int32_t n);
  int32_t StateForDrawing() const;
  void DrawIconAt(VPort& port, VIconShape& icon, int32_t x, int32_t y, int16_t transform);

  VCommand* fGroupCommand = nullptr;
  GroupListener fGroupListener{*this};
  VPushButton* fPrevious = nullptr;
  VPushButton* fNext = nullptr;
  VIconShape* fIcon = nullptr;
  uint8_t fOwnsIcons = 0;
  uint8_t fAltFont = 0;
  uint8_t fAutoRepeat = 0;
  uint8_t fToggle = 0;
  uint8_t fNoFrame = 0;
  uint8_t fHighlighted = 0;
  uint8_t fWasOn = 0;
  uint8_t fHotTrack = 0;
  VIconShape* fPressedIcon = nullptr;
  VIconShape* fMixedIcon = nullptr;
  VIconShape* fDisabledIcon = nullptr;
};
