// xMorvaProperties: the character and paragraph properties of the word
// processor, by id, with their 'wPRP' record.
#include "document/xMorvaProperties.h"

#include "document/DocumentUnits.h"
#include "document/StoredRecord_p.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaEngineServices.h"
#include "document/xMorvaPropertiesStates.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VValue.h"

namespace {

constexpr uint32_t kTagWPRP = FourCC("wPRP");
constexpr uint8_t kCharacterCount = kLastCharacterProperty + 1;                           // 17
constexpr uint8_t kParagraphCount = kLastParagraphProperty - kFirstParagraphProperty + 1;  // 14

// Where a property that lives in the flags word or the borders byte sits.
struct BitField {
  uint8_t shift;
  uint8_t width;
};

bool FlagsField(uint16_t id, BitField& field) {
  switch (id) {
    case kPropBold: field = {0, 1}; return true;
    case kPropItalic: field = {1, 1}; return true;
    case kPropShadow: field = {2, 1}; return true;
    case kPropStrikeOut: field = {3, 1}; return true;
    case kPropUnderline: field = {4, 3}; return true;
    case kPropVerticalPosition: field = {7, 2}; return true;
    case kPropLetterCase: field = {9, 2}; return true;
    case kPropLinkLook: field = {11, 3}; return true;
    case kPropAlignment: field = {14, 2}; return true;
    default: return false;
  }
}

bool BordersField(uint16_t id, BitField& field) {
  switch (id) {
    case kPropBorderStyle: field = {0, 4}; return true;
    case kPropLeftBorder: field = {4, 1}; return true;
    case kPropRightBorder: field = {5, 1}; return true;
    case kPropTopBorder: field = {6, 1}; return true;
    case kPropBottomBorder: field = {7, 1}; return true;
    default: return false;
  }
}

uint32_t GetBits(uint32_t word, BitField field) {
  return (word >> field.shift) & ((1u << field.width) - 1u);
}

uint32_t SetBits(uint32_t word, BitField field, int32_t value) {
  const uint32_t mask = ((1u << field.width) - 1u) << field.shift;
  return (word & ~mask) | ((uint32_t(value) << field.shift) & mask);
}

// Border widths in pixels of the styles 0 to 10, for composing lines and
// drawing borders alike.
constexpr int32_t BorderWidths[] = {1, 2, 3, 1, 2, 3, 3, 4, 6, 4, 5};

}  // namespace

bool IsPropertyId(int32_t id) {
  return (id >= 0 && id <= kLastCharacterProperty) ||
         (id >= kFirstParagraphProperty && id <= kLastParagraphProperty) || id == kPropTabs;
}

bool IsLengthProperty(int32_t id) {
  return id == kPropLeftIndent || id == kPropFirstLineIndent || id == kPropRightIndent ||
         id == kPropBorderSpacing;
}

int32_t BorderStyleWidth(int32_t style) {
  // The 4-bit field can hold styles 11 to 15, which have no width of their
  // own; they are measured as the plain style 0 rather than read past the
  // table.
  if (style < 0 || style >= int32_t(sizeof BorderWidths / sizeof BorderWidths[0])) {
    return BorderWidths[0];
  }
  return BorderWidths[style];
}

xMorvaProperties::xMorvaProperties() { SetDefaults(); }

// Every property of the other, field by field: what setting each from the
// other gives, but for the bits of the none flags that only Assign carries.
xMorvaProperties::xMorvaProperties(const xMorvaProperties& other) : VObject() {
  Assign(other);
  fNoneFlags &= 0x0F;
}

xMorvaProperties::~xMorvaProperties() = default;

int32_t xMorvaProperties::ColourValue(const Colour& colour) {
  return int32_t(colour[0]) | (int32_t(colour[1]) << 8) | (int32_t(colour[2]) << 16);
}

