// The Windows look's element drawings, shared with the looks that differ
// from it only in some kinds and in their colours.
#include "controls/looks/LookElements.h"

#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VLookPainter.h"
#include "graphics/VPort.h"

namespace looks {

namespace {

constexpr int32_t kPatternChecker = 3;
constexpr int32_t kPatternSolid = 6;
constexpr int32_t kMenuFont = 0;
constexpr int32_t kLabelFont = 1;

bool IsRaisedButtonState(int32_t state) {
  return state == kNormal || state == kMixed || state == kHotNormal || state == kHotMixed ||
         state == kDisabled || state == kPressedMixed;
}

bool IsSunkenButtonState(int32_t state) {
  return state == kOn || state == kHotOn || state == kPressed || state == kPressedOn;
}

void DrawEdgeLine(const LookCall& c) {
  c.Pen(21);
  if (c.w == 0) {
    c.Line(c.x, c.y, c.x, c.y + c.h);
  } else {
    c.Line(c.x, c.y, c.x + c.w, c.y);
  }
  c.Pen(20);
  if (c.w == 0) {
    c.Line(c.x + 1, c.y, c.x + 1, c.y + c.h);
  } else {
    c.Line(c.x, c.y + 1, c.x + c.w, c.y + 1);
  }
}

void DrawListCell(const LookCall& c) {
  c.Element(kPanel, c.x, c.y, c.w, c.h, nullptr);
  c.Element(kSunkenBorder, c.x, c.y, c.w, c.h, nullptr);
  if (c.text == nullptr) return;
  c.port.UseStandardFont(kLabelFont);
  c.TextColor(c.state == kNormal ? 25 : 29);
  c.port.DrawTextInBox(*c.text, kAlignCentre, kAlignMiddle, c.x, c.y, c.w, c.h, false);
}

void DrawMenuSeparator(const LookCall& c) {
  c.PaintBox(33);
  c.Pen(29);
  c.port.DrawLineBy(c.x, c.y, c.w, c.h);
}

// The Windows look's bevel of kinds 9 and 10; answers the box it leaves.
void DrawWinButtonBevel(const LookCall& c, LookBevel& b) {
  const bool push = c.kind == kPushButton;
  if (IsRaisedButtonState(c.state)) {
    if (!push && (c.state == kNormal || c.state == kDisabled)) return;
    b.Shrink();
    b.LT(20);
    if (push) {
      b.RB(10);
      b.Inset();
    }
    b.RB(21);
  } else if (IsSunkenButtonState(c.state)) {
    b.Shrink();
    b.LT(push ? 10 : 21);
    if (push) {
      b.RB(20);
      b.Inset();
    }
    b.RB(20);
  }
}

void DrawWinPushButton(const LookCall& c) {
  DrawButtonFace(c);
  LookBevel b(c);
  DrawWinButtonBevel(c, b);
  DrawButtonLabel(c, b.x, b.y, b.w, b.h);
}

void DrawWinGrip(const LookCall& c) {
  LookBevel b(c);
  b.Inset();
  const int32_t x = b.x, y = b.y, w = b.w, h = b.h;
  if (w < h) {
    c.Pen(0);
    c.Line(x, y, x + 1, y);
    c.Line(x, y, x, y + h - 2);
    c.Pen(21);
    c.Line(x, y + h - 1, x + 2, y + h - 1);
    c.Line(x + 2, y, x + 2, y + h - 2);
  } else {
    c.Pen(0);
    c.Line(x, y, x, y + 1);
    c.Line(x, y, x + w - 2, y);
    c.Pen(21);
    c.Line(x, y + 2, x + w - 1, y + 2);
  }
}

void DrawSeparator(const LookCall& c) {
  c.Pen(21);
  if (c.w < c.h) {
    const int32_t x = c.x + c.w / 2 - 1;
    c.Line(x, c.y, x, c.y + c.h);
    c.Pen(20);
    c.Line(x + 1, c.y, x + 1, c.y + c.h);
  } else {
    const int32_t y = c.y + c.h / 2 - 1;
    c.Line(c.x, y, c.x + c.w, y);
    c.Pen(20);
    c.Line(c.x, y + 1, c.x + c.w, y + 1);
  }
}

// Kinds 16 and 17: the raised and sunken one-pixel bevels, whose colours
// turn over when the element is pressed.
void DrawWinBorder(const LookCall& c) {
  const bool pressed = c.state == kPressed;
  const bool raised = c.kind == kRaisedBorder;
  LookBevel b(c);
  b.Shrink();
  b.LT(raised ? (pressed ? 0 : 20) : (pressed ? 10 : 21));
  c.Pen(raised ? (pressed ? 10 : 21) : (pressed ? 0 : 20));
  c.port.DrawTwoSegments(b.x + 1, b.y + b.h, b.w - 1, 0, 0, -(b.h - 1));
}

void DrawEtchedRect(const LookCall& c) {
  c.Pen(20);
  c.port.FrameRect(c.x + 1, c.y + 1, c.w - 1, c.h - 1);
  c.Pen(21);
  c.port.FrameRect(c.x, c.y, c.w - 1, c.h - 1);
}

// Thumbs and split boxes: a raised box with a dark outer bottom-right edge.
void DrawRaisedBox(const LookCall& c) {
  c.PaintBox(17);
  LookBevel b(c);
  b.Shrink();
  b.RB(10);
  b.Inset();
  b.LT(20);
  b.RB(21);
}

void DrawWinCombo(const LookCall& c) {
  c.Element(kEditField, c.x, c.y, c.w, c.h, c.text);
  c.Element(kDropDownButton, c.x + c.w - c.h + 2, c.y + 2, c.h - 4, c.h - 4, c.text);
}

}  // namespace

// ---- LookCall and LookBevel

COLORREF LookCall::Color(int32_t index) const { return look.GetColor(index); }
void LookCall::Pen(int32_t color) const { port.SetPenColor(Color(color)); }
void LookCall::Fill(int32_t color) const { port.SetFillColor(Color(color)); }
void LookCall::TextColor(int32_t color) const { port.SetTextColor(Color(color)); }
void LookCall::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  port.DrawLine(x1, y1, x2, y2);
}
// A point in the pen colour: a line one pixel long.
void LookCall::Point(int32_t px, int32_t py) const { port.DrawLine(px, py, px + 1, py); }
void LookCall::PaintBox(int32_t color, int32_t bx, int32_t by, int32_t bw, int32_t bh) const {
  Fill(color);
  port.PaintRect(bx, by, bw, bh);
}
void LookCall::Element(int32_t otherKind, int32_t bx, int32_t by, int32_t bw, int32_t bh,
                       const VString* withText) const {
  look.DrawElement(port, otherKind, state, bx, by, bw, bh, withText, 0);
}

