// The toolbar's choosers: a button that shows a sample of the command's
// value (a colour, a pattern or a line width), optionally after an icon,
// and pops up the matching menu when clicked. All three read their
// template from the 'XCCH' type.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "controls/controls/VControl.h"
#include "framework/core/strings/VUniString.h"

class VIconShape;
class VMenu;
class VPort;
class VResourceFile;

constexpr uint32_t kResTypeChooser = FourCC("XCCH");

class VChooser : public VControl {
 public:
  // From 'XCCH' `templateId`; missing: 20 x 20 at (0, 0).
  VChooser(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
           int32_t commandId);
  explicit VChooser(VFrame* parent) : VControl(parent) {}
  ~VChooser() override;

  void DrawContent(VPort& port) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  // Draws the command's value into the sample rectangle (x, y, w, h).
  virtual void DrawSample(VPort& port, const int32_t* rect) = 0;

  // Where the sample goes, (x, y, w, h) in the control.
  void GetSampleRect(int32_t* rect) const;
  int16_t GetMenuId() const { return fMenuId; }
  VIconShape* GetIcon() const { return fIcon; }

 protected:
  // A value that is not there: the port's checked pattern.
  static void DrawMixed(VPort& port, const int32_t* rect);
  // Text centred in the rectangle, in font kind 5 and text colour 10.
  static void DrawCentredText(VPort& port, const VString& text, const int32_t* rect);
  // Whether a click may pop the menu up: bound and enabled.
  bool MayPopUp() const;
  // The control's bottom-left corner on the screen.
  void MenuCorner(int32_t& x, int32_t& y);

  VIconShape* fIcon = nullptr;
  uint8_t fOwnsIcon = 1;
  int16_t fMenuId = 0;
};

class VColorChooser : public VChooser {
 public:
  using VChooser::VChooser;
  bool MouseDown(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void DrawSample(VPort& port, const int32_t* rect) override;
};

class VPatternChooser : public VChooser {
 public:
  VPatternChooser(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
                  int32_t commandId);
  explicit VPatternChooser(VFrame* parent);
  bool MouseDown(VEvent& event) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void DrawSample(VPort& port, const int32_t* rect) override;

 private:
  void LoadPatterns();
  // The module's 'PAT#' 9000.
  std::vector<std::array<uint8_t, 8>> fPatterns;
};

class VLineChooser : public VChooser {
 public:
  VLineChooser(VFrame* parent, VPort* port, VResourceFile* file, int16_t templateId,
               int32_t commandId);
  explicit VLineChooser(VFrame* parent) : VChooser(parent) {}
  ~VLineChooser() override;

  bool MouseDown(VEvent& event) override;
  bool NotifyParent(VFrame* sender, int32_t message, intptr_t parameter) override;
  VFrame* Clone(VFrame* newParent, int32_t word) override;
  void CopyFrom(VFrame* newParent, const VFrame& source, int32_t word) override;
  void DrawSample(VPort& port, const int32_t* rect) override;

  VMenu* GetMenu() const { return fMenu; }
  const VString& GetZeroText() const { return fZeroText; }

 private:
  VMenu* fMenu = nullptr;
  uint8_t fOwnsMenu = 0;
  VStr<40> fZeroText;
};
