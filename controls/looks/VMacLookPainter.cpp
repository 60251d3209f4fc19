// The Macintosh look: its palette, its fonts, and the elements it draws
// otherwise than the Windows look.
#include "controls/looks/VMacLookPainter.h"

#include <cstring>

#include "controls/looks/LookElements.h"
#include "framework/core/strings/VString.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"

namespace {

using namespace looks;

const char* const kMacArrowNames[VMacLookPainter::kImageCount] = {
    "ArrowLeftMac", "ArrowRightMac", "ArrowTopMac", "ArrowBottomMac"};

constexpr int32_t kMacCheckFont = 2;
constexpr int32_t kMacBoxSide = 12;

// Kinds 9 and 10: both kinds take the full two-ring bevel.
void DrawMacButtonBevel(const LookCall& c, LookBevel& b) {
  switch (c.state) {
    case kNormal:
    case kMixed:
    case kHotNormal:
    case kHotMixed:
    case kDisabled:
    case kPressedMixed:
      if (c.kind == kFlatButton && (c.state == kNormal || c.state == kDisabled)) return;
      b.Shrink();
      b.LT(20);
      b.RB(10);
      b.Inset();
      b.RB(21);
      break;
    case kOn:
    case kHotOn:
    case kPressed:
    case kPressedOn:
      b.Shrink();
      b.LT(10);
      b.RB(20);
      b.Inset();
      b.LT(21);
      break;
    default: break;
  }
}

// Kinds 12 and 13 alike: a 12-pixel box, grey when mixed, crossed when on.
void DrawMacCheck(const LookCall& c) {
  const bool mixed = c.state == kMixed || c.state == kPressedMixed || c.state == kDisabledMixed;
  const bool on = c.state == kOn || c.state == kPressedOn || c.state == kDisabledOn;
  const bool disabled =
      c.state == kDisabled || c.state == kDisabledOn || c.state == kDisabledMixed;
  c.Fill(mixed ? 3 : 0);
  c.Pen(disabled ? 29 : 10);
  const int32_t top = c.y + (c.h - kMacBoxSide) / 2;
  c.port.PaintAndFrameRect(c.x + 4, top, kMacBoxSide, kMacBoxSide);
  if (on) {
    c.Line(c.x + 4, top, c.x + 16, top + 12);
    c.Line(c.x + 4, top + 12, c.x + 16, top);
  }
  if (c.text == nullptr) return;
  c.TextColor(disabled ? 29 : 25);
  c.port.UseStandardFont(kMacCheckFont);
  c.port.DrawTextInBox(*c.text, kAlignLeft, kAlignMiddle, c.x + 20, c.y, c.w - 20, c.h, false);
}

// Kind 14: diagonal hatching, shadow then highlight lines five pixels
// apart; they start left of the box and the caller's clip bounds them.
void DrawMacGrip(const LookCall& c) {
  const int32_t end = c.x + c.w + c.h;
  c.Pen(21);
  for (int32_t d = c.x - 2; d < end; d += 5) c.Line(d, c.y, d - c.h, c.y + c.h);
  c.Pen(20);
  for (int32_t d = c.x - 1; d < end; d += 5) c.Line(d, c.y, d - c.h, c.y + c.h);
}

void DrawMacBorder(const LookCall& c) {
  LookBevel b(c);
  b.Shrink();
  const bool raised = c.kind == kRaisedBorder;
  b.LT(raised ? 20 : 21);
  b.RB(raised ? 21 : 20);
}

// Kind 32: a box with a one-pixel drop shadow at its right and bottom.
void DrawMacPopUpBox(const LookCall& c) {
  c.port.SetFillColorIndex(0);
  c.port.SetPenColorIndex(10);
  c.port.PaintAndFrameRect(c.x, c.y, c.w - 1, c.h - 1);
  c.Line(c.x + 2, c.y + c.h - 1, c.x + c.w, c.y + c.h - 1);
  c.Line(c.x + c.w - 1, c.y + 2, c.x + c.w - 1, c.y + c.h);
}

}  // namespace

VMacLookPainter::~VMacLookPainter() = default;

VIconShape* VMacLookPainter::Image(int slot) {
  return fImages.Get(slot, kMacArrowNames[slot]);
}

