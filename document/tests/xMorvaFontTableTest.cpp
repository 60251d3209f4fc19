// The document's font table and its 'wFNT' record.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "document/tests/DocumentTestSupport.h"
#include "document/xMorvaFontTable.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

std::string NameOf(const xMorvaFontTable& table, int32_t index, bool* known = nullptr) {
  VStr<255> name;
  bool flag = false;
  table.NameForIndex(index, name, flag);
  if (known != nullptr) *known = flag;
  char text[256] = {};
  name.GetCText(text, sizeof text, kCharSetAnsi);
  return text;
}

int16_t Index(xMorvaFontTable& table, const char* text) {
  VStr<255> name;
  name.SetAnsiCText(text);
  return table.IndexForName(name);
}

xMorvaFontTable& Filled(xMorvaFontTable& table) {
  VStr<64> name;
  name.SetAnsiCText("Base Face");
  table.Reset(name);
  Index(table, "Qv Missing Face One");
  Index(table, "Qv Missing Face Two");
  return table;
}

}  // namespace

TEST(FontTable, ANewTableHoldsTheDefaultFontKnown) {
  xMorvaFontTable table;
  bool known = false;
  EXPECT_EQ(table.Count(), 1);
  EXPECT_EQ(NameOf(table, 1, &known), "Arial");
  EXPECT_TRUE(known);
  EXPECT_EQ(NameOf(table, 0), "");
  EXPECT_EQ(NameOf(table, 2), "");
}

TEST(FontTable, AnUnknownNameIsAppendedOnceAndFlaggedUnknown) {
  xMorvaFontTable table;
  EXPECT_EQ(Index(table, "Qv Missing Face"), 2);
  EXPECT_EQ(Index(table, "qv missing FACE"), 2);  // names compare without case
  EXPECT_EQ(table.Count(), 2);
  bool known = true;
  EXPECT_EQ(NameOf(table, 2, &known), "Qv Missing Face");
  EXPECT_FALSE(known);
}

// Written in either order and read in this machine's: every name keeps its
// index, and names the system lacks come back unknown.
TEST(FontTable, RoundTripsInBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    xMorvaFontTable table;
    Filled(table);
    bool ok = false;
    const Bytes bytes = WriteRecord([&](VStream& s) { return table.Write(s); }, bigEndian, &ok);
    ASSERT_TRUE(ok);
    ASSERT_GE(bytes.size(), 12u);
    // The tag in the writer's order.
    const std::string tag(bytes.begin(), bytes.begin() + 4);
    EXPECT_EQ(tag, bigEndian ? "wFNT" : "TNFw");
    // The version too is a number in the writer's order.
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), bigEndian ? "0100" : "0010");

    xMorvaFontTable read;
    ByteReader reader(bytes);
    ASSERT_TRUE(read.Read(reader.stream())) << bigEndian;
    ASSERT_EQ(read.Count(), 3);
    bool known = true;
    EXPECT_EQ(NameOf(read, 1), "Base Face");
    EXPECT_EQ(NameOf(read, 3, &known), "Qv Missing Face Two");
    EXPECT_FALSE(known);
    EXPECT_EQ(reader.position(), bytes.size());
  }
}

// Tables stored before the version was a number carry it as four
// characters; they read in either order, as the number form does.
TEST(FontTable, ReadsTheVersionAsANumberOrAsFourCharacters) {
  struct Case {
    const char* name;
    bool bigEndian;
    const char* version;  // bytes 4 to 7 as stored
  };
  const Case cases[] = {
      {"number, little-endian", false, "0010"},
      {"number, big-endian", true, "0100"},
      {"characters, little-endian", false, "0100"},
      {"characters, big-endian", true, "0100"},
  };
  for (const Case& c : cases) {
    xMorvaFontTable source;
    Filled(source);
    Bytes bytes = WriteRecord([&](VStream& s) { return source.Write(s); }, c.bigEndian);
    ASSERT_GE(bytes.size(), 12u) << c.name;
    std::copy(c.version, c.version + 4, bytes.begin() + 4);
    xMorvaFontTable read;
    ByteReader reader(bytes);
    ASSERT_TRUE(read.Read(reader.stream())) << c.name;
    EXPECT_EQ(read.Count(), 3) << c.name;
    EXPECT_EQ(NameOf(read, 2), "Qv Missing Face One") << c.name;
  }
}

// Bad tags and versions, every truncation and a table of no names answer
// false and leave the table as it was.
TEST(FontTable, RefusedRecordsLeaveTheTableAlone) {
  xMorvaFontTable source;
  Filled(source);
  const Bytes whole = WriteRecord([&](VStream& s) { return source.Write(s); }, false);
  xMorvaFontTable none;
  VStr<8> empty;
  none.Reset(empty);
  Bytes zero = WriteRecord([&](VStream& s) { return none.Write(s); }, false);
  // Rewrite the count of the one-name table as 0 and drop its name.
  ASSERT_GE(zero.size(), 12u);
  zero.resize(12);
  zero[8] = zero[9] = zero[10] = zero[11] = 0;

  std::vector<Bytes> bad;
  for (size_t cut = 0; cut < whole.size(); ++cut) bad.emplace_back(whole.begin(), whole.begin() + cut);
  Bytes tag = whole;
  tag[0] ^= 0x20;
  Bytes version = whole;
  version[7] = '1';
  Bytes count = whole;
  count[8] = count[9] = count[10] = count[11] = 0xFF;
  bad.insert(bad.end(), {tag, version, count, zero});

  for (const Bytes& bytes : bad) {
    xMorvaFontTable table;
    Index(table, "Kept Face");
    ByteReader reader(bytes);
    EXPECT_FALSE(table.Read(reader.stream())) << bytes.size();
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(NameOf(table, 2), "Kept Face");
  }
}

void Check(VMemoryResourceFile& file);

TEST(FontTable, StoredAsResourceAndReplacedInPlace) {
  VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  auto* file = new VMemoryResourceFile(handle, 1);
  Check(*file);
  delete file;
  gMemoryMgr->DisposeHandle(handle);
}

void Check(VMemoryResourceFile& file) {
  xMorvaFontTable table;
  EXPECT_FALSE(table.ReadFromFile(file));
  EXPECT_EQ(table.Count(), 1);

  Filled(table);
  ASSERT_TRUE(table.WriteToFile(file));
  Index(table, "Qv Missing Face Three");
  ASSERT_TRUE(table.WriteToFile(file));  // replaces id 0, adds no second one
  EXPECT_EQ(file.CountResources(kFontTableResourceType), 1);

  xMorvaFontTable read;
  ASSERT_TRUE(read.ReadFromFile(file));
  ASSERT_EQ(read.Count(), 4);
  EXPECT_EQ(NameOf(read, 4), "Qv Missing Face Three");
}
