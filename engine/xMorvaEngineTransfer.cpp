// Styled text in transfer streams: the selection written as an 'xMo7'
// stream (element bytes, the document's font names, the style sheets the
// text uses, the properties and tabs at both ends), read back into another
// text with its fonts and sheets remapped, and the ruler copied and pasted.
//
// Stream layout, every word in the stream's order (the tag tells it):
//   tag 'xMo7' (older 'xMor')       u32
//   positions of the range          u32
//   paragraph ends in the range     u32
//   offset after the first end      u32  (0: none)
//   offset after the last end       u32  (0: none)
//   font names                      string array, index i names font i
//   start and end properties        'wPRP' records
//   start and end tabs              'wTAB' records
//   style sheets ('xMo7' only)      u32 size, an in-memory resource file
//                                   of the 'wSTL' resources used
//   element bytes                   u32 n, then n bytes
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

constexpr uint32_t kTagTransfer = FourCC("xMo7");
constexpr uint32_t kTagOldTransfer = FourCC("xMor");
constexpr uint32_t kTagStyleSheet = FourCC("wSTL");
// The default style sheet: never carried, always the same.
constexpr int32_t kDefaultSheet = 1;
// The run-time word of a picture element's header.
constexpr uint32_t kPictureRuntimeOffset = 20;
// Ids 0 to 14 are compared for an 'xMor' stream, whose sheets do not travel.
constexpr uint16_t kLastOldCharacterProperty = 14;

uint32_t Swap32Value(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// The properties and tabs at both ends of a copied range and where its
// first and last paragraph ends lie in the copied bytes.
struct TransferEnds {
  xMorvaProperties startProperties;
  xMorvaProperties endProperties;
  xMorvaTabs startTabs;
  xMorvaTabs endTabs;
  uint32_t firstEnd = 0;
  uint32_t lastEnd = 0;
};

// A stream read whole before anything of the text changes.
struct Transfer {
  bool old = false;
  int32_t length = 0;
  int32_t paragraphEnds = 0;
  TransferEnds ends;
  VStringArray fontNames;
  std::vector<uint8_t> sheets;
  std::vector<uint8_t> bytes;
};

void ApplyToSet(uint16_t id, uint32_t value, xMorvaProperties& properties, xMorvaTabs& tabs) {
  if (id == kPropTabs)
    tabs.AddStop(value);
  else
    properties.SetProperty(id, int32_t(value));
}

// Normalises the copy: character records before the first position go into
// the start properties, records after the last position go, and the
// paragraph records of the last, partial paragraph go (they belong to the
// paragraph the text is pasted into); a picture's run-time word is cleared.
// The end sets become the start sets with every kept record applied.
std::vector<uint8_t> PrepareCopy(const uint8_t* bytes, uint32_t n, int32_t length, int32_t paragraphEnds,
                                 TransferEnds& ends) {
  std::vector<uint8_t> out;
  out.reserve(n);
  ends.endProperties.Assign(ends.startProperties);
  ends.endTabs.Assign(ends.startTabs);
  ends.firstEnd = ends.lastEnd = 0;
  int32_t positions = 0;
  int32_t counted = 0;
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes + at, n - at);
    const uint8_t* from = bytes + at;
    at += item.size;
    if (item.kind == StreamItem::kUnit) {
      out.insert(out.end(), from, from + 2);
      ++positions;
      if (item.unit == kUnitParagraphEnd) {
        ++counted;
        if (counted == 1) ends.firstEnd = uint32_t(out.size());
        if (counted == paragraphEnds) ends.lastEnd = uint32_t(out.size());
      }
    } else if (item.kind == StreamItem::kElement) {
      const size_t start = out.size();
      out.insert(out.end(), from, from + item.size);
      ++positions;
      // A picture's run-time word (or that of the picture a host
      // expression shows) means nothing in another text.
      const uint32_t picture = FindPictureElement(out.data() + start, item.size);
      if (picture != UINT32_MAX && StreamLong(out.data() + start + picture + 4) >= kPictureRuntimeOffset + 4)
        PutStreamLong(out.data() + start + picture + kElementHeadSize + kPictureRuntimeOffset, 0);
    } else if (item.size == kRecordSize && item.unit < kFirstParagraphProperty) {
      if (positions == 0) {
        ends.startProperties.SetProperty(item.unit, int32_t(item.value));
        ends.endProperties.SetProperty(item.unit, int32_t(item.value));
      } else if (positions < length) {
        ends.endProperties.SetProperty(item.unit, int32_t(item.value));
        out.insert(out.end(), from, from + kRecordSize);
      }
    } else if (item.size == kRecordSize && counted < paragraphEnds) {
      ApplyToSet(item.unit, item.value, ends.endProperties, ends.endTabs);
      out.insert(out.end(), from, from + kRecordSize);
    }
    // Paragraph records of the last paragraph and stray bytes are left out.
  }
  return out;
}

