// The picture readers and the PICT opcode walk.
#include "graphics/pictures/VPictureReader.h"

#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/streams/VStream.h"
#include "graphics/pictures/VPictureData.h"

namespace {

constexpr int16_t kStreamOk = 0;

// The stream has failed or ended.
bool Failed(VStream& stream) { return stream.GetStatus() > kStreamOk; }

uint16_t ReadU16(VStream& stream) { return static_cast<uint16_t>(stream.GetWord()); }

// Skips bytes that must lie in the stream.
bool SkipIn(VStream& stream, uint32_t count) {
  if (!stream.HasRemaining(count)) return false;
  stream.Skip(static_cast<int32_t>(count));
  return !Failed(stream);
}

// A pixel pattern of a type other than 2, walked to its end.
int32_t PixelPatternLength(VStream& stream) {
  if (!SkipIn(stream, 8)) return -1;
  const uint32_t rowBytes = ReadU16(stream) & 0x7FFFu;
  const int16_t top = stream.GetWord();
  stream.GetWord();
  const int16_t bottom = stream.GetWord();
  stream.GetWord();
  // version, pack type, pack size, resolutions, pixel type and sizes, plane
  // bytes, table and reserved: 36 bytes.
  if (Failed(stream) || !SkipIn(stream, 36) || !SkipIn(stream, 6)) return -1;
  const uint32_t entries = ReadU16(stream);
  if (Failed(stream) || !SkipIn(stream, entries * 8 + 8)) return -1;
  const int32_t height = int32_t{bottom} - top;
  if (height < 0) return -1;
  if (rowBytes < 8) return static_cast<int32_t>(rowBytes * static_cast<uint32_t>(height));
  for (int32_t row = 0; row < height; ++row) {
    const uint32_t count = rowBytes > 250 ? ReadU16(stream) : stream.GetByte();
    if (Failed(stream) || !SkipIn(stream, count)) return -1;
  }
  return 0;
}

// Text: the fixed fields, the count byte n and n characters, then the pad
// that puts the next opcode on an even position (opcodes are word-aligned
// from the picture's start, and every header is of even length).
int32_t TextLength(VStream& stream, uint32_t fixed) {
  if (!SkipIn(stream, fixed)) return -1;
  const uint32_t count = stream.GetByte();
  if (Failed(stream)) return -1;
  const uint32_t end = stream.GetPosition() + count;
  return static_cast<int32_t>(count + (end & 1));
}

}  // namespace

int32_t OpcodeDataLength(VStream& stream, uint16_t op) {
  auto word = [&stream]() -> int32_t {
    const int32_t v = ReadU16(stream);
    return Failed(stream) ? -1 : v;
  };
  auto sizeWordLess2 = [&stream]() -> int32_t {
    const int32_t v = ReadU16(stream);
    return Failed(stream) || v < 2 ? -1 : v - 2;
  };
  if (op <= 0xFF) {
    if (op == 0x00 || (op >= 0x17 && op <= 0x19) || op == 0x1C || op == 0x1E) return 0;
    if (op == 0x01) return sizeWordLess2();
    if (op == 0x02 || op == 0x09 || op == 0x0A || op == 0x10 || op == 0x20) return 8;
    if ((op >= 0x03 && op <= 0x05) || op == 0x08 || op == 0x0D || op == 0x11 || op == 0x15 ||
        op == 0x16 || op == 0x23)
      return 2;
    if (op == 0x06 || op == 0x07 || op == 0x0B || op == 0x0C || op == 0x0E || op == 0x0F ||
        op == 0x21)
      return 4;
    if (op >= 0x12 && op <= 0x14) {
      const int32_t type = word();
      if (type < 0) return -1;
      return type == 2 ? 14 : PixelPatternLength(stream);
    }
    if (op == 0x1A || op == 0x1B || op == 0x1D || op == 0x1F || op == 0x22) return 6;
    if (op >= 0x24 && op <= 0x27) return word();
    if (op == 0x28 || op == 0x2C) return TextLength(stream, 4);
    if (op == 0x29 || op == 0x2A) return TextLength(stream, 1);
    if (op == 0x2B) return TextLength(stream, 2);
    if (op == 0x2D) return 10;
    if (op == 0x2E || (op >= 0x30 && op <= 0x37)) return 8;
    if (op == 0x2F) return word();
    if (op >= 0x38 && op <= 0x3F) return 0;
    if ((op >= 0x40 && op <= 0x47) || (op >= 0x50 && op <= 0x57)) return 8;
    if ((op >= 0x48 && op <= 0x4F) || (op >= 0x58 && op <= 0x5F) || (op >= 0x78 && op <= 0x7F) ||
        (op >= 0x88 && op <= 0x8F))
      return 0;
    if ((op >= 0x60 && op <= 0x64) || op == 0x67) return 12;
    if (op >= 0x68 && op <= 0x6F) return 4;
    if ((op >= 0x70 && op <= 0x77) || (op >= 0x80 && op <= 0x87)) return sizeWordLess2();
    if ((op >= 0x92 && op <= 0x97) || (op >= 0x9C && op <= 0x9F) || op == 0xA2 || op == 0xAF)
      return word();
    if (op == 0xA0) return 2;
    if (op == 0xA1) {
      if (!SkipIn(stream, 2)) return -1;
      return word();
    }
    if (op == 0xCF) return 0;
    if (op == 0xD0 || op == 0xFE) {
      const uint32_t v = stream.GetULong();
      return Failed(stream) || v > 0x7FFFFFFF ? -1 : static_cast<int32_t>(v);
    }
    return -1;
  }
  switch (op) {
    case 0x8100:
    case 0x8201:
    case 0xFFFF: {
      const uint32_t v = stream.GetULong();
      return Failed(stream) || v > 0x7FFFFFFF ? -1 : static_cast<int32_t>(v);
    }
    case 0x0100:
    case 0x01FF:
    case 0x02FF: return 2;
    case 0x0200: return 4;
    case 0x0B00:
    case 0x8000:
    case 0x80FF: return 0;
    case 0x0BFF: return 22;
    case 0x0C00:
    case 0x0C01: return 24;
    case 0x7F00:
    case 0x7FFF: return 254;
    default: return -1;
  }
}

