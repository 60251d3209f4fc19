// The picture readers and the walk over PICT opcodes: lengths of the
// opcodes, text and pattern data, the marks a walk looks for, and pictures
// that end early or hold opcodes that cannot be stepped over.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "framework/core/streams/VMemoryStream.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureReader.h"

using Bytes = std::vector<uint8_t>;

namespace {

// A version 2 picture: the 10-byte header (optionally after a 512-byte
// file header), then the given big-endian words and bytes.
Bytes Picture(std::initializer_list<int> words, bool fileHeader = false) {
  Bytes b(fileHeader ? 512 : 0, 0);
  for (int i = 0; i < 5; ++i) {
    b.push_back(0);
    b.push_back(i == 3 || i == 4 ? 10 : 0);
  }
  for (int w : words) {
    b.push_back(uint8_t(w >> 8));
    b.push_back(uint8_t(w));
  }
  return b;
}

int32_t Find(const Bytes& b, uint16_t opcode, bool fileHeader = false) {
  return FindPictOpcodeInBytes(b.data(), uint32_t(b.size()), fileHeader, opcode);
}

}  // namespace

TEST(PictureReader, OpcodeLengths) {
  const struct {
    uint16_t opcode;
    Bytes data;  // what the function reads itself
    int32_t length;
  } cases[] = {
      {0x0000, {}, 0},        {0x0001, {0, 10}, 8},    {0x0002, {}, 8},     {0x0003, {}, 2},
      {0x0006, {}, 4},        {0x0012, {0, 2}, 14},    {0x001A, {}, 6},     {0x0024, {0, 7}, 7},
      {0x002D, {}, 10},       {0x002E, {}, 8},         {0x002F, {1, 0}, 256}, {0x0038, {}, 0},
      {0x0040, {}, 8},        {0x0048, {}, 0},         {0x0060, {}, 12},    {0x0068, {}, 4},
      {0x0070, {0, 22}, 20},  {0x0084, {0, 10}, 8},    {0x0092, {0, 3}, 3}, {0x00A0, {}, 2},
      {0x00A1, {0, 100, 0, 6}, 6}, {0x00CF, {}, 0},    {0x00D0, {0, 0, 1, 0}, 256},
      {0x0100, {}, 2},        {0x0200, {}, 4},         {0x0BFF, {}, 22},    {0x0C00, {}, 24},
      {0x7F00, {}, 254},      {0x8000, {}, 0},         {0x8201, {0, 0, 0, 9}, 9},
      {0x0065, {}, -1},       {0x0090, {}, -1},        {0x0098, {}, -1},    {0x009A, {}, -1},
      {0x00B0, {}, -1},       {0x8200, {}, -1},        {0x0001, {0, 1}, -1}, {0x0070, {}, -1},
  };
  for (const auto& c : cases) {
    VMemoryStream stream(c.data.data(), uint32_t(c.data.size()));
    stream.OpenRead();
    stream.SetByteOrders(kByteOrderMacintosh, kByteOrderSetThisMachine);
    EXPECT_EQ(OpcodeDataLength(stream, c.opcode), c.length) << std::hex << c.opcode;
  }
}

TEST(PictureReader, WalkFindsOpcodesAndStopsAtTheEnd) {
  const Bytes onlyEnd = Picture({0x0011, 0x02FF, 0x00FF});
  EXPECT_EQ(Find(onlyEnd, 0x00A1), -1);
  EXPECT_EQ(Find(onlyEnd, 0x02FF), -1);  // data, not an opcode
  EXPECT_EQ(Find(onlyEnd, 0x0011), 10);
  const Bytes withFileHeader = Picture({0x0011, 0x02FF, 0x00A0, 7, 0x00FF}, true);
  EXPECT_EQ(Find(withFileHeader, 0x00A0, true), 522 + 4);
  // Pixel maps cannot be stepped over: nothing after them is found.
  for (int op : {0x0090, 0x0098, 0x009A}) {
    const Bytes b = Picture({0x0011, 0x02FF, op, 0, 0, 0x00A0, 1, 0x00FF});
    EXPECT_EQ(Find(b, uint16_t(op)), 14);
    EXPECT_EQ(Find(b, 0x00A0), -1) << op;
  }
  // Pictures shorter than their header, or ending inside an opcode.
  const Bytes nine(9, 0);
  EXPECT_EQ(Find(nine, 0x0000), -1);
  EXPECT_EQ(Find(Picture({0x0011, 0x02FF, 0x0001, 20, 0}), 0x00FF), -1);
  EXPECT_EQ(Find(Picture({0x0011, 0x02FF, 0x00A1, 100}), 0x00FF), -1);
  // A pixel pattern cut inside its map, and text whose count runs past the end.
  EXPECT_EQ(Find(Picture({0x0011, 0x02FF, 0x0012, 1, 0, 0, 0, 0, 0x8002}), 0x00FF), -1);
  Bytes cutText = Picture({0x0011, 0x02FF});
  cutText.insert(cutText.end(), {0x00, 0x29, 4, 40, 'a', 'b', 0x00, 0xFF});
  EXPECT_EQ(Find(cutText, 0x00FF), -1);
}

