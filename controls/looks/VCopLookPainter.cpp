// The third look: its palette, its fonts and sizes, and the elements it
// draws otherwise than the Windows look.
#include "controls/looks/VCopLookPainter.h"

#include "controls/looks/LookElements.h"
#include "controls/looks/VMacLookPainter.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "platform/toolbox/TbxEmulatorColor.h"

namespace {

using namespace looks;

const char* const kCopImageNames[VCopLookPainter::kImageCount] = {
    "CopCheckNormal",         "CopCheckChecked",         "CopCheckMixed",
    "CopCheckPushedNormal",   "CopCheckPushedChecked",   "CopCheckPushedMixed",
    "CopCheckDisabledNormal", "CopCheckDisabledChecked", "CopCheckDisabledMixed",
    "CopRadioNormal",         "CopRadioChecked",         "CopRadioMixed",
    "CopRadioPushedNormal",   "CopRadioPushedChecked",   "CopRadioPushedMixed",
    "CopRadioDisabledNormal", "CopRadioDisabledChecked", "CopRadioDisabledMixed",
    "ArrowBottom",
};
constexpr int kCopFirstRadioSlot = 9;
constexpr int kCopArrowSlot = 18;
constexpr int32_t kCopPatternSolid = 5;

// The colours of indexes 17 to 58; index 28 is asked of the emulation.
constexpr COLORREF kCopRoles[42] = {
    RGB(221, 221, 221),  // 17 face
    RGB(221, 221, 221),  // 18 face
    RGB(238, 238, 238),  // 19 light edge
    RGB(255, 255, 255),  // 20 highlight
    RGB(136, 136, 136),  // 21 shadow
    RGB(102, 102, 102),  // 22 dark shadow
    RGB(153, 153, 153),  // 23 scroll track
    RGB(255, 255, 255),  // 24 caption text
    RGB(0, 0, 0),        // 25 window text
    RGB(0, 0, 0),        // 26 button text
    RGB(255, 255, 255),  // 27 window
    0,                   // 28 selected text, from the emulation
    RGB(136, 136, 136),  // 29 grey text
    RGB(153, 204, 255),  // 30 selection
    RGB(0, 0, 0),        // 31 menu text
    RGB(255, 255, 255),  // 32 selected menu text
    RGB(221, 221, 221),  // 33 menu
    RGB(51, 51, 153),    // 34 selected menu
    RGB(255, 255, 255),  // 35 tool-tip text
    RGB(255, 255, 170),  // 36 tool-tip
    RGB(238, 238, 238),  // 37
    RGB(221, 221, 221),  // 38
    RGB(204, 204, 204),  // 39
    RGB(187, 187, 187),  // 40
    RGB(170, 170, 170),  // 41
    RGB(153, 153, 153),  // 42
    RGB(136, 136, 136),  // 43
    RGB(119, 119, 119),  // 44
    RGB(102, 102, 102),  // 45
    RGB(85, 85, 85),     // 46
    RGB(68, 68, 68),     // 47
    RGB(34, 34, 34),     // 48
    RGB(238, 238, 238),  // 49
    RGB(204, 204, 255),  // 50
    RGB(153, 153, 255),  // 51
    RGB(102, 102, 204),  // 52
    RGB(51, 51, 153),    // 53
    RGB(0, 0, 136),      // 54
    RGB(0, 0, 85),       // 55
    RGB(0, 0, 0),        // 56
    RGB(102, 102, 204),  // 57
    RGB(0, 0, 136),      // 58
};

int32_t PressedStep(int32_t state) { return state == kPressed ? 1 : 0; }

// Kind 4: a sunken field of single lines around a white inner box.
void DrawCopEditField(const LookCall& c) {
  const int32_t x = c.x, y = c.y, w = c.w, h = c.h;
  c.PaintBox(38);
  if (c.state != kDisabled) {
    c.Pen(41);
    c.Line(x, y, x + w - 2, y);
    c.Line(x, y, x, y + h - 2);
    c.Pen(0);
    c.Line(x + w - 1, y + 1, x + w - 1, y + h);
    c.Line(x + 1, y + h - 1, x + w, y + h - 1);
    c.Pen(10);
  } else {
    c.Pen(46);
  }
  c.port.FrameRect(x + 1, y + 1, w - 2, h - 2);
  const FieldColors colors = FieldColorsOf(c.state, 0);
  // A low field keeps a 2-pixel margin, a taller one 3.
  const int32_t margin = h < 18 ? 2 : 3;
  const int32_t ix = x + margin, iy = y + margin, iw = w - 2 * margin, ih = h - 2 * margin;
  c.PaintBox(colors.back, ix, iy, iw, ih);
  if (c.text == nullptr) return;
  c.TextColor(colors.text);
  c.port.DrawTextInBox(*c.text, kAlignLeft, kAlignMiddle, ix, iy, iw, ih, true);
}

void DrawCopMenuSeparator(const LookCall& c) {
  c.PaintBox(33);
  c.Pen(29);
  c.port.DrawLineBy(c.x, c.y, c.w, c.h);
  c.Pen(0);
  c.port.DrawLineBy(c.x, c.y + 1, c.w, c.h);
}

// The single-line edges of the third look's buttons on the bevel's box.
void CopTopLeft(const LookBevel& b, int32_t color) {
  b.call.Pen(color);
  b.call.Line(b.x, b.y, b.x + b.w, b.y);
  b.call.Line(b.x, b.y, b.x, b.y + b.h);
}
void CopBottomRight(const LookBevel& b, int32_t color) {
  b.call.Pen(color);
  b.call.Line(b.x + b.w, b.y + 1, b.x + b.w, b.y + b.h);
  b.call.Line(b.x + 1, b.y + b.h, b.x + b.w, b.y + b.h);
}

void DrawCopButton(const LookCall& c) {
  const int32_t s = c.state;
  const bool push = c.kind == kPushButton;
  if (s == kOn || s == kPressedMixed) {
    c.PaintBox(43);
  } else if (s == kNormal || s == kMixed || s == kHotNormal || s == kHotOn || s == kHotMixed ||
             s == kPressed || s == kPressedOn || s == kDisabled) {
    c.PaintBox(38);
  }
  LookBevel b(c);
  if (s == kNormal || s == kMixed || s == kHotNormal || s == kHotMixed || s == kPressedMixed) {
    if (push || s != kNormal) {
      b.Shrink();
      if (push) {
        CopTopLeft(b, 45);
        CopBottomRight(b, 10);
        b.Inset();
      }
      CopTopLeft(b, 0);
      CopBottomRight(b, 42);
    }
  } else if (s == kOn || s == kHotOn || s == kPressed || s == kPressedOn) {
    b.Shrink();
    if (push) {
      CopTopLeft(b, 48);
      CopBottomRight(b, 47);
      b.Inset();
    }
    CopTopLeft(b, 46);
    CopBottomRight(b, 41);
  } else if (s == kDisabled && push) {
    b.Shrink();
    CopTopLeft(b, 41);
    CopBottomRight(b, 42);
  }
  DrawButtonLabel(c, b.x, b.y, b.w, b.h);
}

// Kind 14: a 6-pixel strip of white and dark dots on grey; the patterns
// swap on odd rows so that the dots keep their places relative to the box.
void DrawCopGrip(const LookCall& c) {
  static constexpr uint8_t kRowsA[8] = {0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0xAA, 0x00};
  static constexpr uint8_t kRowsB[8] = {0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55};
  int32_t w = c.w, h = c.h;
  if (w > h) {
    h = 6;
  } else {
    w = 6;
  }
  const bool even = (c.y & 1) == 0;
  c.port.SetBackColor(c.Color(40));
  c.port.SetFillPattern(even ? kRowsA : kRowsB);
  c.PaintBox(0, c.x, c.y, w, h);
  c.port.SetPenMode(1);
  c.port.SetFillPattern(even ? kRowsB : kRowsA);
  c.PaintBox(46, c.x, c.y, w, h);
  c.port.SetFillPatternIndex(kCopPatternSolid);
  c.port.SetPenMode(0);
}

void DrawCopBorder(const LookCall& c) {
  LookBevel b(c);
  b.Shrink();
  const bool raised = c.kind == kRaisedBorder;
  b.LT(raised ? 0 : 21);
  b.RB(raised ? 41 : 20);
}

void DrawCopTrack(const LookCall& c) {
  const int32_t x = c.x, y = c.y, w = c.w, h = c.h;
  if (c.state == kDisabled || c.state == kBarInactive) {
    c.PaintBox(37);
    return;
  }
  c.PaintBox(41);
  if (c.kind == kTrackHorizontal) {
    c.Pen(44);
    c.Line(x, y + 1, x + w - 1, y + 1);
    c.Line(x, y + 1, x, y + h - 3);
    c.Pen(43);
    c.Line(x + 1, y + 2, x + w - 1, y + 2);
    c.Line(x + 1, y + 2, x + 1, y + h - 4);
    c.Pen(39);
    c.Line(x + 1, y + h - 2, x + w - 1, y + h - 2);
    c.Pen(40);
    c.Line(x + 2, y + h - 3, x + w - 1, y + h - 3);
  } else {
    c.Pen(44);
    c.Line(x + 1, y, x + w - 3, y);
    c.Line(x + 1, y, x + 1, y + h - 1);
    c.Pen(43);
    c.Line(x + 2, y + 1, x + w - 4, y + 1);
    c.Line(x + 2, y + 1, x + 2, y + h - 1);
    c.Pen(39);
    c.Line(x + w - 2, y + 1, x + w - 2, y + h - 1);
    c.Pen(40);
    c.Line(x + w - 3, y + 2, x + w - 3, y + h - 1);
  }
}

// Kinds 21 and 22: a blue-violet thumb, ridged in its middle when it is at
// least 10 pixels wide.
void DrawCopThumb(const LookCall& c) {
  const int32_t x = c.x, y = c.y, w = c.w, h = c.h;
  const int32_t p = PressedStep(c.state);
  c.Fill(51 + p);
  c.Pen(56);
  c.port.PaintRect(x, y, w, h);
  c.port.FrameRect(x, y, w, h);
  c.Pen(50 + p);
  c.Line(x + 1, y + 1, x + w - 3, y + 1);
  c.Line(x + 1, y + 1, x + 1, y + h - 3);
  c.Pen(52 + p);
  c.Line(x + 2, y + h - 2, x + w - 2, y + h - 2);
  c.Line(x + w - 2, y + 2, x + w - 2, y + h - 2);
  if (w < 10) return;
  const int32_t gx = x + w / 2 - 4, gy = y + h / 2 - 4;
  const bool upright = c.kind == kThumbVertical;
  for (int32_t k = 0; k < 4; ++k) {
    const int32_t step = 2 * k;
    c.Pen(50 + p);
    if (upright) {
      c.Line(gx + 1, gy + step, gx + 6, gy + step);
    } else {
      c.Line(gx + step, gy + 1, gx + step, gy + 6);
    }
    c.Pen(53 + p);
    if (upright) {
      c.Line(gx + 1, gy + step + 1, gx + 7, gy + step + 1);
    } else {
      c.Line(gx + step + 1, gy + 1, gx + step + 1, gy + 7);
    }
    c.Pen(49 + p);
    if (upright) {
      c.Point(gx, gy + step);
    } else {
      c.Point(gx + step, gy);
    }
  }
}

void DrawCopBarFrame(const LookCall& c) {
  c.Pen(c.state == kDisabled || c.state == kBarInactive ? 46 : 10);
  c.port.FrameRect(c.x, c.y, c.w, c.h);
}

void DrawCopSplitBox(const LookCall& c) {
  const int32_t x = c.x, y = c.y, w = c.w, h = c.h;
  c.PaintBox(c.state == kBarInactive ? 38 : 46);
  if (c.state != kNormal) return;
  c.Pen(10);
  if (c.kind == kSplitBoxAcross) {
    c.Line(x, y, x + w, y);
    c.Line(x, y + h, x + w, y + h);
  } else {
    c.Line(x, y, x, y + h);
    c.Line(x + w, y, x + w, y + h);
  }
}

// Kinds 26 to 29: a flat button with two dark edges across the bar and a
// triangle of four lines, 8 pixels at its base.
void DrawCopArrow(const LookCall& c) {
  const int32_t x = c.x, y = c.y, w = c.w, h = c.h;
  if (c.state == kBarInactive) return;
  const int32_t p = PressedStep(c.state);
  c.PaintBox(c.state == kPressed ? 44 : 38);
  if (c.state != kDisabled) {
    c.Pen(c.state == kPressed ? 46 : 0);
    c.Line(x + 1, y + 1, x + w - 3, y + 1);
    c.Line(x + 1, y + 1, x + 1, y + h - 3);
    c.Pen(41 + p);
    c.Line(x + 2, y + h - 2, x + w - 2, y + h - 2);
    c.Line(x + w - 2, y + 2, x + w - 2, y + h - 2);
  }
  c.Pen(c.state == kDisabled ? 44 : 10);
  if (c.kind == kArrowLeft || c.kind == kArrowRight) {
    c.Line(x + w - 1, y, x + w - 1, y + h);
    c.Line(x, y, x, y + h);
    const int32_t ax = x + w / 2 + 1, ay = y + h / 2 - 4;
    for (int32_t k = 0; k < 4; ++k) {
      // Left: the base at ax, the tip three columns left; right: mirrored.
      const int32_t col = c.kind == kArrowLeft ? ax - k : ax - 3 + k;
      c.Line(col, ay + k, col, ay + 7 - k);
    }
  } else {
    c.Line(x, y + h - 1, x + w, y + h - 1);
    c.Line(x, y, x + w, y);
    const int32_t ax = x + w / 2 - 4, ay = y + h / 2 + 1;
    for (int32_t k = 0; k < 4; ++k) {
      // Up: the base on row ay, the tip three rows above; down: mirrored.
      const int32_t row = c.kind == kArrowUp ? ay - k : ay - 3 + k;
      c.Line(ax + k, row, ax + 7 - k, row);
    }
  }
}

// Kind 32: a rounded box with a double chevron at its right end, and a
// raised text part left of a separator when it is wide enough.
void DrawCopPopUpBox(const LookCall& c) {
  const int32_t x = c.x, y = c.y, w = c.w, h = c.h;
  c.PaintBox(38, x + 1, y + 1, w - 2, h - 2);
  c.Pen(c.state == kDisabled ? 43 : 10);
  c.Line(x + 2, y, x + w - 3, y);
  c.Line(x + w - 1, y + 2, x + w - 1, y + h - 3);
  c.Line(x + 2, y + h - 1, x + w - 3, y + h - 1);
  c.Line(x, y + 2, x, y + h - 3);
  c.Point(x + 1, y + 1);
  c.Point(x + w - 2, y + 1);
  c.Point(x + w - 2, y + h - 2);
  c.Point(x + 1, y + h - 2);
  c.Line(x + w - 15, y + 7, x + w - 9, y + 7);
  c.Line(x + w - 15, y + 10, x + w - 9, y + 10);
  c.Line(x + w - 14, y + 6, x + w - 10, y + 6);
  c.Line(x + w - 14, y + 11, x + w - 10, y + 11);
  c.Line(x + w - 13, y + 5, x + w - 11, y + 5);
  c.Line(x + w - 13, y + 12, x + w - 11, y + 12);
  c.Point(x + w - 12, y + 4);
  c.Point(x + w - 12, y + 13);
  if (c.state == kPressed) {
    c.Pen(41);
    c.Line(x + w - 22, y + 1, x + w - 22, y + h - 2);
    return;
  }
  const bool wide = w > 25;
  c.Pen(42);
  c.Line(x + 2, y + h - 2, x + w - 3, y + h - 2);
  c.Point(x + w - 3, y + h - 3);
  c.Line(x + w - 2, y + 3, x + w - 2, y + h - 3);
  if (wide) {
    c.Pen(0);
    c.Line(x + 2, y + 1, x + 2, y + h - 3);
    c.Line(x + 2, y + 1, x + w - 23, y + 1);
  }
  c.Pen(41);
  c.Line(x + w - 3, y + 3, x + w - 3, y + h - 4);
  c.Line(x + w - 21, y + h - 3, x + w - 4, y + h - 3);
  if (wide) c.Line(x + w - 22, y + 2, x + w - 22, y + h - 2);
  c.Pen(0);
  c.Line(x + w - 20, y + 2, x + w - 20, y + h - 4);
  c.Line(x + w - 20, y + 2, x + w - 4, y + 2);
  if (wide) {
    c.Pen(37);
    c.Point(x + w - 22, y + 1);
  }
}

}  // namespace

