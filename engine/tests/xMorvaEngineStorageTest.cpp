// Texts stored as resource 'wENG': the stored bytes, round trips in both
// byte orders, the older layouts, and loads that fail or meet bad data.
#include "engine/tests/EngineTestSupport.h"

#include <algorithm>

#include "document/DocumentUnits.h"
#include "engine/xMorvaEngineHost.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/VService.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/GraphicsGlobals.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

constexpr uint32_t kHeader = 21;
const std::vector<int32_t> kSheets{1};
constexpr int32_t kFonts = 2;

class StorageTest : public EngineTest {
 protected:
  Bytes Saved(xMorvaEngine& from, bool otherOrder = false) {
    VMemHandle handle = 0;
    VHandleStream stream(handle);
    EXPECT_EQ(0, stream.OpenWrite());
    EXPECT_TRUE(from.WriteResource(stream, otherOrder));
    stream.CloseWrite(1);
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    Bytes bytes(data, data + gMemoryMgr->GetHandleSize(handle));
    gMemoryMgr->UnlockHandle(handle);
    gMemoryMgr->DisposeHandle(handle);
    return bytes;
  }
  bool LoadStored(xMorvaEngine& into, const Bytes& bytes, bool& damaged) {
    return into.LoadResourceBytes(bytes.data(), uint32_t(bytes.size()), kSheets, kFonts, damaged);
  }
  // A resource as an older or foreign writer made it: header fields
  // little-endian, then the stream bytes as given.
  static Bytes Resource(const char* version, const Bytes& stream, uint8_t mode = 0) {
    Stream bytes;
    const uint32_t number = uint32_t(uint8_t(version[0])) << 24 | uint32_t(uint8_t(version[1])) << 16 |
                            uint32_t(uint8_t(version[2])) << 8 | uint8_t(version[3]);
    bytes.Long(FourCC("wENG")).Long(number).Long(0).Long(0).Long(0).Raw({mode});
    return bytes.Raw(stream);
  }
  static Bytes Body(const Bytes& resource) { return Bytes(resource.begin() + kHeader, resource.end()); }

  xMorvaEngine other{nullptr, xMorvaEngine::kPartGranule};
};

Bytes Units(const std::u16string& text) { return Stream().Text(text); }

