// The fuzz targets' shared set-up and the resource file walk.
#include "fuzz/FuzzSupport.h"

#include <cstring>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VResourceFile.h"
#include "platform/gdi/GdiTopDownBitmap.h"
#include "platform/gdi/WinGdi.h"

void StartFuzzServices() {
  if (gHeap != nullptr) return;
  // Both from the language runtime's allocator, the heap first, as start-up
  // makes them; never released, since every input of the run uses them.
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
}

namespace {

// A reader must give a resource's bytes in full: every byte is touched so
// that a size larger than the data shows up under the address checker.
uint32_t TouchResource(VResourceFile& file, VResourceRef ref) {
  if (ref == 0) return 0;
  const uint32_t size = file.GetResourceSize(ref);
  uint32_t sum = 0;
  if (const auto* bytes = static_cast<const uint8_t*>(file.LockResource(ref))) {
    for (uint32_t i = 0; i < size; ++i) sum += bytes[i];
    file.UnlockResource(ref);
  }
  return sum;
}

// Bounds the walk of a file that claims very many resources, so that one
// input stays well under a second.
constexpr int32_t kMostTypes = 64;
constexpr int32_t kMostPerType = 64;

}  // namespace

void WalkResourceFile(VResourceFile& file) {
  if (!file.IsOpen()) return;
  volatile uint32_t sink = 0;
  VLongArray* types = file.GetResourceTypes();
  const int32_t typeCount = types != nullptr ? types->Count() : 0;
  for (int32_t t = 1; t <= typeCount && t <= kMostTypes; ++t) {
    const auto type = static_cast<uint32_t>(types->GetLong(t));
    const int32_t count = file.CountResources(type);

    VWordArray* ids = file.GetResourceIds(type);
    const int32_t idCount = ids != nullptr ? ids->Count() : 0;
    for (int32_t i = 1; i <= idCount && i <= kMostPerType; ++i) {
      const int16_t id = ids->GetWord(i);
      uint8_t owned = 0;
      VResourceRef ref = file.GetResource(type, id, &owned);
      sink = sink + TouchResource(file, ref) + file.GetResourceSizeById(type, id);
      VStr<255> name;
      file.GetResourceName(&name, type, id);
      if (ref != 0) {
        VStr<255> handleName;
        file.GetResourceNameOfHandle(&handleName, ref);
        sink = sink + uint32_t(file.GetResourceId(ref));
        file.ReleaseResource(ref);
      }
      if (type == kResTypeSTRList) {
        VStringArray* strings = file.NewStringList(id);
        sink = sink + uint32_t(strings != nullptr ? strings->Count() : 0);
        delete strings;
        VStr<255> item;
        file.GetIndString(&item, id, 1);
      }
    }
    delete ids;

    VStringArray* names = file.GetResourceNames(type);
    const int32_t nameCount = names != nullptr ? names->Count() : 0;
    for (int32_t i = 1; i <= nameCount && i <= kMostPerType; ++i) {
      const VString* name = names->GetAt(i);
      if (name == nullptr) continue;
      uint8_t owned = 0;
      VResourceRef ref = file.GetNamedResource(type, name, &owned);
      sink = sink + TouchResource(file, ref);
      if (ref != 0) file.ReleaseResource(ref);
      sink = sink + uint32_t(file.GetNamedResourceId(type, name));
    }
    delete names;

    for (int32_t i = 1; i <= count && i <= kMostPerType; ++i) {
      uint8_t owned = 0;
      VResourceRef ref = file.GetIndResource(type, int16_t(i), &owned);
      sink = sink + TouchResource(file, ref) + uint32_t(file.GetIndResourceId(type, i));
      if (ref != 0) file.ReleaseResource(ref);
    }
    sink = sink + uint32_t(file.UniqueResourceId(type));
  }
  delete types;

  // The file type map is read from the 'FMAP' resources of a file.
  VFileTypeMap map;
  map.LoadFileTypeMap(file);
  sink = sink + map.ExtensionForFileType(FourCC("TEXT")) + map.FileTypeForExtension(FourCC("TXT\0"));
  (void)sink;
}

std::vector<uint8_t> WrittenBytes(const std::function<bool(VStream&)>& write, bool bigEndian,
                                  bool* ok) {
  VMemHandle handle = 0;
  std::vector<uint8_t> bytes;
  {
    VHandleStream stream(handle);
    if (bigEndian) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    if (stream.OpenWrite() != kStreamNoError) {
      if (ok != nullptr) *ok = false;
      return bytes;
    }
    const bool answer = write(stream);
    if (ok != nullptr) *ok = answer;
    stream.CloseWrite(1);
  }
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  if (size != 0) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    bytes.assign(data, data + size);
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

FuzzDevice::FuzzDevice() {
  fDC = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  fBitmap = CreateTopDownBitmap32(fDC, 64, 64, &bits);
  fOld = SelectObject(fDC, fBitmap);
}

FuzzDevice::~FuzzDevice() {
  SelectObject(fDC, static_cast<HGDIOBJ>(fOld));
  DeleteObject(fBitmap);
  DeleteDC(fDC);
}

namespace {

constexpr uint8_t kAddedData[] = {'a', 'd', 'd', 'e', 'd', 0, 1, 2};

}  // namespace

int16_t ChangeResourceFile(VResourceFile& file) {
  if (!file.IsOpen()) return -1;
  VLongArray* types = file.GetResourceTypes();
  if (types != nullptr && types->Count() > 0) {
    const auto type = static_cast<uint32_t>(types->GetLong(1));
    VWordArray* ids = file.GetResourceIds(type);
    const int32_t idCount = ids != nullptr ? ids->Count() : 0;
    if (idCount > 0) file.RemoveResource(type, ids->GetWord(1));
    if (idCount > 1) {
      const int16_t id = ids->GetWord(idCount);
      uint8_t owned = 0;
      if (VResourceRef ref = file.GetResource(type, id, &owned)) {
        if (file.SetResourceSize(ref, file.GetResourceSize(ref) + 3)) file.WriteResource(ref);
        file.ReleaseResource(ref);
      }
      VStr<255> name;
      name.SetAnsiCText("Renamed");
      file.SetResourceName(type, id, &name);
    }
    delete ids;
  }
  delete types;
  VStr<255> name;
  name.SetAnsiCText("Added");
  return file.AddResource(kFuzzAddedType, -1, &name, kAddedData, sizeof kAddedData);
}

bool HasAddedResource(VResourceFile& file, int16_t id) {
  uint8_t owned = 0;
  VResourceRef ref = file.GetResource(kFuzzAddedType, id, &owned);
  if (ref == 0) return false;
  bool same = file.GetResourceSize(ref) == sizeof kAddedData;
  if (const auto* bytes = static_cast<const uint8_t*>(file.LockResource(ref))) {
    same = same && std::memcmp(bytes, kAddedData, sizeof kAddedData) == 0;
    file.UnlockResource(ref);
  } else {
    same = false;
  }
  file.ReleaseResource(ref);
  return same;
}
