// The document's font table and its 'wFNT' record.
#include "document/xMorvaFontTable.h"

#include <cstring>
#include <memory>

#include "document/StoredRecord_p.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"

namespace {

// Tables written before the version became a number carry its four
// characters as bytes, which a little-endian reading takes byte-reversed.
constexpr uint32_t kVersion0100 = 0x30313030;  // "0100"
// Indexes are 16-bit in the character properties.
constexpr int32_t kMaxFonts = 0x7FFF;

VString* NewName(const VString& text) {
  auto* name = new VStrInHandle();
  name->CopyText(text);
  return name;
}

}  // namespace

xMorvaFontTable::xMorvaFontTable() {
  VStr<8> arial;
  arial.SetAnsiCText("Arial");
  Reset(arial);
}

void xMorvaFontTable::Reset(const VString& defaultName) {
  fNames.SetCount(0, true);
  fKnown.SetCount(0, true);
  fNames.AppendObject(NewName(defaultName), false);
  fKnown.SetCount(1, false);
  fKnown.SetBoolean(1, 1);
}

bool xMorvaFontTable::SystemHasFont(VString& name, bool spelling) {
  if (gSystemServices == nullptr) return false;
  const VStringArray* list = gSystemServices->GetFontList(true);
  if (list == nullptr) return false;
  const int32_t found = list->Find(name);
  if (found <= 0) return false;
  if (spelling) {
    if (const VString* written = list->GetAt(found)) {
      name.SetEmpty(false);
      name.CopyText(*written);
    }
  }
  return true;
}

int16_t xMorvaFontTable::IndexForName(VString& name) {
  const int32_t found = fNames.Find(name);
  if (found > 0) return int16_t(found);
  if (Count() >= kMaxFonts) return 1;
  const bool known = SystemHasFont(name, true);
  return Append(name, known);
}

int16_t xMorvaFontTable::AddNameAsWritten(const VString& name) {
  const int32_t found = fNames.Find(name);
  if (found > 0) return int16_t(found);
  if (Count() >= kMaxFonts) return 1;
  VStrInHandle probe;
  probe.CopyText(name);
  return Append(name, SystemHasFont(probe, false));
}

int16_t xMorvaFontTable::Append(const VString& name, bool known) {
  fNames.AppendObject(NewName(name), false);
  fKnown.SetCount(Count(), false);
  fKnown.SetBoolean(known ? 1 : 0, Count());
  return int16_t(Count());
}

bool xMorvaFontTable::NameForIndex(int32_t index, VString& name, bool& known) const {
  name.SetEmpty(false);
  known = false;
  if (index < 1 || index > Count()) return false;
  if (const VString* entry = fNames.GetAt(index)) name.CopyText(*entry);
  known = fKnown.GetBoolean(index);
  return true;
}

bool xMorvaFontTable::Write(VStream& stream) const {
  stream.PutLong(int32_t(kFontTableResourceType));
  stream.PutLong(int32_t(kVersion0100));
  const_cast<VStringArray&>(fNames).WriteToStream(stream, 0);
  return stream.GetStatus() == 0;
}

bool xMorvaFontTable::Read(VStream& stream) {
  if (!ReadRecordTag(stream, kFontTableResourceType) || !stream.HasRemaining(4)) return false;
  uint32_t version = stream.GetULong();
  if (stream.GetStatus() != 0) return false;
  if (version != kVersion0100) Swap32(&version);
  if (version != kVersion0100) return false;
  // Into a list of its own first: a damaged or empty table must not take
  // the place of the document's.
  VStringArray names;
  if (names.ReadFromStream(stream, 0) != 0 || stream.GetStatus() != 0) return false;
  const int32_t count = names.Count();
  if (count < 1 || count > kMaxFonts) return false;
  VBooleanArray known(count);
  if (known.Count() != count) return false;
  for (int32_t i = 1; i <= count; ++i) {
    VStrInHandle name;
    if (const VString* entry = names.GetAt(i)) name.CopyText(*entry);
    known.SetBoolean(SystemHasFont(name, false) ? 1 : 0, i);
  }
  fNames = names;
  fKnown = known;
  return true;
}

bool xMorvaFontTable::WriteToFile(VResourceFile& file) const {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return false;
  bool written = stream.OpenWrite() == 0 && Write(stream);
  written = stream.CloseWrite(1) == 0 && written;
  if (written) {
    const uint32_t size = gMemoryMgr->GetHandleSize(handle);
    const void* data = gMemoryMgr->LockHandle(handle);
    written = data != nullptr && file.ReplaceResource(kFontTableResourceType, 0, data, size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return written;
}

bool xMorvaFontTable::ReadFromFile(VResourceFile& file) {
  uint8_t owned = 0;
  VResourceRef ref = file.GetResource(kFontTableResourceType, 0, &owned);
  if (ref == 0) return false;
  const uint32_t size = file.GetResourceSize(ref);
  const void* data = file.LockResource(ref);
  bool answer = false;
  if (data != nullptr) {
    VMemoryStream stream(data, size);
    answer = stream.OpenRead() == 0 && Read(stream);
    stream.CloseRead();
    file.UnlockResource(ref);
  }
  if (owned) file.ReleaseResource(ref);
  return answer;
}
