// The Word import's pictures: a picture character's PICF in the data
// stream and the picture behind it, from the drawing records, a metafile,
// or a linked file beside the document.
#include <algorithm>
#include <string>

#include "document/DocumentUnits.h"
#include "engine/xMorvaPictureElement.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "interchange/text/xMorvaPlainText.h"
#include "interchange/word/xMorvaDrawingRecords.h"
#include "interchange/word/xMorvaImportWord.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

// The PICF's fixed part up to its flags, which every version has.
constexpr uint16_t kPicfFixed = 46;
// Mapping modes that say where the picture is.
constexpr int16_t kModeLinked = 98;
constexpr int16_t kModeBitmap = 99;
constexpr int16_t kModeDrawing = 100;
constexpr int16_t kModeLinkedDrawing = 102;
// Flags of the byte at 44: no picture, only a frame or hatching.
constexpr uint8_t kFrameEmpty = 0x10;
constexpr uint8_t kDrawHatch = 0x40;
// A drawn shape's anchor in the text, and the character that holds the
// place of the picture made of it.
constexpr char16_t kDrawnAnchor = 0x08;
constexpr char16_t kPlaceholder = 0xFFFC;

// A metafile whose first record is the escape that carries a Macintosh
// picture: the record's 60 bytes begin with its size, the escape function
// and then the comment naming "Word" and "Microsoft Word".
bool IsEmbeddedPict(const uint8_t* bytes, size_t size) {
  if (size < 18 + 60) return false;
  // Behind the 18-byte metafile header: size (4), function 0x0626, escape.
  const uint8_t* record = bytes + 18;
  if (record[4] != 0x26 || record[5] != 0x06) return false;
  const std::string comment(reinterpret_cast<const char*>(record), 60);
  return comment.find("Word") != std::string::npos &&
         comment.find("Microsoft Word") != std::string::npos;
}