VPictureData* VPictureReader::ReadAsPict() { return nullptr; }
VPictureData* VPictureReader::ReadAsMetafile() { return nullptr; }
int32_t VPictureReader::Open() { return -2; }
void VPictureReader::Close() {}

VPictFileReader::~VPictFileReader() { Close(); }

int32_t VPictFileReader::Open() {
  if (IsOpen()) return 202;
  if (fStream == nullptr) return 201;
  fStream->OpenRead();
  fStreamSize = static_cast<int32_t>(fStream->GetSize() & 0x7FFFFFFF);
  fStream->SetByteOrders(kByteOrderMacintosh, kByteOrderSetThisMachine);
  const int32_t status = fStream->GetStatus();
  if (status > kStreamOk) {
    fStream->CloseRead();
    fStreamSize = -1;
  }
  return status;
}

void VPictFileReader::Close() {
  if (!IsOpen()) return;
  fStream->CloseRead();
  fStreamSize = -1;
}

int32_t VPictFileReader::Walk(const uint16_t* opcodes, int32_t count) {
  if (!IsOpen() || count <= 0) return -1;
  VStream& stream = *fStream;
  if (stream.GetPosition() == 0 && !SkipIn(stream, fHasFileHeader != 0 ? 522 : 10)) return -1;
  while (!Failed(stream)) {
    if (!stream.HasRemaining(2)) return -1;
    const uint16_t op = ReadU16(stream);
    if (Failed(stream)) return -1;
    for (int32_t i = 0; i < count; ++i) {
      if (opcodes[i] == op) return static_cast<int32_t>(stream.GetPosition() - 2);
    }
    if (op == 0x00FF) return -1;
    const int32_t length = OpcodeDataLength(stream, op);
    if (length < 0 || !SkipIn(stream, static_cast<uint32_t>(length))) return -1;
  }
  return -1;
}

int32_t VPictFileReader::FindOpcode(uint16_t opcode) { return Walk(&opcode, 1); }

bool VPictFileReader::HasAnyOpcode(const uint16_t* opcodes, int32_t count) {
  if (!IsOpen() || opcodes == nullptr || count <= 0) return false;
  fStream->SetPosition(0);
  return Walk(opcodes, count) >= 0;
}

bool VPictFileReader::IsMarkedPicture() {
  if (!IsOpen()) return false;
  fStream->SetPosition(0);
  for (;;) {
    const int32_t at = FindOpcode(0x00A1);
    if (at < 0) return false;
    const uint16_t kind = ReadU16(*fStream);
    const uint16_t length = ReadU16(*fStream);
    if (Failed(*fStream)) return false;
    if (kind == 100 && length >= 4 && fStream->HasRemaining(4)) {
      const uint32_t mark = fStream->GetULong();
      if (mark == FourCC("Qv05")) return true;
      if (!SkipIn(*fStream, length - 4u)) return false;
    } else if (!SkipIn(*fStream, length)) {
      return false;
    }
  }
}

VPictureReader* NewPictureReader(int32_t kind, VStream* stream, bool hasFileHeader) {
  switch (kind) {
    case kPictureKindPICT:
    case kPictureKindQuickTime: return new VPictFileReader(stream, hasFileHeader);
    case kPictureKindEMF:
    case kPictureKindWMF:
    case kPictureKindDXF:
    case kPictureKindEPSF:
    case kPictureKindBMP:
    case kPictureKindGIF:
    case kPictureKindPCX:
    case kPictureKindJPEG:
    case kPictureKindTIFF:
    case kPictureKindPlaceholder: return new VPictureReader(stream, hasFileHeader);
    default: return nullptr;
  }
}

int32_t FindPictOpcodeInBytes(const uint8_t* bytes, uint32_t size, bool hasFileHeader,
                              uint16_t opcode) {
  if (bytes == nullptr) return -1;
  VMemoryStream stream(bytes, size);
  VPictFileReader reader(&stream, hasFileHeader);
  if (reader.Open() != 0) return -1;
  return reader.FindOpcode(opcode);
}
