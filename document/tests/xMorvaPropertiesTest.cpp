// xMorvaProperties and xMorvaPropertiesStates: properties by id, defaults,
// masked comparison, and the 'wPRP' and 'wSTT' records in both byte orders.
#include <gtest/gtest.h>

#include "document/tests/DocumentTestSupport.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"

namespace {

// Every id with a value, each different from the defaults.
void SetEveryProperty(xMorvaProperties& p) {
  const int32_t values[][2] = {{0, 1},      {1, 1},       {2, 1},       {3, 1},       {4, 3},
                               {5, 2},      {6, 1},       {7, 5},       {8, 24},      {9, 0x123456},
                               {10, 0x00FF00}, {11, 0x0000FF}, {12, 0xABCDEF}, {13, 0x101010},
                               {14, 2},     {15, 7},      {16, -123456789}, {32, 3},  {33, -15},
                               {34, 0x2022}, {35, 96},    {36, -48},    {37, 192},    {38, 0x808080},
                               {39, 0x00FFFF}, {40, 9},   {41, 1},      {42, 1},      {43, 0},
                               {44, 1},     {45, 48}};
  for (const auto& v : values) p.SetProperty(uint16_t(v[0]), v[1]);
}

bool SameValues(const xMorvaProperties& a, const xMorvaProperties& b) {
  for (uint16_t id = 0; id < kPropertyStateCount; ++id) {
    if (a.GetProperty(id) != b.GetProperty(id)) return false;
  }
  return true;
}

}  // namespace

// ---- Properties by id

TEST(Properties, NoneColourAnswersMinusOneAndIsDistinctFromWhite) {
  xMorvaProperties p;
  p.SetProperty(kPropBackColour, -1);
  EXPECT_EQ(p.GetProperty(kPropBackColour), -1);
  p.SetProperty(kPropBackColour, 0xFFFFFF);
  EXPECT_EQ(p.GetProperty(kPropBackColour), 0xFFFFFF);
  for (uint16_t id : {kPropStrikeOutColour, kPropUnderlineColour, kPropParagraphBackColour}) {
    p.SetProperty(id, -1);
    EXPECT_EQ(p.GetProperty(id), -1) << id;
    p.SetProperty(id, 0x123456);
    EXPECT_EQ(p.GetProperty(id), 0x123456) << id;
  }
}

TEST(Properties, ColoursWithoutNoneStateKeepTheLow24Bits) {
  xMorvaProperties p;
  p.SetProperty(kPropShadowColour, -1);
  EXPECT_EQ(p.GetProperty(kPropShadowColour), 0xFFFFFF);
  p.SetProperty(kPropTextColour, 0x7F123456);
  EXPECT_EQ(p.GetProperty(kPropTextColour), 0x123456);
  p.SetProperty(kPropBorderColour, -1);
  EXPECT_EQ(p.GetProperty(kPropBorderColour), 0xFFFFFF);
}

TEST(Properties, BitFieldsAreMaskedToTheirWidth) {
  xMorvaProperties p;
  p.SetProperty(kPropUnderline, 9);
  EXPECT_EQ(p.GetProperty(kPropUnderline), 1);
  p.SetProperty(kPropBold, 2);
  EXPECT_EQ(p.GetProperty(kPropBold), 0);
  p.SetProperty(kPropVerticalPosition, 7);
  EXPECT_EQ(p.GetProperty(kPropVerticalPosition), 3);
  p.SetProperty(kPropLinkLook, 15);
  EXPECT_EQ(p.GetProperty(kPropLinkLook), 7);
  p.SetProperty(kPropAlignment, 6);
  EXPECT_EQ(p.GetProperty(kPropAlignment), 2);
  p.SetProperty(kPropBorderStyle, 0x1F);
  EXPECT_EQ(p.GetProperty(kPropBorderStyle), 15);
  // Neighbouring fields of the same word are left alone.
  p.SetProperty(kPropItalic, 1);
  p.SetProperty(kPropLetterCase, 2);
  EXPECT_EQ(p.GetProperty(kPropUnderline), 1);
  EXPECT_EQ(p.GetProperty(kPropVerticalPosition), 3);
  EXPECT_EQ(p.GetProperty(kPropLinkLook), 7);
  EXPECT_EQ(p.GetProperty(kPropAlignment), 2);
  p.SetProperty(kPropTopBorder, 1);
  EXPECT_EQ(p.GetProperty(kPropBorderStyle), 15);
  EXPECT_EQ(p.GetProperty(kPropTopBorder), 1);
  EXPECT_EQ(p.GetProperty(kPropBottomBorder), 0);
}

