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
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine_p.h"
#include "engine/xMorvaPictureElement.h"
#include "engine/xMorvaTextTransferEngine.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "platform/bytes/ByteOrder.h"

namespace {

constexpr uint32_t kTagTransfer = FourCC("xMo7");
constexpr uint32_t kTagOldTransfer = FourCC("xMor");
constexpr uint32_t kTagStyleSheet = FourCC("wSTL");
// The default style sheet: never carried, always the same.
constexpr int32_t kDefaultSheet = 1;
// Ids 0 to 14 are compared for an 'xMor' stream, whose sheets do not travel.
constexpr uint16_t kLastOldCharacterProperty = 14;

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
  } else if (ReverseBytes32(tag) == kTagTransfer || ReverseBytes32(tag) == kTagOldTransfer) {
    transfer.old = ReverseBytes32(tag) == kTagOldTransfer;
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
  // Items cut short are left for the check that follows to refuse.
  if (swapped && !transfer.bytes.empty() && transfer.bytes.size() <= INT32_MAX)
    xMorvaEngine::SwapStream(transfer.bytes.data(), int32_t(transfer.bytes.size()));
  return 0;
}

// Checks the pasted bytes before any of them reach the text. Bytes that do
// not form whole items, and computed elements whose texts do not fit their
// payload, cannot be mended (1074). The counts and offsets of the head and
// the end sets are not trusted: they are taken again from the bytes (the
// end sets are the start sets with every record of the bytes applied).
int32_t CheckTransfer(Transfer& transfer) {
  std::vector<uint8_t>& bytes = transfer.bytes;
  uint32_t n = uint32_t(bytes.size());
  if (n % 2 != 0) return kErrorBadStream;
  int32_t positions = 0;
  int32_t paragraphEnds = 0;
  uint32_t firstEnd = 0;
  uint32_t lastEnd = 0;
  // Paragraph records behind the last paragraph end would change the
  // paragraph the text goes into: they are dropped.
  std::vector<uint32_t> paragraphRecords;
  for (uint32_t at = 0; at < n;) {
    const uint8_t* item = bytes.data() + at;
    const uint32_t remaining = n - at;
    // An element of odd length leaves one byte at the end: no whole unit.
    if (remaining < 2) return kErrorBadStream;
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
      if (code >= kFirstParagraphProperty) paragraphRecords.push_back(at);
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
  uint32_t kept = 0;
  uint32_t from = 0;
  for (uint32_t record : paragraphRecords) {
    if (record < lastEnd) continue;
    std::memmove(bytes.data() + kept, bytes.data() + from, record - from);
    kept += record - from;
    from = record + kRecordSize;
  }
  if (from != 0) {
    std::memmove(bytes.data() + kept, bytes.data() + from, n - from);
    n = kept + (n - from);
    bytes.resize(n);
  }

  xMorvaProperties end;
  end.Assign(transfer.ends.startProperties);
  xMorvaTabs endTabs;
  endTabs.Assign(transfer.ends.startTabs);
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes.data() + at, n - at);
    if (item.kind == StreamItem::kRecord) ApplyToSet(item.unit, item.value, end, endTabs);
    at += item.size;
  }
  transfer.length = positions;
  transfer.paragraphEnds = paragraphEnds;
  transfer.ends.firstEnd = firstEnd;
  transfer.ends.lastEnd = lastEnd;
  transfer.ends.endProperties.Assign(end);
  transfer.ends.endTabs.Assign(endTabs);
  return 0;
}

}  // namespace

// ---- The steps of a copy and a paste

uint32_t xMorvaEngine::PrepareCopy(uint8_t* bytes, uint32_t n, uint32_t& firstEnd, uint32_t& lastEnd,
                                   xMorvaProperties& start, xMorvaProperties& end, xMorvaTabs& startTabs,
                                   xMorvaTabs& endTabs) {
  // Character records before the first position go into the start
  // properties, records after the last position go, and so do the
  // paragraph records of the last, partial paragraph (they belong to the
  // paragraph the text is pasted into). The end sets are the start sets
  // with every kept record applied. Kept items move down over dropped
  // ones, in one pass.
  end.Assign(start);
  endTabs.Assign(startTabs);
  firstEnd = lastEnd = 0;
  int32_t positions = 0;
  int32_t counted = 0;
  uint32_t kept = 0;
  auto keep = [&](uint32_t from, uint32_t size) {
    if (from != kept) std::memmove(bytes + kept, bytes + from, size);
    kept += size;
  };
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes + at, n - at);
    const uint32_t from = at;
    at += item.size;
    if (item.kind == StreamItem::kUnit) {
      keep(from, 2);
      ++positions;
      if (item.unit == kUnitParagraphEnd) {
        ++counted;
        if (counted == 1) firstEnd = kept;
        if (counted == fParaEndCount) lastEnd = kept;
      }
    } else if (item.kind == StreamItem::kElement) {
      const uint32_t element = kept;
      keep(from, item.size);
      ++positions;
      // The ids of pictures (those inside computed elements' texts too)
      // mean nothing in another text: they are written as 0.
      ClearPictureIds(bytes + element, item.size);
    } else if (item.size == kRecordSize && item.unit < kFirstParagraphProperty) {
      if (positions == 0) {
        start.SetProperty(item.unit, int32_t(item.value));
        end.SetProperty(item.unit, int32_t(item.value));
      } else if (positions < fSelLength) {
        end.SetProperty(item.unit, int32_t(item.value));
        keep(from, kRecordSize);
      }
    } else if (item.size == kRecordSize && counted < fParaEndCount) {
      ApplyToSet(item.unit, item.value, end, endTabs);
      keep(from, kRecordSize);
    }
    // Paragraph records of the last paragraph and stray bytes are left out.
  }
  return kept;
}

