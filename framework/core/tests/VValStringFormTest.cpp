// Strings in the tagged value form: the bytes of each character kind, round
// trips of the six forms, conversion between kinds on reading, and stored
// lengths that the stream or the string cannot hold.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/strings/StringFactory.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/core/tests/StringTestSupport.h"
#include "framework/core/tests/ValueStreamSupport.h"
#include "framework/core/values/StringStreamForm.h"
#include "framework/core/values/VLong.h"

using string_tests::Set;
using string_tests::Text;
using value_tests::ByteReader;
using value_tests::BytesWritten;
using value_tests::kBigEndian;
using value_tests::kLittleEndian;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Tagged(VValue& value, int16_t order = kBigEndian) {
  return BytesWritten([&](VStream& s) { EXPECT_EQ(s.PutValue(value, true), kStreamNoError); }, order);
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Counts the blocks and handles asked of the memory manager.
class CountingMemoryMgr : public FailingMemoryMgr {
 public:
  using FailingMemoryMgr::FailingMemoryMgr;
  VMemHandle NewHandle(uint32_t size, uint16_t granule) override {
    ++asked;
    return FailingMemoryMgr::NewHandle(size, granule);
  }
  void* NewBlock(uint32_t size) override {
    ++asked;
    return failBlocks ? nullptr : FailingMemoryMgr::NewBlock(size);
  }
  bool SetHandleSize(VMemHandle h, uint32_t size) override {
    ++asked;
    return FailingMemoryMgr::SetHandleSize(h, size);
  }
  int asked = 0;
  bool failBlocks = false;
};

class ScopedCountingMemoryMgr {
 public:
  ScopedCountingMemoryMgr() : fSaved(gMemoryMgr), fFake(gMemoryMgr) { gMemoryMgr = &fFake; }
  ~ScopedCountingMemoryMgr() { gMemoryMgr = fSaved; }
  CountingMemoryMgr* operator->() { return &fFake; }

 private:
  VMemoryMgr* fSaved;
  CountingMemoryMgr fFake;
};

class VValStringForm : public string_tests::WithTextTables {};

}  // namespace