TEST(Properties, NumbersTakeTheirFieldWidthAndSign) {
  xMorvaProperties p;
  p.SetProperty(kPropInterline, 200);
  EXPECT_EQ(p.GetProperty(kPropInterline), -56);
  p.SetProperty(kPropSize, 300);
  EXPECT_EQ(p.GetProperty(kPropSize), 44);
  p.SetProperty(kPropBorderSpacing, 255);
  EXPECT_EQ(p.GetProperty(kPropBorderSpacing), 255);
  p.SetProperty(kPropFont, 0x18000);
  EXPECT_EQ(p.GetProperty(kPropFont), -32768);
  p.SetProperty(kPropFirstLineIndent, -20);
  EXPECT_EQ(p.GetProperty(kPropFirstLineIndent), -20);
  p.SetProperty(kPropBullet, 0x1FFFF);
  EXPECT_EQ(p.GetProperty(kPropBullet), 0xFFFF);
  p.SetProperty(kPropStyleSheet, 0xFFFF);
  EXPECT_EQ(p.GetProperty(kPropStyleSheet), -1);
  p.SetProperty(kPropAttribute16, int32_t(0x80000001));
  EXPECT_EQ(p.GetProperty(kPropAttribute16), int32_t(0x80000001));
}

TEST(Properties, IdsThatHoldNothingAnswerZeroAndIgnoreSetting) {
  xMorvaProperties p;
  SetEveryProperty(p);
  xMorvaProperties before(p);
  for (uint16_t id : {17, 20, 31, 46, 63, 64, 65, 1000}) {
    p.SetProperty(id, 77);
    EXPECT_EQ(p.GetProperty(id), 0) << id;
  }
  EXPECT_TRUE(SameValues(p, before));
}

TEST(Properties, IdsAreNamedOrInvalid) {
  for (int32_t id : {0, 16, 32, 45, 64}) EXPECT_TRUE(IsPropertyId(id)) << id;
  for (int32_t id : {-1, 17, 31, 46, 63, 65}) EXPECT_FALSE(IsPropertyId(id)) << id;
  EXPECT_EQ(kErrorInvalidPropertyId, 1075);
  for (int32_t id = -1; id < 70; ++id) {
    EXPECT_EQ(IsLengthProperty(id), id == 35 || id == 36 || id == 37 || id == 45) << id;
  }
}

TEST(Properties, DefaultsAreThoseOfANewRecord) {
  ScopedResolution dpi(96);
  xMorvaProperties p;
  EXPECT_EQ(p.GetProperty(kPropFont), 1);
  EXPECT_EQ(p.GetProperty(kPropSize), 12);
  EXPECT_EQ(p.GetProperty(kPropTextColour), 0);
  EXPECT_EQ(p.GetProperty(kPropBackColour), -1);
  EXPECT_EQ(p.GetProperty(kPropUnderlineColour), -1);
  EXPECT_EQ(p.GetProperty(kPropStrikeOutColour), -1);
  EXPECT_EQ(p.GetProperty(kPropShadowColour), 0x999999);
  EXPECT_EQ(p.GetProperty(kPropInterline), 10);
  EXPECT_EQ(p.GetProperty(kPropStyleSheet), 1);
  EXPECT_EQ(p.GetProperty(kPropParagraphBackColour), -1);
  EXPECT_EQ(p.GetProperty(kPropBorderColour), 0);
  // A quarter of a centimetre: 96 x 0.25 / 2.54 = 9.45.
  EXPECT_EQ(p.GetProperty(kPropBorderSpacing), 9);
  for (uint16_t id : {0, 1, 2, 3, 4, 5, 6, 14, 16, 32, 34, 35, 36, 37, 40, 41, 42, 43, 44}) {
    EXPECT_EQ(p.GetProperty(id), 0) << id;
  }
  SetEveryProperty(p);
  p.SetDefaults();
  EXPECT_TRUE(SameValues(p, xMorvaProperties()));
}