void LookBevel::LT(int32_t color) {
  call.Pen(color);
  call.port.DrawTwoSegments(x, y + h, 0, -h, w, 0);
}

void LookBevel::RB(int32_t color) {
  call.Pen(color);
  call.port.DrawTwoSegments(x, y + h, w, 0, 0, -h);
}

// ---- Helpers

void ResetDrawingState(VPort& port) {
  port.SetFillPatternIndex(kPatternSolid);
  port.SetPenPatternIndex(kPatternSolid);
  port.SetPenWidth(1);
  port.SetPenMode(0);
}

void DrawFallbackBox(const LookCall& call) {
  call.port.SetFillColorIndex(0);
  call.port.SetPenColorIndex(10);
  call.port.PaintAndFrameRect(call.x, call.y, call.w, call.h);
}

VIconShape* MakeLookImage(const char* name) {
  VResourceFile* file =
      gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
  return new VIconShape(file, name);
}

void FreeLookImage(VIconShape* image) { delete image; }

COLORREF SharedLookColor(int32_t index) {
  static constexpr COLORREF kFixed[17] = {
      RGB(255, 255, 255), RGB(230, 230, 230), RGB(204, 204, 204), RGB(179, 179, 179),
      RGB(153, 153, 153), RGB(128, 128, 128), RGB(104, 104, 104), RGB(77, 77, 77),
      RGB(52, 52, 52),    RGB(26, 26, 26),    RGB(0, 0, 0),       RGB(255, 0, 0),
      RGB(0, 255, 0),     RGB(0, 0, 255),     RGB(255, 255, 0),   RGB(255, 15, 255),
      RGB(0, 255, 255),
  };
  return index >= 0 && index <= 16 ? kFixed[index] : 0xFFFFFFFF;
}

