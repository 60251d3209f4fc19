// xMorvaDocInfos: reset values and the 'wINF' record in both byte orders,
// with texts of every length it holds, and bad and short input.
#include <gtest/gtest.h>

#include <string>

#include "document/tests/DocumentTestSupport.h"
#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocInfos.h"
#include "framework/core/VService.h"
#include "framework/core/values/VEnvironmentBridge.h"
#include "framework/system/environment/VSystemEnvironmentBridge.h"
#include "platform/win32/WinTime.h"

namespace {

void SetText(VString& s, const std::u16string& text) {
  s.Clear();
  s.AppendUniChars(text.data(), int32_t(text.size()));
}

std::u16string Text(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += s.GetCharAt(i);
  return out;
}

void Fill(xMorvaDocInfos& infos) {
  infos.SetCreationDate({5, 4, 2002});
  infos.SetCreationTime(3725);
  SetText(infos.Title(), u"Tea");
  SetText(infos.Subject(), u"Caf\u00e9 \u20ac");
  SetText(infos.Author(), u"");
  SetText(infos.Company(), std::u16string(255, u'x'));
  SetText(infos.Notes(), std::u16string(1000, u'n') + u"\u00fc");
  infos.SetLocked(1);
}

bool SameDate(const VDateRec& a, const VDateRec& b) {
  return a.day == b.day && a.month == b.month && a.year == b.year;
}

bool Same(const xMorvaDocInfos& a, const xMorvaDocInfos& b) {
  return SameDate(a.GetCreationDate(), b.GetCreationDate()) &&
         SameDate(a.GetModificationDate(), b.GetModificationDate()) &&
         a.GetCreationTime() == b.GetCreationTime() &&
         a.GetModificationTime() == b.GetModificationTime() && a.GetLocked() == b.GetLocked() &&
         Text(a.Title()) == Text(b.Title()) && Text(a.Subject()) == Text(b.Subject()) &&
         Text(a.Author()) == Text(b.Author()) && Text(a.Company()) == Text(b.Company()) &&
         Text(a.Notes()) == Text(b.Notes());
}

Bytes WriteInf(xMorvaDocInfos& infos, bool bigEndian) {
  return WriteRecord([&](VStream& s) { return infos.Write(s); }, bigEndian);
}

}  // namespace

TEST(DocInfos, ResetEmptiesTheTextsAndStampsNow) {
  VDateRec before;
  int32_t beforeTime = 0;
  xMorvaDocInfos::Now(before, beforeTime);
  xMorvaDocInfos infos;
  Fill(infos);
  infos.Reset();
  EXPECT_EQ(infos.Title().GetLength(), 0);
  EXPECT_EQ(infos.Subject().GetLength(), 0);
  EXPECT_EQ(infos.Company().GetLength(), 0);
  EXPECT_EQ(infos.Notes().GetLength(), 0);
  EXPECT_EQ(infos.GetLocked(), 0);
  EXPECT_GE(infos.GetCreationDate().year, before.year);
  EXPECT_GE(infos.GetCreationDate().month, 1);
  EXPECT_LE(infos.GetCreationDate().month, 12);
  EXPECT_GE(infos.GetCreationTime(), 0);
  EXPECT_LT(infos.GetCreationTime(), 86400);
  EXPECT_TRUE(SameDate(infos.GetModificationDate(), infos.GetCreationDate()));
  EXPECT_EQ(infos.GetModificationTime(), infos.GetCreationTime());
}

// The stamps come from the clock the module's dates and times read: the
// host's local time, which a host script or a test may stop.
TEST(DocInfos, StampsReadTheHostsLocalClock) {
  VInstalledService<VEnvironmentBridge> bridge{SystemEnvironmentBridge()};
  struct Release {
    ~Release() { ReleaseLocalTime(); }
  } release;
  SYSTEMTIME stopped{};
  stopped.wYear = 2031;
  stopped.wMonth = 12;
  stopped.wDay = 31;
  stopped.wHour = 23;
  stopped.wMinute = 59;
  stopped.wSecond = 58;
  ASSERT_TRUE(FreezeLocalTime(&stopped));
  xMorvaDocInfos infos;
  EXPECT_TRUE(SameDate(infos.GetCreationDate(), {31, 12, 2031}));
  EXPECT_EQ(infos.GetCreationTime(), 86398);
  EXPECT_TRUE(SameDate(infos.GetModificationDate(), {31, 12, 2031}));
  EXPECT_EQ(infos.GetModificationTime(), 86398);

  // Saved a day later: the record carries the new modification stamp and
  // the creation stamp as it was.
  stopped.wYear = 2032;
  stopped.wMonth = 1;
  stopped.wDay = 1;
  stopped.wHour = 0;
  stopped.wMinute = 1;
  stopped.wSecond = 2;
  ASSERT_TRUE(FreezeLocalTime(&stopped));
  const Bytes b = WriteInf(infos, true);
  ASSERT_GE(b.size(), 28u);
  EXPECT_EQ(Bytes(b.begin() + 8, b.begin() + 20),
            (Bytes{0x07, 0xEF, 0x00, 0x0C, 0x00, 0x1F, 0x07, 0xF0, 0x00, 0x01, 0x00, 0x01}));
  EXPECT_EQ(LongBE(b, 20), 86398);
  EXPECT_EQ(LongBE(b, 24), 62);
  EXPECT_TRUE(SameDate(infos.GetModificationDate(), {1, 1, 2032}));
  EXPECT_EQ(infos.GetModificationTime(), 62);
}

