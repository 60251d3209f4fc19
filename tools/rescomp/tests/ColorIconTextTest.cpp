// The pixel-art form of colour icons: the stored layout of a small icon
// byte by byte, and every malformed palette, row and statement order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/rescomp/ColorIconText.h"
#include "tools/rescomp/ResourceScript.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t At16(const Bytes& b, size_t at) { return uint32_t(b[at]) << 8 | b[at + 1]; }

TEST(ColorIconText, ThreeByTwoIconIsStoredSectionBySection) {
  Bytes data;
  std::string error;
  ASSERT_TRUE(BuildColorIcon({". none", "k 000000", "r FF8000"}, {"k.r", "rrk"}, &data, &error))
      << error;
  // Header 82, mask 2 x 2, image 2 x 2, table 8 + 3 x 8, pixels 4 x 2.
  ASSERT_EQ(data.size(), 82u + 4 + 4 + 32 + 8);
  EXPECT_EQ(At16(data, 4), 0x8004u);  // pixel rows of 4 bytes, flagged as a pixel map
  EXPECT_EQ(At16(data, 10), 2u);      // bottom
  EXPECT_EQ(At16(data, 12), 3u);      // right
  EXPECT_EQ(At16(data, 32), 8u);      // pixel size
  EXPECT_EQ(At16(data, 54), 2u);      // mask row bytes
  EXPECT_EQ(At16(data, 68), 2u);      // image row bytes
  const Bytes mask(data.begin() + 82, data.begin() + 86);
  EXPECT_EQ(mask, (Bytes{0xA0, 0, 0xE0, 0}));
  const Bytes image(data.begin() + 86, data.begin() + 90);
  // Only black is dark; orange (luminance 151) stays out of the image.
  EXPECT_EQ(image, (Bytes{0x80, 0, 0x20, 0}));
  EXPECT_EQ(At16(data, 96), 2u);  // entries less one
  EXPECT_EQ(At16(data, 98 + 2), 0xFFFFu);    // transparent entry is white
  EXPECT_EQ(At16(data, 98 + 16 + 2), 0xFFFFu);  // orange red
  EXPECT_EQ(At16(data, 98 + 16 + 4), 0x8080u);  // orange green
  const Bytes pixels(data.end() - 8, data.end());
  EXPECT_EQ(pixels, (Bytes{1, 0, 2, 0, 2, 2, 1, 0}));
}

TEST(ColorIconText, BadArtIsRefusedWithItsReason) {
  const struct {
    std::vector<std::string> palette, rows;
    const char* reason;
  } cases[] = {
      {{}, {"a"}, "palette holds 1 to 256"},
      {{"a"}, {"a"}, "is not a character"},
      {{" 000000"}, {" "}, "is not a character"},
      {{"ab000000"}, {"a"}, "is not a character"},
      {{"a 00000"}, {"a"}, "six hex digits"},
      {{"a 00000G"}, {"a"}, "six hex digits"},
      {{"a nothing"}, {"a"}, "six hex digits"},
      {{"a 000000", "a FFFFFF"}, {"a"}, "given twice"},
      {{"a 000000"}, {}, "1 to 256 rows"},
      {{"a 000000"}, {""}, "1 to 256 pixels"},
      {{"a 000000"}, {std::string(257, 'a')}, "1 to 256 pixels"},
      {{"a 000000"}, std::vector<std::string>(257, "a"), "1 to 256 rows"},
      {{"a 000000"}, {"aa", "a"}, "row 2 is not as wide"},
      {{"a 000000"}, {"ab"}, "row 1 uses 'b'"},
  };
  for (const auto& c : cases) {
    Bytes data;
    std::string error;
    EXPECT_FALSE(BuildColorIcon(c.palette, c.rows, &data, &error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(ColorIconText, ScriptStatementsInTheirPlace) {
  const struct {
    const char* script;
    const char* error;  // null when the script compiles
  } cases[] = {
      {"resource 'cicn' 1 \"A\" {\n palette \"a 000000\"\n pixels \"a\"\n}", nullptr},
      {"resource 'TEST' 1 {\n palette \"a 000000\"\n}", "t.r:2: palette belongs to a 'cicn'"},
      {"resource 'cicn' 1 {\n pixels \"a\"\n}", "t.r:2: pixels need a palette"},
      {"resource 'cicn' 1 {\n palette \"a 000000\"\n}", "t.r:1: the icon's palette has no pixels"},
      {"resource 'cicn' 1 {\n palette\n}", "t.r:2: palette needs at least one text"},
      {"resource 'cicn' 1 {\n palette \"a 000000\" palette \"b 000000\"\n}",
       "t.r:2: the icon has its palette already"},
      {"resource 'cicn' 1 {\n palette \"a 000000\" pixels \"a\" pixels \"a\"\n}",
       "t.r:2: the icon has its pixels already"},
      {"resource 'cicn' 1 {\n u8 1\n palette \"a 000000\"\n}", "t.r:3: pixel art can not follow"},
      {"resource 'cicn' 1 {\n palette \"a 000000\" pixels \"a\"\n u8 1\n}",
       "t.r:3: bytes can not follow"},
      {"resource 'cicn' 1 {\n palette \"a 000000\" pixels \"ab\"\n}", "t.r:1: row 1 uses 'b'"},
  };
  for (const auto& c : cases) {
    std::vector<CompiledResource> out;
    std::string error;
    const bool ok = ParseResourceScript(c.script, "t.r", &out, &error);
    EXPECT_EQ(ok, c.error == nullptr) << c.script << " " << error;
    if (c.error != nullptr) {
      EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
  }
}

}  // namespace
