// The paragraph and interline dialogs: the form loaded from the working
// properties, every change taken into them at once, the indents bounded by
// the text width and the interline by the range a document holds.
#include "dialogs/xMorvaParagraphDialog.h"

#include <cmath>
#include <memory>

#include "area/xMorvaPlugIn.h"
#include "dialogs/xMorvaFormObjectName.h"
#include "dialogs/xMorvaPropertiesPreview.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "engine/xMorvaEngine.h"
#include "framework/system/environment/VSystemServices.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

constexpr int16_t kAlignmentListOffset = 13;
constexpr int16_t kBulletListOffset = 21;
constexpr int32_t kSymbolCommand = 1028;
// The preview's paragraph sample, drawn with properties 32 to 37.
constexpr int16_t kParagraphSample = 1;
// The room a paragraph keeps beside its indents.
constexpr int32_t kIndentRoom = 50;
constexpr int32_t kAlignmentItems = 4;
constexpr int32_t kOtherBulletItem = 8;
// The bullets of items 2 to 7 (item 1 is none).
constexpr int32_t kBulletCodes[] = {0, 110, 111, 108, 109, 117, 118};


// An interline as the entry shows it.
double InterlineShown(int32_t tenths) { return tenths / 10.0; }

}  // namespace

bool InterlineFromEntry(double entry, int32_t& tenths) {
  // The comparisons are false for a value that is no number.
  const double scaled = entry * 10.0;
  if (!(scaled >= kSmallestInterline && scaled < kLargestInterline + 1)) return false;
  tenths = static_cast<int32_t>(std::trunc(scaled));
  return true;
}

bool IsInterlineInRange(int32_t tenths) { return tenths >= kSmallestInterline && tenths <= kLargestInterline; }

// ---- The paragraph dialog.

xMorvaParagraphDialog::xMorvaParagraphDialog(xMorvaPlugIn* area, xMorvaDocument* document,
                                             const xMorvaProperties& properties,
                                             const xMorvaPropertiesStates& states)
    : xMorvaDialog(area, "mvParagraphs"), fDocument(document) {
  fProperties.Assign(properties);
  fStates.Assign(states);
  fSavedProperties.Assign(fProperties);
  fSavedStates.Assign(fStates);
}

xMorvaParagraphDialog::~xMorvaParagraphDialog() = default;

int32_t xMorvaParagraphDialog::BulletItem(int32_t code) {
  for (int32_t i = 0; i < int32_t(std::size(kBulletCodes)); ++i) {
    if (kBulletCodes[i] == code) return i + 1;
  }
  return kOtherBulletItem;
}

int32_t xMorvaParagraphDialog::BulletCode(int32_t item) {
  return item >= 1 && item < kOtherBulletItem ? kBulletCodes[item - 1] : -1;
}

bool xMorvaParagraphDialog::BeforeOpen() {
  FillFromList("droAlignment", kAlignmentListOffset);
  FillFromList("droBullet", kBulletListOffset);
  return true;
}

bool xMorvaParagraphDialog::AfterOpen() {
  VStr<32> decimal;
  decimal.SetAnsiCText("###");
  decimal.AppendUniChar(GetDecimalSeparator());
  decimal.AppendCText("#", kCharSetAnsi);
  HostFormSetFormat("vInterline", decimal);

  const bool alignment = fStates.GetState(kPropAlignment) == 1;
  HostFormSetLong("useAlignment", alignment ? 1 : 0);
  SetItemNumber("droAlignment", alignment ? fProperties.GetProperty(kPropAlignment) + 1 : 0);
  SetObjectActive(*this, "droAlignment", alignment);

  const bool bullet = fStates.GetState(kPropBullet) == 1;
  HostFormSetLong("useBullet", bullet ? 1 : 0);
  SetItemNumber("droBullet", bullet ? BulletItem(fProperties.GetProperty(kPropBullet)) : 0);
  SetObjectActive(*this, "droBullet", bullet);

  const bool interline = fStates.GetState(kPropInterline) == 1;
  HostFormSetLong("useInterline", interline ? 1 : 0);
  HostFormSetReal("vInterline",
                  interline ? InterlineShown(fProperties.GetProperty(kPropInterline)) : 0.0);
  SetObjectActive(*this, "vInterline", interline);

  static const char* const kIndentEntries[] = {"vLeftIndent", "vRightIndent", "vFirstIndent"};
  static const uint16_t kIndentIds[] = {kPropLeftIndent, kPropRightIndent, kPropFirstLineIndent};
  bool indents = true;
  for (uint16_t id : kIndentIds) indents = indents && fStates.GetState(id) == 1;
  VStr<255> format;
  if (indents && fDocument != nullptr) {
    fDocument->GetParams().MakeNumberFormat(format);
  } else {
    // The three indents go together: one that is not uniform leaves all
    // three unused.
    indents = false;
    for (uint16_t id : kIndentIds) fStates.SetState(id, 0);
    format.SetAnsiCText("#");
  }
  for (int32_t i = 0; i < 3; ++i) {
    HostFormSetFormat(kIndentEntries[i], format);
    HostFormSetReal(kIndentEntries[i], indents ? fDocument->GetParams().ToDisplayUnit(
                                                     fProperties.GetProperty(kIndentIds[i]))
                                               : 0.0);
    SetObjectActive(*this, kIndentEntries[i], indents);
  }
  HostFormSetLong("useIndent", indents ? 1 : 0);

  ShowSample();
  return true;
}

