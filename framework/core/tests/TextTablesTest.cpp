// The bounded readers of the international text tables, on small tables built
// in memory (native order) with exactly their own size, so that any read
// outside a table is caught by the address sanitizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/core/intl/Clusters.h"
#include "framework/core/intl/TextTables.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

namespace {

struct Builder {
  std::vector<uint8_t> bytes;
  Builder& u16(uint16_t v) {
    uint8_t b[2];
    std::memcpy(b, &v, 2);
    bytes.push_back(b[0]);
    bytes.push_back(b[1]);
    return *this;
  }
  Builder& raw(std::initializer_list<uint8_t> list) {
    bytes.insert(bytes.end(), list);
    return *this;
  }
  // A heap copy of exactly the table's size.
  std::vector<uint8_t> Cut(size_t size) const {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + size);
  }
};

TextTables::Table View(const std::vector<uint8_t>& v) {
  return TextTables::Table{v.data(), uint32_t(v.size())};
}

// A double-byte table: maxBytes 2, entries of a unit and a 2-byte field.
Builder DoubleByteTable() {
  Builder b;
  b.u16(2).u16(5);
  b.u16(0x3000).raw({0x81, 0x40});
  b.u16(0x3001).raw({0x81, 0x41});
  b.u16(0x4E00).raw({0x88, 0xEA});
  b.u16(0xFF61).raw({0xA1, 0x00});  // a one-byte character
  b.u16(0x9ED1).raw({0xFC, 0x4B});
  return b;
}

bool Lookup(const std::vector<uint8_t>& table, std::initializer_list<uint8_t> src,
            char16_t& unit, size_t& consumed, size_t available = SIZE_MAX) {
  std::vector<uint8_t> bytes(src);
  if (available == SIZE_MAX) available = bytes.size();
  return TextTables::ByteToUni(View(table), bytes.data(), available, unit, consumed);
}

}  // namespace

TEST(TextTables, SingleByteLooksUpOnlyTheUpperHalf) {
  Builder b;
  b.u16(1);
  for (int i = 0; i < 256; ++i) b.u16(i == 0x80 ? 0x00C4 : (i == 0x81 ? 0 : 0x1111));
  std::vector<uint8_t> table = b.Cut(b.bytes.size());
  char16_t unit = 0;
  size_t consumed = 0;
  EXPECT_TRUE(Lookup(table, {'A'}, unit, consumed));
  EXPECT_EQ(unit, u'A');  // ASCII is never looked up
  EXPECT_TRUE(Lookup(table, {0x80}, unit, consumed));
  EXPECT_EQ(unit, 0x00C4);
  EXPECT_EQ(consumed, 1u);
  // A zero entry is a byte without a character: consumed, nothing made.
  EXPECT_FALSE(Lookup(table, {0x81}, unit, consumed));
  EXPECT_EQ(consumed, 1u);
}

TEST(TextTables, SingleByteTableCutShortAnswersNoMapping) {
  Builder b;
  b.u16(1);
  for (int i = 0; i < 256; ++i) b.u16(0x2000 + i);
  // Cut inside the entry of 0xC0: 0xBF is whole, 0xC0 is not.
  std::vector<uint8_t> table = b.Cut(2 + 2 * 0xC0 + 1);
  char16_t unit = 0;
  size_t consumed = 0;
  EXPECT_TRUE(Lookup(table, {0xBF}, unit, consumed));
  EXPECT_EQ(unit, 0x20BF);
  EXPECT_FALSE(Lookup(table, {0xC0}, unit, consumed));
  EXPECT_FALSE(Lookup(table, {0xFF}, unit, consumed));
}

TEST(TextTables, MultiByteFindsFirstAndLastEntries) {
  std::vector<uint8_t> table = DoubleByteTable().bytes;
  char16_t unit = 0;
  size_t consumed = 0;
  ASSERT_TRUE(Lookup(table, {0xA1, 0x41}, unit, consumed));
  EXPECT_EQ(unit, 0xFF61);
  EXPECT_EQ(consumed, 1u);  // the one-byte sequence ends with its zero byte
  ASSERT_TRUE(Lookup(table, {0xFC, 0x4B}, unit, consumed));
  EXPECT_EQ(unit, 0x9ED1);
  EXPECT_EQ(consumed, 2u);
  ASSERT_TRUE(Lookup(table, {0x81, 0x40}, unit, consumed));
  EXPECT_EQ(unit, 0x3000);
  ASSERT_TRUE(Lookup(table, {0x88, 0xEA, 0x20}, unit, consumed));
  EXPECT_EQ(unit, 0x4E00);
  EXPECT_EQ(consumed, 2u);
}