// Swaps element bytes written on a machine of the other order: units,
// record ids and values, element heads, picture headers and the heads of
// computed elements, whose texts are then walked as units.
void SwapElementBytes(uint8_t* bytes, uint32_t n) {
  auto swap16 = [&](uint32_t at) { std::swap(bytes[at], bytes[at + 1]); };
  auto swap32 = [&](uint32_t at) { PutStreamLong(bytes + at, Swap32Value(StreamLong(bytes + at))); };
  for (uint32_t at = 0; at + 2 <= n;) {
    if (StreamUnit(bytes + at) != 0) {
      swap16(at);
      at += 2;
      continue;
    }
    if (n - at < kRecordSize) return;
    swap16(at + 2);
    const uint16_t id = StreamUnit(bytes + at + 2);
    if (id < kFirstElementCode) {
      if (id == kPropTabs)
        swap16(at + 4);
      else
        swap32(at + 4);
      at += kRecordSize;
      continue;
    }
    if (n - at < kElementHeadSize) return;
    swap32(at + 4);
    swap32(at + 8);
    const uint64_t a = StreamLong(bytes + at + 4);
    const uint64_t b = StreamLong(bytes + at + 8);
    const uint32_t payload = at + kElementHeadSize;
    const uint64_t end = uint64_t(payload) + a;
    if (end > n) return;
    switch (id) {
      case xMorvaElementCode::Tab:
        at = uint32_t(end);
        break;
      case xMorvaElementCode::Pict:
        if (a >= 20) {
          for (uint32_t word : {0u, 4u, 8u, 12u}) swap32(payload + word);
          swap16(payload + 18);
        }
        at = uint32_t(end);
        break;
      case xMorvaElementCode::SoftHyphen:
      case xMorvaElementCode::ColBreak:
      case xMorvaElementCode::PageBreak:
        at = uint32_t(payload + std::min(a, b));
        break;
      case xMorvaElementCode::PageNumber:
      case xMorvaElementCode::ExprQv:
      case xMorvaElementCode::DateTime:
      case xMorvaElementCode::Hyperlink:
      case xMorvaElementCode::HTMLExpression:
      case xMorvaElementCode::HTMLExpression2: {
        if (a < kComputedHeadSize) {
          at = uint32_t(end);
          break;
        }
        for (uint32_t word : {0u, 4u, 8u}) swap32(payload + word);
        const uint64_t object = StreamLong(bytes + payload);
        if (id == xMorvaElementCode::PageNumber && a >= kComputedHeadSize + 4) {
          // The other machine's bit order: its flag in bit 31 and its
          // style in bits 0 to 3.
          const uint32_t word = Swap32Value(StreamLong(bytes + payload + kComputedHeadSize));
          PutStreamLong(bytes + payload + kComputedHeadSize, (word >> 31) | ((word & 0xFu) << 28));
          at = uint32_t(payload + kComputedHeadSize + 4);
        } else {
          at = uint32_t(std::min<uint64_t>(end, payload + kComputedHeadSize + object));
        }
        break;
      }
      default:
        at = payload;
        break;
    }
  }
}

// Reads a u32 size and that many bytes; false when they are not all there.
bool ReadBlock(VStream& stream, std::vector<uint8_t>& block) {
  uint32_t size = 0;
  if (!stream.HasRemaining(4) || stream.ReadULong(size) != 0) return false;
  if (!stream.HasRemaining(size)) return false;
  block.resize(size);
  uint32_t got = size;
  if (size != 0 && (stream.ReadData(block.data(), got) != 0 || got != size)) return false;
  return true;
}

