// VIconShape: the 'cicn' data found in a resource file (the given one, the
// host's, the module's), read section by section within its bytes, turned
// into the three bitmaps the port draws, and recorded as a picture.
#include "graphics/VIconShape.h"

#include <memory>

#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/strings/VString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VResourceFile.h"
#include "graphics/GraphicsHooks.h"
#include "graphics/VMetafilePort.h"
#include "graphics/VPort.h"
#include "graphics/pictures/VPictureShape.h"
#include "platform/bytes/ByteSpanReader.h"
#include "platform/gdi/WinGdi.h"

namespace {

constexpr uint32_t kColorIconHeaderSize = 82;

void ReadBounds(ByteSpanReader& r, VMacRect* bounds) {
  bounds->top = r.I16();
  bounds->left = r.I16();
  bounds->bottom = r.I16();
  bounds->right = r.I16();
}

// A bit map record: base address (ignored), row bytes, bounds.
void ReadBitMapRecord(ByteSpanReader& r, VMacBitMap* map) {
  r.Skip(4);
  map->rowBytes = r.U16();
  ReadBounds(r, &map->bounds);
}

// The bytes of rows of `rowBytes` over the box's height, taken from the
// reader; null when the height is negative or the bytes are not there.
const uint8_t* TakeRows(ByteSpanReader& r, uint32_t rowBytes, const VMacRect& bounds,
                        uint32_t* size) {
  const int32_t height = int32_t{bounds.bottom} - bounds.top;
  if (height < 0) return r.Fail(), nullptr;
  *size = rowBytes * uint32_t(height);  // at most 0xFFFF * 0xFFFF
  return r.Span(*size);
}

// The icon's resource in one file: detached, it belongs to the icon.
VMemHandle DetachIcon(VResourceFile* file, int16_t id) {
  if (file == nullptr) return 0;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(kResTypeColorIcon, id, &owned);
  if (ref == 0) return 0;
  const VMemHandle handle = file->DetachResource(ref);
  if (owned) file->ReleaseResource(ref);
  return handle;
}

VResourceFile* ModuleResourceFile() {
  return gSystemServices != nullptr ? gSystemServices->GetModuleResourceFile() : nullptr;
}

}  // namespace

bool ReadColorIcon(const uint8_t* data, uint32_t size, VColorIconParts* parts) {
  *parts = VColorIconParts{};
  ByteSpanReader r(data, size, ByteSpanReader::Order::kBig);
  VMacPixMap& pm = parts->pixMap;
  r.Skip(4);
  pm.rowBytes = r.U16();
  ReadBounds(r, &pm.bounds);
  r.Skip(2);  // version
  pm.packType = r.I16();
  r.Skip(12);  // pack size and the two resolutions
  pm.pixelType = r.I16();
  pm.pixelSize = r.I16();
  pm.cmpCount = r.I16();
  pm.cmpSize = r.I16();
  r.Skip(12);  // plane bytes, colour table handle, reserved
  ReadBitMapRecord(r, &parts->mask);
  ReadBitMapRecord(r, &parts->image);
  r.Skip(4);
  if (r.Failed() || r.Position() != kColorIconHeaderSize) return false;

  parts->mask.baseAddr =
      TakeRows(r, parts->mask.rowBytes, parts->mask.bounds, &parts->mask.dataSize);
  parts->image.baseAddr =
      TakeRows(r, parts->image.rowBytes, parts->image.bounds, &parts->image.dataSize);
  r.Skip(6);  // seed and flags
  const int16_t last = r.I16();
  if (r.Failed() || last < -1) return false;
  const uint32_t entries = uint32_t(last + 1);
  if (uint64_t{entries} * 8 > r.Remaining()) return false;
  parts->colors.resize(entries);
  for (VMacColorSpec& c : parts->colors) {
    c.value = r.U16();
    c.red = r.U16();
    c.green = r.U16();
    c.blue = r.U16();
  }
  pm.baseAddr = TakeRows(r, pm.rowBytes & 0x7FFFu, pm.bounds, &pm.dataSize);
  if (r.Failed()) return false;
  pm.colors = parts->colors.data();
  pm.colorCount = uint16_t(entries);
  return true;
}

VIconShape::VIconShape(VResourceFile* file, int16_t id) : fId(id) { LoadById(file, id); }

