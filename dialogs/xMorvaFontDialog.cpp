// The font dialog: loads the character properties into "mvChooseFont",
// follows each object the user changes into the working record, and keeps
// the sample up to date.
#include "dialogs/xMorvaFontDialog.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

#include "dialogs/xMorvaPropertiesPreview.h"
#include "document/xMorvaDocument.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

// The package's lists: underline kinds, item kind + 1, and the sizes.
constexpr int16_t kUnderlineListOffset = 9;
constexpr int16_t kSizeListOffset = 124;
constexpr int32_t kUnderlineKinds = 8;
// The size put in when a size is picked without a list to pick from.
constexpr int32_t kSizeWithoutList = 12;
constexpr int32_t kSmallestSize = 1;
constexpr int32_t kLargestSize = 255;
constexpr uint16_t kLastDialogProperty = kPropShadowColour;
constexpr int32_t kColourOther = -2;  // the item that asks the chooser

constexpr int32_t kTextColours[] = {0x0000FF, 0x0099FF, 0x00E6FF, 0x19CC00, 0xFF9933, 0xFF00CC,
                                    0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, 0x000000};
constexpr int32_t kBackColours[] = {0xB3B3FF, 0xA6D9FF, 0xCCFFFF, 0xB3FFB3, 0xFFE6B3, 0xFFC0FF,
                                    0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, kColourNone};
constexpr int32_t kLineColours[] = {0x0000FF, 0x0099FF, 0x00E6FF, 0x19CC00, 0xFF9933, 0xFF00CC,
                                    0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, kColourNone};
constexpr int32_t kShadowColours[] = {0xCCCCCC, 0x999999, 0x666666};

struct Colours {
  const int32_t* values;
  int32_t count;
};

Colours TableOf(xMorvaFontDialog::ColourTable table) {
  switch (table) {
    case xMorvaFontDialog::ColourTable::kText: return {kTextColours, int32_t(std::size(kTextColours))};
    case xMorvaFontDialog::ColourTable::kBack: return {kBackColours, int32_t(std::size(kBackColours))};
    case xMorvaFontDialog::ColourTable::kLine: return {kLineColours, int32_t(std::size(kLineColours))};
    default: return {kShadowColours, int32_t(std::size(kShadowColours))};
  }
}

std::string CText(const VString& text) {
  char buffer[256] = {};
  text.GetCText(buffer, sizeof buffer, kCharSetAnsi);
  return buffer;
}

// The whole text as a number (spaces around it allowed); false for a text
// that is not one.
bool ReadNumber(const std::string& text, double& value) {
  const char* start = text.c_str();
  char* end = nullptr;
  value = std::strtod(start, &end);
  if (end == start || !std::isfinite(value)) return false;
  while (*end == ' ') ++end;
  return *end == 0;
}

// The 1-based item of the list equal to the text, or 0.
int32_t ItemOf(const VStringArray* list, const VString& text) {
  if (list == nullptr || text.GetLength() == 0) return 0;
  for (int32_t i = 1; i <= list->Count(); ++i) {
    const VString* item = list->GetAt(i);
    if (item != nullptr && item->Compare(text, false) == 0) return i;
  }
  return 0;
}

}  // namespace

xMorvaFontDialog::xMorvaFontDialog(xMorvaPlugIn* area, const xMorvaProperties& properties,
                                   const xMorvaPropertiesStates& states)
    : xMorvaDialog(area, "mvChooseFont"), fProperties(properties), fStates(states),
      fSavedProperties(properties), fSavedStates(states) {}

xMorvaFontDialog::~xMorvaFontDialog() = default;

int32_t xMorvaFontDialog::ColourItemCount(ColourTable table) { return TableOf(table).count + 1; }

int32_t xMorvaFontDialog::ColourOfItem(ColourTable table, int32_t item) {
  const Colours colours = TableOf(table);
  if (item == colours.count + 1) return kColourOther;
  return item >= 1 && item <= colours.count ? colours.values[item - 1] : kColourOther;
}

int32_t xMorvaFontDialog::ItemOfColour(ColourTable table, int32_t colour) {
  const Colours colours = TableOf(table);
  for (int32_t i = 0; i < colours.count; ++i)
    if (colours.values[i] == colour) return i + 1;
  return colours.count + 1;
}