// Reads the whole stream without touching any text: 1074 for another tag
// or a stream that ends early.
int32_t ReadTransfer(VStream& stream, Transfer& transfer) {
  if (!stream.HasRemaining(4)) return kErrorBadStream;
  const uint32_t tag = stream.GetULong();
  bool swapped = false;
  if (tag == kTagTransfer || tag == kTagOldTransfer) {
    transfer.old = tag == kTagOldTransfer;
  } else if (Swap32Value(tag) == kTagTransfer || Swap32Value(tag) == kTagOldTransfer) {
    transfer.old = Swap32Value(tag) == kTagOldTransfer;
    swapped = true;
    int16_t data = 0;
    int16_t native = 0;
    stream.GetByteOrders(data, native);
    stream.SetByteOrders(data == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  } else {
    return kErrorBadStream;
  }
  uint32_t head[4] = {};
  for (uint32_t& word : head) {
    if (!stream.HasRemaining(4) || stream.ReadULong(word) != 0) return kErrorBadStream;
  }
  transfer.length = int32_t(std::min<uint32_t>(head[0], INT32_MAX));
  transfer.paragraphEnds = int32_t(std::min<uint32_t>(head[1], INT32_MAX));
  transfer.ends.firstEnd = head[2];
  transfer.ends.lastEnd = head[3];
  if (transfer.fontNames.ReadFromStream(stream, 0) != 0 || stream.GetStatus() != 0) return kErrorBadStream;
  TransferEnds& ends = transfer.ends;
  if (!ends.startProperties.Read(stream) || !ends.endProperties.Read(stream) || !ends.startTabs.Read(stream) ||
      !ends.endTabs.Read(stream)) {
    return kErrorBadStream;
  }
  if (!transfer.old && !ReadBlock(stream, transfer.sheets)) return kErrorBadStream;
  if (!ReadBlock(stream, transfer.bytes) || stream.GetStatus() != 0) return kErrorBadStream;
  if (swapped && !transfer.bytes.empty()) SwapElementBytes(transfer.bytes.data(), uint32_t(transfer.bytes.size()));
  return 0;
}

// Checks the pasted bytes before any of them reach the text. Bytes that do
// not form whole items, and computed elements whose texts do not fit their
// payload, cannot be mended (1074). The counts and offsets of the head are
// not trusted: they are taken again from the bytes.
int32_t CheckTransfer(Transfer& transfer) {
  const std::vector<uint8_t>& bytes = transfer.bytes;
  const uint32_t n = uint32_t(bytes.size());
  if (n % 2 != 0) return kErrorBadStream;
  int32_t positions = 0;
  int32_t paragraphEnds = 0;
  uint32_t firstEnd = 0;
  uint32_t lastEnd = 0;
  for (uint32_t at = 0; at < n;) {
    const uint8_t* item = bytes.data() + at;
    const uint32_t remaining = n - at;
    const uint16_t unit = StreamUnit(item);
    if (unit != 0) {
      ++positions;
      at += 2;
      if (unit == kUnitParagraphEnd) {
        ++paragraphEnds;
        if (firstEnd == 0) firstEnd = at;
        lastEnd = at;
      }
      continue;
    }
    if (remaining < kRecordSize) return kErrorBadStream;
    const uint16_t code = StreamUnit(item + 2);
    if (code < kFirstElementCode) {
      at += kRecordSize;
      continue;
    }
    if (remaining < kElementHeadSize) return kErrorBadStream;
    const uint64_t a = StreamLong(item + 4);
    const uint64_t b = StreamLong(item + 8);
    if (kElementHeadSize + a > remaining || b > a) return kErrorBadStream;
    if (code > kFirstComputedCode && code != xMorvaElementCode::SoftHyphen && !IsBreakCode(code)) {
      if (a < kComputedHeadSize) return kErrorBadStream;
      const uint8_t* payload = item + kElementHeadSize;
      const uint64_t texts = uint64_t(StreamLong(payload)) + StreamLong(payload + 4) + StreamLong(payload + 8);
      if (kComputedHeadSize + texts > a) return kErrorBadStream;
    }
    ++positions;
    at += uint32_t(kElementHeadSize + a);
  }
  transfer.length = positions;
  transfer.paragraphEnds = paragraphEnds;
  transfer.ends.firstEnd = firstEnd;
  transfer.ends.lastEnd = lastEnd;
  return 0;
}

// Maps the stream's font indexes to the document's table: a name the table
// lacks is appended; an index the stream's list does not hold becomes 1.
class FontMap {
 public:
  FontMap(const VStringArray& names, xMorvaDocument& document) : fNames(names), fDocument(document) {}
  int32_t Map(int32_t index) {
    const auto known = fMapped.find(index);
    if (known != fMapped.end()) return known->second;
    int32_t mapped = 1;
    if (index >= 1 && index <= fNames.Count()) {
      if (const VString* entry = fNames.GetAt(index)) {
        VStrInHandle name;
        name.CopyText(*entry);
        if (name.GetLength() > 0) mapped = fDocument.FontIndexForName(name);
      }
    }
    if (mapped < 1) mapped = 1;
    fMapped[index] = mapped;
    return mapped;
  }

 private:
  const VStringArray& fNames;
  xMorvaDocument& fDocument;
  std::map<int32_t, int32_t> fMapped;
};

// Maps the stream's style-sheet ids to the document's: a sheet of the same
// name is reused, another is added to the document's store; sheet 1, and a
// sheet the stream does not carry, become 1.
class SheetMap {
 public:
  SheetMap(const std::vector<uint8_t>& block, xMorvaDocument& document) : fDocument(document) {
    if (!block.empty()) fFile.reset(new VMemoryResourceFile(block.data(), uint32_t(block.size())));
  }
  int32_t Map(int32_t id) {
    if (id == kDefaultSheet) return kDefaultSheet;
    const auto known = fMapped.find(id);
    if (known != fMapped.end()) return known->second;
    const int32_t mapped = Bring(int16_t(id));
    fMapped[id] = mapped;
    return mapped;
  }

 private:
  int32_t Bring(int16_t id) {
    VResourceFile* store = fDocument.GetStyleSheetStore();
    if (!fFile || store == nullptr || !fFile->HasResource(kTagStyleSheet, id)) return kDefaultSheet;
    VStr<255> name;
    fFile->GetResourceName(&name, kTagStyleSheet, id);
    const int32_t count = store->CountResources(kTagStyleSheet);
    int32_t highest = INT32_MIN;
    for (int32_t i = 1; i <= count; ++i) {
      const int16_t present = store->GetIndResourceId(kTagStyleSheet, i);
      highest = std::max<int32_t>(highest, present);
      VStr<255> presentName;
      store->GetResourceName(&presentName, kTagStyleSheet, present);
      if (presentName.Compare(name, false) == 0) return present;
    }
    uint8_t owned = 0;
    const VResourceRef ref = fFile->GetResource(kTagStyleSheet, id, &owned);
    if (ref == 0) return kDefaultSheet;
    const uint32_t size = fFile->GetResourceSize(ref);
    const void* data = fFile->LockResource(ref);
    int16_t wanted = -32767;
    if (highest != INT32_MIN) wanted = highest >= 32767 ? int16_t(-1) : int16_t(highest + 1);
    const int16_t added = data != nullptr ? store->AddResource(kTagStyleSheet, wanted, &name, data, size) : -1;
    if (data != nullptr) fFile->UnlockResource(ref);
    if (owned) fFile->ReleaseResource(ref);
    return added == -1 ? kDefaultSheet : added;
  }

  xMorvaDocument& fDocument;
  std::unique_ptr<VMemoryResourceFile> fFile;
  std::map<int32_t, int32_t> fMapped;
};

// Rewrites the font (7) and sheet (15) records of the bytes.
void MapRecords(std::vector<uint8_t>& bytes, FontMap& fonts, SheetMap* sheets) {
  const uint32_t n = uint32_t(bytes.size());
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes.data() + at, n - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize) {
      if (item.unit == kPropFont) {
        PutStreamLong(bytes.data() + at + 4, uint32_t(fonts.Map(int16_t(item.value))));
      } else if (item.unit == kPropStyleSheet) {
        const int32_t mapped = sheets != nullptr ? sheets->Map(int16_t(item.value)) : kDefaultSheet;
        PutStreamLong(bytes.data() + at + 4, uint32_t(mapped));
      }
    }
    at += item.size;
  }
}

}  // namespace

