#include "controls/looks/VWinLookPainter.h"

#include <cstring>

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/VIconShape.h"
#include "graphics/VPort.h"
#include "platform/win32/WinSysColors.h"
#include "platform/win32/WinWindowState.h"

namespace {

// Element kinds and states the painter knows.
enum : int32_t {
  kPanel = 0,
  kDropDownFace = 3,
  kEditField = 4,
  kCheckBox = 13,
  kRaisedBorder = 16,
  kSunkenBorder = 17,
  kTrackHorizontal = 19,
  kTrackVertical = 20,
  kThumbHorizontal = 21,
  kThumbVertical = 22,
  kBarFrame = 23,
  kSplitBoxAcross = 24,
  kSplitBoxUpright = 25,
  kArrowLeft = 26,
  kArrowDown = 29,
};
enum : int32_t {
  kStateOn = 1,
  kStateMixed = 2,
  kStatePressed = -100,
  kStatePressedOn = -99,
  kStatePressedMixed = -97,
  kStateDisabled = -96,
  kStateDisabledOn = -95,
  kStateDisabledMixed = -94,
};
constexpr int16_t kPatternChecker = 3;
constexpr int16_t kPatternSolid = 6;
constexpr int32_t kSystemVersionNT4 = 4;
constexpr int32_t kSystemVersionXP = 7;
constexpr int32_t kCheckBoxFont = 2;

const char* const kImageNames[VWinLookPainter::kImageCount] = {
    "ArrowLeft",
    "ArrowRight",
    "ArrowTop",
    "ArrowBottom",
    "WinCheckNormal",
    "WinCheckChecked",
    "WinCheckMixed",
    "WinCheckPushedNormal",
    "WinCheckPushedChecked",
    "WinCheckPushedMixed",
    "WinCheckDisabledNormal",
    "WinCheckDisabledChecked",
    "WinCheckDisabledMixed",
};

int CheckSlot(int32_t state) {
  switch (state) {
    case kStateOn: return 5;
    case kStateMixed: return 6;
    case kStatePressed: return 7;
    case kStatePressedOn: return 8;
    case kStatePressedMixed: return 9;
    case kStateDisabled: return 10;
    case kStateDisabledOn: return 11;
    case kStateDisabledMixed: return 12;
    default: return 4;
  }
}

// The box of the bevel steps: shrink, left-top and right-bottom paths,
// inset, each on the current values.
struct Bevel {
  VPort& port;
  VWinLookPainter& look;
  int32_t x, y, w, h;
  void Shrink() {
    --w;
    --h;
  }
  void Inset() {
    ++x;
    ++y;
    w -= 2;
    h -= 2;
  }
  void LT(int32_t color) {
    port.SetPenColor(look.GetColor(color));
    port.DrawTwoSegments(x, y + h, 0, -h, w, 0);
  }
  void RB(int32_t color) {
    port.SetPenColor(look.GetColor(color));
    port.DrawTwoSegments(x, y + h, w, 0, 0, -h);
  }
};

int32_t FloorHalf(int32_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

}  // namespace

VWinLookPainter::~VWinLookPainter() {
  for (VIconShape*& image : fImages) {
    delete image;
    image = nullptr;
  }
}

VIconShape* VWinLookPainter::Image(int slot) {
  if (fLoaded[slot] == 0) {
    fLoaded[slot] = 1;
    VResourceFile* file =
        gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
    fImages[slot] = new VIconShape(file, kImageNames[slot]);
  }
  VIconShape* image = fImages[slot];
  return image != nullptr && image->GetId() != -1 ? image : nullptr;
}

// ---- Colours, fonts, metrics.

COLORREF VWinLookPainter::GetColor(int32_t index) {
  static const COLORREF kFixed[17] = {
      RGB(255, 255, 255), RGB(230, 230, 230), RGB(204, 204, 204), RGB(179, 179, 179),
      RGB(153, 153, 153), RGB(128, 128, 128), RGB(104, 104, 104), RGB(77, 77, 77),
      RGB(52, 52, 52),    RGB(26, 26, 26),    RGB(0, 0, 0),       RGB(255, 0, 0),
      RGB(0, 255, 0),     RGB(0, 0, 255),     RGB(255, 255, 0),   RGB(255, 15, 255),
      RGB(0, 255, 255),
  };
  if (index >= 0 && index <= 16) return kFixed[index];
  int system = -1;
  switch (index) {
    case 17:
    case 18: system = COLOR_3DFACE; break;
    case 19: system = COLOR_3DLIGHT; break;
    case 20: system = COLOR_3DHILIGHT; break;
    case 21: system = COLOR_3DSHADOW; break;
    case 22: system = COLOR_3DDKSHADOW; break;
    case 23: system = COLOR_SCROLLBAR; break;
    case 24: system = COLOR_CAPTIONTEXT; break;
    case 25: system = COLOR_WINDOWTEXT; break;
    case 26: system = COLOR_BTNTEXT; break;
    case 27: system = COLOR_WINDOW; break;
    case 28:
    case 32: system = COLOR_HIGHLIGHTTEXT; break;
    case 29: system = COLOR_GRAYTEXT; break;
    case 30:
    case 34: system = COLOR_HIGHLIGHT; break;
    case 31:
      system =
          VSystemServices::GetSystemVersion() == kSystemVersionNT4 ? COLOR_MENUTEXT : COLOR_BTNTEXT;
      break;
    case 33:
      system = VSystemServices::GetSystemVersion() == kSystemVersionXP ? COLOR_3DFACE : COLOR_MENU;
      break;
    case 35: system = COLOR_INFOTEXT; break;
    case 36: system = COLOR_INFOBK; break;
    default: return 0xFFFFFFFF;
  }
  return GetSysColor(system);
}

bool VWinLookPainter::GetFont(HDC, int32_t kind, VString& name, int16_t& size, uint8_t& bold,
                              uint8_t& italic) {
  // The system's menu, icon-title and message fonts (ids 0 to 5) are not
  // offered by the platform: the port then takes its fallback font.
  const char16_t* face = nullptr;
  if (kind == 6) face = u"Times New Roman";
  if (kind == 7) face = u"Arial";
  if (face == nullptr) return false;
  name.SetUniChars(face, 0, static_cast<int32_t>(std::char_traits<char16_t>::length(face)));
  size = 10;
  bold = 0;
  italic = 0;
  return true;
}

int32_t VWinLookPainter::GetMetric(int32_t id) {
  switch (id) {
    case 0: return 1;
    case 1: return GetSystemMetrics(SM_CXHSCROLL);
    case 2: return GetSystemMetrics(SM_CXVSCROLL);
    case 3: return GetSystemMetrics(SM_CXHTHUMB);
    case 5:
    case 6: return GetMetric(2);
    default: return 0;
  }
}

// ---- Elements.

void VWinLookPainter::DrawCheckBox(VPort& port, int32_t state, int32_t x, int32_t y, int32_t w,
                                   int32_t h, const VString* text) {
  if (VIconShape* image = Image(CheckSlot(state))) {
    const int32_t ih = image->GetHeight();
    image->SetPosition(x + 4, y + (h - ih) / 2);
    port.DrawIcon(*image, 0);
  } else {
    // Without the image resource a drawn box stands in: 13 x 13, sunken,
    // white (grey when pressed or disabled), with a tick when on.
    constexpr int32_t kSide = 13;
    const int32_t bx = x + 4;
    const int32_t by = y + (h - kSide) / 2;
    const bool grey = state == kStatePressed || state == kStatePressedOn ||
                      state == kStatePressedMixed || state <= kStateDisabled;
    port.SetFillColor(GetColor(grey ? 17 : 27));
    port.PaintRect(bx, by, kSide, kSide);
    Bevel b{port, *this, bx, by, kSide, kSide};
    b.Shrink();
    b.LT(21);
    b.RB(20);
    b.Inset();
    b.LT(10);
    b.RB(19);
    const bool on = state == kStateOn || state == kStatePressedOn || state == kStateDisabledOn;
    const bool mixed =
        state == kStateMixed || state == kStatePressedMixed || state == kStateDisabledMixed;
    if (on || mixed) {
      port.SetPenColor(GetColor(state <= kStateDisabled ? 21 : (mixed ? 21 : 25)));
      for (int32_t i = 0; i < 3; ++i) {
        port.DrawLine(bx + 3, by + 5 + i, bx + 5, by + 7 + i);
        port.DrawLine(bx + 5, by + 7 + i, bx + 10, by + 2 + i);
      }
    }
  }
  if (text == nullptr) return;
  port.UseStandardFont(kCheckBoxFont);
  if (state == kStateDisabled) {
    port.SetTextColor(GetColor(20));
    port.DrawTextInBox(*text, 0, 1, x + 21, y + 1, w - 20, h, false);
    port.SetTextColor(GetColor(29));
  } else {
    port.SetTextColor(GetColor(25));
  }
  port.DrawTextInBox(*text, 0, 1, x + 20, y, w - 20, h, false);
}

void VWinLookPainter::DrawArrowButton(VPort& port, int32_t kind, int32_t state, int32_t x,
                                      int32_t y, int32_t w, int32_t h) {
  Bevel b{port, *this, x, y, w, h};
  port.SetFillColor(GetColor(17));
  if (state == kStatePressed) {
    port.SetPenColor(GetColor(21));
    port.PaintAndFrameRect(x, y, w, h);
  } else {
    port.PaintRect(x, y, w, h);
    b.Shrink();
    b.RB(10);
    b.Inset();
    b.LT(20);
    b.RB(21);
  }
  if (state != 0 && state != kStatePressed && state != kStateDisabled) return;
  const int slot = (kind > kArrowDown ? kArrowDown : kind) - kArrowLeft;
  if (VIconShape* image = Image(slot)) {
    image->SetPosition(b.x + FloorHalf(b.w) - FloorHalf(image->GetWidth()),
                       b.y + FloorHalf(b.h) - FloorHalf(image->GetHeight()));
    port.DrawIcon(*image, state == kStateDisabled ? 2 : 0);
    return;
  }
  // Without the image resource a drawn triangle stands in, 4 rows deep,
  // pointing the arrow's way.
  port.SetPenColor(GetColor(state == kStateDisabled ? 21 : 10));
  const int32_t cx = b.x + FloorHalf(b.w);
  const int32_t cy = b.y + FloorHalf(b.h);
  for (int32_t i = 0; i < 4; ++i) {
    switch (slot) {
      case 0: port.DrawLine(cx - 2 + i, cy - i, cx - 2 + i, cy + i + 1); break;
      case 1: port.DrawLine(cx + 1 - i, cy - i, cx + 1 - i, cy + i + 1); break;
      case 2: port.DrawLine(cx - i, cy - 2 + i, cx + i + 1, cy - 2 + i); break;
      default: port.DrawLine(cx - i, cy + 1 - i, cx + i + 1, cy + 1 - i); break;
    }
  }
}

bool VWinLookPainter::DrawElement(VPort& port, int32_t kind, int32_t state, int32_t x, int32_t y,
                                  int32_t w, int32_t h, const VString* text, int32_t) {
  port.SetFillPatternIndex(kPatternSolid);
  port.SetPenPatternIndex(kPatternSolid);
  port.SetPenWidth(1);
  port.SetPenMode(0);
  Bevel b{port, *this, x, y, w, h};
  switch (kind) {
    case kPanel:
      port.SetFillColor(GetColor(17));
      port.PaintRect(x, y, w, h);
      break;
    case kDropDownFace:
    case kEditField: {
      const int32_t back = state == kStatePressed ? 30 : 27;
      const int32_t fore = state == kStatePressed ? 28 : (state == kStateDisabled ? 29 : 25);
      if (kind == kEditField) {
        port.SetFillColor(GetColor(27));
        port.PaintRect(x, y, w, h);
        b.Shrink();
        b.LT(21);
        b.RB(20);
        b.Inset();
        b.LT(10);
        b.RB(19);
        b.x += 3;
        b.y += 3;
        b.w -= 6;
        b.h -= 6;
      }
      port.SetFillColor(GetColor(back));
      port.PaintRect(b.x, b.y, b.w, b.h);
      if (text != nullptr) {
        port.SetTextColor(GetColor(fore));
        port.DrawTextInBox(*text, 0, 1, b.x, b.y, b.w, b.h, true);
      }
      break;
    }
    case kCheckBox: DrawCheckBox(port, state, x, y, w, h, text); break;
    case kRaisedBorder:
    case kSunkenBorder: {
      const bool pressed = state == kStatePressed;
      const bool raised = kind == kRaisedBorder;
      b.Shrink();
      b.LT(raised ? (pressed ? 0 : 20) : (pressed ? 10 : 21));
      port.SetPenColor(GetColor(raised ? (pressed ? 10 : 21) : (pressed ? 0 : 20)));
      port.DrawTwoSegments(b.x + 1, b.y + b.h, b.w - 1, 0, 0, -(b.h - 1));
      break;
    }
    case kTrackHorizontal:
    case kTrackVertical:
      port.SetBackColor(GetColor(0));
      port.SetFillColor(GetColor(state == kStatePressed ? 22 : 23));
      port.SetFillPatternIndex(kPatternChecker);
      port.PaintRect(x, y, w, h);
      port.SetFillPatternIndex(kPatternSolid);
      break;
    case kThumbHorizontal:
    case kThumbVertical:
    case kSplitBoxAcross:
    case kSplitBoxUpright:
      port.SetFillColor(GetColor(17));
      port.PaintRect(x, y, w, h);
      b.Shrink();
      b.RB(10);
      b.Inset();
      b.LT(20);
      b.RB(21);
      break;
    case kBarFrame: break;
    case kArrowLeft:
    case kArrowLeft + 1:
    case kArrowLeft + 2:
    case kArrowDown: DrawArrowButton(port, kind, state, x, y, w, h); break;
    default:
      port.SetFillColorIndex(0);
      port.SetPenColorIndex(10);
      port.PaintAndFrameRect(x, y, w, h);
      break;
  }
  return true;
}

namespace {

VLookPainter* MakeWinLook(int32_t kind) {
  return kind == 1 || kind == 2 ? new VWinLookPainter : nullptr;
}

}  // namespace

const VLookPainterMaker kWinLookPainterMaker{&MakeWinLook};