TEST(Properties, BorderSpacingDefaultFollowsTheResolution) {
  ScopedResolution dpi(300);
  EXPECT_EQ(xMorvaProperties().GetProperty(kPropBorderSpacing), 29);  // 29.53
}

// The defaults come the same at each resolution, however many records were
// made before at another, and a record set anew takes each of them. A row a
// resolution.
TEST(Properties, DefaultsFollowTheResolutionOfTheMomentRecordAfterRecord) {
  const struct {
    int32_t dpi;
    int32_t spacing;
  } rows[] = {{96, 9}, {300, 29}, {72, 7}, {96, 9}};
  for (const auto& row : rows) {
    ScopedResolution dpi(row.dpi);
    xMorvaProperties fresh;
    EXPECT_EQ(fresh.GetProperty(kPropBorderSpacing), row.spacing) << row.dpi;
    xMorvaProperties reused;
    SetEveryProperty(reused);
    reused.SetDefaults();
    EXPECT_TRUE(SameValues(reused, fresh)) << row.dpi;
    EXPECT_EQ(reused.GetProperty(kPropShadowColour), 0x999999);
    EXPECT_EQ(reused.GetProperty(kPropBackColour), kColourNone);
  }
}

TEST(Properties, CopiesAndAssignKeepEveryValue) {
  xMorvaProperties p;
  SetEveryProperty(p);
  xMorvaProperties copy(p);
  EXPECT_TRUE(SameValues(copy, p));
  xMorvaProperties assigned;
  assigned.Assign(p);
  EXPECT_TRUE(SameValues(assigned, p));
}

TEST(Properties, CopyCharacterOrParagraphPropertiesTakesOnlyThatHalf) {
  xMorvaProperties source;
  SetEveryProperty(source);
  xMorvaProperties chars;
  chars.CopyCharacterProperties(source);
  xMorvaProperties paras;
  paras.CopyParagraphProperties(source);
  const xMorvaProperties defaults;
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
    EXPECT_EQ(chars.GetProperty(id), source.GetProperty(id)) << id;
    EXPECT_EQ(paras.GetProperty(id), defaults.GetProperty(id)) << id;
  }
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id) {
    EXPECT_EQ(chars.GetProperty(id), defaults.GetProperty(id)) << id;
    EXPECT_EQ(paras.GetProperty(id), source.GetProperty(id)) << id;
  }
  // A paragraph colour's none flag goes with it, both ways.
  ASSERT_NE(kColourNone, source.GetProperty(kPropParagraphBackColour));
  paras.CopyParagraphProperties(defaults);
  EXPECT_EQ(kColourNone, paras.GetProperty(kPropParagraphBackColour));
  paras.CopyParagraphProperties(source);
  EXPECT_EQ(source.GetProperty(kPropParagraphBackColour), paras.GetProperty(kPropParagraphBackColour));
}

TEST(Properties, EqualsMaskedComparesOnlyTheStatesThatAreSet) {
  xMorvaProperties a;
  xMorvaProperties b;
  SetEveryProperty(b);
  xMorvaPropertiesStates none(false);
  EXPECT_TRUE(a.EqualsMasked(b, none));
  xMorvaPropertiesStates all(true);
  EXPECT_FALSE(a.EqualsMasked(b, all));
  EXPECT_TRUE(b.EqualsMasked(b, all));

  xMorvaPropertiesStates one(false);
  one.SetState(kPropSize, 1);
  b.Assign(a);
  b.SetProperty(kPropFont, 9);
  EXPECT_TRUE(a.EqualsMasked(b, one));
  b.SetProperty(kPropSize, 13);
  EXPECT_FALSE(a.EqualsMasked(b, one));

  // Paragraph ids count too; the tab id and the ids that hold nothing do not.
  xMorvaPropertiesStates para(false);
  para.SetState(kPropBorderSpacing, 1);
  para.SetState(kPropTabs, 1);
  b.Assign(a);
  EXPECT_TRUE(a.EqualsMasked(b, para));
  b.SetProperty(kPropBorderSpacing, 77);
  EXPECT_FALSE(a.EqualsMasked(b, para));
}

