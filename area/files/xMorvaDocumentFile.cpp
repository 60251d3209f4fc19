// The document in the own format: one byte stream that holds a whole
// document, on disk, in a host field or in a BLOB.
//
// Frame, every number in the writer's byte order (this writer:
// little-endian), nothing padded:
//   preview   optional: a PICT of the first page, raw; its first u16 is its
//             size modulo 65536 (the reader steps over it by that word)
//   u16 0, u16 0x8F8E   the signature (bytes 00 00 8E 8F little-endian)
//   u32 header length, u32 the same: the bytes of body header and store
//   body header   the body's 'wENG' header (21 bytes)
//   u32 store length, then the store: the document's resource container
//             ('wPRM', 'wINF', 'wFNT', 'wPIX' and its picture data, 'wPRT',
//             'wSTL', 'wENG' 0 to 5 for the headers and footers, and
//             'wTBX' 0 for the tab positions the texts' points cannot give)
//   body stream   the body's element stream up to the trailer or the end;
//             the body header counts its positions, so a body cut short
//             (or running on) is read as it stands and called repaired
//   trailer   three u16 zeros, present exactly when the preview is
// The reader checks the header and store lengths against the bytes that
// remain before it resets the document or allocates anything.
#include "area/files/xMorvaDocumentFile.h"

#include <vector>

#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaPagePicturesInterface.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaLines.h"
#include "engine/xMorvaStoredTabs.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VStream.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"

namespace {

constexpr uint16_t kSignature = 0x8F8E;
constexpr uint32_t kTypeEngine = FourCC("wENG");
// The smallest header length: it counts at least the two length words'
// worth of body header and store.
constexpr uint32_t kSmallestHeaderLength = 8;
constexpr uint32_t kBodyHeaderSize = 21;
constexpr uint32_t kTrailerSize = 6;
// A preview longer than its 16-bit size word tells is stepped over in
// blocks of this size.
constexpr uint32_t kPreviewStep = 65536;
constexpr int32_t kHeaderFooterCount = 6;
constexpr int32_t kPictHeaderWords = 5;

// The part stored as 'wENG' id i.
constexpr int16_t kPartOfEngineId[kHeaderFooterCount] = {kPartFirstHeader, kPartFirstFooter, kPartLeftHeader,
                                                         kPartLeftFooter,  kPartHeader,      kPartFooter};

xMorvaEngine* EngineOf(const xMorvaDocument& document, int16_t part) {
  return static_cast<xMorvaEngine*>(document.GetPart(part));
}

// The picture of the first page (a blank page with `blank`) as the bytes of
// a PICT whose header is in this writer's order; empty when none could be
// made.
std::vector<uint8_t> DocumentToPicture(xMorvaDocument& document, bool blank) {
  const int32_t width = document.GetParams().GetPageWidth();
  const int32_t height = document.GetParams().GetPageHeight();
  VMetafilePort port(nullptr, 0, 0, width, height);
  port.EraseRect(0, 0, width, height);
  if (!blank) {
    // The page is drawn from lines composed for the text as it is now.
    if (xMorvaLayoutInterface* layout = document.GetLayout()) layout->Update();
    document.DrawPageForPrinting(port, 0, 0, 0);
  }
  std::unique_ptr<VEmfPictureData> metafile(port.EndAsPictureData());
  if (!metafile) return {};
  VPictPictureData pict;
  pict.SetFromPicture(*metafile);
  std::vector<uint8_t> bytes = pict.StoredBytes();
  if (bytes.size() < size_t(kPictHeaderWords) * 2) return {};
  // The stored header is big-endian; the preview keeps the writer's order,
  // so that its size word is read back in the file's order.
  for (int32_t word = 0; word < kPictHeaderWords; ++word) std::swap(bytes[size_t(word) * 2], bytes[size_t(word) * 2 + 1]);
  return bytes;
}

bool PutBytes(VStream& stream, const void* data, uint32_t size) {
  return size == 0 || stream.WriteBytes(data, size) == 0;
}

// Finds the signature from the stream's position: true with the stream
// behind it; `swapped` when it was written in the other byte order and
// `skipped` when a preview stood before it.
bool FindSignature(VStream& stream, bool& swapped, bool& skipped) {
  swapped = false;
  skipped = false;
  const uint64_t size = stream.GetSize();
  uint64_t s = stream.GetPosition();
  bool firstFailure = true;
  stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
  while (s < size) {
    if (stream.SetPosition(uint32_t(s)) != 0) return false;
    uint16_t w = 0;
    if (stream.HasRemaining(2)) {
      w = uint16_t(stream.GetWord());
      if (w == 0 && stream.HasRemaining(2)) {
        uint16_t v = uint16_t(stream.GetWord());
        if (v == kSignature) return stream.GetStatus() <= 0;
        Swap16(&v);
        if (v == kSignature) {
          swapped = true;
          stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
          return stream.GetStatus() <= 0;
        }
      }
    }
    skipped = true;
    s += firstFailure ? w : kPreviewStep;
    firstFailure = false;
  }
  return false;
}

// Behind a preview the file ends with three zero words; a file cut short
// mostly ends with something else. The stream is left where it was.
bool TrailerIsWhole(VStream& stream, uint32_t bodySize) {
  const uint32_t at = stream.GetPosition();
  uint8_t trailer[kTrailerSize] = {};
  uint32_t got = kTrailerSize;
  bool whole = stream.SetPosition(at + bodySize) == 0 && stream.ReadData(trailer, got) == 0 && got == kTrailerSize;
  for (uint8_t byte : trailer) whole = whole && byte == 0;
  stream.SetPosition(at);
  return whole;
}

// The rest of the read, after the frame's lengths were checked and the
// document reset: 0, 1097 or 1015.
int32_t ReadParts(xMorvaDocument& document, VStream& stream, bool skipped) {
  int16_t order = 0;
  int16_t native = 0;
  stream.GetByteOrders(order, native);
  xMorvaEngine* body = EngineOf(document, kPartBody);
  if (body == nullptr) return kErrorDamagedData;
  int32_t selStart = 0;
  int32_t selEnd = 0;
  bool swapped = false;
  if (!body->ReadResourceHeader(stream, selStart, selEnd, swapped)) return kErrorDamagedData;
  stream.SetByteOrders(order, kByteOrderKeep);

  // The store: its length was checked against what remains.
  const uint32_t storeLength = stream.GetULong();
  if (stream.GetStatus() > 0 || !stream.HasRemaining(storeLength)) return kErrorDamagedData;
  VMemHandle handle = gMemoryMgr->NewHandle(storeLength, 0);
  if (handle == 0) return kErrorDamagedData;
  bool read = true;
  if (storeLength != 0) {
    auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(handle));
    uint32_t got = storeLength;
    read = bytes != nullptr && stream.ReadData(bytes, got) == 0 && got == storeLength;
    gMemoryMgr->UnlockHandle(handle);
  }
  if (!read) {
    gMemoryMgr->DisposeHandle(handle);
    return kErrorDamagedData;
  }
  if (!document.AdoptStore(handle)) return kErrorDamagedData;
  VMemoryResourceFile& store = *document.GetStyleSheetStore();
  document.UpdateStyleSheetMenu();