TEST(DocInfosRecord, WritesTheBigEndianLayoutAndStampsTheModification) {
  xMorvaDocInfos infos;
  Fill(infos);
  SetText(infos.Company(), u"");
  SetText(infos.Notes(), u"N");
  infos.SetModificationDate({1, 1, 1999});
  const Bytes b = WriteInf(infos, true);
  VDateRec today;
  int32_t now = 0;
  xMorvaDocInfos::Now(today, now);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), Chars("wINF0100"));
  EXPECT_EQ(Bytes(b.begin() + 8, b.begin() + 14), (Bytes{0x07, 0xD2, 0x00, 0x04, 0x00, 0x05}));
  // The modification stamp became now.
  EXPECT_EQ(WordBE(b, 14), infos.GetModificationDate().year);
  EXPECT_EQ(infos.GetModificationDate().year, today.year);
  EXPECT_EQ(LongBE(b, 20), 3725);
  EXPECT_EQ(LongBE(b, 24), infos.GetModificationTime());
  EXPECT_EQ(b[28], 1);  // locked
  size_t at = 29;
  // "Tea": length, character kind 2, the units and a zero unit.
  EXPECT_EQ(LongBE(b, at), 3);
  EXPECT_EQ(LongBE(b, at + 4), 2);
  EXPECT_EQ(Bytes(b.begin() + long(at) + 8, b.begin() + long(at) + 16),
            (Bytes{0, 'T', 0, 'e', 0, 'a', 0, 0}));
  at += 16;
  EXPECT_EQ(LongBE(b, at), 6);  // the subject
  EXPECT_EQ(WordBE(b, at + 8 + 6), int16_t(0x00E9));
  EXPECT_EQ(WordBE(b, at + 8 + 10), int16_t(0x20AC));
  at += 8 + 14;
  EXPECT_EQ(LongBE(b, at), 0);  // an empty author is its length alone
  EXPECT_EQ(LongBE(b, at + 4), 0);  // and so is the company
  at += 8;
  EXPECT_EQ(LongBE(b, at), 1);  // the notes
  EXPECT_EQ(b.size(), at + 8 + 4);
}

TEST(DocInfosRecord, RoundTripsInBothOrders) {
  xMorvaDocInfos infos;
  Fill(infos);
  for (bool bigEndian : {true, false}) {
    const Bytes bytes = WriteInf(infos, bigEndian);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), Chars(bigEndian ? "wINF" : "FNIw"));
    ByteReader reader(bytes);
    xMorvaDocInfos read;
    ASSERT_TRUE(read.Read(reader.stream()));
    EXPECT_TRUE(Same(read, infos));
    EXPECT_EQ(reader.position(), bytes.size());
  }
}

TEST(DocInfosRecord, BadTagVersionOrLengthFailsAndChangesNothing) {
  xMorvaDocInfos source;
  Fill(source);
  const Bytes good = WriteInf(source, true);
  std::vector<Bytes> bad;
  Bytes tag = good;
  tag[1] = 'X';
  bad.push_back(tag);
  Bytes version = good;
  version[7] = '1';
  bad.push_back(version);
  for (size_t length = 0; length < good.size(); length += (length < 80 ? 1 : 97)) {
    bad.emplace_back(good.begin(), good.begin() + long(length));
  }
  bad.emplace_back(good.begin(), good.end() - 1);
  for (const Bytes& bytes : bad) {
    ByteReader reader(bytes);
    xMorvaDocInfos infos;
    SetText(infos.Title(), u"kept");
    EXPECT_FALSE(infos.Read(reader.stream())) << bytes.size();
    EXPECT_EQ(Text(infos.Title()), u"kept");
    EXPECT_EQ(infos.GetLocked(), 0);
  }
}

TEST(DocInfosRecord, TextsLongerThanTheirRoomOrOfUnknownKindAreRefused) {
  for (const auto& [length, kind] : {std::pair{300, 2}, std::pair{2, 7}}) {
    Bytes bytes = Chars("wINF0100");
    for (int i = 0; i < 6; ++i) AppendWordBE(bytes, 1);
    AppendLongBE(bytes, 0);
    AppendLongBE(bytes, 0);
    bytes.push_back(0);
    AppendLongBE(bytes, length);  // the title
    AppendLongBE(bytes, kind);
    for (int i = 0; i <= length; ++i) AppendWordBE(bytes, 'a');
    for (int i = 0; i < 4; ++i) AppendLongBE(bytes, 0);
    ByteReader reader(bytes);
    xMorvaDocInfos infos;
    SetText(infos.Title(), u"kept");
    EXPECT_FALSE(infos.Read(reader.stream()));
    EXPECT_EQ(Text(infos.Title()), u"kept");
  }
}

TEST(DocInfosRecord, StoredAsResourceZeroOfTheStore) {
  FakeStore store;
  xMorvaDocInfos infos;
  xMorvaDocInfos read;
  EXPECT_FALSE(read.Read(store));
  Fill(infos);
  ASSERT_TRUE(infos.Write(store));
  ASSERT_EQ(store.resources.count({FourCC("wINF"), 0}), 1u);
  ASSERT_TRUE(read.Read(store));
  EXPECT_TRUE(Same(read, infos));
  store.refuse = true;
  SetText(infos.Title(), u"other");
  EXPECT_FALSE(infos.Write(store));
  ASSERT_TRUE(read.Read(store));
  EXPECT_EQ(Text(read.Title()), u"Tea");
}