TEST(TextTables, MultiByteUnknownSequenceTakesOneByte) {
  std::vector<uint8_t> table = DoubleByteTable().bytes;
  char16_t unit = 0xAAAA;
  size_t consumed = 0;
  EXPECT_FALSE(Lookup(table, {0x81, 0x39}, unit, consumed));
  EXPECT_EQ(consumed, 1u);
  EXPECT_FALSE(Lookup(table, {0xFD, 0x40}, unit, consumed));  // past the last entry
  EXPECT_FALSE(Lookup(table, {0x80, 0x40}, unit, consumed));  // before the first
  EXPECT_EQ(unit, 0xAAAA);
}

TEST(TextTables, MultiByteLeadByteAtTheEndMatchesNothing) {
  std::vector<uint8_t> table = DoubleByteTable().bytes;
  // The byte behind the lead byte is not part of the input.
  std::vector<uint8_t> input = {0x81};
  char16_t unit = 0;
  size_t consumed = 0;
  EXPECT_FALSE(TextTables::ByteToUni(View(table), input.data(), 1, unit, consumed));
  EXPECT_EQ(consumed, 1u);
  // The one-byte character still converts when it is the last byte.
  input = {0xA1};
  EXPECT_TRUE(TextTables::ByteToUni(View(table), input.data(), 1, unit, consumed));
  EXPECT_EQ(unit, 0xFF61);
}

TEST(TextTables, MultiByteCountBeyondTheTableIsBoundedBySize) {
  Builder b = DoubleByteTable();
  // Claim 1000 entries; only five are present.
  uint16_t claimed = 1000;
  std::memcpy(b.bytes.data() + 2, &claimed, 2);
  std::vector<uint8_t> table = b.bytes;
  char16_t unit = 0;
  size_t consumed = 0;
  EXPECT_TRUE(Lookup(table, {0xFC, 0x4B}, unit, consumed));
  EXPECT_EQ(unit, 0x9ED1);
  EXPECT_FALSE(Lookup(table, {0xFE, 0xFE}, unit, consumed));
  // Half an entry at the end is not read.
  std::vector<uint8_t> cut = b.Cut(b.bytes.size() - 1);
  EXPECT_FALSE(Lookup(cut, {0xFC, 0x4B}, unit, consumed));
  EXPECT_TRUE(Lookup(cut, {0x88, 0xEA}, unit, consumed));
}

TEST(TextTables, MissingOrEmptyTableConvertsOnlyAscii) {
  TextTables::Table none;
  uint8_t bytes[2] = {0x41, 0x81};
  char16_t unit = 0;
  size_t consumed = 0;
  EXPECT_TRUE(TextTables::ByteToUni(none, bytes, 2, unit, consumed));
  EXPECT_EQ(unit, u'A');
  EXPECT_FALSE(TextTables::ByteToUni(none, bytes + 1, 1, unit, consumed));
  EXPECT_EQ(consumed, 1u);
  std::vector<uint8_t> tiny = {1};
  EXPECT_FALSE(TextTables::ByteToUni(View(tiny), bytes + 1, 1, unit, consumed));
  const uint8_t* form = nullptr;
  EXPECT_EQ(TextTables::UniToBytes(none, 0x00E9, form), 0u);
  EXPECT_EQ(TextTables::UniToBytes(none, u'z', form), 1u);
  EXPECT_EQ(*form, 'z');
}

namespace {

// UTF-16 to bytes: maxBytes 2; ranges 0x00A0-0x00A3 (0x00A2 without a byte
// form), 0x3000-0x3000, and an empty range whose last is below its first.
Builder UniToByteTable() {
  Builder b;
  b.u16(2).u16(4);
  b.u16(0x00A0).u16(0x00A3).raw({0xA0, 0x00, 0xA1, 0x00, 0x00, 0x00, 0x81, 0x91});
  b.u16(0x3000).u16(0x3000).raw({0x81, 0x40});
  b.u16(0x5000).u16(0x4000);
  b.u16(0x6000).u16(0x6001).raw({0x90, 0x9F, 0x90, 0xA0});
  return b;
}

// The boundaries the two code points alone tell are ICU's: the kana and
// ideographs taken at once are plain letters of no emoji, and a sample of
// every kind of neighbour agrees with the break iterator.
TEST(Clusters, PlainBoundariesAreICUs) {
  for (char32_t c = 0x3041; c <= 0x9FFF; ++c) {
    if ((c > 0x3096 && c < 0x30A1) || (c > 0x30FA && c < 0x3400)) continue;
    ASSERT_EQ(u_getIntPropertyValue(UChar32(c), UCHAR_GRAPHEME_CLUSTER_BREAK), U_GCB_OTHER) << int(c);
    ASSERT_FALSE(u_hasBinaryProperty(UChar32(c), UCHAR_EXTENDED_PICTOGRAPHIC)) << int(c);
  }
  const char16_t sample[] = {u'a', u' ', u'\r', u'\n', 0x0301, 0x093F, 0x0600, 0x1100, 0x1161, 0x11A8,
                             0x200D, 0x2764, 0xFE0F, 0x3042, 0x3099, 0x4E00, 0xAC00, 0x0E33};
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* iterator = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (const char16_t before : sample) {
    for (const char16_t after : sample) {
      const char16_t pair[] = {before, after};
      ubrk_setText(iterator, reinterpret_cast<const UChar*>(pair), 2, &status);
      if (IsPlainClusterBoundary(before, after)) {
        EXPECT_TRUE(ubrk_isBoundary(iterator, 1)) << int(before) << " " << int(after);
      }
    }
  }
  ubrk_close(iterator);
}

}  // namespace