  xMorvaPagePicturesInterface* pictures = document.GetPagePictures();
  if (!document.Params().Read(document) || !document.Infos().Read(document) || !document.ReadFontTable(store) ||
      (pictures != nullptr && !pictures->ReadPagePictures(store)) || !document.ReadPrintRecord(document)) {
    return kErrorDamagedData;
  }

  std::vector<int32_t> sheetIds;
  for (int16_t id : document.StyleSheetIds()) sheetIds.push_back(id);
  const int32_t fontCount = document.GetFontCount();
  // The texts' tab stops take their exact positions; the table, like the
  // header and footer texts, lives in the store only while it is read.
  xMorvaStoredTabs tabs;
  tabs.Read(store);
  xMorvaStoredTabs::Remove(store);
  for (int16_t id = 0; id < kHeaderFooterCount; ++id) {
    xMorvaEngine* engine = EngineOf(document, kPartOfEngineId[id]);
    bool damaged = false;
    const xMorvaStoredTabs::Loading loading(tabs, id);
    if (engine == nullptr || !engine->LoadResource(store, id, sheetIds, fontCount, damaged)) return kErrorDamagedData;
    store.RemoveResource(kTypeEngine, id);
  }

  // The body stream: the rest, less the trailer behind a preview. A file
  // cut short behind a preview has lost its trailer: its body is what
  // remains, read as a repaired one; without a preview, the count of the
  // body's header tells a body cut short.
  const uint64_t rest = uint64_t(stream.GetSize()) - stream.GetPosition();
  const bool trailerLost =
      skipped && !(rest >= kTrailerSize && TrailerIsWhole(stream, uint32_t(rest - kTrailerSize)));
  const uint64_t bodySize = skipped && !trailerLost ? rest - kTrailerSize : rest;
  if (bodySize > uint64_t(INT32_MAX)) return kErrorDamagedData;
  const auto byteCount = int32_t(bodySize);
  if (!body->ReadResourceStream(stream, byteCount)) return kErrorDamagedData;
  bool damaged = false;
  if (swapped && byteCount > 0) {
    uint8_t* bytes = body->LockStream();
    if (bytes != nullptr && !xMorvaEngine::SwapStream(bytes, byteCount)) damaged = true;
    body->UnlockStream();
  }
  bool repairDamage = false;
  bool whole = true;
  {
    const xMorvaStoredTabs::Loading loading(tabs, xMorvaStoredTabs::kBodyText);
    whole = body->RepairLoadedStream(fontCount, sheetIds, repairDamage);
  }
  body->Reset();
  if (xMorvaLines* lines = body->GetLines()) lines->NoteCleared();
  body->SetSelection(selStart, selEnd);
  document.FitPageToPrintRecord();
  return damaged || repairDamage || !whole || trailerLost ? kErrorRepairedData : 0;
}

}  // namespace