VIconShape::VIconShape(VResourceFile* file, const uint8_t* pascalName) {
  LoadByName(file, [&](VResourceFile* f) {
    return f->GetPNamedResourceId(kResTypeColorIcon, pascalName);
  });
}

VIconShape::VIconShape(VResourceFile* file, const VString& name) {
  LoadByName(file,
             [&](VResourceFile* f) { return f->GetNamedResourceId(kResTypeColorIcon, &name); });
}

VIconShape::VIconShape(VResourceFile* file, const char* name) {
  LoadByName(file,
             [&](VResourceFile* f) { return f->GetCNamedResourceId(kResTypeColorIcon, name); });
}

VIconShape::VIconShape(VMemHandle data, int16_t id) : fData(data), fId(id) { SetBoxFromData(); }

VIconShape::VIconShape(const VIconShape& other)
    : VShape(0, 0, other.fWidth, other.fHeight), fId(other.fId) {
  if (other.fData != 0) fData = gMemoryMgr->DuplicateHandle(other.fData);
}

VIconShape::~VIconShape() {
  ReleaseBitmaps();
  if (fData != 0) gMemoryMgr->DisposeHandle(fData);
}

void VIconShape::LoadById(VResourceFile* file, int16_t id) {
  fData = DetachIcon(file, id);
  if (fData == 0) fData = DetachIcon(HostResourceFile(), id);
  if (fData == 0) fData = DetachIcon(ModuleResourceFile(), id);
  SetBoxFromData();
}

template <typename Lookup>
void VIconShape::LoadByName(VResourceFile* file, Lookup idOf) {
  for (VResourceFile* f : {file, HostResourceFile(), ModuleResourceFile()}) {
    if (f == nullptr) continue;
    const int16_t id = idOf(f);
    if (id == -1) continue;
    fId = id;
    fData = DetachIcon(f, id);
    break;
  }
  SetBoxFromData();
}

void VIconShape::SetBoxFromData() {
  if (fData == 0) return;
  const uint32_t size = gMemoryMgr->GetHandleSize(fData);
  VMacRect bounds;
  {
    const VHandleLocker lock(*gMemoryMgr, fData);
    if (!lock) return;
    // The pixel map's bounds are the record's fields at 6 to 13.
    ByteSpanReader r(lock.As<const uint8_t>(), size, ByteSpanReader::Order::kBig);
    r.Skip(6);
    ReadBounds(r, &bounds);
    if (r.Failed()) return;
  }
  fLeft = fTop = 0;
  fWidth = int32_t{bounds.right} - bounds.left;
  fHeight = int32_t{bounds.bottom} - bounds.top;
}

bool VIconShape::BuildBitmaps(VPort& port, const uint8_t* data, uint32_t size) {
  ReleaseBitmaps();
  VColorIconParts parts;
  if (!ReadColorIcon(data, size, &parts)) return false;
  fMask = BitmapFromMacBitMap(parts.mask);
  fImage = BitmapFromMacBitMap(parts.image);
  fColor = port.DIBFromPixMap(parts.pixMap);
  if (HasBitmaps()) return true;
  ReleaseBitmaps();
  return false;
}

bool VIconShape::EnsureBitmaps(VPort& port) {
  if (HasBitmaps()) return true;
  if (fData == 0) return false;
  const uint32_t size = gMemoryMgr->GetHandleSize(fData);
  const VHandleLocker lock(*gMemoryMgr, fData);
  return lock && BuildBitmaps(port, lock.As<const uint8_t>(), size);
}

void VIconShape::ReleaseBitmaps() {
  for (HBITMAP* bitmap : {&fMask, &fImage, &fColor}) {
    if (*bitmap != nullptr) DeleteObject(*bitmap);
    *bitmap = nullptr;
  }
}

VPictureShape* VIconShape::ToPictureShape() {
  auto port = std::make_unique<VMetafilePort>(nullptr, 0, 0, fWidth, fHeight);
  if (port->GetCurrentDC() == nullptr || !port->IsRecording()) return nullptr;
  const int32_t left = fLeft;
  const int32_t top = fTop;
  SetPosition(0, 0);
  port->DrawIcon(*this, 0);
  SetPosition(left, top);
  return port->EndAsPictureShape();
}
