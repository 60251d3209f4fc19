// The border dialog: the form loaded from the working properties after
// every change, the spacing bounded to what a paragraph stores, and the two
// ways in: the area's border command and another dialog's record.
#include "dialogs/xMorvaBorderDialog.h"

#include <iterator>

#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFontDialog.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"

namespace {

constexpr int32_t kLineStyles = 10;
constexpr uint8_t kMixed = 2;

struct Side {
  uint16_t id;
  const char* check;
  const char* line1;
  const char* line2;
};
constexpr Side kSides[] = {
    {kPropLeftBorder, "chkLeft", "LineLeft1", "LineLeft2"},
    {kPropRightBorder, "chkRight", "LineRight1", "LineRight2"},
    {kPropTopBorder, "chkTop", "LineTop1", "LineTop2"},
    {kPropBottomBorder, "chkBottom", "LineBottom1", "LineBottom2"},
};

// The line colour takes the text colours of the font dialog (11: black);
// the background its back colours (11: none).
using ColourTable = xMorvaFontDialog::ColourTable;
ColourTable TableFor(bool background) { return background ? ColourTable::kBack : ColourTable::kText; }

// The name of the line style button N: "ls1" to "ls10".
void LineStyleName(int32_t n, char (&name)[8]) {
  name[0] = 'l';
  name[1] = 's';
  if (n >= 10) {
    name[2] = '1';
    name[3] = char('0' + n - 10);
    name[4] = 0;
  } else {
    name[2] = char('0' + n);
    name[3] = 0;
  }
}

}  // namespace

xMorvaBorderDialog::xMorvaBorderDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                                       const xMorvaProperties& properties, const xMorvaPropertiesStates& states)
    : xMorvaDialog(area, "mvBorders"), fDocument(document) {
  fProperties.Assign(properties);
  fStates.Assign(states);
  fSavedProperties.Assign(fProperties);
  fSavedStates.Assign(fStates);
}

xMorvaBorderDialog::~xMorvaBorderDialog() = default;

int32_t xMorvaBorderDialog::ClampSpacing(int32_t pixels) {
  if (pixels < 0) return 0;
  return pixels > kLargestBorderSpacing ? kLargestBorderSpacing : pixels;
}

bool xMorvaBorderDialog::AfterOpen() {
  for (const char* object : {"chkTop", "chkLeft", "chkBottom", "chkRight", "chkInside", "chkAll"})
    HostFormSetCheckFlag(object, 1);
  Refresh();
  return true;
}

void xMorvaBorderDialog::Refresh() {
  bool allKnown = true;
  int32_t sidesOn = 0;
  for (const Side& side : kSides) {
    const bool known = fStates.GetState(side.id) == 1;
    const bool on = known && fProperties.GetProperty(side.id) > 0;
    HostFormSetLong(side.check, known ? (on ? 1 : 0) : kMixed);
    HostFormShowObject(side.line1, on);
    HostFormShowObject(side.line2, on);
    allKnown = allKnown && known;
    sidesOn += on ? 1 : 0;
  }

  const bool insideShown = fInsideKnown != 0 && fInside != 0;
  HostFormSetLong("chkInside", fInsideKnown != 0 ? fInside : kMixed);
  HostFormShowObject("LineInside1", insideShown);
  HostFormShowObject("LineInside2", insideShown);

  int32_t all = kMixed;
  if (allKnown && sidesOn == 4) all = 1;
  if (allKnown && sidesOn == 0) all = 0;
  fAll = all == 1 ? 1 : 0;
  HostFormSetLong("chkAll", all);

  const bool styleKnown = fStates.GetState(kPropBorderStyle) == 1;
  const int32_t style = fProperties.GetProperty(kPropBorderStyle);
  for (int32_t n = 1; n <= kLineStyles; ++n) {
    char name[8];
    LineStyleName(n, name);
    HostFormSetLong(name, styleKnown && style == n - 1 ? 1 : 0);
  }

  for (bool background : {false, true}) {
    const uint16_t id = background ? kPropParagraphBackColour : kPropBorderColour;
    const int32_t item = fStates.GetState(id) == 1
                             ? xMorvaFontDialog::ItemOfColour(TableFor(background), fProperties.GetProperty(id))
                             : 0;
    SetItemNumber(background ? "popBackBorderColor" : "popLineColor", item);
  }
  ShowSpacing();
}

void xMorvaBorderDialog::ShowSpacing() {
  const bool used = fStates.GetState(kPropBorderSpacing) == 1;
  if (used && fDocument != nullptr) {
    ShowLength("vBorderSpacing", fDocument->GetParams(), fProperties.GetProperty(kPropBorderSpacing));
  } else if (used) {
    VStr<8> format;
    format.SetAnsiCText("###0");
    HostFormSetFormat("vBorderSpacing", format);
    HostFormSetReal("vBorderSpacing", fProperties.GetProperty(kPropBorderSpacing));
  } else {
    VStr<8> format;
    format.SetAnsiCText("#");
    HostFormSetFormat("vBorderSpacing", format);
    HostFormSetReal("vBorderSpacing", 0.0);
  }
  HostFormEnableObject("vBorderSpacing", used);
  HostFormSetEnterable("vBorderSpacing", used);
  HostFormSetLong("useBorderSpacing", used ? 1 : 0);
}