TEST_F(VValStringForm, EmptyStringIsKindFormAndLengthZero) {
  VStr<255> empty;
  EXPECT_EQ(Tagged(empty), (Bytes{0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST_F(VValStringForm, OneUnicodeCharacterAddsTheKindAndTwoUnits) {
  VStr<255> s;
  Set(s, "A");
  EXPECT_EQ(Tagged(s), (Bytes{0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0x41, 0, 0}));
  EXPECT_EQ(Tagged(s, kLittleEndian), (Bytes{8, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0x41, 0, 0, 0}));
}

TEST_F(VValStringForm, EightBitStringsStoreBytesAndTheirKind) {
  VMacStr<255> mac;
  mac.SetUniCText(u"\u00E9t");
  EXPECT_EQ(Tagged(mac), (Bytes{0, 0, 0, 8, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 0, 0x8E, 't', 0}));
  VAnsiStrInHandle ansi;
  ansi.SetUniCText(u"\u00E9t");
  EXPECT_EQ(Tagged(ansi), (Bytes{0, 0, 0, 8, 0, 0, 0, 6, 0, 0, 0, 2, 0, 0, 0, 1, 0xE9, 't', 0}));
}

TEST_F(VValStringForm, EveryFormRoundTripsInBothOrders) {
  for (const int16_t order : {kBigEndian, kLittleEndian}) {
    for (int32_t form = kStringFormUni; form <= kStringFormAnsiHandle; ++form) {
      std::unique_ptr<VString> s(NewString(form));
      s->SetUniCText(u"Caf\u00E9 au lait");
      const Bytes bytes = Tagged(*s, order);
      ByteReader reader(bytes, order);
      std::unique_ptr<VValue> back(ReadValue(reader.stream()));
      ASSERT_NE(back, nullptr) << form;
      auto* text = dynamic_cast<VString*>(back.get());
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(text->GetForm(), form);
      EXPECT_EQ(Text(*text), u"Caf\u00E9 au lait") << form;
      EXPECT_EQ(reader.stream().GetPosition(), uint32_t(bytes.size()));
      EXPECT_EQ(reader.stream().GetStatus(), kStreamNoError);
    }
  }
}

TEST_F(VValStringForm, OtherCharacterKindsAreConvertedOnReading) {
  // Stored as UTF-16, read into a Macintosh string, and the other way.
  const Bytes unicode{0, 0, 0, 2, 0, 0, 0, 2, 0x00, 0xE9, 0x00, 'x', 0, 0};
  VMacStr<255> mac;
  ByteReader reader(unicode);
  EXPECT_EQ(ReadStringFromStream(mac, reader.stream()), kStreamNoError);
  EXPECT_EQ(string_tests::Bytes(mac), "\x8Ex");
  const Bytes ansi{0, 0, 0, 2, 0, 0, 0, 1, 0xE9, 'x', 0};
  VStrInHandle uni;
  ByteReader ansiReader(ansi);
  EXPECT_EQ(ReadStringFromStream(uni, ansiReader.stream()), kStreamNoError);
  EXPECT_EQ(Text(uni), u"\u00E9x");
  EXPECT_EQ(ansiReader.stream().GetPosition(), uint32_t(ansi.size()));
}

TEST_F(VValStringForm, LengthBelowOneEmptiesAndAnswersMinusThree) {
  for (const Bytes& bytes : {Bytes{0, 0, 0, 0}, Bytes{0xFF, 0xFF, 0xFF, 0xFE}}) {
    VStr<255> s;
    Set(s, "old");
    s.SetNull(true, kWholeValue);
    ByteReader reader(bytes);
    EXPECT_EQ(ReadStringFromStream(s, reader.stream()), -3);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_FALSE(s.IsNull(kWholeValue));
    EXPECT_EQ(reader.stream().GetPosition(), 4u);
  }
}

TEST_F(VValStringForm, LengthBeyondTheStreamStopsWithoutAllocating) {
  // Two billion UTF-16 characters claimed, four bytes present.
  const Bytes bytes{0x7F, 0xFF, 0xFF, 0xF0, 0, 0, 0, 2, 0, 'a', 0, 0};
  ScopedCountingMemoryMgr memory;
  VStrInHandle s;
  Set(s, "kept");
  memory->asked = 0;
  ByteReader reader(bytes);
  EXPECT_EQ(ReadStringFromStream(s, reader.stream()), kStreamEndOfData);
  EXPECT_EQ(memory->asked, 0);
  EXPECT_EQ(Text(s), u"kept");
  EXPECT_EQ(reader.stream().GetStatus(), kStreamEndOfData);
}

TEST_F(VValStringForm, LengthOneShortOfItsBytesIsRefused) {
  // Three characters and the terminator need eight bytes; seven are there.
  const Bytes bytes{0, 0, 0, 3, 0, 0, 0, 2, 0, 'a', 0, 'b', 0, 'c', 0};
  VStr<255> s;
  Set(s, "kept");
  ByteReader reader(bytes);
  EXPECT_EQ(ReadStringFromStream(s, reader.stream()), kStreamEndOfData);
  EXPECT_EQ(Text(s), u"kept");
}

TEST_F(VValStringForm, LengthBeyondTheCapacitySkipsAndKeepsTheText) {
  VStr<255> stored;
  Set(stored, "far too long");
  VLong next(77);
  const Bytes bytes = Concat(Tagged(stored), Tagged(next));
  for (const bool sameKind : {true, false}) {
    ByteReader reader(bytes);
    reader.stream().Skip(8);  // kind and form
    std::unique_ptr<VString> small(sameKind ? static_cast<VString*>(new VStr<4>)
                                            : static_cast<VString*>(new VMacStr<4>));
    Set(*small, "abc");
    EXPECT_EQ(ReadStringFromStream(*small, reader.stream()), 100);
    EXPECT_EQ(Text(*small), u"abc");
    std::unique_ptr<VValue> after(ReadValue(reader.stream()));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->GetLong(kWholeValue), 77);
  }
}

TEST_F(VValStringForm, UnknownCharacterKindLeavesStringAndBytes) {
  const Bytes bytes{0, 0, 0, 1, 0, 0, 0, 9, 'a', 0};
  VStr<255> s;
  Set(s, "kept");
  ByteReader reader(bytes);
  EXPECT_EQ(ReadStringFromStream(s, reader.stream()), -2);
  EXPECT_EQ(Text(s), u"kept");
  EXPECT_EQ(reader.stream().GetPosition(), 8u);
}

TEST_F(VValStringForm, StreamEndingInsideTheKindWordLeavesTheString) {
  const Bytes bytes{0, 0, 0, 1, 0, 0};
  VStr<255> s;
  Set(s, "kept");
  ByteReader reader(bytes);
  EXPECT_EQ(ReadStringFromStream(s, reader.stream()), kStreamEndOfData);
  EXPECT_EQ(Text(s), u"kept");
}

TEST_F(VValStringForm, NoBlockForAConversionEmptiesTheStringAndReadsNothing) {
  const Bytes bytes{0, 0, 0, 1, 0, 0, 0, 2, 0, 'a', 0, 0};
  ScopedCountingMemoryMgr memory;
  memory->failBlocks = true;
  VMacStr<255> s;
  Set(s, "old");
  ByteReader reader(bytes);
  EXPECT_EQ(ReadStringFromStream(s, reader.stream()), kStreamNoError);
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(reader.stream().GetPosition(), 8u);
}

TEST_F(VValStringForm, StringWrittenAsAMemberHasNoKindOrForm) {
  VAnsiStr<255> s;
  Set(s, "hi");
  const Bytes bytes = BytesWritten([&](VStream& st) { st.PutValue(s, false); });
  EXPECT_EQ(bytes, (Bytes{0, 0, 0, 2, 0, 0, 0, 1, 'h', 'i', 0}));
  VStr<255> back;
  ByteReader reader(bytes);
  EXPECT_EQ(reader.stream().GetValueData(back), kStreamNoError);
  EXPECT_EQ(Text(back), u"hi");
}

TEST_F(VValStringForm, StoredTerminatorIsNotTrusted) {
  // The character after the text should be 0; whatever it is, the string
  // ends after its length.
  const Bytes bytes{0, 0, 0, 2, 0, 0, 0, 1, 'o', 'k', 'X'};
  VAnsiStr<255> s;
  ByteReader reader(bytes);
  EXPECT_EQ(ReadStringFromStream(s, reader.stream()), kStreamNoError);
  EXPECT_EQ(string_tests::Bytes(s), "ok");
  char c[8];
  s.GetCText(c, 8, kCharSetAnsi);
  EXPECT_STREQ(c, "ok");
}