void xMorvaParagraphDialog::TakeIndent(const char* entry, uint16_t id) {
  if (fDocument == nullptr) return;
  const xMorvaDocParams& params = fDocument->GetParams();
  int32_t value = ReadLength(entry, params);
  const int32_t width = fDocument->CurrentTextWidth();
  const int32_t left = fProperties.GetProperty(kPropLeftIndent);
  const int32_t first = fProperties.GetProperty(kPropFirstLineIndent);
  const int32_t right = fProperties.GetProperty(kPropRightIndent);
  int32_t lower = 0;
  int32_t upper = 0;
  switch (id) {
    case kPropLeftIndent:
      lower = first < 0 ? -first : 0;
      upper = width - right - kIndentRoom;
      break;
    case kPropFirstLineIndent:
      lower = -left;
      upper = width - right - left - kIndentRoom;
      break;
    default:
      lower = 0;
      upper = width - (left + (first >= 1 ? first : 0)) - kIndentRoom;
      break;
  }
  // The upper bound first, then the lower: when they cross, the lower wins.
  if (value > upper) value = upper;
  if (value < lower) value = lower;
  ShowLength(entry, params, value);
  fProperties.SetProperty(id, value);
}

void xMorvaParagraphDialog::ChooseSymbol() {
  xMorvaDocumentArea* area = fDocument != nullptr ? fDocument->GetArea() : nullptr;
  if (area == nullptr) return;
  SetVisible(false);
  // The whole 16-bit code: the grid finds its cell through the code page,
  // so that a symbol of the cells 0x80 to 0x9F (U+20AC for 0x80) reopens
  // on its own cell, not on the cell of its low byte.
  const int32_t current = fProperties.GetProperty(kPropBullet);
  int32_t chosen = current;
  const bool accepted = area->AskValue(kSymbolCommand, current, chosen);
  SetVisible(true);
  if (accepted) fProperties.SetProperty(kPropBullet, chosen);
}

