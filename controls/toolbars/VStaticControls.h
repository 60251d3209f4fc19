// The toolbar's static controls: VStaticText shows the command's value as
// text in tab-separated columns; VIconControl shows the icon of the
// command's current value; VIconList is the lock-key indicator, whose
// title is drawn on or off as Caps Lock or Num Lock is; VCheckBoxItem and
// VRadioButton are the two kinds of check box.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/controls/VCheckBox.h"
#include "controls/controls/VControl.h"

class VIconShape;
class VPort;
class VResourceFile;

constexpr uint32_t kResTypeStaticText = FourCC("XTXT");
constexpr uint32_t kResTypeIconControl = FourCC("XICO");
constexpr uint32_t kResTypeLockIndicator = FourCC("XKLI");
// The keys a lock-key indicator follows.
constexpr int32_t kLockKeyCaps = -900;
constexpr int32_t kLockKeyNum = -899;

class VStaticText : public VControl {
 public:
  // From 'XTXT' `templateId`; missing: 60 x 20 at (0, 0).
  VStaticText(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
              int32_t commandId);
  explicit VStaticText(VFrame* parent) : VControl(parent) {}

  void DrawContent(VPort& port) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  int16_t GetColumnStep() const { return fColumnStep; }

 private:
  int16_t fColumnStep = 0;
};

class VIconControl : public VControl {
 public:
  // From 'XICO' `templateId`; missing: 60 x 20 at (0, 0).
  VIconControl(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
               int32_t commandId);
  explicit VIconControl(VFrame* parent) : VControl(parent) {}
  ~VIconControl() override;

  void DrawContent(VPort& port) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  // Shares the pairs and the icon with the source, which keeps them.
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;

  // The icon id of the command's value; 0 when no pair has it.
  int16_t CurrentIconId() const;
  VIconShape* GetIcon() const { return fIcon; }

 private:
  void MakeIcon();

  std::shared_ptr<const std::vector<int16_t>> fValues;
  std::shared_ptr<const std::vector<int16_t>> fIcons;
  VResourceFile* fFile = nullptr;
  VIconShape* fIcon = nullptr;
  uint8_t fOwnsIcon = 1;
};

class VIconList : public VControl {
 public:
  // From 'XKLI' `templateId`; missing: 60 x 20 at (0, 0), following no key.
  VIconList(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
            int32_t commandId);
  explicit VIconList(VFrame* parent) : VControl(parent) {}

  void DrawContent(VPort& port) override;
  // Redraws when the key's state differs from the one drawn.
  void Idle(bool flag) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;

  int32_t GetKey() const { return fKey; }
  bool IsLockOn() const { return fLockOn != 0; }
  // The followed key's state now; false for any other key.
  bool KeyState() const;

 private:
  int32_t fKey = 0;
  uint8_t fLockOn = 0;
};

class VCheckBoxItem : public VCheckBox {
 public:
  VCheckBoxItem(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                int32_t commandId)
      : VCheckBox(parent, port, file, templateId, commandId) {
    fElementKind = kElementCheckBox;
  }
  explicit VCheckBoxItem(VFrame* parent) : VCheckBox(parent) { fElementKind = kElementCheckBox; }
  bool StaysOnWhenClicked() const override { return false; }
  VFrame* Clone(VFrame* newParent, int32_t word) override;
};

class VRadioButton : public VCheckBox {
 public:
  VRadioButton(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
               int32_t commandId)
      : VCheckBox(parent, port, file, templateId, commandId) {
    fElementKind = kElementRadioButton;
  }
  explicit VRadioButton(VFrame* parent) : VCheckBox(parent) { fElementKind = kElementRadioButton; }
  bool StaysOnWhenClicked() const override { return true; }
  VFrame* Clone(VFrame* newParent, int32_t word) override;
};