COLORREF VMacLookPainter::GetColor(int32_t index) {
  static constexpr COLORREF kRoles[20] = {
      RGB(221, 221, 221),  // 17 face
      RGB(221, 221, 221),  // 18 face
      RGB(238, 238, 238),  // 19 light edge
      RGB(238, 238, 238),  // 20 highlight
      RGB(102, 102, 102),  // 21 shadow
      RGB(102, 102, 102),  // 22 dark shadow
      RGB(153, 153, 153),  // 23 scroll track
      RGB(255, 255, 255),  // 24 caption text
      RGB(0, 0, 0),        // 25 window text
      RGB(0, 0, 0),        // 26 button text
      RGB(255, 255, 255),  // 27 window
      RGB(0, 0, 0),        // 28 selected text
      RGB(136, 136, 136),  // 29 grey text
      RGB(153, 204, 255),  // 30 selection
      RGB(0, 0, 0),        // 31 menu text
      RGB(255, 255, 255),  // 32 selected menu text
      RGB(221, 221, 221),  // 33 menu
      RGB(102, 102, 102),  // 34 selected menu
      RGB(255, 255, 255),  // 35 tool-tip text
      RGB(255, 255, 170),  // 36 tool-tip
  };
  if (index >= 17 && index <= 36) return kRoles[index - 17];
  return SharedLookColor(index);
}

bool GetFixedLookFont(int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                      uint8_t& italic) {
  const char* face = nullptr;
  switch (kind) {
    case 0:
    case 2:
    case 7: face = "Arial"; break;
    case 1:
    case 4:
    case 5: face = "MS Sans Serif"; break;
    case 6: face = "Times New Roman"; break;
    default: return false;
  }
  name.SetChars(face, 0, static_cast<int32_t>(std::strlen(face)), kCharSetAnsi);
  size = (kind == 1 || kind == 4 || kind == 5) ? 8 : 10;
  bold = (kind == 0 || kind == 2) ? 1 : 0;
  italic = 0;
  return true;
}

bool VMacLookPainter::GetFont(HDC, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                              uint8_t& italic) {
  return GetFixedLookFont(kind, name, size, bold, italic);
}

int32_t VMacLookPainter::GetMetric(int32_t id) {
  return id == 1 || id == 2 || id == 3 || id == 5 || id == 6 ? 16 : 0;
}

bool VMacLookPainter::DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x,
                                  int32_t y, int32_t w, int32_t h, const VString* text, int32_t) {
  ResetDrawingState(port);
  const LookCall call{*this, port, kind, state, x, y, w, h, text};
  switch (kind) {
    case kProgressFill: call.PaintBox(7); break;
    case kEditField: DrawEditField(call, 0); break;
    case kMenuItem:
    case kMenuItemSmall:
    case kMenuButton: DrawMenuItem(call, 28, kAlignCentre); break;
    case kPushButton:
    case kFlatButton: {
      DrawButtonFace(call);
      LookBevel b(call);
      DrawMacButtonBevel(call, b);
      port.UseStandardFont(kMacCheckFont);
      DrawButtonLabel(call, b.x, b.y, b.w, b.h);
      break;
    }
    case kButtonLabel:
      port.UseStandardFont(kMacCheckFont);
      DrawButtonLabel(call, x, y, w, h);
      break;
    case kRadioButton:
    case kCheckBox: DrawMacCheck(call); break;
    case kGrip: DrawMacGrip(call); break;
    case kRaisedBorder:
    case kSunkenBorder: DrawMacBorder(call); break;
    case kTrackHorizontal:
    case kTrackVertical: DrawCheckeredTrack(call, 27); break;
    case kArrowLeft:
    case kArrowRight:
    case kArrowUp:
    case kArrowDown:
    case kDropDownButton: {
      int32_t bx, by, bw, bh;
      DrawArrowButtonFrame(call, &bx, &by, &bw, &bh);
      if (state != kNormal && state != kPressed && state != kDisabled) break;
      // The arrow sits at the button's top-left corner, one pixel in.
      VIconShape* image = Image((kind == kDropDownButton ? kArrowDown : kind) - kArrowLeft);
      image->SetPosition(x + 1, y + 1);
      port.DrawIcon(*image, state == kDisabled ? 2 : 0);
      break;
    }
    case kPopUpBox: DrawMacPopUpBox(call); break;
    case kPopUpMenuField: call.Element(kMenuItemSmall, x, y, w - h, h, text); break;
    case kComboField:
      call.Element(kEditField, x, y, w - h - 6, h, text);
      call.Element(kPopUpBox, x + w - h - 6, y, h, h, text);
      break;
    case kPopUpField: call.Element(kMenuItemSmall, x, y, w - h - 6, h, text); break;
    default: DrawWinElement(call); break;
  }
  return true;
}
