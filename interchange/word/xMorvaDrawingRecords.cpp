// The drawing-record reader: a bounded walk over the records, the blip
// store entries, and each blip made into a picture value (metafiles
// expanded through zlib, bitmaps through the picture import services).
#include "interchange/word/xMorvaDrawingRecords.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "framework/core/streams/ByteSwap.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kUidSize = 16;
constexpr size_t kBseSize = 36;
constexpr size_t kMetafileHeaderSize = 34;
constexpr uint8_t kNotCompressed = 0xFE;
// Picture kinds of the bitmap blips as the import services know them.
constexpr int32_t kImportPng = 107;
// The picture layer's error words.
constexpr int32_t kPictureNoMemory = 100;

struct BlipKind {
  uint16_t type;
  uint16_t singleInstance;  // the instance of a blip with one UID
  bool metafile;
};
constexpr BlipKind kBlipKinds[] = {
    {kEscherBlipEmf, 0x3D4, true},   {kEscherBlipWmf, 0x216, true},
    {kEscherBlipPict, 0x542, true},  {kEscherBlipJpeg, 0x46A, false},
    {kEscherBlipPng, 0x6E0, false},  {kEscherBlipDib, 0x7A8, false},
};

const BlipKind* KindOf(uint16_t type) {
  for (const BlipKind& kind : kBlipKinds)
    if (kind.type == type) return &kind;
  return nullptr;
}

bool IsContainer(uint16_t type) { return type >= 0xF000 && type <= 0xF004; }

// The code a picture's recorded error gives: memory 6, anything else 17.
int32_t CodeOfPicture(const VPictureData& picture) {
  if (picture.GetFirstError() == kPictureNoMemory) return kEscherNoMemory;
  if (picture.GetFirstError() != 0 || !picture.HasData()) return kEscherDamaged;
  return kEscherNoError;
}

}  // namespace

std::unique_ptr<VPictureData> PictureFromDib(const uint8_t* bytes, size_t size) {
  // A device-independent bitmap is a BMP file without its 14-byte file
  // header: the header is put back, its offset to the bits counted from
  // the info header's size, the masks and the palette.
  if (size < 40) return nullptr;
  ByteSpanReader info(bytes, size, ByteSpanReader::Order::kLittle);
  const uint32_t infoSize = info.U32();
  info.Seek(14);
  const uint16_t bits = info.U16();
  const uint32_t compression = info.U32();
  info.Seek(32);
  const uint32_t used = info.U32();
  const uint64_t palette = used != 0 ? used : bits <= 8 ? (1u << bits) : 0;
  uint64_t offset = 14 + uint64_t(infoSize) + palette * 4;
  if (infoSize == 40 && compression == 3) offset += 12;
  if (infoSize < 40 || offset > 14 + uint64_t(size)) return nullptr;
  std::vector<uint8_t> file(14 + size);
  file[0] = 'B';
  file[1] = 'M';
  const uint32_t total = uint32_t(file.size());
  for (int i = 0; i < 4; ++i) file[2 + i] = uint8_t(total >> (8 * i));
  for (int i = 0; i < 4; ++i) file[10 + i] = uint8_t(uint32_t(offset) >> (8 * i));
  std::memcpy(file.data() + 14, bytes, size);
  auto picture = std::make_unique<VPictPictureData>();
  picture->SetFromImportedData(file.data(), uint32_t(file.size()), kPictureKindBMP);
  return picture;
}

std::unique_ptr<VPictureData> PictFromStored(const uint8_t* bytes, size_t size) {
  // The value keeps the five header words in this machine's order.
  std::vector<uint8_t> copy(bytes, bytes + size);
  if (copy.size() >= 10) {
    for (size_t i = 0; i < 10; i += 2) {
      const uint16_t word = uint16_t((copy[i] << 8) | copy[i + 1]);
      std::memcpy(&copy[i], &word, 2);
    }
  }
  auto picture = std::make_unique<VPictPictureData>();
  picture->SetFromData(copy.data(), uint32_t(copy.size()));
  return picture;
}

xMorvaImportEscher::xMorvaImportEscher(const uint8_t* main, size_t mainSize, const uint8_t* delay,
                                       size_t delaySize)
    : fMain(main),
      fMainSize(main != nullptr ? mainSize : 0),
      fDelay(delay),
      fDelaySize(delay != nullptr ? delaySize : 0) {}

xMorvaImportEscher::~xMorvaImportEscher() = default;

int32_t xMorvaImportEscher::Run() {
  fResult = 0;
  ByteSpanReader in(fMain, fMainSize, ByteSpanReader::Order::kLittle);
  Walk(in, fMainSize, 0);
  return fResult;
}

VPictureData* xMorvaImportEscher::GetPicture() const {
  return fLast < fStore.size() ? fStore[fLast].get() : nullptr;
}