VCopLookPainter::~VCopLookPainter() = default;

VIconShape* VCopLookPainter::Image(int slot) {
  return fImages.Get(slot, kCopImageNames[slot]);
}

COLORREF VCopLookPainter::GetColor(int32_t index) {
  if (index == 28) {
    // White when the emulation's colour is pure black or pure white,
    // black for any other.
    Tbx::RGBColor platform{1, 1, 1};
    Tbx::EmulatorCall6510(&platform);
    const bool black = platform.red == 0 && platform.green == 0 && platform.blue == 0;
    const bool white =
        platform.red == 0xFFFF && platform.green == 0xFFFF && platform.blue == 0xFFFF;
    return black || white ? RGB(255, 255, 255) : RGB(0, 0, 0);
  }
  if (index >= 17 && index <= 58) return kCopRoles[index - 17];
  return SharedLookColor(index);
}

bool VCopLookPainter::GetFont(HDC, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                              uint8_t& italic) {
  return GetFixedLookFont(kind, name, size, bold, italic);
}

int32_t VCopLookPainter::GetMetric(int32_t id) {
  switch (id) {
    case 1:
    case 2:
    case 3: return 16;
    case 5: return 24;
    case 6: return 22;
    default: return 0;
  }
}

bool VCopLookPainter::DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x,
                                  int32_t y, int32_t w, int32_t h, const VString* text, int32_t) {
  ResetDrawingState(port);
  const LookCall call{*this, port, kind, state, x, y, w, h, text};
  switch (kind) {
    case kPanel: call.PaintBox(38); break;
    case kProgressFill: call.PaintBox(47); break;
    case kRaisedPanel:
      call.Element(kPanel, x, y, w, h, nullptr);
      call.Element(kRaisedBorder, x, y, w, h, nullptr);
      break;
    case kDropDownFace: DrawDropDownFace(call, 0); break;
    case kEditField: DrawCopEditField(call); break;
    case kMenuItem:
    case kMenuItemSmall: DrawMenuItem(call, 32, kAlignLeft); break;
    case kMenuButton: DrawMenuItem(call, 32, kAlignCentre); break;
    case kMenuSeparator: DrawCopMenuSeparator(call); break;
    case kPushButton:
    case kFlatButton: DrawCopButton(call); break;
    case kRadioButton:
    case kCheckBox: {
      const int first = kind == kCheckBox ? 0 : kCopFirstRadioSlot;
      DrawImageCheck(call, Image(first + CheckImageSlot(state)));
      break;
    }
    case kGrip: DrawCopGrip(call); break;
    case kRaisedBorder:
    case kSunkenBorder: DrawCopBorder(call); break;
    case kTrackHorizontal:
    case kTrackVertical: DrawCopTrack(call); break;
    case kThumbHorizontal:
    case kThumbVertical: DrawCopThumb(call); break;
    case kBarFrame: DrawCopBarFrame(call); break;
    case kSplitBoxUpright:
    case kSplitBoxAcross: DrawCopSplitBox(call); break;
    case kArrowLeft:
    case kArrowRight:
    case kArrowUp:
    case kArrowDown: DrawCopArrow(call); break;
    case kDropDownButton: {
      call.Element(kPushButton, x, y - 1, w + 1, h + 2, nullptr);
      if (state != kNormal && state != kPressed && state != kDisabled) break;
      VIconShape* image = Image(kCopArrowSlot);
      const int32_t shift = state == kPressed ? 1 : 0;
      image->SetPosition(x + (w - image->GetWidth()) / 2 + shift,
                         y + (h - image->GetHeight()) / 2 + shift);
      port.DrawIcon(*image, state == kDisabled ? 2 : 0);
      break;
    }
    case kPopUpBox: DrawCopPopUpBox(call); break;
    case kPopUpMenuField: call.Element(kMenuItemSmall, x, y, w - 22, h, text); break;
    case kComboField:
      call.Element(kEditField, x, y, w - 24, h, text);
      call.Element(kPopUpBox, x + w - 22, y, 22, h, text);
      break;
    case kPopUpField: call.Element(kDropDownFace, x, y, w, h, text); break;
    default: DrawWinElement(call); break;
  }
  return true;
}
