// The vocabulary the look painters share (element kinds, states) and the
// drawings of the Windows look, which the Macintosh and third looks reuse
// for every element they draw the same way, each with its own colours.
#pragma once

#include <cstdint>

#include "controls/looks/LookImages.h"
#include "platform/gdi/WinGdiTypes.h"

class VIconShape;
class VLookPainter;
class VPort;
class VResourceFile;
class VString;

namespace looks {

// Element kinds.
enum : int32_t {
  kPanel = 0,
  kEdgeLine = 1,
  kListCell = 2,
  kDropDownFace = 3,
  kEditField = 4,
  kMenuItem = 5,
  kMenuItemSmall = 6,
  kMenuSeparator = 7,
  kMenuButton = 8,
  kPushButton = 9,
  kFlatButton = 10,
  kButtonLabel = 11,
  kRadioButton = 12,
  kCheckBox = 13,
  kGrip = 14,
  kSeparator = 15,
  kRaisedBorder = 16,
  kSunkenBorder = 17,
  kEtchedRect = 18,
  kTrackHorizontal = 19,
  kTrackVertical = 20,
  kThumbHorizontal = 21,
  kThumbVertical = 22,
  kBarFrame = 23,
  kSplitBoxUpright = 24,
  kSplitBoxAcross = 25,
  kArrowLeft = 26,
  kArrowRight = 27,
  kArrowUp = 28,
  kArrowDown = 29,
  kDropDownButton = 30,
  kProgressFill = 31,
  kPopUpBox = 32,
  kPopUpMenuField = 33,
  kComboField = 34,
  kPopUpField = 35,
  kRaisedPanel = 37,
};

// Element states.
enum : int32_t {
  kNormal = 0,
  kOn = 1,
  kMixed = 2,
  kHotNormal = 3,
  kHotOn = 4,
  kHotMixed = 5,
  kPressed = -100,
  kPressedOn = -99,
  kPressedMixed = -97,
  kDisabled = -96,
  kDisabledOn = -95,
  kDisabledMixed = -94,
  kBarInactive = -93,
};

// Text placement of DrawTextInBox.
enum : int16_t { kAlignLeft = 0, kAlignCentre = 1, kAlignMiddle = 1 };

// One element call: the painter whose colours apply, the port, and the
// arguments of DrawElement.
struct LookCall {
  VLookPainter& look;
  VPort& port;
  int32_t kind;
  int32_t state;
  int32_t x, y, w, h;
  const VString* text;

  COLORREF Color(int32_t index) const;
  void Pen(int32_t color) const;
  void Fill(int32_t color) const;
  void TextColor(int32_t color) const;
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  void Point(int32_t px, int32_t py) const;
  void PaintBox(int32_t color, int32_t bx, int32_t by, int32_t bw, int32_t bh) const;
  void PaintBox(int32_t color) const { PaintBox(color, x, y, w, h); }
  // Another element of the same painter over a box, with or without text.
  void Element(int32_t otherKind, int32_t bx, int32_t by, int32_t bw, int32_t bh,
               const VString* withText) const;
};

// The box of the bevel steps, on its current values: shrink takes one from
// the width and height, LT draws the left then the top edge, RB the bottom
// then the right edge, inset moves the box one pixel in on every side.
struct LookBevel {
  const LookCall& call;
  int32_t x, y, w, h;
  explicit LookBevel(const LookCall& c) : call(c), x(c.x), y(c.y), w(c.w), h(c.h) {}
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
  void LT(int32_t color);
  void RB(int32_t color);
};

// Solid fill and pen patterns, pen width 1, copy mode: the state every
// painter sets before it looks at the kind.
void ResetDrawingState(VPort& port);
// The plain box of an element a look does not draw: white framed in black.
void DrawFallbackBox(const LookCall& call);
// The fixed colours every look shares, indexes 0 to 16; 0xFFFFFFFF for
// any other index.
COLORREF SharedLookColor(int32_t index);
// Floor of v / 2, for centring images on boxes of any sign.
int32_t FloorHalf(int32_t v);

// The colours of an element that shows a text on a background, by state:
// selected, disabled, other.
struct FieldColors {
  int32_t back;
  int32_t text;
};
FieldColors FieldColorsOf(int32_t state, int32_t normalBack);

// ---- Drawings of the Windows look, reused by the other looks.

// Every kind the Windows look draws without an image (all but 12, 13 and
// 26 to 30), with the look's colours; unlisted kinds get the fallback box.
void DrawWinElement(const LookCall& call);
// Kind 3 with the given normal background (the window colour, 27, in the
// Windows look).
void DrawDropDownFace(const LookCall& call, int32_t normalBack);
// Kinds 5, 6 and 8: the text colour of the selected state and the text's
// horizontal placement differ between the looks.
void DrawMenuItem(const LookCall& call, int32_t pressedText, int16_t align);
// Kind 4 with the background of the inner box in the normal and disabled
// states (27 in the Windows look).
void DrawEditField(const LookCall& call, int32_t innerBack);
// Step 1 of kinds 9 and 10: the face.
void DrawButtonFace(const LookCall& call);
// Step 3 of kinds 9, 10 and 11: the label in the box the bevel left.
void DrawButtonLabel(const LookCall& call, int32_t x, int32_t y, int32_t w, int32_t h);
// Whether a push button state draws a face and a bevel at all.
bool IsButtonState(int32_t state);
// Kinds 12 and 13 with the state's image at the left and the label.
void DrawImageCheck(const LookCall& call, VIconShape* image);
// Index 0 to 8 of a check-box or radio image by state: normal, checked,
// mixed, then pushed and disabled of each; every unlisted state is normal.
int CheckImageSlot(int32_t state);
// The button of kinds 26 to 30 without its image; answers the box the
// bevel left, where the Windows look centres the arrow.
void DrawArrowButtonFrame(const LookCall& call, int32_t* bx, int32_t* by, int32_t* bw,
                          int32_t* bh);
// The scroll tracks, kinds 19 and 20: the checker pattern over a background.
void DrawCheckeredTrack(const LookCall& call, int32_t background);

}  // namespace looks