void xMorvaProperties::SetColour(Colour& colour, int32_t value) {
  colour[0] = uint8_t(value);
  colour[1] = uint8_t(value >> 8);
  colour[2] = uint8_t(value >> 16);
}

uint8_t xMorvaProperties::NoneBit(uint16_t id) {
  switch (id) {
    case kPropStrikeOutColour: return 0x01;
    case kPropUnderlineColour: return 0x02;
    case kPropBackColour: return 0x04;
    case kPropParagraphBackColour: return 0x08;
    default: return 0;
  }
}

xMorvaProperties::Colour* xMorvaProperties::ColourField(uint16_t id) {
  switch (id) {
    case kPropTextColour: return &fTextColour;
    case kPropBackColour: return &fBackColour;
    case kPropStrikeOutColour: return &fStrikeOutColour;
    case kPropUnderlineColour: return &fUnderlineColour;
    case kPropShadowColour: return &fShadowColour;
    case kPropParagraphBackColour: return &fParagraphBackColour;
    case kPropBorderColour: return &fBorderColour;
    default: return nullptr;
  }
}

const xMorvaProperties::Colour* xMorvaProperties::ColourField(uint16_t id) const {
  return const_cast<xMorvaProperties*>(this)->ColourField(id);
}

int32_t xMorvaProperties::GetProperty(uint16_t id) const {
  BitField bits;
  if (FlagsField(id, bits)) return int32_t(GetBits(fFlags, bits));
  if (BordersField(id, bits)) return int32_t(GetBits(fBorders, bits));
  if (const Colour* colour = ColourField(id)) {
    const uint8_t none = NoneBit(id);
    if (none != 0 && (fNoneFlags & none) != 0) return kColourNone;
    return ColourValue(*colour);
  }
  switch (id) {
    case kPropFont: return fFont;
    case kPropSize: return fSize;
    case kPropStyleSheet: return fStyleSheet;
    case kPropAttribute16: return int32_t(fAttribute16);
    case kPropInterline: return fInterline;
    case kPropBullet: return fBullet;
    case kPropLeftIndent: return fLeftIndent;
    case kPropFirstLineIndent: return fFirstLineIndent;
    case kPropRightIndent: return fRightIndent;
    case kPropBorderSpacing: return fBorderSpacing;
    default: return 0;
  }
}

bool xMorvaProperties::HasSameCharacterFields(const xMorvaProperties& other) const {
  return CharacterFieldsDiffering(other) == 0;
}

uint32_t xMorvaProperties::CharacterFieldsDiffering(const xMorvaProperties& other) const {
  // Flag bits 0-13 are the character ones; 14-15 are the alignment.
  constexpr uint16_t kCharacterFlags = 0x3FFF;
  uint32_t ids = 0;
  if (const uint16_t flags = (fFlags ^ other.fFlags) & kCharacterFlags) {
    for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
      BitField bits;
      if (FlagsField(id, bits) && GetBits(flags, bits) != 0) ids |= 1u << id;
    }
  }
  if (fFont != other.fFont) ids |= 1u << kPropFont;
  if (fSize != other.fSize) ids |= 1u << kPropSize;
  if (fStyleSheet != other.fStyleSheet) ids |= 1u << kPropStyleSheet;
  if (fAttribute16 != other.fAttribute16) ids |= 1u << kPropAttribute16;
  const uint8_t none = fNoneFlags ^ other.fNoneFlags;
  const auto colour = [&](uint16_t id, const Colour& a, const Colour& b) {
    if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2] || (none & NoneBit(id)) != 0) ids |= 1u << id;
  };
  colour(kPropTextColour, fTextColour, other.fTextColour);
  colour(kPropBackColour, fBackColour, other.fBackColour);
  colour(kPropStrikeOutColour, fStrikeOutColour, other.fStrikeOutColour);
  colour(kPropUnderlineColour, fUnderlineColour, other.fUnderlineColour);
  colour(kPropShadowColour, fShadowColour, other.fShadowColour);
  return ids;
}

