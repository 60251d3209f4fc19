// The Word import's pictures: a picture character's PICF in the data
// stream and the picture behind it, from the drawing records, a metafile,
// or a linked file beside the document.
#include <string>

#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "interchange/text/xMorvaPlainText.h"
#include "interchange/word/xMorvaDrawingRecords.h"
#include "interchange/word/xMorvaImportWord.h"
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

}  // namespace

std::shared_ptr<VPictureData> xMorvaImportWord::ReadPicture(const std::vector<uint8_t>& data,
                                                            uint64_t fc) {
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
  in.Seek(44);
  const uint8_t flags = in.U8();
  if ((flags & (kFrameEmpty | kDrawHatch)) != 0) return dropped();
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
    case kModeBitmap:
      // Bitmaps of this form come from versions that wrote no drawing
      // records; they are not read.
      break;
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