VMemHandle xMorvaEngine::BuildStyleSheetBlock(xMorvaDocument& document, const xMorvaProperties& start,
                                              const uint8_t* bytes, uint32_t n) {
  VMemHandle block = gMemoryMgr->NewHandle(0, 0);
  if (block == 0) return 0;
  VMemoryResourceFile file(block, 1);
  VResourceFile* store = document.GetStyleSheetStore();
  auto save = [&](int32_t id) {
    if (id == kDefaultSheet || store == nullptr || file.HasResource(kTagStyleSheet, int16_t(id))) return;
    uint8_t owned = 0;
    const VResourceRef ref = store->GetResource(kTagStyleSheet, int16_t(id), &owned);
    if (ref == 0) return;
    VStr<kStyleSheetWholeNameLength> name;
    GetStyleSheetWholeName(*store, int16_t(id), name);
    const void* data = store->LockResource(ref);
    if (data != nullptr) {
      const int16_t added = file.AddResource(kTagStyleSheet, int16_t(id), &name, data, store->GetResourceSize(ref));
      // The whole name travels with the sheet.
      if (added != -1) SetStyleSheetWholeName(file, added, name);
      store->UnlockResource(ref);
    }
    if (owned) store->ReleaseResource(ref);
  };
  save(start.GetProperty(kPropStyleSheet));
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes + at, n - at);
    if (item.kind == StreamItem::kRecord && item.unit == kPropStyleSheet) save(int16_t(item.value));
    at += item.size;
  }
  file.UpdateFile();
  return block;
}

int16_t xMorvaEngine::MapFontId(const VStringArray& names, int32_t index, xMorvaDocument& document) {
  if (index < 1 || index > names.Count()) return 1;
  const VString* entry = names.GetAt(index);
  if (entry == nullptr) return 1;
  VStrInHandle name;
  name.CopyText(*entry);
  if (name.GetLength() == 0) return 1;
  const int16_t mapped = document.FontIndexForName(name);
  return mapped >= 1 ? mapped : int16_t(1);
}

void xMorvaEngine::MapFontRecords(uint8_t* bytes, uint32_t n, const VStringArray& names, xMorvaDocument& document) {
  std::map<int32_t, int16_t> mapped;
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes + at, n - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize && item.unit == kPropFont) {
      const int32_t index = int16_t(item.value);
      auto it = mapped.find(index);
      if (it == mapped.end()) it = mapped.emplace(index, MapFontId(names, index, document)).first;
      PutStreamLong(bytes + at + 4, uint32_t(int32_t(it->second)));
    }
    at += item.size;
  }
}

int32_t xMorvaEngine::MapStyleSheetId(int32_t id, VResourceFile* sheets, xMorvaDocument& document,
                                      std::vector<int32_t>& streamIds, std::vector<int32_t>& documentIds) {
  if (id == kDefaultSheet) return kDefaultSheet;
  for (size_t i = 0; i < streamIds.size(); ++i) {
    if (streamIds[i] == id) return documentIds[i];
  }
  // A sheet the stream does not carry is the default one.
  int32_t mapped = kDefaultSheet;
  VResourceFile* store = document.GetStyleSheetStore();
  if (sheets != nullptr && store != nullptr && sheets->HasResource(kTagStyleSheet, int16_t(id))) {
    VStr<kStyleSheetWholeNameLength> name;
    GetStyleSheetWholeName(*sheets, int16_t(id), name);
    // The document's sheet of that name, when it has one.
    const int32_t count = store->CountResources(kTagStyleSheet);
    bool found = false;
    for (int32_t i = 1; i <= count && !found; ++i) {
      const int16_t present = store->GetIndResourceId(kTagStyleSheet, i);
      VStr<kStyleSheetWholeNameLength> presentName;
      GetStyleSheetWholeName(*store, present, presentName);
      if (SameStyleSheetName(presentName, name)) {
        mapped = present;
        found = true;
      }
    }
    if (!found) {
      // Else a new one, under the id a new sheet takes.
      uint8_t owned = 0;
      const VResourceRef ref = sheets->GetResource(kTagStyleSheet, int16_t(id), &owned);
      const void* data = ref != 0 ? sheets->LockResource(ref) : nullptr;
      if (data != nullptr) {
        const int16_t wanted = NewStyleSheetId(document, *store);
        const int16_t added =
            store->AddResource(kTagStyleSheet, wanted, &name, data, sheets->GetResourceSize(ref));
        if (added != -1) {
          mapped = added;
          SetStyleSheetWholeName(*store, added, name);
        }
        sheets->UnlockResource(ref);
      }
      if (ref != 0 && owned) sheets->ReleaseResource(ref);
    }
  }
  streamIds.push_back(id);
  documentIds.push_back(mapped);
  return mapped;
}

