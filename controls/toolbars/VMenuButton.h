// VMenuButton: a toolbar control that shows a title and pops up one of the
// framework's menus (a text menu, a font menu, a colour or a pattern menu)
// under it, or beside it on a vertical or floating menu bar. While the
// menu is shown the command's value is -100, so every control bound to
// the command draws pressed.
#pragma once

#include <cstdint>

#include "controls/controls/VControl.h"

class VMenuBase;
class VPort;
class VResourceFile;

constexpr uint32_t kResTypeMenuButton = FourCC("XMBU");
// The menu bar's sides, as the toolbars number them.
constexpr uint8_t kSideFloating = 0;
constexpr uint8_t kSideLeft = 1;
constexpr uint8_t kSideTop = 2;
constexpr uint8_t kSideRight = 3;
constexpr uint8_t kSideBottom = 4;
constexpr uint8_t kSideNone = 255;

class VMenuButton : public VControl {
 public:
  // From 'XMBU' `templateId`; missing: no size and no menu.
  VMenuButton(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
              int32_t commandId);
  explicit VMenuButton(VFrame* parent) : VControl(parent) {}
  // Deletes the menu it made.
  ~VMenuButton() override;

  uint32_t GetKind() const override { return kResTypeMenuButton; }
  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  // Shares the source's menu, which the source keeps.
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void SetLookIndex(int16_t index) override;

  // The menu bar's dock side: the width follows it.
  void SetSide(uint8_t side);
  uint8_t GetSide() const { return fSide; }
  int16_t GetNaturalWidth() const { return fNaturalWidth; }
  VMenuBase* GetMenu() const { return fMenu; }
  // Hands the menu to a window menu bar while the button keeps it (and
  // still deletes it); the button shows no menu until it takes it back.
  VMenuBase* LendMenu();
  void TakeMenuBack();

 private:
  VMenuBase* fMenu = nullptr;
  VMenuBase* fLentMenu = nullptr;
  int16_t fNaturalWidth = 0;
  uint8_t fOwnsMenu = 0;
  uint8_t fSide = kSideNone;
};