bool xMorvaFontDialog::BeforeOpen() {
  fSizes.reset(NewList(kSizeListOffset));
  if (fSizes) SetListItems("ListSize", *fSizes);
  fFonts = gSystemServices != nullptr ? gSystemServices->GetFontList(true) : nullptr;
  if (fFonts != nullptr) SetListItems("ListFont", *fFonts);
  FillFromList("droUnderline", kUnderlineListOffset);
  return true;
}

void xMorvaFontDialog::ShowCheck(const char* object, uint16_t id) {
  HostFormSetLong(object, fStates.GetState(id) == 1 ? (fProperties.GetProperty(id) != 0 ? 1 : 0) : 2);
}

void xMorvaFontDialog::ShowColour(const char* object, ColourTable table, uint16_t id) {
  SetItemNumber(object, fStates.GetState(id) == 1 ? ItemOfColour(table, fProperties.GetProperty(id)) : 0);
}

void xMorvaFontDialog::SelectSize(int32_t size) {
  int32_t item = 0;
  if (fSizes) {
    VStr<31> text;
    text.AppendCText(std::to_string(size).c_str(), kCharSetAnsi);
    item = ItemOf(fSizes.get(), text);
  }
  SetItemNumber("ListSize", item);
}

bool xMorvaFontDialog::AfterOpen() {
  static const char* const kMixable[] = {"chkBold",       "chkItalic",   "chkShadowed", "chkStrikedOut",
                                         "rbSuperScript", "rbSubScript", "brCapitals",  "brSmallCapitals"};
  for (const char* object : kMixable) HostFormSetCheckFlag(object, 1);
  ShowCheck("chkBold", kPropBold);
  ShowCheck("chkItalic", kPropItalic);
  ShowCheck("chkShadowed", kPropShadow);
  ShowCheck("chkStrikedOut", kPropStrikeOut);

  const bool position = fStates.GetState(kPropVerticalPosition) == 1;
  const int32_t vertical = fProperties.GetProperty(kPropVerticalPosition);
  HostFormSetLong("rbSuperScript", position ? (vertical == 1 ? 1 : 0) : 2);
  HostFormSetLong("rbSubScript", position ? (vertical == 2 ? 1 : 0) : 2);
  const bool letterCase = fStates.GetState(kPropLetterCase) == 1;
  const int32_t capitals = fProperties.GetProperty(kPropLetterCase);
  HostFormSetLong("brSmallCapitals", letterCase ? (capitals == 2 ? 1 : 0) : 2);
  HostFormSetLong("brCapitals", letterCase ? (capitals == 1 ? 1 : 0) : 2);

  VStr<255> name;
  if (fStates.GetState(kPropFont) == 1 && GetDocument() != nullptr) {
    bool known = false;
    GetDocument()->FontNameForIndex(fProperties.GetProperty(kPropFont), name, known);
  }
  HostFormSetText("vFont", name);
  SetItemNumber("ListFont", ItemOf(fFonts, name));

  if (fStates.GetState(kPropSize) == 1) {
    const int32_t size = fProperties.GetProperty(kPropSize);
    HostFormSetTextFromCString("vSize", std::to_string(size).c_str());
    SelectSize(size);
  } else {
    HostFormClearText("vSize");
    SetItemNumber("ListSize", 0);
  }

  SetItemNumber("droUnderline",
                fStates.GetState(kPropUnderline) == 1 ? fProperties.GetProperty(kPropUnderline) + 1 : 0);
  ShowColour("popTextColor", ColourTable::kText, kPropTextColour);
  ShowColour("popBackColor", ColourTable::kBack, kPropBackColour);
  ShowColour("popShadowColor", ColourTable::kShadow, kPropShadowColour);
  ShowColour("popUnderlineColor", ColourTable::kLine, kPropUnderlineColour);
  ShowColour("popStrikeOutColor", ColourTable::kLine, kPropStrikeOutColour);
  DrawPreview();
  return true;
}

void xMorvaFontDialog::ReadCheck(const char* object, uint16_t id) {
  const int32_t value = HostFormGetLong(object);
  if (value == 2) {
    fStates.SetState(id, 0);
    return;
  }
  fStates.SetState(id, 1);
  fProperties.SetProperty(id, value != 0 ? 1 : 0);
}