VPictureData* xMorvaImportEscher::TakePicture() {
  return fLast < fStore.size() ? fStore[fLast].release() : nullptr;
}

void xMorvaImportEscher::Walk(ByteSpanReader& in, size_t end, int depth) {
  while (end - in.Position() >= kHeaderSize && !in.Failed()) {
    const uint16_t instance = in.U16() >> 4;
    const uint16_t type = in.U16();
    const uint32_t length = in.U32();
    // A child that claims more than its parent holds is cut to it.
    const size_t recordEnd = in.Position() + std::min<size_t>(length, end - in.Position());
    if (IsContainer(type)) {
      // Deeper nesting than any drawing needs is passed over whole. A
      // shape's container starts a shape with no id yet.
      if (type == kEscherShapeContainer) fShape = 0;
      if (depth < kEscherMaxDepth) Walk(in, recordEnd, depth + 1);
    } else if (type == kEscherBse) {
      ReadBse(in, recordEnd);
    } else if (type == kEscherShape && recordEnd - in.Position() >= 4) {
      fShape = in.U32();
    } else if (type == kEscherProperties) {
      ReadProperties(in, recordEnd, instance);
    }
    // Every other record is read past: only blips become anything.
    if (!in.Seek(recordEnd)) return;
  }
}

void xMorvaImportEscher::ReadProperties(ByteSpanReader& in, size_t end, uint16_t count) {
  // Six bytes a property (id with its flags, value) as many as the
  // instance says, within the record.
  for (uint16_t i = 0; i < count && end - in.Position() >= 6; ++i) {
    const uint16_t id = in.U16() & 0x3FFF;
    const uint32_t value = in.U32();
    if (id == kEscherPropertyPib && fShape != 0 && value != 0) fShapes.push_back({fShape, value});
  }
}

uint32_t xMorvaImportEscher::PictureOfShape(uint32_t spid) const {
  for (const auto& [shape, pib] : fShapes)
    if (shape == spid) return pib;
  return 0;
}

void xMorvaImportEscher::Attempted(const std::unique_ptr<VPictureData>& picture, int32_t code) {
  ++fBlips;
  if (picture == nullptr) ++fDropped;
  fResult = code;
}

void xMorvaImportEscher::ReadBse(ByteSpanReader& in, size_t end) {
  // The entry: two type bytes, the UID, tag, size, reference count, delay
  // offset, then four bytes of which the second is the name's length.
  if (end - in.Position() < kBseSize) {
    fStore.emplace_back();
    return;
  }
  const size_t start = in.Position();
  in.Skip(2 + kUidSize + 2);
  const uint32_t size = in.U32();
  in.U32();  // references
  const uint32_t delayOffset = in.U32();
  in.U8();
  const uint8_t nameLength = in.U8();
  in.Skip(2);
  const size_t nameEnd = start + kBseSize + size_t(nameLength) * 2;
  std::unique_ptr<VPictureData> picture;
  if (size == 0) {
    // An entry without a blip: a slot of the store, nothing to make.
    fStore.emplace_back();
    return;
  }
  if (fDelay != nullptr && delayOffset != 0xFFFFFFFFu) {
    // The blip lies apart, `size` bytes at its offset.
    if (delayOffset < fDelaySize) {
      ByteSpanReader delayed(fDelay, fDelaySize, ByteSpanReader::Order::kLittle);
      delayed.Seek(delayOffset);
      picture = ReadBlip(delayed, delayOffset + std::min<size_t>(size, fDelaySize - delayOffset));
    } else {
      Attempted(picture, kEscherDamaged);
    }
  } else if (nameEnd <= end) {
    in.Seek(nameEnd);
    picture = ReadBlip(in, end);
  } else {
    Attempted(picture, kEscherDamaged);
  }
  if (picture != nullptr) fLast = fStore.size();
  fStore.push_back(std::move(picture));
}

