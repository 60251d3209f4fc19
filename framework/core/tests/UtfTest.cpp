// The UTF-8 / UTF-16 codec: every width, surrogate pairs, and bad input on
// both sides.
#include <gtest/gtest.h>

#include "framework/core/intl/Utf.h"

namespace {

struct Pair {
  std::u16string units;
  std::string bytes;
};

// Each width's first and last code point, and a surrogate pair.
const Pair kValid[] = {
    {u"", ""},
    {u"A\u007F", "A\x7F"},
    {u"\u0080\u07FF", "\xC2\x80\xDF\xBF"},
    {u"\u0800\uFFFF", "\xE0\xA0\x80\xEF\xBF\xBF"},
    {u"\U00010000", "\xF0\x90\x80\x80"},
    {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
    {u"d\u00E9j\u00E0 \U0001F600", "d\xC3\xA9j\xC3\xA0 \xF0\x9F\x98\x80"},
};

}  // namespace

TEST(Utf, ValidTextRoundTrips) {
  for (const Pair& p : kValid) {
    std::string bytes = "left over";
    EXPECT_TRUE(Utf16ToUtf8(p.units, &bytes, VLoneSurrogate::kRefuse));
    EXPECT_EQ(bytes, p.bytes);
    EXPECT_TRUE(Utf16ToUtf8(p.units, &bytes, VLoneSurrogate::kReplace));
    EXPECT_EQ(bytes, p.bytes);
    EXPECT_EQ(Utf8ToUtf16(p.bytes), p.units);
  }
}

TEST(Utf, LoneSurrogatesAreRefusedOrReplaced) {
  struct Case {
    std::u16string units;
    std::string replaced;
  };
  const Case cases[] = {
      {u"a\xD800", "a\xEF\xBF\xBD"},                  // high at the end
      {u"\xD800z", "\xEF\xBF\xBDz"},                  // high before no low
      {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // low before high
      {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    std::string bytes = "left over";
    EXPECT_FALSE(Utf16ToUtf8(c.units, &bytes, VLoneSurrogate::kRefuse));
    EXPECT_EQ(bytes, "");
    EXPECT_TRUE(Utf16ToUtf8(c.units, &bytes, VLoneSurrogate::kReplace));
    EXPECT_EQ(bytes, c.replaced);
  }
}

// Every byte that starts no valid sequence is one U+FFFD; the bytes after it
// are read afresh.
TEST(Utf, BadUtf8BecomesOneReplacementAByte) {
  struct Case {
    std::string bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {"\x80", u"\xFFFD"},                                          // stray continuation
      {"a\xC3", u"a\xFFFD"},                                        // cut short
      {"\xE2\x82", u"\xFFFD\xFFFD"},                                // cut short, two bytes
      {"\xE2\x82z", u"\xFFFD\xFFFDz"},                              // continuation missing
      {"\xC0\x80", u"\xFFFD\xFFFD"},                                // overlong NUL
      {"\xE0\x9F\xBF", u"\xFFFD\xFFFD\xFFFD"},                      // overlong U+07FF
      {"\xF0\x8F\xBF\xBF", u"\xFFFD\xFFFD\xFFFD\xFFFD"},            // overlong U+FFFF
      {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},                      // encoded surrogate
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},            // past U+10FFFF
      {"\xF8\x88\x80\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD"},  // five-byte form
      {"\xFFz", u"\xFFFDz"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},  // NUL is a character
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.bytes), c.units) << c.bytes;
}