void xMorvaProperties::SetProperty(uint16_t id, int32_t value) {
  BitField bits;
  if (FlagsField(id, bits)) {
    fFlags = uint16_t(SetBits(fFlags, bits, value));
    return;
  }
  if (BordersField(id, bits)) {
    fBorders = uint8_t(SetBits(fBorders, bits, value));
    return;
  }
  if (Colour* colour = ColourField(id)) {
    SetColour(*colour, value);
    if (const uint8_t none = NoneBit(id)) {
      if (value == kColourNone) {
        fNoneFlags |= none;
      } else {
        fNoneFlags &= uint8_t(~none);
      }
    }
    return;
  }
  switch (id) {
    case kPropFont: fFont = int16_t(value); break;
    case kPropSize: fSize = uint8_t(value); break;
    case kPropStyleSheet: fStyleSheet = int16_t(value); break;
    case kPropAttribute16: fAttribute16 = uint32_t(value); break;
    case kPropInterline: fInterline = int8_t(value); break;
    case kPropBullet: fBullet = uint16_t(value); break;
    case kPropLeftIndent: fLeftIndent = int16_t(value); break;
    case kPropFirstLineIndent: fFirstLineIndent = int16_t(value); break;
    case kPropRightIndent: fRightIndent = int16_t(value); break;
    case kPropBorderSpacing: fBorderSpacing = uint8_t(value); break;
    default: break;
  }
}

xMorvaProperties::xMorvaProperties(EachDefault) { SetEachToDefault(); }

void xMorvaProperties::SetDefaults() {
  // Every property is set, so the defaults are one copy of a record made
  // once: records are made by the thousand while text is composed and
  // read. The bits of the none flags that Assign alone carries stay.
  static const xMorvaProperties defaults{EachDefault{}};
  const uint8_t carried = fNoneFlags & 0xF0;
  Assign(defaults);
  fNoneFlags = uint8_t((fNoneFlags & 0x0F) | carried);
  // The one default that follows the screen's resolution of the moment.
  SetProperty(kPropBorderSpacing, CentimetresToPixels(0.25));
}

void xMorvaProperties::SetEachToDefault() {
  for (uint16_t id = 0; id < kPropertyStateCount; ++id) SetProperty(id, 0);
  SetProperty(kPropFont, 1);
  SetProperty(kPropSize, 12);
  SetProperty(kPropTextColour, 0);
  SetProperty(kPropBackColour, kColourNone);
  SetProperty(kPropUnderlineColour, kColourNone);
  SetProperty(kPropStrikeOutColour, kColourNone);
  SetProperty(kPropShadowColour, 0x999999);
  SetProperty(kPropInterline, 10);
  SetProperty(kPropStyleSheet, 1);
  SetProperty(kPropParagraphBackColour, kColourNone);
  SetProperty(kPropBorderColour, 0);
  // A quarter of a centimetre.
  SetProperty(kPropBorderSpacing, CentimetresToPixels(0.25));
}

void xMorvaProperties::Assign(const xMorvaProperties& other) {
  if (&other == this) return;
  fFlags = other.fFlags;
  fFont = other.fFont;
  fLeftIndent = other.fLeftIndent;
  fFirstLineIndent = other.fFirstLineIndent;
  fRightIndent = other.fRightIndent;
  fStyleSheet = other.fStyleSheet;
  fAttribute16 = other.fAttribute16;
  fBullet = other.fBullet;
  fSize = other.fSize;
  fInterline = other.fInterline;
  fBorderSpacing = other.fBorderSpacing;
  fNoneFlags = other.fNoneFlags;
  // Every colour field, as the colour properties name them.
  auto copy = [](Colour& to, const Colour& from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
  };
  copy(fTextColour, other.fTextColour);
  copy(fBackColour, other.fBackColour);
  copy(fStrikeOutColour, other.fStrikeOutColour);
  copy(fUnderlineColour, other.fUnderlineColour);
  copy(fShadowColour, other.fShadowColour);
  copy(fParagraphBackColour, other.fParagraphBackColour);
  copy(fBorderColour, other.fBorderColour);
  fBorders = other.fBorders;
}

