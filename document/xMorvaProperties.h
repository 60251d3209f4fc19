// xMorvaProperties: one packed record of every character property (ids 0 to
// 16) and paragraph property (ids 32 to 45), read and set by id, compared
// under a states mask and stored as the 'wPRP' record.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VStream;
class VString;
class xMorvaDocumentInterface;
class xMorvaPropertiesStates;

// Property ids, the same numbers in the element stream, the commands and the
// filters. Ids 17 to 31 and 46 to 63 hold nothing; 64 is the tab list, whose
// value lives in xMorvaTabs.
enum : uint16_t {
  kPropBold = 0,
  kPropItalic = 1,
  kPropShadow = 2,
  kPropStrikeOut = 3,
  kPropUnderline = 4,
  kPropVerticalPosition = 5,
  kPropLetterCase = 6,
  kPropFont = 7,
  kPropSize = 8,
  kPropTextColour = 9,
  kPropBackColour = 10,
  kPropStrikeOutColour = 11,
  kPropUnderlineColour = 12,
  kPropShadowColour = 13,
  kPropLinkLook = 14,
  kPropStyleSheet = 15,
  kPropAttribute16 = 16,
  kPropAlignment = 32,
  kPropInterline = 33,
  kPropBullet = 34,
  kPropLeftIndent = 35,
  kPropFirstLineIndent = 36,
  kPropRightIndent = 37,
  kPropParagraphBackColour = 38,
  kPropBorderColour = 39,
  kPropBorderStyle = 40,
  kPropLeftBorder = 41,
  kPropRightBorder = 42,
  kPropTopBorder = 43,
  kPropBottomBorder = 44,
  kPropBorderSpacing = 45,
  kPropTabs = 64,
};

constexpr uint16_t kLastCharacterProperty = 16;
constexpr uint16_t kFirstParagraphProperty = 32;
constexpr uint16_t kLastParagraphProperty = 45;
// The character properties a link's look keeps while it shows (the text
// engine draws a link in its own colour and underline): inside a link's
// text a record of one of them takes effect only where the look ends.
constexpr bool IsHeldByLinkLook(uint16_t id) {
  return id == kPropTextColour || id == kPropBackColour || id == kPropUnderline || id == kPropUnderlineColour;
}
// One state byte per id 0 to 64.
constexpr uint16_t kPropertyStateCount = 65;
// The colour value that says "none" for the colours that have that state.
constexpr int32_t kColourNone = -1;
// The error of a command given an id that names no property.
constexpr int32_t kErrorInvalidPropertyId = 1075;
// The point sizes a character can have; the size is held in one byte.
constexpr int32_t kMinPointSize = 1;
constexpr int32_t kMaxPointSize = 255;
// A size read from a file brought into that range, so that a document
// opened from any file saves and reads back as it was opened.
constexpr int32_t PointSizeInRange(int32_t points) {
  return points < kMinPointSize ? kMinPointSize : points > kMaxPointSize ? kMaxPointSize : points;
}

// True for the ids that name a property: 0 to 16, 32 to 45 and 64.
bool IsPropertyId(int32_t id);
// True for the lengths stored in twips: ids 35, 36, 37 and 45.
bool IsLengthProperty(int32_t id);
// The width in pixels of a border style.
int32_t BorderStyleWidth(int32_t style);
// The item of a palette colour in the colour names list, 1 to 18; 0 for a
// colour that is not one of the palette's.
int16_t PaletteColourItem(int32_t colour);

class xMorvaProperties : public VObject {
 public:
  // The defaults of SetDefaults.
  xMorvaProperties();
  // Every id 0 to 64 copied through GetProperty and SetProperty, so the
  // high bits of the none flags are not carried; Assign carries them.
  xMorvaProperties(const xMorvaProperties& other);
  xMorvaProperties& operator=(const xMorvaProperties&) = delete;
  ~xMorvaProperties() override;

  // Bit fields answer unsigned; font, indents and style sheet are
  // sign-extended from 16 bits, interline from 8; size, bullet and border
  // spacing zero-extended. A colour whose none flag is set answers -1. Ids
  // that hold nothing answer 0.
  int32_t GetProperty(uint16_t id) const;
  // Stores the value truncated to the field's width. For the colours 10, 11,
  // 12 and 38 the none flag becomes (value == -1). Ids that hold nothing are
  // ignored.
  void SetProperty(uint16_t id, int32_t value);
  void SetDefaults();