TEST(Properties, ParagraphTextLeftAddsFirstLineAndLeftBorder) {
  xMorvaProperties p;
  p.SetProperty(kPropLeftIndent, 40);
  p.SetProperty(kPropFirstLineIndent, -10);
  p.SetProperty(kPropBorderSpacing, 6);
  p.SetProperty(kPropBorderStyle, 8);
  EXPECT_EQ(p.ParagraphTextLeft(false), 40);
  EXPECT_EQ(p.ParagraphTextLeft(true), 30);
  p.SetProperty(kPropLeftBorder, 1);
  EXPECT_EQ(p.ParagraphTextLeft(false), 40 + 6 + 6);  // style 8 is 6 pixels wide
  EXPECT_EQ(p.ParagraphTextLeft(true), 30 + 6 + 6);
  p.SetProperty(kPropRightBorder, 1);
  p.SetProperty(kPropLeftBorder, 0);
  EXPECT_EQ(p.ParagraphTextLeft(false), 40);
}

TEST(Properties, BorderWidthsByStyleAndStylesWithoutWidth) {
  const int32_t widths[] = {1, 2, 3, 1, 2, 3, 3, 4, 6, 4, 5};
  for (int32_t style = 0; style <= 10; ++style) EXPECT_EQ(BorderStyleWidth(style), widths[style]);
  for (int32_t style = 11; style <= 15; ++style) EXPECT_EQ(BorderStyleWidth(style), 1) << style;
}

// ---- 'wPRP'

TEST(PropertiesRecord, WritesTheBigEndianLayout) {
  ScopedResolution dpi(96);
  xMorvaProperties p;
  SetEveryProperty(p);
  bool ok = false;
  const Bytes bytes = WriteRecord([&](VStream& s) { return p.Write(s); }, true, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(bytes.size(), 134u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), Chars("wPRP0101"));
  EXPECT_EQ(bytes[8], 17);
  for (uint16_t id = 0; id <= 16; ++id) EXPECT_EQ(LongBE(bytes, 9 + 4 * id), p.GetProperty(id)) << id;
  EXPECT_EQ(bytes[77], 14);
  const size_t paragraphs = 78;
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 0), 3);          // alignment
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 1), -15);        // interline
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 3), 1440);       // left indent, 96 px
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 4), -720);       // first line, -48 px
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 5), 2880);       // right indent, 192 px
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 6), 0x808080);   // paragraph back colour
  EXPECT_EQ(LongBE(bytes, paragraphs + 4 * 13), 720);       // border spacing, 48 px
  EXPECT_EQ(LongBE(bytes, 9 + 4 * 10), 0x00FF00);           // back colour
  xMorvaProperties none;
  const Bytes noneBytes = WriteRecord([&](VStream& s) { return none.Write(s); }, true);
  EXPECT_EQ(LongBE(noneBytes, 9 + 4 * 10), -1);  // a none colour is stored as -1
}

TEST(PropertiesRecord, WritesThisMachinesOrderWithTheTagReversed) {
  xMorvaProperties p;
  SetEveryProperty(p);
  const Bytes bytes = WriteRecord([&](VStream& s) { return p.Write(s); }, false);
  ASSERT_EQ(bytes.size(), 134u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), Chars("PRPw0101"));
  EXPECT_EQ(LongLE(bytes, 9 + 4 * 9), 0x123456);
}