void xMorvaProperties::CopyCharacterProperties(const xMorvaProperties& other) {
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) SetProperty(id, other.GetProperty(id));
}

void xMorvaProperties::CopyParagraphProperties(const xMorvaProperties& other) {
  // What setting each id 32 to 64 to the other's value leaves, field by
  // field: a walk copies them at every paragraph it passes. The colours go
  // through their values, which carry the none flag; the border bits and
  // the alignment bits are all paragraph ones.
  constexpr uint16_t kAlignmentFlags = 0xC000;
  fFlags = uint16_t((fFlags & ~kAlignmentFlags) | (other.fFlags & kAlignmentFlags));
  fInterline = other.fInterline;
  fBullet = other.fBullet;
  fLeftIndent = other.fLeftIndent;
  fFirstLineIndent = other.fFirstLineIndent;
  fRightIndent = other.fRightIndent;
  fBorders = other.fBorders;
  fBorderSpacing = other.fBorderSpacing;
  SetProperty(kPropParagraphBackColour, other.GetProperty(kPropParagraphBackColour));
  SetProperty(kPropBorderColour, other.GetProperty(kPropBorderColour));
}

bool xMorvaProperties::EqualsMasked(const xMorvaProperties& other,
                                    const xMorvaPropertiesStates& states) const {
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    if (id > kLastCharacterProperty && id < kFirstParagraphProperty) continue;
    if (states.GetState(id) == 1 && GetProperty(id) != other.GetProperty(id)) return false;
  }
  return true;
}

int32_t xMorvaProperties::ParagraphTextLeft(bool withFirstLine) const {
  int32_t left = GetProperty(kPropLeftIndent);
  if (withFirstLine) left += GetProperty(kPropFirstLineIndent);
  if (GetProperty(kPropLeftBorder) != 0) {
    left += GetProperty(kPropBorderSpacing) + BorderStyleWidth(GetProperty(kPropBorderStyle));
  }
  return left;
}

// 'wPRP' "0101", in the stream's data order:
//   0  tag 'wPRP'          4
//   4  version "0101"      4 characters
//   8  character count     1 (17)
//   9  ids 0 to 16         17 x i32
//  77  paragraph count     1 (14)
//  78  ids 32 to 45        14 x i32
// 134 bytes. Lengths (35, 36, 37, 45) in twips.
bool xMorvaProperties::Write(VStream& stream) const {
  WriteRecordHead(stream, kTagWPRP, kVersion);
  stream.PutByte(kCharacterCount);
  for (uint16_t id = 0; id < kCharacterCount; ++id) stream.PutLong(GetProperty(id));
  stream.PutByte(kParagraphCount);
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id) {
    const int32_t value = GetProperty(id);
    stream.PutLong(IsLengthProperty(id) ? PixelsToTwips(value) : value);
  }
  return stream.GetStatus() == 0;
}

bool xMorvaProperties::Read(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kTagWPRP) || !ReadRecordVersion(stream, {kVersion}, version)) {
    return false;
  }
  // Both groups are read whole before any value is taken, so a record cut
  // short changes nothing.
  int32_t values[2][128] = {};
  int32_t counts[2] = {0, 0};
  for (int group = 0; group < 2; ++group) {
    if (!stream.HasRemaining(1)) return false;
    const int32_t count = int8_t(stream.GetByte());
    counts[group] = count > 0 ? count : 0;
    if (!stream.HasRemaining(uint64_t(counts[group]) * 4u)) return false;
    for (int32_t i = 0; i < counts[group]; ++i) values[group][i] = stream.GetLong();
  }
  if (stream.GetStatus() != 0) return false;
  const uint16_t firsts[2] = {0, kFirstParagraphProperty};
  for (int group = 0; group < 2; ++group) {
    for (int32_t i = 0; i < counts[group]; ++i) {
      const uint16_t id = uint16_t(firsts[group] + i);
      const int32_t value = values[group][i];
      SetProperty(id, IsLengthProperty(id) ? TwipsToPixels(value) : value);
    }
  }
  return true;
}