TEST(TextTables, UniToBytesWalksTheRanges) {
  std::vector<uint8_t> table = UniToByteTable().bytes;
  const uint8_t* form = nullptr;
  ASSERT_EQ(TextTables::UniToBytes(View(table), 0x00A0, form), 1u);
  EXPECT_EQ(form[0], 0xA0);
  ASSERT_EQ(TextTables::UniToBytes(View(table), 0x00A3, form), 2u);
  EXPECT_EQ(form[0], 0x81);
  EXPECT_EQ(form[1], 0x91);
  EXPECT_EQ(TextTables::UniToBytes(View(table), 0x00A2, form), 0u);  // field starts with 0
  EXPECT_EQ(TextTables::UniToBytes(View(table), 0x0080, form), 0u);  // below the first range
  EXPECT_EQ(TextTables::UniToBytes(View(table), 0x2000, form), 0u);  // between ranges
  ASSERT_EQ(TextTables::UniToBytes(View(table), 0x3000, form), 2u);
  EXPECT_EQ(form[1], 0x40);
  // Past the empty range, which holds no fields.
  ASSERT_EQ(TextTables::UniToBytes(View(table), 0x6001, form), 2u);
  EXPECT_EQ(form[1], 0xA0);
  EXPECT_EQ(TextTables::UniToBytes(View(table), 0xFFFF, form), 0u);
}

TEST(TextTables, UniToBytesTableCutShortAnswersNone) {
  Builder b = UniToByteTable();
  for (size_t size = 0; size < b.bytes.size(); ++size) {
    std::vector<uint8_t> cut = b.Cut(size);
    const uint8_t* form = nullptr;
    uint32_t length = TextTables::UniToBytes(View(cut), 0x6001, form);
    EXPECT_EQ(length, 0u) << "size " << size;
    TextTables::UniToBytes(View(cut), 0x00A3, form);
  }
}

TEST(TextTables, MaxBytesOfATable) {
  std::vector<uint8_t> table = UniToByteTable().bytes;
  EXPECT_EQ(TextTables::MaxBytes(View(table)), 2u);
  EXPECT_EQ(TextTables::MaxBytes(TextTables::Table{}), 1u);
}

TEST(TextTables, MapCaseReplacesInsideRangesOnly) {
  Builder b;
  b.u16(2);
  b.u16(0x61).u16(0x63).u16(0x41).u16(0x42).u16(0x43);
  b.u16(0xE0).u16(0xE1).u16(0xC0).u16(0xC1);
  std::vector<uint8_t> table = b.bytes;
  EXPECT_EQ(TextTables::MapCase(View(table), u'a'), u'A');
  EXPECT_EQ(TextTables::MapCase(View(table), u'c'), u'C');
  EXPECT_EQ(TextTables::MapCase(View(table), u'd'), u'd');
  EXPECT_EQ(TextTables::MapCase(View(table), u'A'), u'A');
  EXPECT_EQ(TextTables::MapCase(View(table), 0xE1), 0xC1);
  EXPECT_EQ(TextTables::MapCase(View(table), 0xFFFF), 0xFFFF);
  // A count claiming more ranges than present, and a cut replacement.
  uint16_t claimed = 9;
  std::memcpy(b.bytes.data(), &claimed, 2);
  std::vector<uint8_t> cut = b.Cut(b.bytes.size() - 1);
  EXPECT_EQ(TextTables::MapCase(View(cut), 0xE1), 0xE1);
  EXPECT_EQ(TextTables::MapCase(View(cut), 0xE0), 0xC0);
  EXPECT_EQ(TextTables::MapCase(View(cut), 0xF000), 0xF000);
}

TEST(TextTables, InSetIncludesBothBounds) {
  Builder b;
  b.u16(2).u16(0x30).u16(0x39).u16(0x660).u16(0x669);
  std::vector<uint8_t> table = b.bytes;
  EXPECT_TRUE(TextTables::InSet(View(table), u'0'));
  EXPECT_TRUE(TextTables::InSet(View(table), u'9'));
  EXPECT_FALSE(TextTables::InSet(View(table), u'/'));
  EXPECT_FALSE(TextTables::InSet(View(table), u':'));
  EXPECT_TRUE(TextTables::InSet(View(table), 0x669));
  std::vector<uint8_t> cut = b.Cut(b.bytes.size() - 2);
  EXPECT_FALSE(TextTables::InSet(View(cut), 0x669));
  EXPECT_TRUE(TextTables::InSet(View(cut), u'5'));
}