  // Every field, the high bits of the none flags too.
  void Assign(const xMorvaProperties& other);
  // Ids 0 to 16, or 32 to 64, from the other record.
  void CopyCharacterProperties(const xMorvaProperties& other);
  void CopyParagraphProperties(const xMorvaProperties& other);
  // True when every id 0 to 16 and 32 to 45 whose state is 1 has the same
  // value in both records.
  bool EqualsMasked(const xMorvaProperties& other, const xMorvaPropertiesStates& states) const;
  // True when the fields behind ids 0 to 16 are the same in both records,
  // so that every character property answers the same: a test of a few
  // words for the typing path, which asks it at every character. False
  // may still mean equal values (a colour under its none flag).
  bool HasSameCharacterFields(const xMorvaProperties& other) const;
  // The ids 0 to 16 whose fields differ in the two records, a bit each (1
  // << id): every id that answers differently is among them. None is
  // HasSameCharacterFields.
  uint32_t CharacterFieldsDiffering(const xMorvaProperties& other) const;
  // Where the paragraph's text starts: the left indent, plus the first-line
  // indent when asked, plus the border spacing and width when the left
  // border is on.
  int32_t ParagraphTextLeft(bool withFirstLine) const;

  // The 'wPRP' record, 134 bytes, in the stream's data order; lengths in
  // twips. Write answers false when the stream fails.
  bool Write(VStream& stream) const;
  // False for a wrong tag or version, or a record the stream cannot hold
  // whole; the record then keeps its values. Counts other than 17 and 14
  // are honoured: missing ids keep their values, ids beyond are ignored.
  bool Read(VStream& stream);

  // Appends a readable list of the properties whose state is 1: the
  // character ones under a title, then the paragraph ones under another,
  // each a phrase from the package's string lists, separated by the list's
  // separator. Names of fonts and style sheets come from the document.
  void Describe(xMorvaDocumentInterface& document, const xMorvaPropertiesStates& states,
                VString& text) const;

  // The 'wPRP' version written and read.
  static constexpr uint32_t kVersion = FourCC("0101");

 private:
  // The record of the defaults, set property by property: what SetDefaults
  // copies.
  struct EachDefault {};
  explicit xMorvaProperties(EachDefault);
  void SetEachToDefault();

  // Colour bytes, lowest first: byte 0 bits 0-7, byte 1 bits 8-15, byte 2
  // bits 16-23.
  using Colour = uint8_t[3];
  static int32_t ColourValue(const Colour& colour);
  static void SetColour(Colour& colour, int32_t value);
  // The none flag bit of colours 10, 11, 12 and 38; 0 for the others.
  static uint8_t NoneBit(uint16_t id);
  Colour* ColourField(uint16_t id);
  const Colour* ColourField(uint16_t id) const;

  // The fields in order (little-endian in memory; never written as raw
  // memory, so their layout is free):
  //   flags bits: 0 bold, 1 italic, 2 shadow, 3 strike-out, 4-6 underline,
  //   7-8 vertical position, 9-10 letter case, 11-13 link look, 14-15
  //   alignment.
  uint16_t fFlags = 0;
  int16_t fFont = 0;
  int16_t fLeftIndent = 0;
  int16_t fFirstLineIndent = 0;
  int16_t fRightIndent = 0;
  int16_t fStyleSheet = 0;
  uint32_t fAttribute16 = 0;
  uint16_t fBullet = 0;
  uint8_t fSize = 0;
  int8_t fInterline = 0;
  uint8_t fBorderSpacing = 0;
  // Bit 0 strike-out colour none, 1 underline colour none, 2 back colour
  // none, 3 paragraph back colour none; bits 4-7 carried by Assign only.
  uint8_t fNoneFlags = 0;
  Colour fTextColour = {};
  Colour fBackColour = {};
  Colour fStrikeOutColour = {};
  Colour fUnderlineColour = {};
  Colour fShadowColour = {};
  Colour fParagraphBackColour = {};
  Colour fBorderColour = {};
  // Bits 0-3 border style, 4 left, 5 right, 6 top, 7 bottom border.
  uint8_t fBorders = 0;
};
