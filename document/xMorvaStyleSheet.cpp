// Style sheets: the 'wSTL' record and its place in the document's resource
// store.
#include "document/xMorvaStyleSheet.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "document/StoredRecord_p.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaFontTable.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/system/resources/VResourceFile.h"

namespace {

constexpr char16_t kLineEnd = 13;
// The highest id the store draws for a resource when none is asked for.
constexpr int16_t kHighestDrawnStyleSheetId = 31999;

// A copy of the resource's bytes; false when the store has none.
bool CopyResourceBytes(VResourceFile& store, int16_t id, std::vector<uint8_t>& bytes) {
  uint8_t owned = 0;
  const VResourceRef ref = store.GetResource(kStyleSheetResourceType, id, &owned);
  if (ref == 0) return false;
  const uint32_t size = store.GetResourceSize(ref);
  const auto* data = static_cast<const uint8_t*>(store.LockResource(ref));
  const bool copied = data != nullptr || size == 0;
  if (data != nullptr) bytes.assign(data, data + size);
  store.UnlockResource(ref);
  if (owned) store.ReleaseResource(ref);
  return copied;
}

// The sheet's record in a new handle (the caller's); 0 when it cannot be
// written.
VMemHandle WriteToHandle(const xMorvaStyleSheet& sheet) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return 0;
  bool written = stream.OpenWrite() == 0 && sheet.WriteBody(stream);
  written = stream.CloseWrite(1) == 0 && written;
  if (!written) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  return handle;
}

}  // namespace

xMorvaStyleSheet::xMorvaStyleSheet() { Init(); }

xMorvaStyleSheet::~xMorvaStyleSheet() = default;

void xMorvaStyleSheet::Init() {
  reserved = 0;
  paragraphSheet = 1;
  shortcut = 0;
  properties.SetDefaults();
  states.ClearAll();
  tabs.Clear();
  fontName.SetEmpty(false);
}

void xMorvaStyleSheet::Assign(const xMorvaStyleSheet& other) {
  reserved = other.reserved;
  paragraphSheet = other.paragraphSheet;
  properties.Assign(other.properties);
  states.Assign(other.states);
  tabs.Assign(other.tabs);
  fontName.SetEmpty(false);
  fontName.CopyText(other.fontName);
  shortcut = other.shortcut;
}

// ---- The record

bool xMorvaStyleSheet::WriteBody(VStream& stream) const {
  WriteRecordHead(stream, kStyleSheetResourceType, kVersion);
  stream.PutByte(reserved);
  stream.PutByte(paragraphSheet);
  stream.PutWord(int16_t(shortcut));
  if (!properties.Write(stream) || !states.Write(stream) || !tabs.Write(stream)) return false;
  const_cast<VStr<kFontNameLength>&>(fontName).WriteToStream(stream, 0);
  return stream.GetStatus() == 0;
}

bool xMorvaStyleSheet::ReadBody(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kStyleSheetResourceType)) return false;
  if (!ReadRecordVersion(stream, {kVersion}, version)) return false;
  if (!stream.HasRemaining(4)) return false;
  // Read into a copy, so that a record that is not whole changes nothing.
  xMorvaStyleSheet read;
  read.reserved = stream.GetByte();
  read.paragraphSheet = stream.GetByte();
  read.shortcut = uint16_t(stream.GetWord());
  // Each part must read whole: a part that does not would leave the
  // stream in the middle of it and the rest read as garbage.
  if (!read.properties.Read(stream) || !read.states.Read(stream) || !read.tabs.Read(stream)) return false;
  // An empty name is stored as a bare zero length.
  const int32_t status = read.fontName.ReadFromStream(stream, 0);
  if (status != 0 && status != -3 && status != 100) return false;
  if (stream.GetStatus() != 0) return false;
  Assign(read);
  return true;
}

bool ReadStyleSheetBytes(const uint8_t* data, uint32_t size, xMorvaStyleSheet& sheet) {
  if (data == nullptr && size != 0) return false;
  static const uint8_t kNothing = 0;
  VMemoryStream stream(data != nullptr ? data : &kNothing, size);
  if (stream.OpenRead() != 0) return false;
  const bool read = sheet.ReadBody(stream);
  stream.CloseRead();
  return read;
}

bool ReadStyleSheetResource(VResourceFile& store, int16_t id, xMorvaStyleSheet& sheet) {
  if (!store.HasResource(kStyleSheetResourceType, id)) return false;
  std::vector<uint8_t> bytes;
  if (!CopyResourceBytes(store, id, bytes)) return false;
  return ReadStyleSheetBytes(bytes.data(), uint32_t(bytes.size()), sheet);
}

// ---- Fonts

void xMorvaStyleSheet::RefreshFontName(xMorvaDocumentInterface& document) {
  xMorvaFontTable* fonts = document.GetFontTable();
  if (fonts == nullptr) return;
  VStrInHandle name;
  bool known = false;
  if (!fonts->NameForIndex(properties.GetProperty(kPropFont), name, known)) return;
  fontName.SetEmpty(false);
  fontName.CopyText(name);
}