void xMorvaBorderDialog::ReadSide(const char* object, uint16_t id) {
  const int32_t value = HostFormGetLong(object);
  if (value == kMixed) {
    fProperties.SetProperty(id, 0);
    fStates.SetState(id, 0);
  } else if (value == 0 || value == 1) {
    fProperties.SetProperty(id, value);
    fStates.SetState(id, 1);
  }
  // Any other value is no state of a check box: the side stays.
}

void xMorvaBorderDialog::ReadColour(const char* object, bool background, uint16_t id) {
  const ColourTable table = TableFor(background);
  const int32_t item = HostFormGetLong(object);
  if (item == 0) {
    fStates.SetState(id, 0);
    return;
  }
  // An item past the list chooses nothing: the pop-up shows the record
  // again.
  const int32_t count = xMorvaFontDialog::ColourItemCount(table);
  const int32_t chosen = DropDownChoice(item, count, -1);
  if (chosen < 0) return;
  int32_t colour = 0;
  if (chosen + 1 == count) {
    // "Other": the chooser starts from the colour the record has.
    colour = fProperties.GetProperty(id);
    if (colour == kColourNone) colour = 0;
    if (!ChooseColour(colour)) return;
  } else {
    colour = xMorvaFontDialog::ColourOfItem(table, chosen + 1);
  }
  fStates.SetState(id, 1);
  fProperties.SetProperty(id, colour);
}

void xMorvaBorderDialog::ItemHit(const VString& name, int16_t) {
  for (const Side& side : kSides) {
    if (IsFormObject(name, side.check)) {
      ReadSide(side.check, side.id);
      Refresh();
      return;
    }
  }
  for (int32_t n = 1; n <= kLineStyles; ++n) {
    char style[8];
    LineStyleName(n, style);
    if (IsFormObject(name, style)) {
      fStates.SetState(kPropBorderStyle, 1);
      fProperties.SetProperty(kPropBorderStyle, n - 1);
      Refresh();
      return;
    }
  }
  if (IsFormObject(name, "chkAll")) {
    const int32_t value = HostFormGetLong("chkAll");
    // Mixed says nothing of the sides: they stay as they are.
    if (value == 0 || value == 1) {
      for (const Side& side : kSides) {
        fProperties.SetProperty(side.id, value);
        fStates.SetState(side.id, 1);
      }
    }
  } else if (IsFormObject(name, "chkInside")) {
    const int32_t value = HostFormGetLong("chkInside");
    fInside = value == 1 ? 1 : 0;
    fInsideKnown = value == 0 || value == 1 ? 1 : 0;
  } else if (IsFormObject(name, "popLineColor")) {
    ReadColour("popLineColor", false, kPropBorderColour);
  } else if (IsFormObject(name, "popBackBorderColor")) {
    ReadColour("popBackBorderColor", true, kPropParagraphBackColour);
  } else if (IsFormObject(name, "useBorderSpacing")) {
    fStates.SetState(kPropBorderSpacing, HostFormGetLong("useBorderSpacing") != 0 ? 1 : 0);
  } else if (IsFormObject(name, "vBorderSpacing")) {
    if (fStates.GetState(kPropBorderSpacing) != 1) return;
    const int32_t pixels = fDocument != nullptr ? ReadLength("vBorderSpacing", fDocument->GetParams())
                                                : static_cast<int32_t>(HostFormGetReal("vBorderSpacing"));
    fProperties.SetProperty(kPropBorderSpacing, ClampSpacing(pixels));
  } else if (IsFormObject(name, "butNone")) {
    for (uint16_t id = kPropParagraphBackColour; id <= kPropBorderSpacing; ++id) fStates.SetState(id, 0);
  } else if (IsFormObject(name, "butDefault")) {
    xMorvaProperties defaults;
    defaults.SetDefaults();
    for (uint16_t id = kPropParagraphBackColour; id <= kPropBorderSpacing; ++id) {
      fProperties.SetProperty(id, defaults.GetProperty(id));
      fStates.SetState(id, 1);
    }
  } else if (IsFormObject(name, "butRevert")) {
    fProperties.Assign(fSavedProperties);
    fStates.Assign(fSavedStates);
  } else {
    return;
  }
  Refresh();
}

bool RunBorderDialog(xMorvaPlugIn& area, xMorvaProperties& properties, xMorvaPropertiesStates& states,
                     bool& insideKnown, bool& inside) {
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return false;
  // Which borders are uniform over the selection comes from the text: the
  // others show mixed and stay as each paragraph has them.
  if (auto* text = static_cast<const xMorvaEngine*>(document->GetCurrentPart()))
    states.Assign(text->GetPropertiesStates());
  xMorvaBorderDialog dialog(&area, document, properties, states);
  if (!dialog.Run()) return false;
  properties.Assign(dialog.GetProperties());
  states.Assign(dialog.GetStates());
  insideKnown = dialog.IsInsideKnown();
  inside = dialog.GetInside();
  return true;
}

bool RunBorderSubDialog(xMorvaDialog& caller, xMorvaProperties& properties, xMorvaPropertiesStates& states) {
  xMorvaBorderDialog dialog(caller.GetArea(), caller.GetDocument(), properties, states);
  if (!caller.RunSubDialog(dialog)) return false;
  properties.Assign(dialog.GetProperties());
  states.Assign(dialog.GetStates());
  return true;
}