int32_t FloorHalf(int32_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

FieldColors FieldColorsOf(int32_t state, int32_t normalBack) {
  if (state == kPressed) return {30, 28};
  if (state == kDisabled) return {normalBack, 29};
  return {normalBack, 25};
}

bool IsButtonState(int32_t state) {
  return IsRaisedButtonState(state) || IsSunkenButtonState(state);
}

int CheckImageSlot(int32_t state) {
  switch (state) {
    case kOn: return 1;
    case kMixed: return 2;
    case kPressed: return 3;
    case kPressedOn: return 4;
    case kPressedMixed: return 5;
    case kDisabled: return 6;
    case kDisabledOn: return 7;
    case kDisabledMixed: return 8;
    default: return 0;
  }
}

// ---- Shared drawings

void DrawDropDownFace(const LookCall& c, int32_t normalBack) {
  const FieldColors colors = FieldColorsOf(c.state, normalBack);
  c.PaintBox(colors.back);
  if (c.text == nullptr) return;
  c.TextColor(colors.text);
  c.port.DrawTextInBox(*c.text, kAlignLeft, kAlignMiddle, c.x, c.y, c.w, c.h, true);
}

void DrawEditField(const LookCall& c, int32_t innerBack) {
  c.PaintBox(27);
  LookBevel b(c);
  b.Shrink();
  b.LT(21);
  b.RB(20);
  b.Inset();
  b.LT(10);
  b.RB(19);
  // The inner box: 4 pixels in from the left and top, 5 from the right and
  // bottom of the given box.
  const int32_t ix = b.x + 3, iy = b.y + 3, iw = b.w - 6, ih = b.h - 6;
  const FieldColors colors = FieldColorsOf(c.state, innerBack);
  c.PaintBox(colors.back, ix, iy, iw, ih);
  if (c.text == nullptr) return;
  c.TextColor(colors.text);
  c.port.DrawTextInBox(*c.text, kAlignLeft, kAlignMiddle, ix, iy, iw, ih, true);
}

void DrawMenuItem(const LookCall& c, int32_t pressedText, int16_t align) {
  int32_t back = 33, fore = 31;
  if (c.state == kPressed) {
    back = 34;
    fore = pressedText;
  } else if (c.state == kDisabled) {
    fore = 29;
  }
  c.PaintBox(back);
  if (c.text == nullptr) return;
  c.port.UseStandardFont(c.kind == kMenuItem ? kMenuFont : kLabelFont);
  if (c.state == kDisabled) {
    c.TextColor(20);
    c.port.DrawTextInBox(*c.text, align, kAlignMiddle, c.x + 1, c.y + 1, c.w + 1, c.h + 1, false);
  }
  c.TextColor(fore);
  c.port.DrawTextInBox(*c.text, align, kAlignMiddle, c.x, c.y, c.w, c.h, false);
}

void DrawButtonFace(const LookCall& c) {
  switch (c.state) {
    case kNormal:
    case kHotNormal:
    case kHotOn:
    case kHotMixed:
    case kPressed:
    case kPressedOn:
    case kDisabled: c.PaintBox(17); break;
    case kOn:
    case kMixed:
    case kPressedMixed:
      // The 50% checker of a pushed-in toggle; a mixed one keeps a plain rim.
      c.port.SetBackColor(c.Color(0));
      c.port.SetFillPatternIndex(kPatternChecker);
      if (c.state == kMixed) {
        c.PaintBox(17, c.x + 1, c.y + 1, c.w - 2, c.h - 2);
      } else {
        c.PaintBox(17);
      }
      c.port.SetFillPatternIndex(kPatternSolid);
      break;
    default: break;
  }
}

void DrawButtonLabel(const LookCall& c, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (c.text == nullptr) return;
  const VString& text = *c.text;
  switch (c.state) {
    case kDisabled:
      c.TextColor(20);
      c.port.DrawTextInBox(text, kAlignCentre, kAlignMiddle, x + 1, y + 1, w, h, false);
      c.TextColor(29);
      c.port.DrawTextInBox(text, kAlignCentre, kAlignMiddle, x, y, w, h, false);
      break;
    case kMixed:
      c.TextColor(29);
      c.port.DrawTextInBox(text, kAlignCentre, kAlignMiddle, x, y, w, h, false);
      break;
    case kPressed:
    case kOn:
      c.TextColor(25);
      c.port.DrawTextInBox(text, kAlignCentre, kAlignMiddle, x + 1, y + 1, w, h, false);
      break;
    default:
      c.TextColor(25);
      c.port.DrawTextInBox(text, kAlignCentre, kAlignMiddle, x, y, w, h, false);
      break;
  }
}

void DrawImageCheck(const LookCall& c, VIconShape* image) {
  constexpr int32_t kCheckFont = 2;
  image->SetPosition(c.x + 4, c.y + (c.h - image->GetHeight()) / 2);
  c.port.DrawIcon(*image, 0);
  if (c.text == nullptr) return;
  c.port.UseStandardFont(kCheckFont);
  if (c.state == kDisabled) {
    c.TextColor(20);
    c.port.DrawTextInBox(*c.text, kAlignLeft, kAlignMiddle, c.x + 21, c.y + 1, c.w - 20, c.h,
                         false);
    c.TextColor(29);
  } else {
    c.TextColor(25);
  }
  c.port.DrawTextInBox(*c.text, kAlignLeft, kAlignMiddle, c.x + 20, c.y, c.w - 20, c.h, false);
}

void DrawArrowButtonFrame(const LookCall& c, int32_t* bx, int32_t* by, int32_t* bw,
                          int32_t* bh) {
  LookBevel b(c);
  if (c.state == kPressed) {
    c.Fill(17);
    c.Pen(21);
    c.port.PaintAndFrameRect(c.x, c.y, c.w, c.h);
  } else {
    c.PaintBox(17);
    b.Shrink();
    b.RB(10);
    b.Inset();
    b.LT(20);
    b.RB(21);
  }
  *bx = b.x;
  *by = b.y;
  *bw = b.w;
  *bh = b.h;
}

void DrawCheckeredTrack(const LookCall& c, int32_t background) {
  c.port.SetBackColor(c.Color(background));
  c.port.SetFillPatternIndex(kPatternChecker);
  c.PaintBox(c.state == kPressed ? 22 : 23);
  c.port.SetFillPatternIndex(kPatternSolid);
}

void DrawWinElement(const LookCall& c) {
  switch (c.kind) {
    case kPanel: c.PaintBox(17); break;
    case kProgressFill: c.PaintBox(34); break;
    case kEdgeLine: DrawEdgeLine(c); break;
    case kListCell: DrawListCell(c); break;
    case kDropDownFace: DrawDropDownFace(c, 27); break;
    case kEditField: DrawEditField(c, 27); break;
    case kMenuItem:
    case kMenuItemSmall:
    case kMenuButton: DrawMenuItem(c, 32, kAlignCentre); break;
    case kMenuSeparator: DrawMenuSeparator(c); break;
    case kPushButton:
    case kFlatButton: DrawWinPushButton(c); break;
    case kButtonLabel: DrawButtonLabel(c, c.x, c.y, c.w, c.h); break;
    case kGrip: DrawWinGrip(c); break;
    case kSeparator: DrawSeparator(c); break;
    case kRaisedBorder:
    case kSunkenBorder: DrawWinBorder(c); break;
    case kEtchedRect: DrawEtchedRect(c); break;
    case kTrackHorizontal:
    case kTrackVertical: DrawCheckeredTrack(c, 0); break;
    case kThumbHorizontal:
    case kThumbVertical:
    case kSplitBoxUpright:
    case kSplitBoxAcross: DrawRaisedBox(c); break;
    case kBarFrame: break;
    case kPopUpBox:
    case kComboField: DrawWinCombo(c); break;
    case kPopUpMenuField:
    case kPopUpField: c.Element(kDropDownFace, c.x, c.y, c.w, c.h, c.text); break;
    default: DrawFallbackBox(c); break;
  }
}

}  // namespace looks