void xMorvaParagraphDialog::ItemHit(const VString& name, int16_t) {
  if (IsFormObject(name, "useIndent")) {
    const uint8_t on = HostFormGetLong("useIndent") != 0 ? 1 : 0;
    for (uint16_t id : {kPropLeftIndent, kPropRightIndent, kPropFirstLineIndent})
      fStates.SetState(id, on);
    AfterOpen();
  } else if (IsFormObject(name, "useInterline")) {
    fStates.SetState(kPropInterline, HostFormGetLong("useInterline") != 0 ? 1 : 0);
    AfterOpen();
  } else if (IsFormObject(name, "useAlignment")) {
    fStates.SetState(kPropAlignment, HostFormGetLong("useAlignment") != 0 ? 1 : 0);
    AfterOpen();
  } else if (IsFormObject(name, "useBullet")) {
    fStates.SetState(kPropBullet, HostFormGetLong("useBullet") != 0 ? 1 : 0);
    AfterOpen();
  } else if (IsFormObject(name, "droAlignment")) {
    // Item 0 is no choice: the alignment stays.
    fProperties.SetProperty(kPropAlignment,
                            DropDownChoice(GetItemNumber("droAlignment"), kAlignmentItems,
                                           fProperties.GetProperty(kPropAlignment)));
    ShowSample();
  } else if (IsFormObject(name, "droBullet")) {
    const int32_t item = GetItemNumber("droBullet");
    if (item == kOtherBulletItem) {
      ChooseSymbol();
    } else if (BulletCode(item) >= 0) {
      fProperties.SetProperty(kPropBullet, BulletCode(item));
    }
    AfterOpen();
  } else if (IsFormObject(name, "vInterline")) {
    int32_t tenths = 0;
    if (InterlineFromEntry(HostFormGetReal("vInterline"), tenths)) {
      fProperties.SetProperty(kPropInterline, tenths);
      ShowSample();
    } else {
      VSystemServices::Beep();
      HostFormSetReal("vInterline", InterlineShown(fProperties.GetProperty(kPropInterline)));
    }
  } else if (IsFormObject(name, "vLeftIndent")) {
    TakeIndent("vLeftIndent", kPropLeftIndent);
    ShowSample();
  } else if (IsFormObject(name, "vFirstIndent")) {
    TakeIndent("vFirstIndent", kPropFirstLineIndent);
    ShowSample();
  } else if (IsFormObject(name, "vRightIndent")) {
    TakeIndent("vRightIndent", kPropRightIndent);
    ShowSample();
  } else if (IsFormObject(name, "butRevert")) {
    fStates.Assign(fSavedStates);
    fProperties.Assign(fSavedProperties);
    AfterOpen();
  } else if (IsFormObject(name, "butDefault")) {
    xMorvaProperties defaults;
    defaults.SetDefaults();
    for (uint16_t id = kPropAlignment; id <= kPropRightIndent; ++id) {
      fProperties.SetProperty(id, defaults.GetProperty(id));
      fStates.SetState(id, 1);
    }
    AfterOpen();
  } else if (IsFormObject(name, "butNone")) {
    for (uint16_t id = kPropAlignment; id <= kPropRightIndent; ++id) fStates.SetState(id, 0);
    AfterOpen();
  }
}

bool xMorvaParagraphDialog::CanAccept(const VString&, int16_t) {
  if (fStates.GetState(kPropInterline) != 1 || IsInterlineInRange(fProperties.GetProperty(kPropInterline)))
    return true;
  VSystemServices::Beep();
  return false;
}

void xMorvaParagraphDialog::ShowSample() {
  if (fDocument == nullptr) return;
  std::unique_ptr<VEmfPictureData> sample(
      DrawPropertiesPreview(*fDocument, fProperties, fStates, kParagraphSample, 0));
  if (sample) SetItemPicture("vParagraphPicture", sample.get());
}

// ---- The interline dialog.

xMorvaInterlineDialog::xMorvaInterlineDialog(xMorvaPlugIn* area, int32_t value)
    : xMorvaDialog(area, "mvInterlineSize"), fValue(value) {}

xMorvaInterlineDialog::~xMorvaInterlineDialog() = default;

bool xMorvaInterlineDialog::AfterOpen() {
  HostFormSetReal("vInterline", InterlineShown(fValue));
  return true;
}

void xMorvaInterlineDialog::ItemHit(const VString&, int16_t) {
  // Every step reads the entry again; the value kept is the last one taken.
  int32_t tenths = 0;
  if (InterlineFromEntry(HostFormGetReal("vInterline"), tenths)) {
    fValue = tenths;
  } else {
    VSystemServices::Beep();
    HostFormSetReal("vInterline", InterlineShown(fValue));
  }
}

bool xMorvaInterlineDialog::CanAccept(const VString&, int16_t) { return IsInterlineInRange(fValue); }

// ---- The commands.

bool RunParagraphDialog(xMorvaPlugIn& area, xMorvaProperties& properties,
                        xMorvaPropertiesStates& states) {
  xMorvaDocument* document = area.GetDocument();
  if (document == nullptr) return false;
  // Which properties are uniform over the selection comes from the text
  // itself: those show in use, the others unused until the user says so.
  if (auto* text = static_cast<const xMorvaEngine*>(document->GetCurrentPart()))
    states.Assign(text->GetPropertiesStates());
  xMorvaParagraphDialog dialog(&area, document, properties, states);
  if (!dialog.Run()) return false;
  properties.Assign(dialog.GetProperties());
  states.Assign(dialog.GetStates());
  return true;
}

bool RunInterlineDialog(xMorvaPlugIn& area, int32_t& value) {
  xMorvaInterlineDialog dialog(&area, value);
  if (!dialog.Run()) return false;
  value = dialog.GetValue();
  return true;
}