void xMorvaEngine::MapStyleSheetRecords(uint8_t* bytes, uint32_t n, VResourceFile* sheets, xMorvaDocument& document,
                                        std::vector<int32_t>& streamIds, std::vector<int32_t>& documentIds) {
  for (uint32_t at = 0; at < n;) {
    const StreamItem item = ReadStreamItem(bytes + at, n - at);
    if (item.kind == StreamItem::kRecord && item.size == kRecordSize && item.unit == kPropStyleSheet) {
      const int32_t mapped = MapStyleSheetId(int16_t(item.value), sheets, document, streamIds, documentIds);
      PutStreamLong(bytes + at + 4, uint32_t(mapped));
    }
    at += item.size;
  }
}

// ---- Writing

VMemHandle xMorvaEngine::WriteStream(xMorvaDocument& document) {
  const uint32_t end = std::min(fSelEndOffset, fBytesInUse);
  uint32_t n = end > fSelStartOffset ? end - fSelStartOffset : 0;
  TransferEnds ends;
  ends.startProperties.Assign(fWalk);
  ends.startTabs.Assign(fWalkTabs);
  ReadParagraphRecordsAt(fParaStartOffset, ends.startProperties, ends.startTabs);
  std::vector<uint8_t> copy(n);
  if (n != 0) {
    const uint8_t* stream = LockStream();
    if (stream == nullptr) return 0;
    std::memcpy(copy.data(), stream + fSelStartOffset, n);
    UnlockStream();
  }
  n = PrepareCopy(copy.data(), n, ends.firstEnd, ends.lastEnd, ends.startProperties, ends.endProperties,
                  ends.startTabs, ends.endTabs);
  copy.resize(n);
  const VMemHandle sheets = BuildStyleSheetBlock(document, ends.startProperties, copy.data(), n);
  if (sheets == 0) return 0;

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
  std::unique_ptr<VMemoryResourceFile> sheets;
  if (!transfer.old && !transfer.sheets.empty())
    sheets.reset(new VMemoryResourceFile(transfer.sheets.data(), uint32_t(transfer.sheets.size())));
  std::vector<int32_t> streamIds;
  std::vector<int32_t> documentIds;
  for (xMorvaProperties* set : {&ends.startProperties, &ends.endProperties}) {
    set->SetProperty(kPropFont, MapFontId(transfer.fontNames, set->GetProperty(kPropFont), document));
    if (!transfer.old) {
      set->SetProperty(kPropStyleSheet, MapStyleSheetId(set->GetProperty(kPropStyleSheet), sheets.get(), document,
                                                        streamIds, documentIds));
    }
  }
  MapFontRecords(transfer.bytes.data(), uint32_t(transfer.bytes.size()), transfer.fontNames, document);
  // The older form carries no sheets: its sheet records fall back to the
  // default sheet.
  MapStyleSheetRecords(transfer.bytes.data(), uint32_t(transfer.bytes.size()), sheets.get(), document, streamIds,
                       documentIds);
  sheets.reset();

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

int32_t xMorvaEngine::CheckTransferStream(const void* bytes, uint32_t size) {
  static const uint8_t kNothing = 0;
  VMemoryStream stream(bytes != nullptr ? bytes : &kNothing, bytes != nullptr ? size : 0);
  if (stream.OpenRead() != 0) return kErrorBadStream;
  Transfer transfer;
  int32_t error = ReadTransfer(stream, transfer);
  stream.CloseRead();
  if (error == 0) error = CheckTransfer(transfer);
  if (error != 0) return error;
  if (transfer.bytes.empty()) return 0;
  // Fonts and style sheets are remapped by the paste (an index or a sheet
  // the stream does not carry becomes the default one), so they count as
  // present here; every other rule of the repair holds.
  std::vector<int32_t> sheets{kDefaultSheet};
  for (uint32_t at = 0; at < transfer.bytes.size();) {
    const StreamItem item = ReadStreamItem(transfer.bytes.data() + at, uint32_t(transfer.bytes.size()) - at);
    if (item.kind == StreamItem::kRecord && item.unit == kPropStyleSheet) sheets.push_back(int32_t(item.value));
    if (item.size == 0) break;
    at += item.size;
  }
  xMorvaEngine scratch(nullptr, kPartGranule);
  if (!scratch.IsValid() || !scratch.ReplaceStreamBytes(transfer.bytes.data(), uint32_t(transfer.bytes.size())))
    return kErrorTextCannotGrow;
  bool damaged = false;
  scratch.RepairStream(INT32_MAX, sheets, damaged);
  return damaged ? kErrorBadStream : 0;
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