// ---- Writing

VMemHandle xMorvaEngine::WriteStream(xMorvaDocument& document) {
  const uint32_t end = std::min(fSelEndOffset, fBytesInUse);
  const uint32_t n = end > fSelStartOffset ? end - fSelStartOffset : 0;
  TransferEnds ends;
  ends.startProperties.Assign(fWalk);
  ends.startTabs.Assign(fWalkTabs);
  ReadParagraphRecordsAt(fParaStartOffset, ends.startProperties, ends.startTabs);
  std::vector<uint8_t> copy;
  {
    const uint8_t* stream = LockStream();
    if (stream == nullptr && n != 0) return 0;
    copy = PrepareCopy(stream != nullptr ? stream + fSelStartOffset : nullptr, n, fSelLength, fParaEndCount, ends);
    if (stream != nullptr) UnlockStream();
  }

  // The style sheets the range uses, sheet 1 never.
  VMemHandle sheets = gMemoryMgr->NewHandle(0, 0);
  if (sheets == 0) return 0;
  {
    VMemoryResourceFile file(sheets, 1);
    VResourceFile* store = document.GetStyleSheetStore();
    auto save = [&](int32_t id) {
      if (id == kDefaultSheet || store == nullptr || file.HasResource(kTagStyleSheet, int16_t(id))) return;
      uint8_t owned = 0;
      const VResourceRef ref = store->GetResource(kTagStyleSheet, int16_t(id), &owned);
      if (ref == 0) return;
      VStr<255> name;
      store->GetResourceName(&name, kTagStyleSheet, int16_t(id));
      const void* data = store->LockResource(ref);
      if (data != nullptr) {
        file.AddResource(kTagStyleSheet, int16_t(id), &name, data, store->GetResourceSize(ref));
        store->UnlockResource(ref);
      }
      if (owned) store->ReleaseResource(ref);
    };
    save(ends.startProperties.GetProperty(kPropStyleSheet));
    for (uint32_t at = 0; at < copy.size();) {
      const StreamItem item = ReadStreamItem(copy.data() + at, uint32_t(copy.size() - at));
      if (item.kind == StreamItem::kRecord && item.unit == kPropStyleSheet) save(int16_t(item.value));
      at += item.size;
    }
    file.UpdateFile();
  }

  VStringArray names;
  for (int32_t i = 1; i <= document.GetFontCount(); ++i) {
    auto* name = new VStrInHandle();
    bool known = false;
    document.FontNameForIndex(i, *name, known);
    names.AppendObject(name, false);
  }

  VMemHandle handle = 0;
  VHandleStream stream(handle);
  bool written = handle != 0 && stream.OpenWrite() == 0;
  if (written) {
    // Little-endian whatever the machine, as the element bytes are.
    stream.SetByteOrders(kByteOrderLittle, kByteOrderSetThisMachine);
    stream.PutLong(int32_t(kTagTransfer));
    stream.PutLong(fSelLength);
    stream.PutLong(fParaEndCount);
    stream.PutLong(int32_t(ends.firstEnd));
    stream.PutLong(int32_t(ends.lastEnd));
    names.WriteToStream(stream, 0);
    written = ends.startProperties.Write(stream) && ends.endProperties.Write(stream) && ends.startTabs.Write(stream) &&
              ends.endTabs.Write(stream);
    stream.WriteHandle(sheets);
    stream.PutLong(int32_t(copy.size()));
    if (!copy.empty()) stream.PutData(copy.data(), uint32_t(copy.size()));
    written = stream.GetStatus() == 0 && written;
  }
  if (handle != 0) written = stream.CloseWrite(1) == 0 && written;
  gMemoryMgr->DisposeHandle(sheets);
  if (!written && handle != 0) {
    gMemoryMgr->DisposeHandle(handle);
    handle = 0;
  }
  return handle;
}