TEST(PropertiesRecord, RoundTripsInBothOrdersWhateverOrderTheReaderExpects) {
  xMorvaProperties p;
  SetEveryProperty(p);
  for (bool bigEndian : {true, false}) {
    const Bytes bytes = WriteRecord([&](VStream& s) { return p.Write(s); }, bigEndian);
    for (bool readerBig : {true, false}) {
      ByteReader reader(bytes, readerBig);
      xMorvaProperties q;
      ASSERT_TRUE(q.Read(reader.stream())) << bigEndian << readerBig;
      EXPECT_TRUE(SameValues(p, q));
      EXPECT_EQ(reader.position(), 134u);
      const Bytes again = WriteRecord([&](VStream& s) { return q.Write(s); }, bigEndian);
      EXPECT_EQ(again, bytes);
    }
  }
}

TEST(PropertiesRecord, IndentsSurviveUpToTruncation) {
  ScopedResolution dpi(96);
  xMorvaProperties p;
  p.SetProperty(kPropLeftIndent, 1);   // 15 twips
  p.SetProperty(kPropRightIndent, 7);  // 105 twips
  const Bytes bytes = WriteRecord([&](VStream& s) { return p.Write(s); }, true);
  EXPECT_EQ(LongBE(bytes, 78 + 4 * 3), 15);
  ByteReader reader(bytes);
  xMorvaProperties q;
  ASSERT_TRUE(q.Read(reader.stream()));
  EXPECT_EQ(q.GetProperty(kPropLeftIndent), 1);
  EXPECT_EQ(q.GetProperty(kPropRightIndent), 7);
}

TEST(PropertiesRecord, LengthsReadAtAnotherResolutionAreScaled) {
  Bytes bytes;
  {
    ScopedResolution dpi(96);
    xMorvaProperties p;
    p.SetProperty(kPropLeftIndent, 96);  // one inch
    bytes = WriteRecord([&](VStream& s) { return p.Write(s); }, true);
  }
  ScopedResolution dpi(120);
  ByteReader reader(bytes);
  xMorvaProperties q;
  ASSERT_TRUE(q.Read(reader.stream()));
  EXPECT_EQ(q.GetProperty(kPropLeftIndent), 120);
}

TEST(PropertiesRecord, WrongTagOrVersionFailsAndChangesNothing) {
  xMorvaProperties p;
  SetEveryProperty(p);
  const Bytes good = WriteRecord([&](VStream& s) { return p.Write(s); }, true);
  Bytes badTag = good;
  badTag[0] = 'x';
  Bytes badVersion = good;
  badVersion[7] = '2';
  Bytes mixedTag = good;  // neither order
  mixedTag[0] = 'P';
  for (const Bytes& bytes : {badTag, badVersion, mixedTag}) {
    ByteReader reader(bytes);
    xMorvaProperties q;
    EXPECT_FALSE(q.Read(reader.stream()));
    EXPECT_TRUE(SameValues(q, xMorvaProperties()));
  }
}

TEST(PropertiesRecord, TruncatedRecordFailsAndChangesNothing) {
  xMorvaProperties p;
  SetEveryProperty(p);
  const Bytes good = WriteRecord([&](VStream& s) { return p.Write(s); }, true);
  for (size_t length = 0; length < good.size(); ++length) {
    ByteReader reader(Bytes(good.begin(), good.begin() + long(length)));
    xMorvaProperties q;
    EXPECT_FALSE(q.Read(reader.stream())) << length;
    EXPECT_TRUE(SameValues(q, xMorvaProperties())) << length;
  }
}