int32_t ReadDocument(xMorvaDocument& document, VStream& stream, bool reset) {
  bool swapped = false;
  bool skipped = false;
  if (!FindSignature(stream, swapped, skipped)) return kErrorNotThisFormat;
  // The frame's lengths are checked before anything is reset or allocated:
  // a length beyond the bytes that remain is damage.
  const uint32_t headerLength = stream.GetULong();
  stream.GetULong();
  if (stream.GetStatus() > 0 || headerLength < kSmallestHeaderLength || !stream.HasRemaining(headerLength)) {
    return kErrorDamagedData;
  }
  const uint32_t start = stream.GetPosition();
  bool storeFits = stream.HasRemaining(kBodyHeaderSize + 4);
  if (storeFits) {
    stream.SetPosition(start + kBodyHeaderSize);
    storeFits = stream.HasRemaining(stream.GetULong()) && stream.GetStatus() <= 0;
    stream.SetPosition(start);
  }
  if (!storeFits) return kErrorDamagedData;

  document.Reset(reset);
  return ReadParts(document, stream, skipped);
}

bool WriteDocument(xMorvaDocument& document, VStream& stream, bool preview, bool blank) {
  stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
  bool written = true;
  if (preview) {
    const std::vector<uint8_t> picture = DocumentToPicture(document, blank);
    written = !picture.empty() && PutBytes(stream, picture.data(), uint32_t(picture.size()));
  }
  stream.PutWord(0);
  stream.PutWord(int16_t(kSignature));
  written = written && stream.GetStatus() <= 0;

  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (written) {
    xMorvaPagePicturesInterface* pictures = document.GetPagePictures();
    written = store != nullptr && document.GetParams().Write(document) && document.Infos().Write(document) &&
              document.WriteFontTable(*store) && (pictures == nullptr || pictures->WritePagePictures(*store)) &&
              document.WritePrintRecord(document);
    xMorvaStoredTabs tabs;
    for (int16_t id = 0; written && id < kHeaderFooterCount; ++id) {
      xMorvaEngine* engine = EngineOf(document, kPartOfEngineId[id]);
      written = engine != nullptr && engine->SaveResource(*store, id);
      if (written) tabs.Note(*engine, id);
    }
    // The exact positions of the stops of all seven texts.
    if (xMorvaEngine* body = EngineOf(document, kPartBody); written && body != nullptr)
      tabs.Note(*body, xMorvaStoredTabs::kBodyText);
    written = written && tabs.Write(*store);
  }
  xMorvaEngine* body = EngineOf(document, kPartBody);
  const uint32_t lengthsAt = stream.GetPosition();
  if (written) {
    stream.PutLong(0);
    stream.PutLong(0);
    written = body != nullptr && body->WriteResourceHeader(stream);
  }
  if (written) written = store->UpdateFile() == 0;
  if (written) {
    const VMemHandle handle = document.GetStoreHandle();
    const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
    stream.PutLong(int32_t(size));
    if (size != 0) {
      const void* bytes = gMemoryMgr->LockHandle(handle);
      written = bytes != nullptr && PutBytes(stream, bytes, size);
      gMemoryMgr->UnlockHandle(handle);
    }
    written = written && stream.GetStatus() <= 0;
  }
  // The header and footer texts live in the store only while it is written.
  if (store != nullptr) {
    for (int16_t id = 0; id < kHeaderFooterCount; ++id) store->RemoveResource(kTypeEngine, id);
    xMorvaStoredTabs::Remove(*store);
  }
  if (written) {
    const uint32_t end = stream.GetPosition();
    stream.SetPosition(lengthsAt);
    stream.PutLong(int32_t(end - lengthsAt - 8));
    stream.PutLong(int32_t(end - lengthsAt - 8));
    stream.SetPosition(end);
    written = body->WriteResourceStream(stream);
  }
  if (written && preview) {
    for (int i = 0; i < 3; ++i) stream.PutWord(0);
  }
  if (written) written = stream.SetSize(stream.GetPosition()) == 0 && stream.GetStatus() <= 0;
  return written;
}