// ---- Reading

int32_t xMorvaEngine::ReadStream(VStream& stream, xMorvaDocument& document) {
  Transfer transfer;
  if (const int32_t error = ReadTransfer(stream, transfer)) return error;
  if (const int32_t error = CheckTransfer(transfer)) return error;

  TransferEnds& ends = transfer.ends;
  FontMap fonts(transfer.fontNames, document);
  std::unique_ptr<SheetMap> sheets;
  if (!transfer.old) sheets.reset(new SheetMap(transfer.sheets, document));
  for (xMorvaProperties* set : {&ends.startProperties, &ends.endProperties}) {
    set->SetProperty(kPropFont, fonts.Map(set->GetProperty(kPropFont)));
    if (sheets) set->SetProperty(kPropStyleSheet, sheets->Map(set->GetProperty(kPropStyleSheet)));
  }
  MapRecords(transfer.bytes, fonts, sheets.get());

  const uint32_t n = uint32_t(transfer.bytes.size());
  const uint16_t lastId = transfer.old ? kLastOldCharacterProperty : kLastCharacterProperty;
  return Reserved(DeleteReserve(*this) + kTypingRecords + n + 2 * kTransition, [&]() -> int32_t {
    if (const int32_t error = DeleteSelection()) return error;
    const int32_t start = fSelStart;
    const bool beforeEnd = fSelStart < fLength;
    xMorvaProperties walk;
    walk.Assign(fWalk);
    xMorvaTabs walkTabs;
    walkTabs.Assign(fWalkTabs);
    xMorvaProperties typing;
    typing.Assign(fTyping);
    // The paragraph part of the caret's properties: the paragraph's own.
    xMorvaProperties paragraph;
    paragraph.Assign(fWalk);
    xMorvaTabs paragraphTabs;
    paragraphTabs.Assign(fWalkTabs);
    ReadParagraphRecordsAt(fParaStartOffset, paragraph, paragraphTabs);
    const uint32_t paragraphStart = fParaStartOffset;

    // The pasted text starts with its own look.
    uint32_t at = fSelStartOffset;
    for (uint16_t id = 0; id <= lastId; ++id) {
      const int32_t value = ends.startProperties.GetProperty(id);
      if (value == walk.GetProperty(id)) continue;
      if (const int32_t error = InsertPropertyRecord(at, id, uint32_t(value))) return error;
      at += kRecordSize;
    }
    uint32_t pasted = at;
    if (n != 0) {
      if (const int32_t error = InsertBytes(at, transfer.bytes.data(), n)) return error;
    }
    at += n;

    // The text after it keeps its look.
    if (beforeEnd) {
      for (uint16_t id = 0; id <= lastId; ++id) {
        if (walk.GetProperty(id) != typing.GetProperty(id)) RemoveRecordAt(id, at);
        if (ends.endProperties.GetProperty(id) == typing.GetProperty(id)) continue;
        if (const int32_t error = InsertPropertyRecord(at, id, uint32_t(typing.GetProperty(id)))) return error;
        at += kRecordSize;
      }
    }

    if (transfer.paragraphEnds > 0) {
      // The insertion paragraph takes the first pasted paragraph's
      // formatting; the last pasted paragraph keeps the formatting of the
      // paragraph the text went into.
      const uint32_t removed = RemoveParagraphRecordsAt(paragraphStart);
      pasted -= removed;
      uint32_t written = 0;
      if (const int32_t error = WriteParagraphTransition(paragraphStart, written, walk, ends.startProperties,
                                                         walkTabs, ends.startTabs)) {
        return error;
      }
      pasted += written;
      uint32_t following = 0;
      if (const int32_t error = WriteParagraphTransition(pasted + ends.lastEnd, following, ends.endProperties,
                                                         paragraph, ends.endTabs, paragraphTabs)) {
        return error;
      }
    }

    fLength += transfer.length;
    DropCache();
    SetSelection(start, start + transfer.length);
    return 0;
  });
}

