// Picture elements: the bytes an element is built with, finding the picture
// that forms the selection, resizing in an undo step, and drawing from a
// cache addressed by a checked id that stored and pasted bytes never carry.
#include <gtest/gtest.h>

#include <memory>

#include "engine/tests/CompositionFixture.h"
#include "engine/tests/EngineTestSupport.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/VService.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictureShape.h"

namespace {

// A metafile picture of w x h pixels, filled red inside a one-pixel rim.
std::unique_ptr<VEmfPictureData> RedPicture(int32_t w, int32_t h) {
  VMetafilePort recorder(nullptr, 0, 0, w, h);
  recorder.SetFillColor(RGB(255, 0, 0));
  recorder.PaintRect(1, 1, w - 2, h - 2);
  return std::make_unique<VEmfPictureData>(recorder.EndRecording(), true);
}

Bytes PictureElement(int32_t w, int32_t h, int32_t shownW = -1, int32_t shownH = -1,
                     int32_t mode = -1, int32_t flag = -1) {
  auto picture = RedPicture(w, h);
  VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  EXPECT_TRUE(MakePictureElement(*picture, handle, shownW, shownH, mode, flag));
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
  Bytes bytes(data, data + gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

uint32_t RuntimeWord(const Bytes& stream, uint32_t element) {
  return StreamLong(stream.data() + element + kElementHeadSize + 20);
}

class Pictures : public EngineTest {
 protected:
  VInstalledService<const VPictureMaker> maker{&kPictureValueMaker};

  // The picture's offset after `prefix`, drawn once through the engine.
  VPictureShape* Draw(uint32_t offset, int32_t* width = nullptr) {
    uint8_t* s = engine.LockStream();
    int32_t w = 0, h = 0;
    int16_t mode = 0;
    VPictureShape* shape = engine.GetPictureForDrawing(s + offset, engine.GetStreamSize() - offset, w, h, mode);
    engine.UnlockStream();
    if (width != nullptr) *width = w;
    return shape;
  }
};

TEST_F(Pictures, ElementBytesCarryHeadHeaderAndValue) {
  struct Case {
    int32_t width, height, mode, flag;
    uint32_t shownW, shownH, flagByte, modeWord;
  };
  const Case cases[] = {
      {-1, -1, -1, -1, 30, 20, 0, 5},  // own size, defaults
      {50, -1, 2, 0, 30, 20, 0, 2},    // either size -1 takes both own
      {60, 10, 6, 3, 60, 10, 1, 6},    // given size, flag set
  };
  for (const Case& c : cases) {
    const Bytes bytes = PictureElement(30, 20, c.width, c.height, c.mode, c.flag);
    ASSERT_GT(bytes.size(), kElementHeadSize + kPictureHeaderSize + 8);
    const uint8_t* h = &bytes[kElementHeadSize];
    const std::vector<uint32_t> words = {StreamUnit(&bytes[2]), StreamLong(&bytes[4]), StreamLong(&bytes[8]),
                                         StreamLong(h), StreamLong(h + 4), StreamLong(h + 8),
                                         StreamLong(h + 12), h[16], h[17], StreamUnit(h + 18),
                                         StreamLong(h + 20), StreamLong(h + 24), StreamLong(h + 28)};
    const uint32_t a = uint32_t(bytes.size() - kElementHeadSize);
    // Head, header (order little-endian, run-time word 0), then the value
    // tagged as kind 10 of picture kind EMF.
    EXPECT_EQ(words, (std::vector<uint32_t>{xMorvaElementCode::Pict, a, a, c.shownW, c.shownH, 30, 20,
                                            kByteOrderLittle, c.flagByte, c.modeWord, 0, 10,
                                            uint32_t(kPictureKindEMF)}))
        << c.width << "x" << c.height;
  }
}

TEST_F(Pictures, TheSelectionMustStartWithThePicture) {
  const Bytes picture = PictureElement(30, 20);
  // A host expression whose result (first, order flag 1) is the picture.
  const Bytes computed = Stream().Long(2).Long(uint32_t(picture.size())).Long(0).Unit(1).Unit(0).Raw(picture);
  const uint32_t size = uint32_t(computed.size());
  const Bytes bytes = Stream().Text(u"ab").Record(kPropBold, 1).Raw(picture).Text(u"cd")
                          .Head(xMorvaElementCode::ExprQv, size, size).Raw(computed);
  struct Case {
    int32_t start, end;
    int64_t found;
    bool value;
  };
  const int64_t at = 4 + 8;
  const int64_t inResult = at + int64_t(picture.size()) + 4 + kElementHeadSize + kComputedHeadSize + 2;
  const Case cases[] = {
      {2, 3, at, true},         // exactly the picture (records before it passed)
      {2, 4, at, false},        // the picture and a character: found, no value
      {1, 3, -1, false},        // a character first
      {2, 2, -1, false},        // a caret before it
      {5, 6, inResult, true},   // the picture of an expression's result
  };
  for (const Case& c : cases) {
    Load(bytes, c.start, c.end);
    const uint8_t* s = engine.LockStream();
    EXPECT_EQ(engine.FindSelectedPicture(s), c.found) << c.start << "-" << c.end;
    engine.UnlockStream();
    std::unique_ptr<VPictureData> value(engine.GetSelectedPicture());
    EXPECT_EQ(value != nullptr, c.value) << c.start << "-" << c.end;
    if (value) {
      EXPECT_EQ(value->GetWidth() * 100 + value->GetHeight(), 3020);
    }
  }
}

TEST_F(Pictures, ResizingKeepsTheRestUndoesAndDrawsFromTheCache) {
  const Bytes before = Stream().Text(u"a").Raw(PictureElement(30, 20, -1, -1, 6, 1));
  Load(before, 1, 2);
  ASSERT_NE(Draw(2), nullptr);
  const Bytes drawn = Bytes_();
  EXPECT_EQ(0, engine.SetSelectedPictureSize(90, 15));
  int32_t size[4] = {};
  engine.GetSelectedPictureSize(&size[0], &size[1], &size[2], &size[3]);
  EXPECT_EQ(std::vector<int32_t>(size, size + 4), (std::vector<int32_t>{90, 15, 30, 20}));
  uint32_t words[6];
  ASSERT_EQ(0, engine.GetSelectedPictureHeader(words));
  EXPECT_EQ(words[4], uint32_t(kByteOrderLittle) << 24 | 1u << 16 | 6u);  // options kept
  EXPECT_EQ(words[5], RuntimeWord(drawn, 2));                             // and the decoded picture
  const Bytes after = Bytes_();
  EXPECT_EQ(after.size(), before.size());
  undo.Undo();
  EXPECT_EQ(Bytes_(), drawn);
  undo.Redo();
  EXPECT_EQ(Bytes_(), after);
  int32_t width = 0;
  ASSERT_NE(Draw(2, &width), nullptr);
  EXPECT_EQ(width, 90);
  EXPECT_EQ(engine.GetPictureDecodeCount(), 1u);

  // Nothing selected that is a picture: 1034, nothing changed.
  Load(before, 0, 1);
  EXPECT_EQ(engine.SetSelectedPictureSize(5, 5), kErrorNoPictureSelected);
  EXPECT_EQ(engine.GetSelectedPictureHeader(words), kErrorNoPictureSelected);
  EXPECT_EQ(engine.SetSelectedPictureHeader(words), kErrorNoPictureSelected);
  engine.GetSelectedPictureSize(&size[0], &size[1], &size[2], &size[3]);
  EXPECT_EQ(size[0] + size[1] + size[2] + size[3], 0);
  EXPECT_EQ(Bytes_(), before);
}

TEST_F(Pictures, StaleIdsDecodeAgain) {
  const Bytes first = PictureElement(30, 20);
  Load(Stream().Text(u"x").Raw(first).Raw(PictureElement(12, 40)), 1, 2);
  const uint32_t other = 2 + uint32_t(first.size());
  VPictureShape* shape = Draw(2);
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(Draw(2), shape);  // from the cache
  EXPECT_EQ(engine.GetPictureDecodeCount(), 1u);

  // The first element's id copied onto the second, ids that point nowhere,
  // and (after the picture is deleted and the cache reset) the id that
  // undo brings back: each is refused and the picture decoded anew.
  const uint32_t id = RuntimeWord(Bytes_(), 2);
  ASSERT_NE(id, 0u);
  struct Case {
    uint32_t at, forged;
    int32_t width;
  };
  const Case cases[] = {{other, id, 12}, {2, 0xFFFFFFFFu, 30}, {2, 0x00100063u, 30}};
  for (const Case& c : cases) {
    uint8_t* s = engine.LockStream();
    PutStreamLong(s + c.at + kElementHeadSize + 20, c.forged);
    engine.UnlockStream();
    const uint32_t decodes = engine.GetPictureDecodeCount();
    int32_t width = 0;
    VPictureShape* again = Draw(c.at, &width);
    EXPECT_TRUE(again != nullptr && again != shape) << c.forged;
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(engine.GetPictureDecodeCount(), decodes + 1) << c.forged;
  }
  const Bytes kept = Bytes_();
  ASSERT_EQ(0, engine.DeleteSelectionWithUndo());
  engine.ResetPictureCaches();
  undo.Undo();
  ASSERT_EQ(Bytes_(), kept);
  const uint32_t decodes = engine.GetPictureDecodeCount();
  EXPECT_NE(Draw(2), nullptr);
  EXPECT_EQ(engine.GetPictureDecodeCount(), decodes + 1);
}

TEST_F(Pictures, BrokenPicturesDrawNothingAndAreTriedAgain) {
  const Bytes bytes = PictureElement(30, 20);
  Bytes unknown = bytes;  // the value's kind unknown
  PutStreamLong(&unknown[kElementHeadSize + 24], 77);
  const Bytes cut = Stream().Head(xMorvaElementCode::Pict, 36, 36)  // the value cut short
                        .Raw(Bytes(bytes.begin() + kElementHeadSize, bytes.begin() + kElementHeadSize + 36));
  const Bytes shortHeader = Stream().Head(xMorvaElementCode::Pict, 10, 10).Raw(Bytes(10, 0));
  const Bytes* const cases[] = {&unknown, &cut, &shortHeader};
  for (const Bytes* broken : cases) {
    Load(*broken);
    const uint32_t decodes = engine.GetPictureDecodeCount();
    EXPECT_EQ(Draw(0), nullptr);
    EXPECT_EQ(Draw(0), nullptr);
    // A short header is no picture; the others are decoded at each try.
    EXPECT_EQ(engine.GetPictureDecodeCount() - decodes, broken == &shortHeader ? 0u : 2u);
    if (broken != &shortHeader) {
      EXPECT_EQ(RuntimeWord(Bytes_(), 0), 0u);
    }
  }
}

TEST_F(Pictures, PastedBytesCarryNoId) {
  Bytes picture = PictureElement(30, 20);
  PutStreamLong(&picture[kElementHeadSize + 20], 0x00100001);
  // One inside a host expression's result too.
  const Bytes computed = Stream().Long(2).Long(uint32_t(picture.size())).Long(0).Unit(1).Unit(0).Raw(picture);
  const uint32_t size = uint32_t(computed.size());
  const Bytes pasted = Stream().Raw(picture).Head(xMorvaElementCode::ExprQv, size, size).Raw(computed);
  Load(Stream().Text(u"ab"), 1, 1);
  VMemHandle handle = gMemoryMgr->NewHandleFromData(pasted.data(), uint32_t(pasted.size()));
  ASSERT_EQ(0, engine.InsertHandleWithUndo(handle, 2));
  gMemoryMgr->DisposeHandle(handle);
  const Bytes after = Bytes_();
  const uint32_t inner = 2 + uint32_t(picture.size()) + kElementHeadSize + kComputedHeadSize + 2;
  EXPECT_EQ(StreamUnit(&after[inner + 2]), xMorvaElementCode::Pict);
  EXPECT_EQ(RuntimeWord(after, 2), 0u);
  EXPECT_EQ(RuntimeWord(after, inner), 0u);
}

// Composition lays a picture out at its shown size.
class PictureComposition : public Composition {
 protected:
  VInstalledService<const VPictureMaker> maker{&kPictureValueMaker};
};

TEST_F(PictureComposition, PicturesTakeTheirShownWidthAndHeight) {
  document.textWidth = 200;
  Load(Stream().Text(u"a").Raw(PictureElement(30, 20, 50, 70)).Text(u"b"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_EQ(lines.GetLineCount(), 1);
  const double text = Width(u"ab");
  EXPECT_FLOAT_EQ(lines.GetLine(0).width, float(text + 50));
  EXPECT_EQ(lines.GetLine(0).ascent, 70);
  EXPECT_EQ(lines.GetLine(0).positions, 3);
  int32_t height = 0;
  EXPECT_FLOAT_EQ(float(lines.MeasureToOffset(font, 0, uint32_t(2 + PictureElement(30, 20).size()), 0, height)),
                  float(Width(u"a") + 50));

  // Wider than the line: alone on its own line, the text around it moved.
  Load(Stream().Text(u"a").Raw(PictureElement(30, 20, 250, 10)).Text(u"b"));
  ASSERT_EQ(0, lines.ComposeAll(font));
  ASSERT_EQ(lines.GetLineCount(), 3);
  EXPECT_EQ(lines.GetLine(1).width, 250.0f);
  EXPECT_EQ(lines.GetLine(1).positions, 1);
  EXPECT_EQ(SumBytes(), engine.GetStreamSize());
  EXPECT_EQ(SumPositions(), 3);

  // Sizes beyond what layout sums safely are held there.
  Load(Stream().Raw(PictureElement(30, 20, INT32_MAX, INT32_MAX)));
  ASSERT_EQ(0, lines.ComposeAll(font));
  EXPECT_EQ(lines.GetLine(0).ascent, kMaxPictureExtent);
  EXPECT_EQ(lines.GetLine(0).width, float(kMaxPictureExtent));
}

}  // namespace