TEST(PictureReader, TextOpcodesLandOnTheNextOpcode) {
  const struct {
    const char* what;
    Bytes text;  // opcode, fixed fields, count, characters (unpadded)
  } cases[] = {
      {"long text, odd", {0x00, 0x28, 0, 5, 0, 5, 3, 'a', 'b', 'c'}},
      {"long text, even", {0x00, 0x28, 0, 5, 0, 5, 2, 'a', 'b'}},
      {"dh text", {0x00, 0x29, 4, 2, 'a', 'b'}},
      {"dv text", {0x00, 0x2A, 4, 1, 'a'}},
      {"dhdv text, odd", {0x00, 0x2B, 4, 4, 2, 'a', 'b'}},
      {"dhdv text, even", {0x00, 0x2B, 4, 4, 1, 'a'}},
      {"font name", {0x00, 0x2C, 0, 6, 0, 3, 3, 'T', 'i', 'm'}},
  };
  for (const auto& c : cases) {
    Bytes b = Picture({0x0011, 0x02FF});
    b.insert(b.end(), c.text.begin(), c.text.end());
    if (b.size() & 1) b.push_back(0);
    const int32_t at = int32_t(b.size());
    b.insert(b.end(), {0x00, 0xA0, 0, 1, 0x00, 0xFF});
    EXPECT_EQ(Find(b, 0x00A0), at) << c.what;
  }
  // A count above 127 is a count of its own, not a negative one.
  Bytes b = Picture({0x0011, 0x02FF});
  b.insert(b.end(), {0x00, 0x29, 4, 200});
  b.insert(b.end(), 200, 'x');
  const int32_t at = int32_t(b.size());
  b.insert(b.end(), {0x00, 0xA0, 0, 1, 0x00, 0xFF});
  EXPECT_EQ(Find(b, 0x00A0), at);
}

TEST(PictureReader, PixelPatternsAreWalkedToTheirEnd) {
  // Type 1: old pattern, a 2 x 2 map of row bytes 2 (unpacked: 4 bytes), a
  // colour table of one entry.
  Bytes b = Picture({0x0011, 0x02FF, 0x0012, 1, 0, 0, 0, 0, 0x8002, 0, 0, 2, 2});
  b.insert(b.end(), 36, 0);
  b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0, 0});  // seed, flags, size 0
  b.insert(b.end(), 8, 0);                      // the entry
  b.insert(b.end(), {1, 2, 3, 4});              // the rows
  const int32_t at = int32_t(b.size());
  b.insert(b.end(), {0x00, 0xA0, 0, 1, 0x00, 0xFF});
  EXPECT_EQ(Find(b, 0x00A0), at);
}

TEST(PictureReader, OpenCloseAndMarks) {
  // 'Qv05' in a comment of another kind, then in one of kind 100.
  Bytes b = Picture({0x0011, 0x02FF, 0x00A1, 101, 4, 0x5176, 0x3035, 0x00A1, 100, 6, 0x5176,
                     0x3035, 0x0102, 0x8201, 0, 2, 0, 0x00FF});
  VMemoryStream stream(b.data(), uint32_t(b.size()));
  VPictFileReader reader(&stream, false);
  const uint16_t quickTime[2] = {0x8200, 0x8201};
  EXPECT_FALSE(reader.HasAnyOpcode(quickTime, 2));  // closed
  EXPECT_EQ(reader.FindOpcode(0x00FF), -1);
  EXPECT_EQ(reader.Open(), 0);
  EXPECT_EQ(reader.Open(), 202);
  EXPECT_TRUE(reader.IsMarkedPicture());
  EXPECT_TRUE(reader.HasAnyOpcode(quickTime, 2));
  EXPECT_FALSE(reader.HasAnyOpcode(quickTime, 1));
  EXPECT_FALSE(reader.HasAnyOpcode(quickTime, 0));
  reader.Close();
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.Open(), 0);

  // A comment of the kind without the word marks nothing.
  Bytes unmarked = Picture({0x0011, 0x02FF, 0x00A1, 100, 4, 0x5176, 0x3034, 0x00FF});
  VMemoryStream other(unmarked.data(), uint32_t(unmarked.size()));
  VPictFileReader otherReader(&other, false);
  ASSERT_EQ(otherReader.Open(), 0);
  EXPECT_FALSE(otherReader.IsMarkedPicture());
}

TEST(PictureReader, FactoryKnowsEveryKind) {
  Bytes b = Picture({0x00FF});
  VMemoryStream stream(b.data(), uint32_t(b.size()));
  for (int32_t kind : {1, 105}) {
    std::unique_ptr<VPictureReader> reader(NewPictureReader(kind, &stream, false));
    EXPECT_NE(dynamic_cast<VPictFileReader*>(reader.get()), nullptr) << kind;
  }
  for (int32_t kind : {2, 3, 4, 5, 100, 101, 102, 103, 104, 106}) {
    std::unique_ptr<VPictureReader> reader(NewPictureReader(kind, &stream, false));
    ASSERT_NE(reader, nullptr) << kind;
    EXPECT_EQ(dynamic_cast<VPictFileReader*>(reader.get()), nullptr) << kind;
    EXPECT_EQ(reader->Open(), -2);
    EXPECT_EQ(reader->ReadAsPict(), nullptr);
    EXPECT_EQ(reader->ReadAsMetafile(), nullptr);
  }
  for (int32_t kind : {0, 6, 99, 107, 108, -1}) EXPECT_EQ(NewPictureReader(kind, &stream, false), nullptr);
}