void xMorvaStyleSheet::ApplyFontName(xMorvaDocumentInterface& document) {
  xMorvaFontTable* fonts = document.GetFontTable();
  if (fonts == nullptr || fontName.GetLength() == 0) return;
  VStrInHandle name(fontName);
  const int16_t index = fonts->IndexForName(name);
  if (index > 0) properties.SetProperty(kPropFont, index);
}

// ---- The store

bool xMorvaStyleSheet::Load(xMorvaDocumentInterface& document, VResourceFile& store, int16_t id) {
  if (!ReadStyleSheetResource(store, id, *this)) return false;
  ApplyFontName(document);
  return true;
}

bool xMorvaStyleSheet::LoadAt(xMorvaDocumentInterface& document, VResourceFile& store, int32_t n) {
  if (n < 1 || n > store.CountResources(kStyleSheetResourceType)) return false;
  return Load(document, store, store.GetIndResourceId(kStyleSheetResourceType, n));
}

int16_t NewStyleSheetId(xMorvaDocumentInterface& document, VResourceFile& store) {
  // A sheet that undo or redo would put back keeps its id: another sheet
  // under it would be overwritten, and its runs would show the other one.
  const std::vector<int16_t> held = document.HeldStyleSheetIds();
  int32_t highest = INT32_MIN;
  const int32_t count = store.CountResources(kStyleSheetResourceType);
  for (int32_t i = 1; i <= count; ++i)
    highest = std::max<int32_t>(highest, store.GetIndResourceId(kStyleSheetResourceType, i));
  for (int16_t id : held) highest = std::max<int32_t>(highest, id);
  if (highest == INT32_MIN) return -32767;
  if (highest < 32767) return int16_t(highest + 1);
  // No id above 32767: the store then draws a free one.
  if (held.empty()) return -1;
  for (int16_t id = 1; id <= kHighestDrawnStyleSheetId; ++id) {
    if (!store.HasResource(kStyleSheetResourceType, id) && std::find(held.begin(), held.end(), id) == held.end())
      return id;
  }
  return -1;
}

bool xMorvaStyleSheet::SaveNew(xMorvaDocumentInterface& document, VResourceFile& store, const VString& name,
                               int16_t& id, int32_t wantedId) {
  RefreshFontName(document);
  const VMemHandle handle = WriteToHandle(*this);
  if (handle == 0) return false;
  const int16_t given = wantedId == -1 ? NewStyleSheetId(document, store) : int16_t(wantedId);
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const void* data = gMemoryMgr->LockHandle(handle);
  const int16_t stored = data != nullptr ? store.AddResource(kStyleSheetResourceType, given, &name, data, size) : -1;
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  if (stored == -1) return false;
  // A sheet whose whole name cannot be kept is not added under a part of it.
  if (!SetStyleSheetWholeName(store, stored, name)) {
    store.RemoveResource(kStyleSheetResourceType, stored);
    RemoveStyleSheetWholeName(store, stored);
    return false;
  }
  id = stored;
  return true;
}

bool xMorvaStyleSheet::Save(xMorvaDocumentInterface& document, VResourceFile& store, int16_t id,
                            const VString* newName) {
  if (!store.HasResource(kStyleSheetResourceType, id)) return false;
  // The document keeps the sheet as its text carries it, for undo.
  document.StyleSheetChanging(id);
  RefreshFontName(document);
  const VMemHandle handle = WriteToHandle(*this);
  if (handle == 0) return false;
  const void* data = gMemoryMgr->LockHandle(handle);
  const bool saved = data != nullptr && store.ReplaceResource(kStyleSheetResourceType, id, data,
                                                              gMemoryMgr->GetHandleSize(handle));
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  if (saved && newName != nullptr) return SetStyleSheetWholeName(store, id, *newName);
  return saved;
}

int16_t xMorvaStyleSheet::FindOrAdd(xMorvaDocumentInterface& document, VResourceFile& store,
                                    const VString& name) {
  const int32_t count = store.CountResources(kStyleSheetResourceType);
  for (int32_t i = 1; i <= count; ++i) {
    const int16_t id = store.GetIndResourceId(kStyleSheetResourceType, i);
    VStr<kStyleSheetWholeNameLength> stored;
    GetStyleSheetWholeName(store, id, stored);
    if (SameStyleSheetName(stored, name)) return id;
  }
  int16_t id = 0;
  return SaveNew(document, store, name, id) ? id : 0;
}

void xMorvaStyleSheet::Describe(xMorvaDocumentInterface& document, VString& text) const {
  VStrInHandle described;
  properties.Describe(document, states, described);
  if (states.GetState(kPropTabs) == 1) {
    VStrInHandle stops;
    tabs.Describe(document, stops);
    if (described.GetLength() > 0 && stops.GetLength() > 0) described.AppendUniChar(kLineEnd);
    described.CopyText(stops);
  }
  text.CopyText(described);
}
