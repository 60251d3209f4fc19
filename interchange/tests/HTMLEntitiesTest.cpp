// The HTML 4.0 entity table and the character encoder: the table's order and
// contents, the three forms the encoder writes, and the strings' HTML writer
// with the encoder installed.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VHtmlEntityEncoder.h"
#include "framework/core/strings/VUniString.h"
#include "interchange/html/HTMLEntities.h"

namespace {

std::string Encoded(char16_t c) {
  const uint8_t* text = EncodeHtmlEntity(c);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

int32_t IndexOf(const char* name) {
  for (int32_t i = 0; i < kHTMLEntityCount; ++i)
    if (std::strcmp(HTMLEntityTable[i].name, name) == 0) return i;
  return -1;
}

}  // namespace

TEST(HTMLEntityTable, Holds252NamesEndedByAnEmptyOne) {
  for (int32_t i = 0; i < kHTMLEntityCount; ++i) {
    const size_t length = std::strlen(HTMLEntityTable[i].name);
    EXPECT_GE(length, 2u) << i;
    EXPECT_LE(length, 9u) << i;
  }
  EXPECT_EQ(HTMLEntityTable[kHTMLEntityCount].name[0], 0);
  EXPECT_EQ(HTMLEntityTable[kHTMLEntityCount].code, 0);
}

TEST(HTMLEntityTable, RunsFromNbspToEuroInTheStandardsOrder) {
  EXPECT_STREQ(HTMLEntityTable[0].name, "nbsp");
  EXPECT_EQ(HTMLEntityTable[0].code, 160);
  EXPECT_STREQ(HTMLEntityTable[kHTMLEntityCount - 1].name, "euro");
  EXPECT_EQ(HTMLEntityTable[kHTMLEntityCount - 1].code, 0x20AC);
  // Latin-1 first, whole and in code order; then the symbols, then the
  // special characters.
  for (int32_t i = 0; i < 96; ++i) EXPECT_EQ(HTMLEntityTable[i].code, 160 + i) << i;
  EXPECT_STREQ(HTMLEntityTable[96].name, "fnof");
  EXPECT_EQ(IndexOf("diams"), 96 + 124 - 1);
  EXPECT_EQ(IndexOf("quot"), 96 + 124);
  EXPECT_LT(IndexOf("weierp"), IndexOf("image"));
}

TEST(HTMLEntityTable, NamesAndCodesAreEachUnique) {
  std::set<std::string> names;
  std::set<uint16_t> codes;
  for (int32_t i = 0; i < kHTMLEntityCount; ++i) {
    names.insert(HTMLEntityTable[i].name);
    codes.insert(HTMLEntityTable[i].code);
  }
  EXPECT_EQ(names.size(), size_t(kHTMLEntityCount));
  EXPECT_EQ(codes.size(), size_t(kHTMLEntityCount));
}

TEST(HTMLEntityTable, KnownReferences) {
  const struct {
    const char* name;
    uint16_t code;
  } known[] = {{"Eacute", 0xC9}, {"eacute", 0xE9}, {"quot", 34},     {"amp", 38},
               {"lt", 60},       {"gt", 62},       {"yuml", 255},    {"Yuml", 376},
               {"Sigma", 931},   {"sigmaf", 962},  {"thetasym", 977}, {"hellip", 8230},
               {"trade", 8482},  {"hArr", 8660},   {"rang", 9002},   {"diams", 9830},
               {"OElig", 338},   {"rsquo", 8217},  {"permil", 8240}, {"shy", 173}};
  for (const auto& k : known) {
    const int32_t i = IndexOf(k.name);
    ASSERT_GE(i, 0) << k.name;
    EXPECT_EQ(HTMLEntityTable[i].code, k.code) << k.name;
  }
}

TEST(EncodeHtmlEntity, NamedCharactersBecomeTheirEntity) {
  EXPECT_EQ(Encoded(u'<'), "&lt;");
  EXPECT_EQ(Encoded(u'>'), "&gt;");
  EXPECT_EQ(Encoded(u'&'), "&amp;");
  EXPECT_EQ(Encoded(u'"'), "&quot;");
  EXPECT_EQ(Encoded(0xA0), "&nbsp;");
  EXPECT_EQ(Encoded(0xE9), "&eacute;");
  EXPECT_EQ(Encoded(0x3D1), "&thetasym;");
  EXPECT_EQ(Encoded(0x20AC), "&euro;");
  for (int32_t i = 0; i < kHTMLEntityCount; ++i)
    EXPECT_EQ(Encoded(HTMLEntityTable[i].code), "&" + std::string(HTMLEntityTable[i].name) + ";");
}

TEST(EncodeHtmlEntity, UnnamedCharactersOutsideAsciiBecomeNumbers) {
  EXPECT_EQ(Encoded(0), "&#0;");
  EXPECT_EQ(Encoded(9), "&#9;");
  EXPECT_EQ(Encoded(31), "&#31;");
  EXPECT_EQ(Encoded(128), "&#128;");
  EXPECT_EQ(Encoded(0x4E00), "&#19968;");
  EXPECT_EQ(Encoded(0xFFFF), "&#65535;");
}

TEST(EncodeHtmlEntity, OtherAsciiCharactersStandForThemselves) {
  EXPECT_EQ(Encoded(u' '), " ");
  EXPECT_EQ(Encoded(u'a'), "a");
  EXPECT_EQ(Encoded(u'\''), "'");
  EXPECT_EQ(Encoded(127), "\x7F");
}

TEST(EncodeHtmlEntity, StringsWriteThroughTheInstalledEncoder) {
  VInstalledService<const VHtmlEntityEncoder> installed(&kHtmlEntityEncoder);
  EXPECT_EQ(kHtmlEntityEncoder.encode, &EncodeHtmlEntity);
  VStr<31> s;
  s.SetUniCText(u"<b> caf\u00E9 & \u4E00");
  VMemHandle h = 0;
  VHandleStream stream(h);
  ASSERT_EQ(stream.OpenWrite(), 0);
  s.WriteHtmlText(stream);
  ASSERT_EQ(stream.CloseWrite(1), 0);
  const uint32_t size = gMemoryMgr->GetHandleSize(h);
  std::string written(static_cast<const char*>(gMemoryMgr->LockHandle(h)), size);
  gMemoryMgr->UnlockHandle(h);
  gMemoryMgr->DisposeHandle(h);
  EXPECT_EQ(written, "&lt;b&gt; caf&eacute; &amp; &#19968;");
}
