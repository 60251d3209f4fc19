// The 'HE' forms of styled text: version 1 turned into a style scrap, the
// stream form with its selection and faces kept in the filler byte, and a
// table of damaged records, each refused with its reason and nothing read.
#include "controls/fields/TextResourceReader.h"

#include <gtest/gtest.h>

#include "controls/tests/ControlTestSupport.h"

namespace {

// A version-1 record: text, a style record of `runs` (start, index) and a
// table of `styles` entries whose font is 100 + i and face i.
NativeBytes Version1(const std::string& text, const std::vector<std::pair<int16_t, int16_t>>& runs,
                     int16_t styles) {
  NativeBytes b;
  b.I16(0).I16(1).I32(int32_t(text.size()));
  for (char c : text) b.U8(uint8_t(c));
  if (text.size() % 2 != 0) b.U8(0);
  b.I32(int32_t(20 + runs.size() * 4)).I16(int16_t(runs.size())).I16(styles).I32(0).I32(0).I32(0).I32(0);
  for (auto [start, index] : runs) b.I16(start).I16(index);
  b.I32(styles * 18);
  for (int16_t i = 0; i < styles; ++i)
    b.I16(1).I16(12).I16(9).I16(int16_t(100 + i)).U8(uint8_t(i)).U8(0).I16(10).I16(0).I16(0).I16(0);
  return b;
}

int32_t ElementI32(const std::vector<uint8_t>& s, size_t i, size_t at) {
  int32_t v = 0;
  std::memcpy(&v, s.data() + kStyleScrapHeader + i * kStyleScrapElement + at, 4);
  return v;
}
int16_t ElementI16(const std::vector<uint8_t>& s, size_t i, size_t at) {
  int16_t v = 0;
  std::memcpy(&v, s.data() + kStyleScrapHeader + i * kStyleScrapElement + at, 2);
  return v;
}

TEST(TextResourceReader, Version1BuildsAScrapFromTheRunsAndTheTable) {
  const NativeBytes b = Version1("Hello", {{0, 1}, {3, 0}}, 2);
  TextResourceContent out;
  ASSERT_EQ(ReadHeTextResource(b.bytes.data(), b.bytes.size(), out), TextResourceError::kNone);
  EXPECT_EQ(std::string(out.text.begin(), out.text.end()), "Hello");
  ASSERT_EQ(out.styles.size(), kStyleScrapHeader + 2 * kStyleScrapElement);
  EXPECT_EQ(ElementI32(out.styles, 1, 0), 3);
  EXPECT_EQ(ElementI16(out.styles, 0, 8), 101) << "run 0 names entry 1";
  EXPECT_EQ(out.styles[kStyleScrapHeader + kStyleElementFace], 1);
  EXPECT_EQ(ElementI16(out.styles, 1, 4), 12) << "height copied past the use count";
  EXPECT_FALSE(out.hasSelection);
}

NativeBytes Stream(uint32_t tag, uint32_t version, int16_t elements, uint32_t styleLength, const std::string& text) {
  NativeBytes b;
  b.I32(int32_t(tag)).I32(int32_t(version)).I32(int32_t(styleLength)).I16(elements);
  for (int16_t i = 0; i < elements; ++i) b.I32(i * 2).I16(12).I16(9).I16(3).U8(0).U8(uint8_t(4 + i)).I16(10).I16(0).I16(0).I16(0);
  b.I32(int32_t(text.size()));
  for (char c : text) b.U8(uint8_t(c));
  b.I32(0).I32(0).I32(1).I32(3);
  return b;
}

TEST(TextResourceReader, StreamFormKeepsItsSelectionAndTakesTheFaceFromTheFiller) {
  const NativeBytes b = Stream(FourCC("abHE"), 128, 2, 42, "abcd");
  TextResourceContent out;
  ASSERT_EQ(ReadHeTextResource(b.bytes.data(), b.bytes.size(), out), TextResourceError::kNone);
  EXPECT_EQ(std::string(out.text.begin(), out.text.end()), "abcd");
  EXPECT_EQ(out.styles[kStyleScrapHeader + kStyleScrapElement + kStyleElementFace], 5);
  EXPECT_TRUE(out.hasSelection);
  EXPECT_EQ(out.selectionStart, 1);
  EXPECT_EQ(out.selectionEnd, 3);
}

TEST(TextResourceReader, RefusesDamagedRecords) {
  const NativeBytes good = Version1("Hi!", {{0, 0}}, 1);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    TextResourceError error;
  };
  auto patched = [&](size_t at, int32_t v) {
    NativeBytes b = good;
    std::memcpy(b.bytes.data() + at, &v, 4);
    return b.bytes;
  };
  auto patched16 = [&](size_t at, int16_t v) {
    NativeBytes b = good;
    std::memcpy(b.bytes.data() + at, &v, 2);
    return b.bytes;
  };
  const Case cases[] = {
      {"empty", {}, TextResourceError::kTruncated},
      {"version 0", NativeBytes().I16(0).I16(0).I32(5).bytes, TextResourceError::kNothingStored},
      {"version 1 of four bytes", NativeBytes().I16(0).I16(1).bytes, TextResourceError::kTruncated},
      {"text length past the data", patched(4, 1000), TextResourceError::kTruncated},
      {"negative text length", patched(4, -2), TextResourceError::kTruncated},
      {"style record length past the data", patched(12, 5000), TextResourceError::kTruncated},
      {"run past the style count", Version1("Hi!", {{0, 1}}, 1).bytes, TextResourceError::kBadRun},
      {"negative run index", Version1("Hi!", {{0, -1}}, 1).bytes, TextResourceError::kBadRun},
      {"more runs than the record holds", patched16(16, 9), TextResourceError::kTruncated},
      {"negative run count", patched16(16, -1), TextResourceError::kTruncated},
      {"style count past the table", patched16(18, 5), TextResourceError::kTruncated},
      {"cut in the table", NativeBytes(good).Cut(good.bytes.size() - 19).bytes, TextResourceError::kTruncated},
      {"wrong tag", Stream(FourCC("abcd"), 128, 1, 22, "x").bytes, TextResourceError::kBadTag},
      {"wrong stream version", Stream(FourCC("HEab"), 127, 1, 22, "x").bytes, TextResourceError::kBadVersion},
      {"scrap count past its length", Stream(FourCC("HEab"), 128, 2, 22, "x").bytes, TextResourceError::kTruncated},
      {"stream cut before the selection", Stream(FourCC("HEab"), 128, 1, 22, "x").Cut(38).bytes,
       TextResourceError::kTruncated},
  };
  for (const Case& c : cases) {
    TextResourceContent out;
    out.text = {1, 2};
    EXPECT_EQ(ReadHeTextResource(c.bytes.data(), c.bytes.size(), out), c.error) << c.what;
    if (c.error != TextResourceError::kNone) {
      EXPECT_TRUE(out.text.empty() && out.styles.empty()) << c.what;
    }
  }
}

}  // namespace