void xMorvaFontDialog::SetFont(const VString& name) {
  fStates.SetState(kPropFont, 1);
  if (GetDocument() == nullptr) return;
  VStr<255> copy;
  copy.CopyText(name);
  fProperties.SetProperty(kPropFont, GetDocument()->FontIndexForName(copy));
}

void xMorvaFontDialog::ReadFontName() {
  VStr<255> name;
  HostFormGetText("vFont", name);
  const int32_t item = ItemOf(fFonts, name);
  if (item == 0) {
    // Not a font of this system: nothing is chosen, and the font is left
    // as the text has it.
    HostFormClearText("vFont");
    SetItemNumber("ListFont", 0);
    fStates.SetState(kPropFont, 0);
    return;
  }
  SetItemNumber("ListFont", item);
  SetFont(*fFonts->GetAt(item));
}

void xMorvaFontDialog::ReadSize() {
  VStr<255> text;
  HostFormGetText("vSize", text);
  const std::string typed = CText(text);
  if (typed.find_first_not_of(' ') == std::string::npos) {
    fStates.SetState(kPropSize, 0);
    SetItemNumber("ListSize", 0);
    return;
  }
  double value = 0;
  if (!ReadNumber(typed, value)) {
    // Not a number: refused with the beep, and the entry shows again what
    // the record holds.
    VSystemServices::Beep();
    if (fStates.GetState(kPropSize) == 1) {
      HostFormSetTextFromCString("vSize", std::to_string(fProperties.GetProperty(kPropSize)).c_str());
    } else {
      HostFormClearText("vSize");
    }
    return;
  }
  const int32_t size = value < kSmallestSize ? kSmallestSize : value > kLargestSize ? kLargestSize : int32_t(value);
  fStates.SetState(kPropSize, 1);
  fProperties.SetProperty(kPropSize, size);
  HostFormSetTextFromCString("vSize", std::to_string(size).c_str());
  SelectSize(size);
}

void xMorvaFontDialog::ReadColour(const char* object, ColourTable table, uint16_t id, uint16_t startFrom) {
  const int32_t item = HostFormGetLong(object);
  if (item == 0) {
    fStates.SetState(id, 0);
    return;
  }
  const int32_t count = ColourItemCount(table);
  // An item past the list chooses nothing: the pop-up shows the record
  // again.
  const int32_t chosen = DropDownChoice(item, count, -1);
  int32_t colour = chosen < 0 ? kColourOther : ColourOfItem(table, chosen + 1);
  if (chosen >= 0 && colour == kColourOther) {
    int32_t start = fProperties.GetProperty(startFrom);
    if (start == kColourNone) start = 0;
    if (!ChooseColour(start)) {
      // Cancelled (or the same colour confirmed): the record keeps what it
      // had, and the pop-up shows it again.
      ShowColour(object, table, id);
      return;
    }
    colour = start;
  }
  if (chosen < 0) {
    ShowColour(object, table, id);
    return;
  }
  fStates.SetState(id, 1);
  fProperties.SetProperty(id, colour);
}