std::unique_ptr<VPictureData> xMorvaImportEscher::ReadBlip(ByteSpanReader& in, size_t end) {
  std::unique_ptr<VPictureData> none;
  if (end - in.Position() < kHeaderSize) {
    Attempted(none, kEscherDamaged);
    return none;
  }
  const uint16_t instance = in.U16() >> 4;
  const uint16_t type = in.U16();
  const uint32_t length = in.U32();
  const size_t recordEnd = in.Position() + std::min<size_t>(length, end - in.Position());
  const BlipKind* kind = KindOf(type);
  if (kind == nullptr) {
    // A blip type this reader does not know is no picture it can make.
    Attempted(none, kEscherDamaged);
    return none;
  }
  const size_t uids = (instance & 0xFF) != (kind->singleInstance & 0xFF) ? 2 : 1;
  const size_t body = recordEnd - in.Position();
  if (!kind->metafile) {
    // UIDs and the tag byte, then the image to the record's end; a record
    // shorter than its fixed part holds no image.
    const size_t fixed = uids * kUidSize + 1;
    if (body <= fixed) {
      Attempted(none, kEscherDamaged);
      return none;
    }
    in.Skip(fixed);
    std::unique_ptr<VPictureData> picture =
        MakeBitmap(in.Data() + in.Position(), recordEnd - in.Position(), type);
    Attempted(picture, picture != nullptr ? kEscherNoError : fResult);
    return picture;
  }
  const size_t fixed = uids * kUidSize + kMetafileHeaderSize;
  if (body < fixed) {
    Attempted(none, kEscherDamaged);
    return none;
  }
  in.Skip(uids * kUidSize);
  const uint32_t expanded = in.U32();
  in.Skip(16 + 8);  // bounds and size
  const uint32_t stored = in.U32();
  const uint8_t compression = in.U8();
  in.U8();  // filter
  const size_t available = recordEnd - in.Position();
  if (stored > available) {
    Attempted(none, kEscherDamaged);
    return none;
  }
  const uint8_t* data = in.Data() + in.Position();
  const bool compressed = compression != kNotCompressed;
  std::unique_ptr<VPictureData> picture = MakePicture(data, stored, compressed, expanded, type);
  if (available > stored && uids == 2 && type == kEscherBlipPict) {
    // A PICT followed by more data carries an enhanced metafile of the
    // same picture, which is taken instead. Its expanded size is stated
    // nowhere: it may take the room the ratio allows (one and a half times
    // the compressed length would refuse nearly every metafile).
    const size_t rest = available - stored;
    const uint64_t room = std::min<uint64_t>(uint64_t(rest) * kEscherMaxRatio, kEscherMaxExpanded);
    picture = MakePicture(data + stored, rest, compressed, room, kEscherBlipEmf);
  }
  Attempted(picture, picture != nullptr ? kEscherNoError : fResult);
  return picture;
}

std::unique_ptr<VPictureData> xMorvaImportEscher::MakeBitmap(const uint8_t* bytes, size_t size,
                                                             uint16_t type) {
  auto picture = std::make_unique<VPictPictureData>();
  if (type == kEscherBlipDib) {
    std::unique_ptr<VPictureData> dib = PictureFromDib(bytes, size);
    fResult = dib != nullptr ? CodeOfPicture(*dib) : kEscherDamaged;
    if (fResult != 0) return nullptr;
    return dib;
  } else {
    picture->SetFromImportedData(bytes, uint32_t(size),
                                 type == kEscherBlipJpeg ? kPictureKindJPEG : kImportPng);
  }
  fResult = CodeOfPicture(*picture);
  if (fResult != 0) return nullptr;
  return picture;
}

std::unique_ptr<VPictureData> xMorvaImportEscher::MakePicture(const uint8_t* stored, size_t size,
                                                              bool compressed, uint64_t expanded,
                                                              uint16_t type) {
  std::vector<uint8_t> inflated;
  const uint8_t* data = stored;
  size_t length = size;
  if (compressed) {
    // The room is what the header states, but never more than the stored
    // bytes could expand to nor the absolute cap: a header that claims
    // more is damage, refused before anything of its size is had.
    if (expanded == 0 || expanded > uint64_t(size) * kEscherMaxRatio ||
        expanded > kEscherMaxExpanded) {
      fResult = kEscherNoMemory;
      return nullptr;
    }
    inflated.resize(size_t(expanded));
    length = inflated.size();
    fResult = UncompressBlip(stored, size, inflated.data(), length);
    if (fResult != 0) return nullptr;
    // What the data expanded to, not what the header said.
    data = inflated.data();
  }
  std::unique_ptr<VPictureData> picture;
  if (type == kEscherBlipPict) {
    picture = PictFromStored(data, length);
  } else if (type == kEscherBlipEmf) {
    auto emf = std::make_unique<VEmfPictureData>();
    emf->SetFromData(data, uint32_t(length));
    picture = std::move(emf);
  } else if (type == kEscherBlipWmf) {
    auto emf = std::make_unique<VEmfPictureData>();
    emf->SetFromWmfBits(data, uint32_t(length), 0, 0);
    picture = std::move(emf);
  } else {
    fResult = kEscherDamaged;
    return nullptr;
  }
  fResult = CodeOfPicture(*picture);
  if (fResult != 0) return nullptr;
  return picture;
}

int32_t xMorvaImportEscher::UncompressBlip(const uint8_t* bytes, size_t size, uint8_t* out,
                                           size_t& outSize) {
  if (size > uLong(-1) || outSize > uLong(-1)) return kEscherNoMemory;
  uLongf length = uLongf(outSize);
  const int result = uncompress(out, &length, bytes, uLong(size));
  if (result == Z_MEM_ERROR || result == Z_BUF_ERROR) return kEscherNoMemory;
  // Only success counts: every other answer is damaged data.
  if (result != Z_OK) return kEscherDamaged;
  outSize = size_t(length);
  return kEscherNoError;
}