// ---- Description

int16_t PaletteColourItem(int32_t colour) {
  // The document's palette, in the order of its names.
  static constexpr int32_t kPalette[18] = {
      kColourNone, 0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, 0x000000, 0x0000FF, 0x0099FF, 0x00E6FF,
      0x19CC00,    0xFF9933, 0xFF00CC, 0xB3B3FF, 0xA6D9FF, 0xCCFFFF, 0xB3FFB3, 0xFFE6B3, 0xFFC0FF,
  };
  for (int16_t i = 0; i < 18; ++i) {
    if (kPalette[i] == colour) return int16_t(i + 1);
  }
  return 0;
}

namespace {

// The words of the description in the document's texts list.
constexpr int16_t kNegationItem = 3;         // before a property that is off
constexpr int16_t kBorderNegationItem = 4;   // before a border that is off
constexpr int16_t kLabelSeparatorItem = 5;   // between a name and its value
constexpr int16_t kSeparatorItem = 6;        // between two phrases
constexpr int16_t kSmallCapitalsItem = 7;
constexpr int16_t kCapitalsItem = 8;
constexpr int16_t kSuperscriptItem = 9;
constexpr int16_t kSubscriptItem = 10;
constexpr int16_t kCharacterTitleItem = 18;
constexpr int16_t kParagraphTitleItem = 19;

// The usual bullets and their items in the bullet names list; no bullet is
// item 1.
struct BulletName {
  uint16_t code;
  int16_t item;
};
constexpr BulletName kBulletNames[] = {{0, 1}, {108, 4}, {109, 5}, {110, 2},
                                       {111, 3}, {117, 6}, {118, 7}};

void AppendItem(VString& text, int16_t listOffset, int16_t item) {
  VStr<255> word;
  GetDocumentListString(word, listOffset, item);
  text.CopyText(word);
}

void AppendName(VString& text, uint16_t id) {
  AppendItem(text, kPropertyNamesListOffset, int16_t(id + 1));
}

void AppendLabel(VString& text, uint16_t id) {
  AppendName(text, id);
  AppendItem(text, kDocumentTextsListOffset, kLabelSeparatorItem);
}

void AppendNumber(VString& text, int32_t n) {
  VStr<32> number;
  number.SetLong(n, kWholeValue);
  text.CopyText(number);
}

// A name preceded by a negation word when the value is 0.
void AppendSwitch(VString& text, uint16_t id, int32_t value, int16_t negationItem) {
  if (value == 0) AppendItem(text, kDocumentTextsListOffset, negationItem);
  AppendName(text, id);
}

}  // namespace