void xMorvaFontDialog::ItemHit(const VString& objectName, int16_t) {
  const std::string name = CText(objectName);
  if (name == "vFont") {
    ReadFontName();
  } else if (name == "ListFont") {
    const int32_t count = fFonts != nullptr ? fFonts->Count() : 0;
    const int32_t chosen = DropDownChoice(GetItemNumber("ListFont"), count, -1);
    if (chosen < 0) {
      // Nothing chosen: the font stays as it is.
      AfterOpen();
      return;
    }
    const VString* font = fFonts->GetAt(chosen + 1);
    if (font != nullptr) {
      HostFormSetText("vFont", *font);
      SetFont(*font);
    }
  } else if (name == "vSize") {
    ReadSize();
  } else if (name == "ListSize") {
    const int32_t count = fSizes ? fSizes->Count() : 0;
    int32_t size = kSizeWithoutList;
    if (fSizes) {
      const int32_t chosen = DropDownChoice(GetItemNumber("ListSize"), count, -1);
      if (chosen < 0) {
        AfterOpen();
        return;
      }
      size = fSizes->GetLong(chosen + 1);
      if (size < kSmallestSize || size > kLargestSize) size = kSizeWithoutList;
    }
    HostFormSetTextFromCString("vSize", std::to_string(size).c_str());
    fStates.SetState(kPropSize, 1);
    fProperties.SetProperty(kPropSize, size);
  } else if (name == "chkBold") {
    ReadCheck("chkBold", kPropBold);
  } else if (name == "chkItalic") {
    ReadCheck("chkItalic", kPropItalic);
  } else if (name == "chkShadowed") {
    ReadCheck("chkShadowed", kPropShadow);
  } else if (name == "chkStrikedOut") {
    ReadCheck("chkStrikedOut", kPropStrikeOut);
  } else if (name == "rbSuperScript" || name == "rbSubScript") {
    const bool super = name == "rbSuperScript";
    const int32_t value = HostFormGetLong(name.c_str());
    const char* other = super ? "rbSubScript" : "rbSuperScript";
    if (value == 2) {
      fStates.SetState(kPropVerticalPosition, 0);
      HostFormSetLong(other, 2);
    } else {
      fStates.SetState(kPropVerticalPosition, 1);
      fProperties.SetProperty(kPropVerticalPosition, super ? (value != 0 ? 1 : 0) : (value > 0 ? 2 : 0));
      HostFormSetLong(other, 0);
    }
  } else if (name == "brSmallCapitals" || name == "brCapitals") {
    const bool small = name == "brSmallCapitals";
    const int32_t value = HostFormGetLong(name.c_str());
    const char* other = small ? "brCapitals" : "brSmallCapitals";
    if (value == 2) {
      fStates.SetState(kPropLetterCase, 0);
      HostFormSetLong(other, 2);
    } else {
      fStates.SetState(kPropLetterCase, 1);
      fProperties.SetProperty(kPropLetterCase, small ? (value > 0 ? 2 : 0) : (value != 0 ? 1 : 0));
      HostFormSetLong(other, 0);
    }
  } else if (name == "droUnderline") {
    const int32_t item = GetItemNumber("droUnderline");
    if (item == 0) {
      fStates.SetState(kPropUnderline, 0);
    } else {
      const int32_t current = fStates.GetState(kPropUnderline) == 1 ? fProperties.GetProperty(kPropUnderline) : -1;
      const int32_t kind = DropDownChoice(item, kUnderlineKinds, current);
      if (kind < 0) {
        SetItemNumber("droUnderline", 0);
      } else {
        fStates.SetState(kPropUnderline, 1);
        fProperties.SetProperty(kPropUnderline, kind);
        SetItemNumber("droUnderline", kind + 1);
      }
    }
  } else if (name == "popTextColor") {
    ReadColour("popTextColor", ColourTable::kText, kPropTextColour, kPropTextColour);
  } else if (name == "popBackColor") {
    ReadColour("popBackColor", ColourTable::kBack, kPropBackColour, kPropBackColour);
  } else if (name == "popUnderlineColor") {
    ReadColour("popUnderlineColor", ColourTable::kLine, kPropUnderlineColour, kPropTextColour);
  } else if (name == "popStrikeOutColor") {
    ReadColour("popStrikeOutColor", ColourTable::kLine, kPropStrikeOutColour, kPropTextColour);
  } else if (name == "popShadowColor") {
    ReadColour("popShadowColor", ColourTable::kShadow, kPropShadowColour, kPropShadowColour);
  } else if (name == "butRevert") {
    fProperties.Assign(fSavedProperties);
    fStates.Assign(fSavedStates);
    AfterOpen();
    return;
  } else if (name == "butDefault") {
    const xMorvaProperties defaults;
    for (uint16_t id = 0; id <= kLastDialogProperty; ++id) {
      fProperties.SetProperty(id, defaults.GetProperty(id));
      fStates.SetState(id, 1);
    }
    AfterOpen();
    return;
  } else if (name == "butNone") {
    for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) fStates.SetState(id, 0);
    AfterOpen();
    return;
  } else {
    return;
  }
  DrawPreview();
}

void xMorvaFontDialog::DrawPreview() {
  xMorvaDocument* document = GetDocument();
  if (document == nullptr) return;
  int32_t left = 0, top = 0, width = 0, height = 0;
  HostFormGetObjectRect("vCharactersPreview", left, top, width, height);
  if (width <= 0) return;
  std::unique_ptr<VEmfPictureData> picture(DrawPropertiesPreview(*document, fProperties, fStates, 0, width));
  if (picture) SetItemPicture("vCharactersPreview", picture.get());
}
