// VCheckBox: the base of the two- and three-state toolbar controls that show
// a box or a radio button with a title beside it. The value is the bound
// command's number: 0 off, 1 on, 2 mixed. A derived class chooses the look
// element and whether a click leaves a control that is on still on.
#pragma once

#include <cstdint>

#include "controls/controls/VControl.h"

class VPort;

constexpr uint32_t kResTypeCheckBox = FourCC("XCHK");

// Element kinds of the look the two derived kinds draw with.
constexpr int32_t kElementRadioButton = 12;
constexpr int32_t kElementCheckBox = 13;

class VCheckBox : public VControl {
 public:
  // From template 'XCHK' `templateId`; a missing or short template gives a
  // 120 x 20 control at (0, 0). The port measures the title.
  VCheckBox(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
            int32_t commandId);
  explicit VCheckBox(VFrame* parent);

  void DrawContent(VPort& port) override;
  bool MouseDown(VEvent& event) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void EnsureValue() override;

  // Whether a click on a control that is on leaves it on (radio buttons).
  virtual bool StaysOnWhenClicked() const = 0;

  bool IsThreeState() const { return fThreeState != 0; }
  void SetThreeState(bool on) { fThreeState = on ? 1 : 0; }
  int32_t GetElementKind() const { return fElementKind; }

 protected:
  uint8_t fThreeState = 0;
  int32_t fElementKind = kElementCheckBox;
};
