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
    const char* name;
    int32_t width, height, mode, flag;
    int32_t shownW, shownH;
    uint8_t flagByte;
    uint16_t modeWord;
  };
  const Case cases[] = {
      {"own size, defaults", -1, -1, -1, -1, 30, 20, 0, 5},
      {"either size -1 takes both own", 50, -1, 2, 0, 30, 20, 0, 2},
      {"given size, flag set", 60, 10, 6, 3, 60, 10, 1, 6},
  };
  for (const Case& c : cases) {
    const Bytes bytes = PictureElement(30, 20, c.width, c.height, c.mode, c.flag);
    ASSERT_GT(bytes.size(), kElementHeadSize + kPictureHeaderSize) << c.name;
    EXPECT_EQ(StreamUnit(&bytes[0]), 0) << c.name;
    EXPECT_EQ(StreamUnit(&bytes[2]), xMorvaElementCode::Pict) << c.name;
    EXPECT_EQ(StreamLong(&bytes[4]), bytes.size() - kElementHeadSize) << c.name;
    EXPECT_EQ(StreamLong(&bytes[8]), StreamLong(&bytes[4])) << c.name;
    const uint8_t* h = &bytes[kElementHeadSize];
    EXPECT_EQ(int32_t(StreamLong(h)), c.shownW) << c.name;
    EXPECT_EQ(int32_t(StreamLong(h + 4)), c.shownH) << c.name;
    EXPECT_EQ(StreamLong(h + 8), 30u) << c.name;
    EXPECT_EQ(StreamLong(h + 12), 20u) << c.name;
    EXPECT_EQ(h[16], kByteOrderLittle) << c.name;
    EXPECT_EQ(h[17], c.flagByte) << c.name;
    EXPECT_EQ(StreamUnit(h + 18), c.modeWord) << c.name;
    EXPECT_EQ(StreamLong(h + 20), 0u) << c.name;
    // The value follows tagged: value kind 10, picture kind EMF.
    EXPECT_EQ(StreamLong(h + 24), 10u) << c.name;
    EXPECT_EQ(StreamLong(h + 28), uint32_t(kPictureKindEMF)) << c.name;
  }
}

TEST_F(Pictures, TheSelectionMustStartWithThePicture) {
  const Bytes picture = PictureElement(30, 20);
  const Bytes bytes = Stream().Text(u"ab").Record(kPropBold, 1).Raw(picture).Text(u"cd");
  struct Case {
    int32_t start, end;
    int64_t found;
    bool value;
  };
  const int64_t at = 4 + 8;
  const Case cases[] = {
      {2, 3, at, true},    // exactly the picture (records before it passed)
      {2, 4, at, false},   // the picture and a character: found, but no value
      {1, 3, -1, false},   // a character first
      {3, 4, -1, false},   // after it
      {2, 2, -1, false},   // a caret before it
  };
  for (const Case& c : cases) {
    Load(bytes, c.start, c.end);
    const uint8_t* s = engine.LockStream();
    EXPECT_EQ(engine.FindSelectedPicture(s), c.found) << c.start << "-" << c.end;
    engine.UnlockStream();
    std::unique_ptr<VPictureData> value(engine.GetSelectedPicture());
    EXPECT_EQ(value != nullptr, c.value) << c.start << "-" << c.end;
    if (value) {
      EXPECT_EQ(value->GetWidth(), 30);
      EXPECT_EQ(value->GetHeight(), 20);
    }
  }
}

TEST_F(Pictures, ResizingKeepsTheRestAndUndoes) {
  const Bytes before = Stream().Text(u"a").Raw(PictureElement(30, 20, -1, -1, 6, 1));
  Load(before, 1, 2);
  int32_t sw = 0, sh = 0, ow = 0, oh = 0;
  engine.GetSelectedPictureSize(&sw, &sh, &ow, &oh);
  EXPECT_EQ(sw, 30);
  EXPECT_EQ(sh, 20);
  EXPECT_EQ(0, engine.SetSelectedPictureSize(90, 15));
  engine.GetSelectedPictureSize(&sw, &sh, &ow, &oh);
  EXPECT_EQ(sw, 90);
  EXPECT_EQ(sh, 15);
  EXPECT_EQ(ow, 30);
  EXPECT_EQ(oh, 20);
  uint32_t words[6];
  ASSERT_EQ(0, engine.GetSelectedPictureHeader(words));
  EXPECT_EQ(words[4], uint32_t(kByteOrderLittle) << 24 | 1u << 16 | 6u);  // options kept
  Bytes after = Bytes_();
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(engine.GetLength(), 2);
  undo.Undo();
  EXPECT_EQ(Bytes_(), before);
  undo.Redo();
  EXPECT_EQ(Bytes_(), after);

  // Nothing selected that is a picture.
  Load(before, 0, 1);
  EXPECT_EQ(engine.SetSelectedPictureSize(5, 5), kErrorNoPictureSelected);
  EXPECT_EQ(engine.GetSelectedPictureHeader(words), kErrorNoPictureSelected);
  EXPECT_EQ(engine.SetSelectedPictureHeader(words), kErrorNoPictureSelected);
  engine.GetSelectedPictureSize(&sw, &sh, &ow, &oh);
  EXPECT_EQ(sw + sh + ow + oh, 0);
  EXPECT_EQ(Bytes_(), before);
}