void xMorvaProperties::Describe(xMorvaDocumentInterface& document,
                                const xMorvaPropertiesStates& states, VString& text) const {
  bool characterPhrases = false;
  bool paragraphPhrases = false;
  for (uint16_t id = 0; id <= kLastParagraphProperty; ++id) {
    // The link look and the carried attribute have no wording; 17 to 31
    // hold nothing.
    if (id == kPropLinkLook || (id >= kPropAttribute16 && id < kFirstParagraphProperty)) continue;
    if (states.GetState(id) != 1) continue;

    if (id <= kLastCharacterProperty) {
      if (!characterPhrases) {
        AppendItem(text, kDocumentTextsListOffset, kCharacterTitleItem);
        text.AppendUniChar(u'\r');
        characterPhrases = true;
      } else {
        AppendItem(text, kDocumentTextsListOffset, kSeparatorItem);
      }
    } else if (!paragraphPhrases) {
      if (characterPhrases) text.AppendUniChar(u'\r');
      AppendItem(text, kDocumentTextsListOffset, kParagraphTitleItem);
      text.AppendUniChar(u'\r');
      paragraphPhrases = true;
    } else {
      AppendItem(text, kDocumentTextsListOffset, kSeparatorItem);
    }

    const int32_t value = GetProperty(id);
    switch (id) {
      case kPropBold:
      case kPropItalic:
      case kPropShadow:
      case kPropStrikeOut: AppendSwitch(text, id, value, kNegationItem); break;
      case kPropUnderline:
        AppendItem(text, kUnderlineNamesListOffset, int16_t(value + 1));
        break;
      case kPropVerticalPosition:
        if (value == 0) {
          AppendSwitch(text, id, value, kNegationItem);
        } else {
          AppendItem(text, kDocumentTextsListOffset, value == 1 ? kSuperscriptItem : kSubscriptItem);
        }
        break;
      case kPropLetterCase:
        if (value == 0) {
          AppendSwitch(text, id, value, kNegationItem);
        } else {
          AppendItem(text, kDocumentTextsListOffset, value == 1 ? kCapitalsItem : kSmallCapitalsItem);
        }
        break;
      case kPropFont: {
        AppendName(text, id);
        text.AppendCText(": ", kCharSetAnsi);
        VStr<255> font;
        GetDocumentFontName(document, int16_t(value), font);
        text.CopyText(font);
        break;
      }
      case kPropSize:
        AppendName(text, id);
        text.AppendCText(": ", kCharSetAnsi);
        AppendNumber(text, value);
        break;
      case kPropTextColour:
      case kPropBackColour:
      case kPropStrikeOutColour:
      case kPropUnderlineColour:
      case kPropShadowColour:
      case kPropParagraphBackColour:
      case kPropBorderColour: {
        AppendLabel(text, id);
        const int16_t item = PaletteColourItem(value);
        if (item != 0) AppendItem(text, kColourNamesListOffset, item);
        break;
      }
      case kPropStyleSheet: {
        AppendLabel(text, id);
        VStr<255> name;
        document.GetStyleSheetName(int16_t(value), name);
        text.CopyText(name);
        break;
      }
      case kPropAlignment:
        AppendItem(text, kAlignmentNamesListOffset, int16_t(value + 1));
        break;
      case kPropInterline: {
        AppendLabel(text, id);
        VStr<32> format;
        format.AppendCText("###", kCharSetAnsi);
        format.AppendUniChar(GetDecimalSeparator());
        format.AppendCText("#", kCharSetAnsi);
        VStr<255> number;
        number.SetReal(value / 10.0, kWholeValue);
        ApplyNumberFormat(number, format);
        text.CopyText(number);
        break;
      }
      case kPropBullet: {
        AppendLabel(text, id);
        int16_t item = 0;
        for (const BulletName& bullet : kBulletNames) {
          if (bullet.code == uint16_t(value)) item = bullet.item;
        }
        if (item != 0) {
          AppendItem(text, kBulletNamesListOffset, item);
        } else {
          AppendNumber(text, value);
        }
        break;
      }
      case kPropLeftIndent:
      case kPropFirstLineIndent:
      case kPropRightIndent:
      case kPropBorderSpacing:
        // The border spacing is a length like the indents and reads the
        // same way.
        AppendLabel(text, id);
        document.GetParams().AppendDisplayLength(text, value);
        break;
      case kPropBorderStyle:
        AppendLabel(text, id);
        AppendItem(text, kBorderStyleNamesListOffset, int16_t(value + 1));
        break;
      case kPropLeftBorder:
      case kPropRightBorder:
      case kPropTopBorder:
      case kPropBottomBorder: AppendSwitch(text, id, value, kBorderNegationItem); break;
      default: break;
    }
  }
}