int32_t xMorvaEngine::PasteStreamWithUndo(VStream& stream, xMorvaDocument& document) {
  BeginUndoStep(kUndoPaste, 0);
  const int32_t result = ReadStream(stream, document);
  EndUndoStep(result);
  return result;
}

// ---- The ruler

VMemHandle xMorvaEngine::CopyStyle() {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return 0;
  bool written = stream.OpenWrite() == 0;
  written = written && fCurrent.Write(stream) && fCurrentTabs.Write(stream);
  written = stream.CloseWrite(1) == 0 && written;
  if (!written) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  return handle;
}

int32_t xMorvaEngine::PasteStyle(VMemHandle handle) {
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  if (size == 0) return kErrorBadStream;
  xMorvaProperties properties;
  xMorvaTabs tabs;
  const void* bytes = gMemoryMgr->LockHandle(handle);
  bool read = false;
  if (bytes != nullptr) {
    VMemoryStream stream(bytes, size);
    read = stream.OpenRead() == 0 && properties.Read(stream) && tabs.Read(stream);
    stream.CloseRead();
  }
  gMemoryMgr->UnlockHandle(handle);
  if (!read) return kErrorBadStream;
  return Reserved(kTransition * 4, [&]() {
    BeginUndoStep(kUndoParagraphFormat, 0);
    int32_t result = 0;
    for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty && result == 0; ++id)
      result = SetPropertyValue(id, properties.GetProperty(id));
    if (result == 0) result = SetTabs(tabs);
    EndUndoStep(result);
    return result;
  });
}