// Where two byte strings first differ, for the failure messages.
size_t FirstDifference(const Bytes& a, const Bytes& b) {
  return size_t(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

// A picture element: four lengths, the flag word, display mode, reference
// 0, then data.
// A host whose every reference is a picture of 10 x 8 pixels.
class PictureHost : public xMorvaEngineHost {
 public:
  void GetPackageString(int16_t, int16_t, VString& out) override { out.SetEmpty(false); }
  void ShowMemoryAlert() override {}
  VValue* EvaluateReference(const uint8_t*, uint32_t) override {
    VMetafilePort recorder(nullptr, 0, 0, 10, 8);
    recorder.PaintRect(1, 1, 8, 6);
    return new VEmfPictureData(recorder.EndRecording(), true);
  }
  bool GetReferenceNames(const uint8_t*, uint32_t, VString&, VString&, VString&, VString&) override { return false; }
};

Bytes Picture(uint32_t width, uint32_t height, uint8_t flag = 0, uint32_t headerSize = 24) {
  Stream header;
  header.Long(width).Long(height).Long(width / 2).Long(height / 2);
  header.Raw({0, flag}).Unit(1);
  if (headerSize == 24) header.Long(0);
  else header.Unit(0);
  return header.Raw({1, 2, 3, 4, 5, 6});
}

TEST_F(StorageTest, LengthsAreStoredInTwipsAndTabsInPoints) {
  ASSERT_EQ(96, GetScreenResolution());
  Load(Stream().Record(kPropLeftIndent, 100).Record(kPropBorderSpacing, 8).Tab(100, kTabRight, '.').Text(u"ab"),
       1, 2);
  const Bytes saved = Saved(engine);
  ASSERT_GE(saved.size(), kHeader);
  EXPECT_EQ(Stream().Long(FourCC("wENG")).Long(FourCC("0106")).Long(2).Long(1).Long(2).Raw({0}).bytes(),
            Bytes(saved.begin(), saved.begin() + kHeader));
  EXPECT_EQ(Stream().Record(kPropLeftIndent, 1500).Record(kPropBorderSpacing, 120).Tab(75, kTabRight, '.').Text(u"ab").bytes(),
            Body(saved));
  bool damaged = true;
  ASSERT_TRUE(LoadStored(other, saved, damaged));
  EXPECT_FALSE(damaged);
  EXPECT_EQ(StreamBytes(engine), StreamBytes(other));
  EXPECT_EQ(1, other.GetSelStart());
  EXPECT_EQ(2, other.GetSelEnd());
  EXPECT_EQ(saved, Saved(other));
}

// Stops set on the first of two paragraphs are taken away again at the
// second's start; the load keeps those records, so the second paragraph
// has no stop after a save and load either.
TEST_F(StorageTest, TabStopsOfOneParagraphSurviveASaveAndLoad) {
  Load(Stream().Text(u"one\rtwo"), 1, 1);
  xMorvaTabs tabs;
  tabs.AddStop(MakeTabStop(96, 0, kTabLeft));
  tabs.AddStop(MakeTabStop(192, '.', kTabRight));
  ASSERT_EQ(0, engine.SetTabsWithUndo(tabs));
  const Bytes edited = Bytes_();
  xMorvaEngine loaded(nullptr, xMorvaEngine::kPartGranule);
  bool damaged = true;
  ASSERT_TRUE(LoadStored(loaded, Saved(engine), damaged));
  EXPECT_FALSE(damaged);
  EXPECT_EQ(StreamBytes(loaded), edited);
  for (xMorvaEngine* text : {&engine, &loaded}) {
    text->SetSelection(1, 1);
    EXPECT_EQ(text->GetCurrentTabs().Count(), 2);
    text->SetSelection(5, 5);
    EXPECT_EQ(text->GetCurrentTabs().Count(), 0);
  }
}

TEST_F(StorageTest, ResolutionsThatDoNotDivide1440RoundOnBothSides) {
  const int32_t saved = gScreenLogPixelsX;
  gScreenLogPixelsX = 100;
  // 7 pixels: 100.8 twips stored as 101, loaded as 7.01, so 7; a tab at 7
  // pixels: 5.04 points stored as 5, loaded as 6.94, so 7. Truncating lost
  // a pixel at each save and load.
  Load(Stream().Record(kPropLeftIndent, 7).Tab(7, kTabLeft).Text(u"a"));
  const Bytes stored = Saved(engine);
  EXPECT_EQ(Stream().Record(kPropLeftIndent, 101).Tab(5, kTabLeft).Text(u"a").bytes(), Body(stored));
  bool damaged = true;
  EXPECT_TRUE(LoadStored(other, stored, damaged));
  EXPECT_EQ(Stream().Record(kPropLeftIndent, 7).Tab(7, kTabLeft).Text(u"a").bytes(), StreamBytes(other));
  gScreenLogPixelsX = saved;
}

Bytes RichText() {
  Stream text;
  text.Record(kPropAlignment, 1).Record(kPropBold, 1).Text(u"ab").Element(xMorvaElementCode::Tab, Bytes(14, 7), 14);
  text.Element(xMorvaElementCode::Pict, Picture(960, 480), 30).Text(u"c\r");
  Computed(text, xMorvaElementCode::PageNumber, {1, 0, 0, 0x30}, Units(u"xx"), Units(u"#"));
  Computed(text, xMorvaElementCode::Hyperlink, {1, 2, 3, 4, 5}, Units(u"title"), Units(u"desc"));
  text.Element(xMorvaElementCode::SoftHyphen, Units(u"\u00AD"), 0).Text(u"d");
  text.Element(xMorvaElementCode::PageBreak, Units(u"\r")).Record(kPropLeftIndent, 48).Tab(-24, kTabLeft);
  text.Text(u"\u00E9\u4E2D");
  return text;
}

TEST_F(StorageTest, SaveLoadSaveGivesTheSameBytesInEitherOrder) {
  Load(RichText(), 2, 4);
  const Bytes little = Saved(engine);
  const Bytes big = Saved(engine, true);
  ASSERT_EQ(little.size(), big.size());
  EXPECT_EQ(Bytes({'w', 'E', 'N', 'G', '0', '1', '0', '6'}), Bytes(big.begin(), big.begin() + 8));
  for (const Bytes* stored : {&little, &big}) {
    bool damaged = true;
    other.Clear();
    ASSERT_TRUE(LoadStored(other, *stored, damaged));
    EXPECT_FALSE(damaged);
    EXPECT_EQ(StreamBytes(engine), StreamBytes(other))
        << (stored == &big ? "big" : "little") << " at " << FirstDifference(StreamBytes(engine), StreamBytes(other));
    EXPECT_EQ(engine.GetLength(), other.GetLength());
    EXPECT_EQ(little, Saved(other));
  }
}

// Two engines exchange their texts as they stand: the bytes, the positions
// and the stored form go over unchanged, either way, and each engine starts
// again at the text's first position.
TEST_F(StorageTest, ExchangedTextsKeepTheirBytesAndStoredForm) {
  const Bytes plain = Units(u"plain\r");
  for (const Bytes* text : {&plain, static_cast<const Bytes*>(nullptr)}) {
    Load(RichText(), 2, 4);
    const Bytes rich = StreamBytes(engine);
    const int32_t richLength = engine.GetLength();
    const Bytes richSaved = Saved(engine);
    other.Clear();
    if (text != nullptr) {
      ASSERT_EQ(0, other.InsertBytes(0u, text->data(), uint32_t(text->size())));
      other.SetLength(PositionsOf(*text));
    }
    const Bytes second = StreamBytes(other);
    const int32_t secondLength = other.GetLength();
    other.SetSelection(1, 1);

    other.ExchangeText(engine);
    EXPECT_EQ(StreamBytes(other), rich);
    EXPECT_EQ(other.GetLength(), richLength);
    EXPECT_EQ(StreamBytes(engine), second);
    EXPECT_EQ(engine.GetLength(), secondLength);
    EXPECT_EQ(other.GetSelStart(), 0);
    EXPECT_EQ(other.GetSelEnd(), 0);
    other.SetSelection(2, 4);
    EXPECT_EQ(other.GetSelStart(), 2);
    EXPECT_EQ(other.GetSelEnd(), 4);
    // With the selection it had, the text stores what it stored before it
    // moved.
    EXPECT_EQ(Saved(other), richSaved);

    // And back: each engine has its own text again, and can still grow it.
    engine.ExchangeText(other);
    EXPECT_EQ(StreamBytes(engine), rich);
    EXPECT_EQ(StreamBytes(other), second);
    const Bytes more = Units(u"x");
    EXPECT_EQ(0, engine.InsertBytes(0u, more.data(), uint32_t(more.size())));
    EXPECT_EQ(StreamBytes(engine).size(), rich.size() + more.size());
  }
}

// A stream over a growing block that is no handle: the writer cannot make
// room in it nor change its bytes in place.
class VectorStream : public VStream {
 public:
  int16_t OpenRead() override { return kStreamNoError; }
  int16_t OpenWrite() override {
    fStatus = kStreamNoError;
    return fStatus;
  }
  int16_t CloseRead() override { return kStreamNoError; }
  int16_t CloseWrite(uint8_t) override { return kStreamNoError; }
  int16_t WriteBytes(const void* data, uint32_t length) override {
    const auto* b = static_cast<const uint8_t*>(data);
    if (bytes.size() < fPosition + length) bytes.resize(fPosition + length);
    std::copy(b, b + length, bytes.begin() + fPosition);
    fPosition += length;
    return kStreamNoError;
  }
  int16_t ReadBytes(void*, uint32_t& length) override {
    length = 0;
    return kStreamEndOfData;
  }
  uint32_t GetSize() override { return uint32_t(bytes.size()); }
  uint32_t GetPosition() override { return fPosition; }
  int16_t SetSize(uint32_t size) override {
    bytes.resize(size);
    return kStreamNoError;
  }
  int16_t SetPosition(uint32_t position) override {
    fPosition = position;
    return kStreamNoError;
  }
  int16_t Skip(int32_t offset) override {
    fPosition += uint32_t(offset);
    return kStreamNoError;
  }
  Bytes bytes;

 private:
  uint32_t fPosition = 0;
};

// The resource is written whole into a handle (room made once, the other
// order swapped in place) or into any other stream: the same bytes either
// way, after whatever the stream held before, in both orders; and a kept
// count of positions gone stale is the one the walk counted, in the header
// and in the text. A row a case: the order, the bytes before, the stale
// count.
TEST_F(StorageTest, TheResourceIsTheSameInAHandleOrAnyStreamAfterWhatItHolds) {
  const struct {
    bool otherOrder;
    uint32_t before;
    int32_t stale;
  } cases[] = {{false, 0, -1}, {true, 0, -1}, {false, 5, -1}, {true, 5, -1},
               {false, 0, 3}, {true, 7, 3}, {false, 3, 100000}, {true, 0, 100000}};
  Load(RichText(), 2, 4);
  const int32_t length = engine.GetLength();
  const Bytes little = Saved(engine);
  const Bytes big = Saved(engine, true);
  for (const auto& c : cases) {
    const Bytes prefix(c.before, 0xA5);
    if (c.stale >= 0) engine.SetLength(c.stale);
    VMemHandle handle = 0;
    {
      VHandleStream stream(handle);
      ASSERT_EQ(0, stream.OpenWrite());
      if (c.before > 0) stream.PutData(prefix.data(), c.before);
      ASSERT_TRUE(engine.WriteResource(stream, c.otherOrder));
      stream.CloseWrite(1);
    }
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    const Bytes inHandle(data, data + gMemoryMgr->GetHandleSize(handle));
    gMemoryMgr->UnlockHandle(handle);
    gMemoryMgr->DisposeHandle(handle);
    EXPECT_EQ(engine.GetLength(), length) << c.otherOrder << c.before << c.stale;

    if (c.stale >= 0) engine.SetLength(c.stale);
    VectorStream elsewhere;
    ASSERT_EQ(elsewhere.OpenWrite(), 0);
    if (c.before > 0) elsewhere.PutData(prefix.data(), c.before);
    ASSERT_TRUE(engine.WriteResource(elsewhere, c.otherOrder));
    EXPECT_EQ(engine.GetLength(), length);

    Bytes expected = prefix;
    const Bytes& stored = c.otherOrder ? big : little;
    expected.insert(expected.end(), stored.begin(), stored.end());
    EXPECT_EQ(inHandle, expected) << c.otherOrder << " " << c.before << " " << c.stale << " at "
                                  << FirstDifference(inHandle, expected);
    EXPECT_EQ(elsewhere.bytes, expected) << c.otherOrder << " " << c.before << " " << c.stale << " at "
                                         << FirstDifference(elsewhere.bytes, expected);
  }
  // The one-piece resource is the header and the stream written apart, as
  // the document file writes the body.
  VMemHandle handle = 0;
  {
    VHandleStream stream(handle);
    ASSERT_EQ(0, stream.OpenWrite());
    ASSERT_TRUE(engine.WriteResourceHeader(stream));
    ASSERT_TRUE(engine.WriteResourceStream(stream));
    stream.CloseWrite(1);
  }
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  EXPECT_EQ(Bytes(data, data + gMemoryMgr->GetHandleSize(handle)), little);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  // The count stands where a big-endian reader finds it.
  const uint32_t stored = uint32_t(big[8]) << 24 | uint32_t(big[9]) << 16 | uint32_t(big[10]) << 8 | big[11];
  EXPECT_EQ(int32_t(stored), length);
}

TEST_F(StorageTest, ForeignPageNumberFormatMovesItsBits) {
  Stream text;
  Computed(text, xMorvaElementCode::PageNumber, Stream().Long(kPageNumberCount | (3u << kPageNumberStyleShift)),
           Units(u"x"), Units(u"#"));
  Load(text);
  const Bytes big = Saved(engine, true);
  const size_t format = kHeader + 12 + 14;
  ASSERT_GT(big.size(), format + 4);
  EXPECT_EQ(Bytes({0x80, 0, 0, 3}), Bytes(big.begin() + format, big.begin() + format + 4));
  EXPECT_EQ(Bytes({0, 'x'}), Bytes(big.end() - 2, big.end()));
  bool damaged = true;
  ASSERT_TRUE(LoadStored(other, big, damaged));
  EXPECT_EQ(StreamBytes(engine), StreamBytes(other));
}

// A soft hyphen's payload is its character whether it shows or not: a
// big-endian writer stores it as 0x00 0xAD and a hidden one must not come
// back as U+AD00.
TEST_F(StorageTest, ForeignSoftHyphenSwapsItsCharacterShownOrHidden) {
  for (uint32_t b : {0u, 2u}) {
    // A big-endian writer's resource, byte by byte: header, the hyphen
    // (0, 24002, a 2, b) with its unit, then "d".
    Bytes big = {'w', 'E', 'N', 'G', '0', '1', '0', '6', 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    big.insert(big.end(), {0, 0, 0x5D, 0xC2, 0, 0, 0, 2, 0, 0, 0, uint8_t(b), 0x00, 0xAD, 0x00, 'd'});
    const Bytes loaded = Stream().Element(xMorvaElementCode::SoftHyphen, Units(u"\u00AD"), b).Text(u"d");
    bool damaged = true;
    other.Clear();
    ASSERT_TRUE(LoadStored(other, big, damaged)) << b;
    EXPECT_FALSE(damaged) << b;
    EXPECT_EQ(loaded, StreamBytes(other)) << b;
    // And written for such a reader, the unit goes out big-endian too.
    Load(loaded);
    EXPECT_EQ(big, Saved(engine, true)) << b;
  }
}

TEST_F(StorageTest, RefusedResourcesLeaveTheTextWhole) {
  Load(Stream().Record(kPropBold, 1).Text(u"old"), 1, 2);
  const Bytes before = Bytes_();
  const Bytes good = Resource("0106", Stream().Text(u"new text"));
  std::vector<std::pair<std::string, Bytes>> cases;
  for (uint32_t n = 0; n < kHeader; ++n) cases.push_back({"header of " + std::to_string(n), Bytes(good.begin(), good.begin() + n)});
  Bytes tag = good;
  tag[0] = 'X';
  cases.push_back({"tag", tag});
  cases.push_back({"version 0102", Resource("0102", Units(u"a"))});
  cases.push_back({"version 0107", Resource("0107", Units(u"a"))});
  cases.push_back({"version text", Resource("01a6", Units(u"a"))});
  for (const auto& [name, bytes] : cases) {
    bool damaged = false;
    EXPECT_FALSE(LoadStored(engine, bytes, damaged)) << name;
    EXPECT_EQ(before, Bytes_()) << name;
    EXPECT_EQ(3, engine.GetLength()) << name;
    EXPECT_EQ(1, engine.GetSelStart()) << name;
  }
  // Memory that cannot be had fails the load as a whole too.
  {
    ScopedNoGrowth noGrowth;
    bool damaged = false;
    EXPECT_FALSE(LoadStored(engine, good, damaged));
  }
  EXPECT_EQ(before, Bytes_());
  bool damaged = true;
  EXPECT_TRUE(LoadStored(engine, good, damaged));
  EXPECT_EQ(Units(u"new text"), Bytes_());
  EXPECT_EQ(8, engine.GetLength());
}

TEST_F(StorageTest, OlderLayoutsAndValuesAreBroughtUpToDate) {
  struct Case {
    const char* name;
    const char* version;
    Bytes stored;
    Bytes loaded;
  };
  Stream oldBreak;
  oldBreak.Text(u"a").Element(xMorvaElementCode::Tab, Bytes(10, 9), 10);
  oldBreak.Element(xMorvaElementCode::ColBreak, Units(u"\r\r")).Text(u"b");
  Stream newBreak;
  newBreak.Text(u"a").Element(xMorvaElementCode::Tab, Stream().Long(0).Raw(Bytes(10, 9)), 10);
  newBreak.Element(xMorvaElementCode::ColBreak, Units(u"\r")).Text(u"b");
  Bytes oldPicture = Picture(1440, 720, 1, 22);
  Bytes newPicture = Picture(96, 48, 0, 24);
  newPicture[18] = 4;
  const Case cases[] = {
      {"0103 breaks and tabs", "0103", oldBreak, newBreak},
      {"0104 picture header", "0104", Stream().Element(xMorvaElementCode::Pict, oldPicture, 22),
       Stream().Element(xMorvaElementCode::Pict, newPicture, 24)},
      {"0105 picture", "0105", Stream().Element(xMorvaElementCode::Pict, Picture(1440, 720, 1), 24),
       Stream().Element(xMorvaElementCode::Pict, Picture(96, 48, 1), 24)},
      {"link look 2", "0106", Stream().Record(kPropLinkLook, 2).Text(u"a"),
       Stream().Record(kPropLinkLook, 1).Text(u"a")},
      // Every kind of record as the load walk converts it: lengths from
      // twips, tab stops from points (leader and kind kept), a link look
      // other than 2 and the other properties as stored.
      {"every record kind", "0106",
       Stream().Record(kPropLeftIndent, 1440).Record(kPropFirstLineIndent, 720).Record(kPropRightIndent, 2160)
           .Record(kPropBorderSpacing, 1440).Record(kPropTabs, int32_t(MakeTabStop(36, '.', kTabRight)))
           .Record(kPropSize, 14).Record(kPropLinkLook, 3).Record(kPropBold, 1).Text(u"a"),
       Stream().Record(kPropLeftIndent, 96).Record(kPropFirstLineIndent, 48).Record(kPropRightIndent, 144)
           .Record(kPropBorderSpacing, 96).Record(kPropTabs, int32_t(MakeTabStop(48, '.', kTabRight)))
           .Record(kPropSize, 14).Record(kPropLinkLook, 3).Record(kPropBold, 1).Text(u"a")},
      {"10-byte tab of a newer stream", "0105", Stream().Element(xMorvaElementCode::Tab, Bytes(10, 0)).Text(u"a"),
       Units(u"a")},
      // A paragraph record in mid-paragraph moves to its start with its
      // value converted; the elements behind it are converted where they
      // then stand.
      {"moved indent before a picture", "0106",
       Stream().Text(u"ab").Record(kPropLeftIndent, 1500).Element(xMorvaElementCode::Pict, Picture(1440, 720, 1), 24)
           .Text(u"c\r"),
       Stream().Record(kPropLeftIndent, 100).Text(u"ab").Element(xMorvaElementCode::Pict, Picture(96, 48, 1), 24)
           .Text(u"c\r")},
      {"moved indent before a 0103 tab", "0103",
       Stream().Text(u"a").Record(kPropRightIndent, 1440).Element(xMorvaElementCode::Tab, Bytes(10, 9), 10)
           .Text(u"b\r").Record(kPropTabs, int32_t(MakeTabStop(72, 0, kTabLeft))).Text(u"c"),
       Stream().Record(kPropRightIndent, 96).Text(u"a")
           .Element(xMorvaElementCode::Tab, Stream().Long(0).Raw(Bytes(10, 9)), 10).Text(u"b\r")
           .Record(kPropTabs, int32_t(MakeTabStop(96, 0, kTabLeft))).Text(u"c")},
  };
  for (const Case& c : cases) {
    bool damaged = false;
    other.Clear();
    ASSERT_TRUE(LoadStored(other, Resource(c.version, c.stored), damaged)) << c.name;
    EXPECT_EQ(c.loaded, StreamBytes(other)) << c.name;
    EXPECT_EQ(PositionsOf(c.loaded), other.GetLength()) << c.name;
    EXPECT_EQ(FourCC("0106"), other.GetFormat()) << c.name;
  }
}

TEST_F(StorageTest, BadDataLoadsMendedAndReportsDamage) {
  struct Case {
    const char* name;
    Bytes resource;
    Bytes loaded;
    uint8_t mode;
  };
  const Case cases[] = {
      {"display mode 2", Resource("0106", Units(u"a"), 2), Units(u"a"), 1},
      {"odd tail", Resource("0106", Bytes{'a', 0, 'b'}), Units(u"a"), 0},
      {"font past the table", Resource("0106", Stream().Record(kPropFont, kFonts + 1).Text(u"a")), Units(u"a"), 0},
      {"element past the end", Resource("0106", Stream().Text(u"a").Head(xMorvaElementCode::Tab, 0x7FFFFFF0, 0)),
       Units(u"a"), 0},
  };
  for (const Case& c : cases) {
    bool damaged = false;
    other.Clear();
    ASSERT_TRUE(LoadStored(other, c.resource, damaged)) << c.name;
    EXPECT_TRUE(damaged) << c.name;
    EXPECT_EQ(c.loaded, StreamBytes(other)) << c.name;
    EXPECT_EQ(c.mode, other.GetFieldDisplayMode()) << c.name;
  }
}

// The header's length and selection are not trusted: the length is counted
// from the stream and the selection held inside the text, in either order.
TEST_F(StorageTest, HeaderLengthAndSelectionOutsideTheTextAreHeldToIt) {
  struct Case {
    const char* name;
    uint32_t length;
    int32_t selStart;
    int32_t selEnd;
    bool otherOrder;
    int32_t start;
    int32_t end;
  };
  const Case cases[] = {
      {"length too large", 0x7FFFFFFF, 1, 2, false, 1, 2},
      {"negative length", 0xFFFFFFFF, 0, 3, false, 0, 3},
      {"selection past the end", 3, 9, 40, false, 3, 3},
      {"negative selection", 3, -7, -1, false, 0, 0},
      {"reversed selection", 3, 2, 1, false, 2, 2},
      {"selection past the end, other order", 3, 2, 0x7FFFFFFF, true, 2, 3},
  };
  for (const Case& c : cases) {
    const Bytes text = Units(u"abc");
    Stream stored;
    stored.Long(FourCC("wENG")).Long(FourCC("0106")).Long(c.length);
    stored.Long(uint32_t(c.selStart)).Long(uint32_t(c.selEnd)).Raw({0}).Raw(text);
    Bytes resource = stored;
    if (c.otherOrder) {
      for (uint32_t at = 0; at + 4 <= 20; at += 4) std::reverse(resource.begin() + at, resource.begin() + at + 4);
      for (size_t at = kHeader; at + 2 <= resource.size(); at += 2) std::swap(resource[at], resource[at + 1]);
    }
    bool damaged = true;
    other.Clear();
    ASSERT_TRUE(LoadStored(other, resource, damaged)) << c.name;
    EXPECT_EQ(text, StreamBytes(other)) << c.name;
    EXPECT_EQ(3, other.GetLength()) << c.name;
    EXPECT_EQ(c.start, other.GetSelStart()) << c.name;
    EXPECT_EQ(c.end, other.GetSelEnd()) << c.name;
  }
}

TEST_F(StorageTest, HostExpressionWithoutValueStillLetsTheRestConvert) {
  // Stored without texts; no host gives it a value on load.
  Stream stored;
  stored.Head(xMorvaElementCode::ExprQv, 14 + 3, 14 + 3).Long(3).Long(0).Long(0).Raw({0, 0, 7, 8, 9});
  stored.Text(u"\r").Record(kPropLeftIndent, 1500).Text(u"a");
  bool damaged = true;
  ASSERT_TRUE(LoadStored(other, Resource("0106", stored), damaged));
  EXPECT_FALSE(damaged);
  const Bytes loaded = StreamBytes(other);
  ASSERT_GE(loaded.size(), 12u + 14 + 3);
  // An empty result, a source of its look records, and the indent behind it
  // in pixels.
  const uint32_t a = StreamLong(loaded.data() + 4);
  ASSERT_EQ(xMorvaElementCode::ExprQv, StreamUnit(loaded.data() + 2));
  ASSERT_LE(12u + a, loaded.size());
  EXPECT_EQ(Stream().Text(u"\r").Record(kPropLeftIndent, 100).Text(u"a").bytes(),
            Bytes(loaded.begin() + 12 + a, loaded.end()));
  EXPECT_EQ(0u, StreamLong(loaded.data() + 12 + 4));
  EXPECT_EQ(Bytes({7, 8, 9}), Bytes(loaded.begin() + 12 + 14, loaded.begin() + 12 + 17));
  EXPECT_EQ(3, other.GetLength());
  // Saved again, it is stored as it came.
  EXPECT_EQ(Resource("0106", stored).size(), Saved(other).size());
  EXPECT_EQ(Body(Resource("0106", stored)), Body(Saved(other)));
}

TEST_F(StorageTest, EmptyTextsSaveAndLoad) {
  // Empty as saved, and empty once the repair has dropped its only record.
  for (const Bytes& text : {Bytes(), Stream().Record(kPropLeftIndent, 0).bytes()}) {
    Load(text);
    const Bytes saved = Saved(engine);
    EXPECT_EQ(kHeader + text.size(), saved.size());
    bool damaged = true;
    other.Clear();
    ASSERT_TRUE(LoadStored(other, saved, damaged)) << text.size();
    EXPECT_EQ(0u, other.GetStreamSize());
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + kHeader), Saved(other));
  }
}

TEST_F(StorageTest, PlacedPictureResultIsKeptAsItsRecord) {
  Stream result;
  result.Element(xMorvaElementCode::Pict, Picture(192, 96, 1), 30);
  Stream text;
  Computed(text, xMorvaElementCode::ExprQv, {4, 5}, result, Units(u"src"));
  Load(text);
  const Bytes body = Body(Saved(engine));
  Stream expected;
  expected.Head(xMorvaElementCode::ExprQv, 14 + 2 + 36, 14 + 2).Long(2).Long(36).Long(0).Raw({0, 0, 4, 5});
  expected.Head(xMorvaElementCode::Pict, 24, 24).Long(2880).Long(1440).Long(0).Long(0).Raw({0, 1}).Unit(1).Long(0);
  EXPECT_EQ(expected.bytes(), body);
  // Loaded, the record is read and the result made again (empty: no host).
  bool damaged = true;
  ASSERT_TRUE(LoadStored(other, Resource("0106", body), damaged));
  EXPECT_FALSE(damaged);
  const Bytes loaded = StreamBytes(other);
  ASSERT_GE(loaded.size(), 12u + 14 + 2);
  EXPECT_EQ(0u, StreamLong(loaded.data() + 12 + 4));
  EXPECT_EQ(1, other.GetLength());
  // With a host that gives a picture, the result is that picture at the
  // placed size and display mode, in pixels again.
  PictureHost host;
  VInstalledService<xMorvaEngineHost> installed{&host};
  other.Clear();
  ASSERT_TRUE(LoadStored(other, Resource("0106", body), damaged));
  other.SetSelection(0, 1);
  int32_t w = 0, h = 0, ownW = 0, ownH = 0;
  other.GetSelectedPictureSize(&w, &h, &ownW, &ownH);
  EXPECT_EQ(192, w);
  EXPECT_EQ(96, h);
  EXPECT_EQ(10, ownW);
  EXPECT_EQ(8, ownH);
  uint32_t words[6] = {};
  other.GetSelectedPictureHeader(words);
  xMorvaPictureHeader header;
  header.FromWords(words);
  EXPECT_EQ(1, header.flag);
  EXPECT_EQ(1, header.mode);
  // A record without the placed flag leaves the picture at its own size.
  Bytes unplaced = body;
  unplaced[12 + 14 + 2 + 12 + 17] = 0;
  other.Clear();
  ASSERT_TRUE(LoadStored(other, Resource("0106", unplaced), damaged));
  other.SetSelection(0, 1);
  other.GetSelectedPictureSize(&w, &h, nullptr, nullptr);
  EXPECT_EQ(10, w);
  EXPECT_EQ(8, h);
}

TEST_F(StorageTest, ForeignStreamWithAnOddTailLosesOnlyTheTail) {
  Load(RichText());
  Bytes big = Saved(engine, true);
  big.push_back(0x41);
  bool damaged = false;
  ASSERT_TRUE(LoadStored(other, big, damaged));
  EXPECT_TRUE(damaged);
  EXPECT_EQ(StreamBytes(engine), StreamBytes(other));
}

TEST_F(StorageTest, DateIsMadeAgainOnLoad) {
  Stream text;
  Computed(text, xMorvaElementCode::DateTime, {0, 5}, Units(u"old date"), Units(u"label"));
  Load(text);
  bool damaged = true;
  ASSERT_TRUE(LoadStored(other, Saved(engine), damaged));
  const Bytes loaded = StreamBytes(other);
  ASSERT_GE(loaded.size(), 12u + 14 + 2);
  const uint32_t resultBytes = StreamLong(loaded.data() + 12 + 4);
  const uint32_t sourceBytes = StreamLong(loaded.data() + 12 + 8);
  EXPECT_EQ(loaded.size(), 12u + 14 + 2 + resultBytes + sourceBytes);
  const Bytes result(loaded.end() - resultBytes, loaded.end());
  EXPECT_NE(Units(u"old date"), result);
}

TEST_F(StorageTest, ResourceFileHoldsTheText) {
  VMemHandle block = gMemoryMgr->NewHandle(0, 0);
  auto* owned = new VMemoryResourceFile(block, 1);
  VMemoryResourceFile& file = *owned;
  Load(RichText(), 0, 3);
  ASSERT_TRUE(engine.SaveResource(file, 130));
  ASSERT_TRUE(engine.SaveResource(file, 130));  // replaced, not added twice
  EXPECT_EQ(1, file.CountResources(FourCC("wENG")));
  bool damaged = true;
  ASSERT_TRUE(other.LoadResource(file, 130, kSheets, kFonts, damaged));
  EXPECT_EQ(StreamBytes(engine), StreamBytes(other));
  EXPECT_FALSE(other.LoadResource(file, 131, kSheets, kFonts, damaged));
  EXPECT_EQ(StreamBytes(engine), StreamBytes(other));
  delete owned;
  gMemoryMgr->DisposeHandle(block);
}

}  // namespace