TEST_F(Pictures, DrawingDecodesOnceAndStaleIdsDecodeAgain) {
  const Bytes first = PictureElement(30, 20);
  const Bytes second = PictureElement(12, 40);
  Load(Stream().Raw(first).Raw(second));
  const uint32_t other = uint32_t(first.size());
  int32_t width = 0;
  VPictureShape* shape = Draw(0, &width);
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(engine.GetPictureDecodeCount(), 1u);
  EXPECT_NE(RuntimeWord(Bytes_(), 0), 0u);
  EXPECT_EQ(Draw(0), shape);  // from the cache
  EXPECT_EQ(engine.GetPictureDecodeCount(), 1u);

  // The first element's id copied onto the second: refused, decoded anew.
  uint8_t* s = engine.LockStream();
  PutStreamLong(s + other + kElementHeadSize + 20, RuntimeWord(Bytes_(), 0));
  engine.UnlockStream();
  VPictureShape* secondShape = Draw(other, &width);
  ASSERT_NE(secondShape, nullptr);
  EXPECT_NE(secondShape, shape);
  EXPECT_EQ(width, 12);
  EXPECT_EQ(engine.GetPictureDecodeCount(), 2u);

  // After the cache is reset, the ids left in the stream do not match.
  engine.ResetPictureCache();
  EXPECT_NE(Draw(0), nullptr);
  EXPECT_EQ(engine.GetPictureDecodeCount(), 3u);

  // Ids that point nowhere.
  for (uint32_t forged : {0xFFFFFFFFu, 0x00100000u, 0x00100063u}) {
    s = engine.LockStream();
    PutStreamLong(s + kElementHeadSize + 20, forged);
    engine.UnlockStream();
    const uint32_t decodes = engine.GetPictureDecodeCount();
    EXPECT_NE(Draw(0), nullptr) << forged;
    EXPECT_EQ(engine.GetPictureDecodeCount(), decodes + 1) << forged;
  }
}

TEST_F(Pictures, UndoAfterResetDrawsFromFreshDecoding) {
  // Deleting a drawn picture, resetting the caches and undoing restores
  // bytes that carry the old id: it must not reach the freed picture.
  Load(Stream().Text(u"x").Raw(PictureElement(30, 20)), 1, 2);
  ASSERT_NE(Draw(2), nullptr);
  ASSERT_NE(RuntimeWord(Bytes_(), 2), 0u);
  const Bytes drawn = Bytes_();
  ASSERT_EQ(0, engine.DeleteSelectionWithUndo());
  engine.ResetPictureCache();
  undo.Undo();
  ASSERT_EQ(Bytes_(), drawn);
  const uint32_t decodes = engine.GetPictureDecodeCount();
  int32_t width = 0;
  EXPECT_NE(Draw(2, &width), nullptr);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(engine.GetPictureDecodeCount(), decodes + 1);
}

TEST_F(Pictures, BrokenPicturesDrawNothingAndAreTriedAgain) {
  Bytes bytes = PictureElement(30, 20);
  // The value's kind word made unknown; then the value cut short.
  Bytes unknown = bytes;
  PutStreamLong(&unknown[kElementHeadSize + 24], 77);
  Bytes cut = Stream().Head(xMorvaElementCode::Pict, 24 + 12, 24 + 12)
                  .Raw(Bytes(bytes.begin() + kElementHeadSize, bytes.begin() + kElementHeadSize + 36));
  Bytes headerOnly = Stream().Head(xMorvaElementCode::Pict, 10, 10).Raw(Bytes(10, 0));
  for (const Bytes* broken : {&unknown, &cut, &headerOnly}) {
    Load(*broken);
    const uint32_t decodes = engine.GetPictureDecodeCount();
    EXPECT_EQ(Draw(0), nullptr);
    EXPECT_EQ(Draw(0), nullptr);
    if (broken != &headerOnly) EXPECT_EQ(RuntimeWord(Bytes_(), 0), 0u);
    const uint32_t tries = broken == &headerOnly ? 0 : 2;  // a short header is no picture
    EXPECT_EQ(engine.GetPictureDecodeCount(), decodes + tries);
  }
}

TEST_F(Pictures, PastedBytesCarryNoId) {
  Bytes picture = PictureElement(30, 20);
  PutStreamLong(&picture[kElementHeadSize + 20], 0x00100001);
  // One inside a host expression's result too: head, object, two texts.
  Bytes computed = Stream().Long(2).Long(uint32_t(picture.size())).Long(0).Unit(1).Unit(0).Raw(picture);
  const Bytes pasted = Stream().Raw(picture).Head(xMorvaElementCode::ExprQv, uint32_t(computed.size()),
                                                  uint32_t(computed.size())).Raw(computed);
  Load(Stream().Text(u"ab"), 1, 1);
  VMemHandle handle = gMemoryMgr->NewHandleFromData(pasted.data(), uint32_t(pasted.size()));
  ASSERT_EQ(0, engine.InsertHandleWithUndo(handle, 2));
  gMemoryMgr->DisposeHandle(handle);
  const Bytes after = Bytes_();
  uint32_t pictures = 0;
  for (uint32_t at = 0; at + kElementHeadSize + kPictureHeaderSize <= after.size(); at += 2) {
    if (StreamUnit(&after[at]) == 0 && StreamUnit(&after[at + 2]) == xMorvaElementCode::Pict) {
      EXPECT_EQ(RuntimeWord(after, at), 0u) << at;
      ++pictures;
    }
  }
  EXPECT_EQ(pictures, 2u);
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
}

}  // namespace