// The file name a linked picture's path ends with, as UTF-8: the folders
// it names are not followed, so a file can only be found beside the
// document. Empty for a name that is no file name.
std::string LinkedFileName(const uint8_t* bytes, size_t size) {
  if (size == 0) return {};
  const size_t length = std::min<size_t>(bytes[0], size - 1);
  const std::u16string name = DecodePlainText(bytes + 1, length, kTextEncodingWindows);
  const size_t cut = name.find_last_of(u"/\\:");
  const std::u16string base = cut == std::u16string::npos ? name : name.substr(cut + 1);
  if (base.empty() || base == u"." || base == u"..") return {};
  std::string out;
  for (char16_t c : base) {
    if (c == 0) return {};
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The size a PICF shows its picture at, pixels: the goal size in points
// ((twips / 20) x (per mille / 1000), truncated) at the screen's resolution;
// -1 when the PICF gives no goal or no scale.
int32_t ShownExtent(int16_t goal, uint16_t scale) {
  if (goal <= 0 || scale == 0) return -1;
  const int32_t points = int32_t(int64_t(goal) * scale / 20000);
  return std::clamp(PointsToPixels(points), 1, kMaxPictureExtent);
}

}  // namespace

std::shared_ptr<VPictureData> xMorvaImportWord::ReadPicture(const std::vector<uint8_t>& data,
                                                            uint64_t fc, int32_t& shownWidth,
                                                            int32_t& shownHeight) {
  shownWidth = shownHeight = -1;
  // Every way out without a picture counts it as dropped.
  auto dropped = [&]() {
    ++fDroppedPictures;
    return std::shared_ptr<VPictureData>();
  };
  if (fc >= data.size() || data.size() - fc < kPicfFixed) return dropped();
  ByteSpanReader in(data.data() + fc, data.size() - fc, ByteSpanReader::Order::kLittle);
  const uint32_t lcb = in.U32();
  const uint16_t cbHeader = in.U16();
  // A picture shorter than its own header, or a header without the fields
  // read below, holds nothing to show.
  if (lcb < cbHeader || cbHeader < kPicfFixed || lcb > data.size() - fc) return dropped();
  const int16_t mode = in.I16();
  const int16_t xExt = in.I16();
  const int16_t yExt = in.I16();
  in.Seek(28);
  const int16_t dxaGoal = in.I16();
  const int16_t dyaGoal = in.I16();
  const uint16_t mx = in.U16();
  const uint16_t my = in.U16();
  in.Seek(44);
  const uint8_t flags = in.U8();
  // The picture is shown at its goal size scaled by the per-mille factors;
  // a PICF without them shows the picture at its own size.
  const int32_t goalWidth = ShownExtent(dxaGoal, mx), goalHeight = ShownExtent(dyaGoal, my);
  if (goalWidth > 0 && goalHeight > 0) {
    shownWidth = goalWidth;
    shownHeight = goalHeight;
  }
  if ((flags & (kFrameEmpty | kDrawHatch)) != 0) {
    // Only a frame or hatching: an empty metafile of the size it is shown
    // at.
    const int32_t w = std::max(goalWidth, 1);
    const int32_t h = std::max(goalHeight, 1);
    VMetafilePort recorder(nullptr, 0, 0, w, h);
    std::shared_ptr<VPictureData> empty(recorder.EndAsPictureData());
    if (empty == nullptr || !empty->HasData()) return dropped();
    return empty;
  }
  const uint8_t* bytes = data.data() + fc + cbHeader;
  const size_t size = lcb - cbHeader;
  std::shared_ptr<VPictureData> picture;
  switch (mode) {
    case kModeDrawing: {
      xMorvaImportEscher reader(bytes, size);
      reader.Run();
      picture.reset(reader.TakePicture());
      break;
    }
    case kModeLinked:
    case kModeLinkedDrawing: {
      const std::string name = LinkedFileName(bytes, size);
      if (name.empty() || fFolder.empty()) return dropped();
      std::string path = fFolder;
      while (!path.empty() && path.back() == '/') path.pop_back();
      auto pict = std::make_shared<VPictPictureData>();
      pict->SetFromFile(path + "/" + name);
      if (pict->HasData()) picture = std::move(pict);
      break;
    }
    case kModeBitmap: {
      std::unique_ptr<VPictureData> bitmap = PictureFromDib(bytes, size);
      if (bitmap != nullptr) picture = std::move(bitmap);
      break;
    }
    default: {
      if (IsEmbeddedPict(bytes, size)) {
        // The Macintosh picture stands behind the comment record's head.
        const size_t skip = 18 + 60;
        std::shared_ptr<VPictureData> value = PictFromStored(bytes + skip, size - skip);
        if (value->HasData()) picture = std::move(value);
        break;
      }
      auto emf = std::make_shared<VEmfPictureData>();
      emf->SetFromWmfBits(bytes, uint32_t(size), xExt, yExt);
      if (emf->HasData()) picture = std::move(emf);
      break;
    }
  }
  if (picture == nullptr || !picture->HasData()) return dropped();
  return picture;
}

void xMorvaImportWord::ConvertDrawnObjects(std::u16string& text, uint32_t from, uint32_t to,
                                           const std::vector<uint8_t>& table,
                                           const xMorvaWordMainStream& mainStream,
                                           std::vector<xMorvaWordSpecial>& specials) {
  constexpr size_t kFspaSize = 26;
  if (fFib.lcbPlcSpaMom < 4 || fFib.lcbDggInfo < 8) return;
  if (uint64_t(fFib.fcPlcSpaMom) + fFib.lcbPlcSpaMom > table.size() ||
      uint64_t(fFib.fcDggInfo) + fFib.lcbDggInfo > table.size())
    return;
  // The drawing records: the group's container with the blip store, whose
  // blips lie in the main stream, then each drawing behind a one-byte
  // label. A record that claims more than there is ends the list.
  // The blips are found by their offsets in the whole main stream, read
  // for them alone.
  std::vector<uint8_t> held;
  const std::vector<uint8_t>* whole = mainStream.Whole(held);
  if (whole == nullptr) return;
  const std::vector<uint8_t>& main = *whole;
  const uint8_t* records = table.data() + fFib.fcDggInfo;
  const size_t size = fFib.lcbDggInfo;
  std::vector<std::unique_ptr<xMorvaImportEscher>> readers;
  for (size_t at = 0; at < size && size - at >= 8;) {
    const size_t length = std::min<size_t>(8 + uint64_t(LoadLE32(records + at + 4)), size - at);
    auto reader = std::make_unique<xMorvaImportEscher>(records + at, length, main.data(), main.size());
    reader->Run();
    readers.push_back(std::move(reader));
    at += length + 1;
  }
  if (readers.empty()) return;
  auto& store = readers.front()->StorePictures();
  std::vector<std::shared_ptr<VPictureData>> shared(store.size());
  const size_t n = (fFib.lcbPlcSpaMom - 4) / (4 + kFspaSize);
  ByteSpanReader in(table.data() + fFib.fcPlcSpaMom, fFib.lcbPlcSpaMom, ByteSpanReader::Order::kLittle);
  std::vector<uint32_t> cps(n + 1);
  for (uint32_t& cp : cps) cp = in.U32();
  for (size_t i = 0; i < n && !in.Failed(); ++i) {
    const uint32_t spid = in.U32();
    in.Skip(kFspaSize - 4);
    const uint32_t cp = cps[i];
    if (cp < from || cp >= to || cp >= text.size() || text[cp] != kDrawnAnchor) continue;
    uint32_t pib = 0;
    for (size_t r = 1; r < readers.size() && pib == 0; ++r) pib = readers[r]->PictureOfShape(spid);
    // A shape without a picture (a text box, a line) anchors nothing to show.
    if (pib == 0) continue;
    if (pib > store.size() || store[pib - 1] == nullptr) {
      ++fDroppedPictures;
      continue;
    }
    if (shared[pib - 1] == nullptr) shared[pib - 1].reset(store[pib - 1].release());
    text[cp] = kPlaceholder;
    specials.push_back({cp, xMorvaWordSpecial::kPicture, 0, shared[pib - 1]});
  }
  std::stable_sort(specials.begin(), specials.end(),
                   [](const xMorvaWordSpecial& a, const xMorvaWordSpecial& b) { return a.at < b.at; });
}