TEST(PropertiesRecord, OtherCountsAreHonoured) {
  // Three character values, no paragraph values.
  Bytes bytes = Chars("wPRP0101");
  bytes.push_back(3);
  for (int32_t v : {1, 0, 1}) AppendLongBE(bytes, v);
  bytes.push_back(0);
  ByteReader reader(bytes);
  xMorvaProperties q;
  q.SetProperty(kPropFont, 4);
  ASSERT_TRUE(q.Read(reader.stream()));
  EXPECT_EQ(q.GetProperty(kPropBold), 1);
  EXPECT_EQ(q.GetProperty(kPropItalic), 0);
  EXPECT_EQ(q.GetProperty(kPropShadow), 1);
  EXPECT_EQ(q.GetProperty(kPropFont), 4);

  // More paragraph values than ids: the surplus is read and ignored.
  Bytes more = Chars("wPRP0101");
  more.push_back(0);
  more.push_back(20);
  for (int32_t i = 0; i < 20; ++i) AppendLongBE(more, i == 0 ? 2 : 0);
  more.push_back(0xEE);
  ByteReader moreReader(more);
  xMorvaProperties r;
  ASSERT_TRUE(r.Read(moreReader.stream()));
  EXPECT_EQ(r.GetProperty(kPropAlignment), 2);
  EXPECT_EQ(moreReader.stream().GetByte(), 0xEE);

  // A negative count reads nothing.
  Bytes negative = Chars("wPRP0101");
  negative.push_back(0xFF);
  negative.push_back(0xFE);
  ByteReader negativeReader(negative);
  xMorvaProperties s;
  EXPECT_TRUE(s.Read(negativeReader.stream()));
  EXPECT_TRUE(SameValues(s, xMorvaProperties()));
}

TEST(PropertiesRecord, CountsLargerThanTheRecordFail) {
  Bytes bytes = Chars("wPRP0101");
  bytes.push_back(17);
  for (int32_t i = 0; i < 16; ++i) AppendLongBE(bytes, 1);
  ByteReader reader(bytes);
  xMorvaProperties q;
  EXPECT_FALSE(q.Read(reader.stream()));
  EXPECT_TRUE(SameValues(q, xMorvaProperties()));
}

// ---- States and 'wSTT'

TEST(PropertiesStates, FillClearAssignAndCopy) {
  xMorvaPropertiesStates all(true);
  xMorvaPropertiesStates none(false);
  xMorvaPropertiesStates unset;
  for (uint16_t id = 0; id < kPropertyStateCount; ++id) {
    EXPECT_EQ(all.GetState(id), 1);
    EXPECT_EQ(none.GetState(id), 0);
    EXPECT_EQ(unset.GetState(id), 0);
  }
  EXPECT_EQ(all.GetState(65), 0);
  all.SetState(65, 1);  // ignored
  none.SetState(8, 1);
  all.Assign(none);
  EXPECT_EQ(all.GetState(8), 1);
  EXPECT_EQ(all.GetState(9), 0);
  all.SetAll();
  all.CopyFrom(nullptr);
  EXPECT_EQ(all.GetState(9), 1);
  all.CopyFrom(&none);
  EXPECT_EQ(all.GetState(9), 0);
  none.ClearAll();
  EXPECT_EQ(none.GetState(8), 0);
}

TEST(StatesRecord, WritesTheLayoutInBothOrders) {
  xMorvaPropertiesStates states(false);
  states.SetState(0, 1);
  states.SetState(64, 1);
  const Bytes big = WriteRecord([&](VStream& s) { return states.Write(s); }, true);
  ASSERT_EQ(big.size(), 77u);
  EXPECT_EQ(Bytes(big.begin(), big.begin() + 8), Chars("wSTT0101"));
  EXPECT_EQ(LongBE(big, 8), 65);
  EXPECT_EQ(big[12], 1);
  EXPECT_EQ(big[13], 0);
  EXPECT_EQ(big[76], 1);
  const Bytes little = WriteRecord([&](VStream& s) { return states.Write(s); }, false);
  EXPECT_EQ(Bytes(little.begin(), little.begin() + 8), Chars("TTSw0101"));
  EXPECT_EQ(LongLE(little, 8), 65);
  for (const Bytes& bytes : {big, little}) {
    ByteReader reader(bytes);
    xMorvaPropertiesStates read(true);
    ASSERT_TRUE(read.Read(reader.stream()));
    for (uint16_t id = 0; id < kPropertyStateCount; ++id) {
      EXPECT_EQ(read.GetState(id), states.GetState(id));
    }
  }
}

