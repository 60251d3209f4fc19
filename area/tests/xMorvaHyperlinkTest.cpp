// The hyperlink object: its 'wHLK' record against hand-built bytes in both
// byte orders, records that are cut short or not links, and its two texts.
#include "area/xMorvaHyperlink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/xMorvaEngine.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Builder {
  Bytes bytes;
  bool big = false;
  Builder& Long(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (big ? 24 - 8 * i : 8 * i)));
    return *this;
  }
  Builder& Word(uint16_t v) {
    bytes.push_back(uint8_t(big ? v >> 8 : v));
    bytes.push_back(uint8_t(big ? v : v >> 8));
    return *this;
  }
  Builder& Byte(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Builder& String(const std::u16string& text) {
    Long(uint32_t(text.size()));
    if (text.empty()) return *this;
    Long(2);
    for (char16_t c : text) Word(c);
    return Word(0);
  }
};

Bytes Record(bool big, uint16_t kind, const std::u16string& target, const std::u16string& title,
             uint32_t version = FourCC("0100")) {
  Builder b;
  b.big = big;
  return b.Long(FourCC("wHLK")).Long(version).Word(kind).Byte(1).String(target).String(title).bytes;
}

VStr<255> Str(const std::u16string& text) {
  VStr<255> out;
  out.AppendUniChars(text.data(), int32_t(text.size()));
  return out;
}

int32_t ReadInto(xMorvaHyperlink& link, const Bytes& bytes) {
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  stream.OpenRead();
  const int32_t status = link.Read(stream);
  stream.CloseRead();
  return status;
}

class LabelHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t offset, int16_t item, VString& out) override {
    static const char16_t* const kItems[] = {u"", u"<", u">", u"", u"", u"", u"Method", u"URL", u"Doc"};
    out.SetEmpty(false);
    if (offset != kListFieldLabels || item < 1 || item > 8) return;
    const std::u16string text = kItems[item];
    out.AppendUniChars(text.data(), int32_t(text.size()));
  }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override { return nullptr; }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override {
    return false;
  }
};

TEST(Hyperlink, WritesItsRecordAndReadsItInEitherOrder) {
  xMorvaHyperlink link(xMorvaHyperlink::kDocument, true, Str(u"ch2"), Str(u"See"));
  VMemHandle handle = 0;
  {
    VHandleStream stream(handle);
    ASSERT_EQ(0, stream.OpenWrite());
    ASSERT_EQ(0, link.Write(stream));
    stream.CloseWrite(1);
  }
  Bytes written(gMemoryMgr->GetHandleSize(handle));
  std::memcpy(written.data(), gMemoryMgr->LockHandle(handle), written.size());
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  EXPECT_EQ(Record(false, 2, u"ch2", u"See"), written);
  for (bool big : {false, true}) {
    SCOPED_TRACE(big);
    xMorvaHyperlink read;
    ASSERT_EQ(0, ReadInto(read, Record(big, 2, u"ch2", u"See")));
    EXPECT_EQ(xMorvaHyperlink::kDocument, read.GetKind());
    EXPECT_TRUE(read.HasLinkLook());
    EXPECT_EQ(0, read.GetTarget().Compare(Str(u"ch2"), true));
    EXPECT_EQ(0, read.GetTitle().Compare(Str(u"See"), true));
  }
  xMorvaHyperlink empty;
  EXPECT_EQ(0, ReadInto(empty, Record(false, 1, u"", u"")));
}

TEST(Hyperlink, ABadOrTruncatedRecordLeavesTheLinkAsItWas) {
  const Bytes whole = Record(false, 1, u"http://q", u"Q");
  // A string of more units than the record holds, and one of an unknown
  // character kind.
  Builder longTarget;
  longTarget.Long(kTagHyperlink).Long(kHyperlinkVersion).Word(1).Byte(1);
  longTarget.Long(0x7FFFFFFF).Long(2).Word('x');
  Builder unknownCharKind;
  unknownCharKind.Long(kTagHyperlink).Long(kHyperlinkVersion).Word(1).Byte(1).String(u"x");
  unknownCharKind.Long(1).Long(9).Word('y').Word(0);
  std::vector<std::pair<std::string, Bytes>> cases = {
      {"other version", Record(false, 1, u"x", u"y", FourCC("0200"))},
      {"unknown kind", Record(false, 3, u"x", u"y")},
      {"other tag", Bytes{'K', 'L', 'H', 'x', 0, 0, 0, 0}},
      {"target longer than the record", longTarget.bytes},
      {"title of an unknown character kind", unknownCharKind.bytes},
  };
  for (size_t cut = 0; cut < whole.size(); ++cut)
    cases.push_back({"cut at " + std::to_string(cut), Bytes(whole.begin(), whole.begin() + long(cut))});
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    xMorvaHyperlink link(xMorvaHyperlink::kMethod, false, Str(u"old"), Str(u"Old"));
    EXPECT_NE(0, ReadInto(link, bytes));
    EXPECT_EQ(xMorvaHyperlink::kMethod, link.GetKind());
    EXPECT_FALSE(link.HasLinkLook());
    EXPECT_EQ(0, link.GetTarget().Compare(Str(u"old"), true));
  }
}

TEST(Hyperlink, TitleAndDescriptionAsElementUnits) {
  LabelHost host;
  VInstalledService<xMorvaEngineHost> installed{&host};
  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  auto unitsOf = [](VMemHandle h) {
    Bytes out(gMemoryMgr->GetHandleSize(h));
    std::memcpy(out.data(), gMemoryMgr->LockHandle(h), out.size());
    gMemoryMgr->UnlockHandle(h);
    gMemoryMgr->DisposeHandle(h);
    return out;
  };
  auto text = [](uint32_t look, const std::u16string& units) {
    Builder b;
    b.Word(0).Word(14).Long(look);
    for (char16_t c : units) b.Word(c);
    return b.Word(0).Word(14).Long(0).bytes;
  };
  for (bool look : {true, false}) {
    xMorvaHyperlink link(xMorvaHyperlink::kURL, look, Str(u"q.org"), Str(u"Q"));
    EXPECT_EQ(text(look ? 1 : 4, u"Q"), unitsOf(link.InsertTitle(engine)));
    EXPECT_EQ(text(3, u"<URL:q.org>"), unitsOf(link.Describe(engine)));
  }
}

}  // namespace