TEST(StatesRecord, CountAbove65IsReadWholeAndItsFirst65Kept) {
  Bytes bytes = Chars("wSTT0101");
  AppendLongBE(bytes, 70);
  for (int i = 0; i < 70; ++i) bytes.push_back(i % 2 == 0 ? 1 : 0);
  bytes.push_back(0x5A);  // what the enclosing record reads next
  ByteReader reader(bytes);
  xMorvaPropertiesStates states(false);
  ASSERT_TRUE(states.Read(reader.stream()));
  for (uint16_t id = 0; id < kPropertyStateCount; ++id) EXPECT_EQ(states.GetState(id), id % 2 == 0);
  EXPECT_EQ(reader.stream().GetByte(), 0x5A);
}

TEST(StatesRecord, SmallerCountLeavesTheOtherStates) {
  Bytes bytes = Chars("wSTT0101");
  AppendLongBE(bytes, 3);
  for (int i = 0; i < 3; ++i) bytes.push_back(0);
  ByteReader reader(bytes);
  xMorvaPropertiesStates states(true);
  ASSERT_TRUE(states.Read(reader.stream()));
  EXPECT_EQ(states.GetState(2), 0);
  EXPECT_EQ(states.GetState(3), 1);
}

TEST(StatesRecord, DamagedRecordsFailAndChangeNothing) {
  std::vector<Bytes> bad;
  Bytes negative = Chars("wSTT0101");
  AppendLongBE(negative, -1);
  bad.push_back(negative);
  Bytes beyond = Chars("wSTT0101");
  AppendLongBE(beyond, 65);
  for (int i = 0; i < 64; ++i) beyond.push_back(0);
  bad.push_back(beyond);
  Bytes huge = Chars("wSTT0101");
  AppendLongBE(huge, 0x7FFFFFFF);
  bad.push_back(huge);
  Bytes version = Chars("wSTT0100");
  AppendLongBE(version, 0);
  bad.push_back(version);
  Bytes tag = Chars("wSTX0101");
  AppendLongBE(tag, 0);
  bad.push_back(tag);
  bad.push_back(Chars("wST"));
  for (const Bytes& bytes : bad) {
    ByteReader reader(bytes);
    xMorvaPropertiesStates states(true);
    EXPECT_FALSE(states.Read(reader.stream()));
    for (uint16_t id = 0; id < kPropertyStateCount; ++id) EXPECT_EQ(states.GetState(id), 1);
  }
}

// The typing path trusts this test: wherever it says "same", every
// character id must answer the same, and a change of any one character id
// alone must make it say "different"; paragraph ids never count.
TEST(Properties, SameCharacterFieldsMeansEveryCharacterIdAnswersTheSame) {
  xMorvaProperties every;
  SetEveryProperty(every);
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
    xMorvaProperties a;
    xMorvaProperties b;
    EXPECT_TRUE(a.HasSameCharacterFields(b));
    b.SetProperty(id, every.GetProperty(id));
    ASSERT_NE(a.GetProperty(id), b.GetProperty(id)) << id;
    EXPECT_FALSE(a.HasSameCharacterFields(b)) << id;
    EXPECT_FALSE(b.HasSameCharacterFields(a)) << id;
    EXPECT_EQ(1u << id, a.CharacterFieldsDiffering(b)) << id;
  }
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id) {
    xMorvaProperties a;
    xMorvaProperties b;
    b.SetProperty(id, every.GetProperty(id));
    EXPECT_TRUE(a.HasSameCharacterFields(b)) << id;
  }
  // Each of the three colours that can be "none" changes only its flag.
  for (uint16_t id : {kPropBackColour, kPropStrikeOutColour, kPropUnderlineColour}) {
    xMorvaProperties a;
    a.SetProperty(id, 0);
    xMorvaProperties b;
    b.Assign(a);
    b.SetProperty(id, kColourNone);
    EXPECT_FALSE(a.HasSameCharacterFields(b)) << id;
  }
  xMorvaProperties copy;
  copy.Assign(every);
  EXPECT_TRUE(copy.HasSameCharacterFields(every));
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) EXPECT_EQ(copy.GetProperty(id), every.GetProperty(id));
}
