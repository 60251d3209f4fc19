// The Resource Manager stand-in: resource files in the classic resource-fork
// layout kept as ordinary files, read whole when opened and written anew on update.
#include "platform/toolbox/TbxResources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/bytes/ByteAppend.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/win32/WinFiles.h"
#include "platform/win32/WinMemory.h"

namespace Tbx {
namespace {

// The stored layout, every number big-endian:
//   header (16 bytes at offset 0): data offset, map offset, data length, map length (u32 each);
//     bytes 16..255 are reserved and written as zeros; the data area starts at 256.
//   data area: for each resource a u32 length and that many bytes.
//   map: a copy of the header (16), next-map handle (4, zero), file reference (2, zero),
//     file attributes (u16), offset of the type list from the map (u16, 28),
//     offset of the name list from the map (u16);
//     type list: number of types - 1 (u16; 0xFFFF for none), then per type: type (u32),
//     number of resources - 1 (u16), offset of its reference list from the type list (u16);
//     reference lists: per resource 12 bytes: id (i16), offset of its name from the name
//     list (u16, 0xFFFF for none), attributes (u8), offset of its data from the data
//     area (24 bits), and 4 reserved bytes (zero);
//     name list: length-prefixed names.
constexpr uint32_t kHeaderSize = 16;
constexpr uint32_t kDataStart = 256;
constexpr uint32_t kMapHeaderSize = 28;
constexpr uint32_t kTypeEntrySize = 8;
constexpr uint32_t kRefEntrySize = 12;
constexpr uint16_t kNoName = 0xFFFF;
constexpr uint32_t kMaxDataOffset = 0xFFFFFF;  // the reference's offset field has 24 bits
// A file is read whole into memory; one larger than a global block can hold is refused.
constexpr uint64_t kMaxFileSize = kGlobalMaxBlockSize;
// Attribute bits of the map that say something about the map in memory, not the file.
constexpr uint16_t kMapChanged = 0x20;

uint32_t Get24(const uint8_t* p) { return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]; }
void Set16(std::vector<uint8_t>& out, size_t at, uint16_t v) { StoreBE16(&out[at], v); }
void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v) { StoreBE32(&out[at], v); }

struct ResFile;

struct ResEntry {
  ResFile* file = nullptr;
  ResType type = 0;
  int16_t id = 0;
  uint8_t attrs = 0;  // resChanged set while the handle holds data not yet stored
  std::string name;   // empty for no name
  // Where the stored bytes are when the handle is not the one to write:
  // the bytes stored by WriteResource since the last update, else the file's image.
  bool inImage = false;
  uint32_t imageOffset = 0;
  uint32_t imageLength = 0;
  bool hasPending = false;
  std::vector<uint8_t> pending;
  Handle handle = 0;
  bool loaded = false;  // the handle holds the data, in native order
};

struct ResFile {
  int16_t refNum = -1;
  std::string path;  // absolute
  std::vector<uint8_t> image;
  uint16_t fileAttrs = 0;
  ResSwapProc swap = nullptr;
  std::vector<std::unique_ptr<ResEntry>> entries;  // in map order
  bool mapChanged = false;

  bool Dirty() const {
    if (mapChanged) return true;
    for (const auto& e : entries)
      if ((e->attrs & resChanged) || e->hasPending) return true;
    return false;
  }
};

struct State {
  std::vector<std::unique_ptr<ResFile>> chain;  // the most recently opened first
  int16_t current = -1;
  bool resLoad = true;
  OSErr error = noErr;
  int16_t lastRef = 0;
  std::unordered_map<Handle, ResEntry*> byHandle;
};

State& S() {
  static State* s = new State;  // never destroyed: handles may outlive statics
  return *s;
}

OSErr SetErr(OSErr e) { return S().error = e; }

bool HandleValid(Handle h) { return h != 0 && GlobalFlags(GlobalFromValue(h)) != 0x8000; }

std::string PathOf(const uint8_t* pascalPath) {
  if (pascalPath == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(pascalPath + 1), pascalPath[0]);
}

std::string NameOf(const uint8_t* pascalName) {
  if (pascalName == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(pascalName + 1), pascalName[0]);
}

// Resource names compare without regard to the case of ASCII letters.
bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved)) return resolved;
  if (path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

OSErr ErrnoToErr(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return fnfErr;
    case EACCES:
    case EPERM:
    case EROFS:
      return permErr;
    case ENOSPC:
    case EDQUOT:
      return dskFulErr;
    default:
      return ioErr;
  }
}

OSErr ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ErrnoToErr(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return fnfErr;
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
    close(fd);
    return mapReadErr;
  }
  out->resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < out->size()) {
    ssize_t n = read(fd, out->data() + done, out->size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      return ioErr;
    }
    done += static_cast<size_t>(n);
  }
  close(fd);
  return noErr;
}

// The Resource Manager's error for a failed Win32 file call.
OSErr WinErrorToErr(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return fnfErr;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return permErr;
    case ERROR_HANDLE_DISK_FULL:
      return dskFulErr;
    default:
      return ioErr;
  }
}

// Writes `bytes` as the file at `path`: into a new file beside it (private
// while it is written), flushed, then put in the old one's place in one step
// with the old one's protection, so that any failure leaves the old file
// whole and a crash leaves the old file or the new one.
OSErr WriteFileBeside(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return ErrnoToErr(errno);
  OSErr err = noErr;
  size_t done = 0;
  while (err == noErr && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? ErrnoToErr(errno) : ioErr;
      break;
    }
    done += static_cast<size_t>(n);
  }
  // The old file's protection, given before the flush that puts it on the
  // disk with the bytes.
  if (err == noErr && !TakeProtectionOfDescriptor(fd, path.c_str()))
    err = WinErrorToErr(GetLastError());
  if (err == noErr && fsync(fd) != 0) err = ErrnoToErr(errno);
  if (close(fd) != 0 && err == noErr) err = ErrnoToErr(errno);
  if (err == noErr && !PutFileInPlaceA(name.data(), path.c_str())) err = WinErrorToErr(GetLastError());
  if (err != noErr) unlink(name.data());
  return err;
}

// Reads the header and the map of a file's bytes into `file`'s entries. Every
// offset and count is checked against the bytes before it is used; anything
// out of place makes the whole file unreadable (mapReadErr).
OSErr ParseImage(ResFile& file) {
  const std::vector<uint8_t>& img = file.image;
  const uint64_t size = img.size();
  if (size == 0) return eofErr;
  if (size < kHeaderSize) return mapReadErr;
  const uint32_t dataOff = LoadBE32(&img[0]);
  const uint32_t mapOff = LoadBE32(&img[4]);
  const uint32_t dataLen = LoadBE32(&img[8]);
  const uint32_t mapLen = LoadBE32(&img[12]);
  if (uint64_t(dataOff) + dataLen > size || uint64_t(mapOff) + mapLen > size) return mapReadErr;
  if (mapLen < kMapHeaderSize + 2) return mapReadErr;
  const uint8_t* map = &img[mapOff];
  const uint16_t typeListOff = LoadBE16(map + 24);
  const uint16_t nameListOff = LoadBE16(map + 26);
  if (uint32_t(typeListOff) + 2 > mapLen) return mapReadErr;
  const uint8_t* typeList = map + typeListOff;
  const uint32_t typeCount = (uint32_t(LoadBE16(typeList)) + 1) & 0xFFFF;  // 0xFFFF: none
  if (uint64_t(typeListOff) + 2 + uint64_t(typeCount) * kTypeEntrySize > mapLen) return mapReadErr;

  // Reference lists do not overlap in a sound map, so together they fit the
  // map; holding the total to that keeps a crafted map from claiming
  // billions of resources through type entries that share one list.
  const uint64_t maxRefs = mapLen / kRefEntrySize;
  uint64_t totalRefs = 0;
  std::vector<std::unique_ptr<ResEntry>> entries;
  for (uint32_t t = 0; t < typeCount; ++t) {
    const uint8_t* te = typeList + 2 + t * kTypeEntrySize;
    const ResType type = LoadBE32(te);
    const uint32_t count = (uint32_t(LoadBE16(te + 4)) + 1) & 0xFFFF;
    const uint16_t refOff = LoadBE16(te + 6);
    totalRefs += count;
    if (totalRefs > maxRefs) return mapReadErr;
    const uint64_t refStart = uint64_t(typeListOff) + refOff;
    if (refStart + uint64_t(count) * kRefEntrySize > mapLen) return mapReadErr;
    for (uint32_t r = 0; r < count; ++r) {
      const uint8_t* re = map + refStart + r * kRefEntrySize;
      auto e = std::make_unique<ResEntry>();
      e->file = &file;
      e->type = type;
      e->id = static_cast<int16_t>(LoadBE16(re));
      const uint16_t nameOff = LoadBE16(re + 2);
      e->attrs = static_cast<uint8_t>(re[4] & ~resChanged);
      const uint32_t off = Get24(re + 5);
      if (nameOff != kNoName) {
        const uint64_t at = uint64_t(nameListOff) + nameOff;
        if (at + 1 > mapLen) return mapReadErr;
        const uint8_t len = map[at];
        if (at + 1 + len > mapLen) return mapReadErr;
        e->name.assign(reinterpret_cast<const char*>(map + at + 1), len);
      }
      if (uint64_t(off) + 4 > dataLen) return mapReadErr;
      const uint32_t len = LoadBE32(&img[dataOff + off]);
      if (uint64_t(off) + 4 + len > dataLen) return mapReadErr;
      e->inImage = true;
      e->imageOffset = dataOff + off + 4;
      e->imageLength = len;
      entries.push_back(std::move(e));
    }
  }
  file.fileAttrs = static_cast<uint16_t>(LoadBE16(map + 22) & ~kMapChanged);
  file.entries = std::move(entries);
  return noErr;
}

// Converts a resource's data between stored and native order for a file
// that has a swap procedure: the standard types whose layout the Resource
// Manager knows itself ('STR#', whose count is a 16-bit number) it converts
// on its own; every other type goes to the procedure. A file without a
// procedure hands out and takes its resources' bytes as they are stored.
void Convert(const ResFile& file, uint8_t direction, ResType type, uint32_t size, uint8_t* data) {
  if (file.swap == nullptr) return;
  if (type == 0x53545223) {  // 'STR#'
    if (std::endian::native == std::endian::little && size >= 2) std::swap(data[0], data[1]);
    return;
  }
  file.swap(direction, type, size, data);
}

// The stored bytes of a resource that its handle does not hold changed.
const uint8_t* StoredBytes(const ResEntry& e, uint32_t* length) {
  if (e.hasPending) {
    *length = static_cast<uint32_t>(e.pending.size());
    return e.pending.data();
  }
  if (e.inImage) {
    *length = e.imageLength;
    return e.file->image.data() + e.imageOffset;
  }
  *length = 0;
  return nullptr;
}

// The handle's data turned into stored order: a copy converted by the file's
// procedure, so that the caller's resource stays native.
OSErr StoredCopyOfHandle(const ResEntry& e, std::vector<uint8_t>* out) {
  const int32_t size = GetHandleSize(e.handle);
  if (MemError() != noErr) return MemError();
  out->assign(static_cast<size_t>(size), 0);
  if (size > 0) {
    {
      HandleLocker p(e.handle);
      if (!p) return MemError() ? MemError() : nilHandleErr;
      std::memcpy(out->data(), p.Data(), static_cast<size_t>(size));
    }
    Convert(*e.file, 0, e.type, static_cast<uint32_t>(size), out->data());
  }
  return noErr;
}

// The new bytes of the whole file, with the new place of each resource's data.
OSErr BuildImage(const ResFile& file, std::vector<uint8_t>* out,
                 std::vector<uint32_t>* dataOffsets) {
  // Types in the order of their first resource; resources of a type in map order.
  std::vector<ResType> types;
  std::vector<std::vector<const ResEntry*>> groups;
  for (const auto& e : file.entries) {
    size_t t = 0;
    while (t < types.size() && types[t] != e->type) ++t;
    if (t == types.size()) {
      types.push_back(e->type);
      groups.emplace_back();
    }
    groups[t].push_back(e.get());
  }
  // Counts are stored less one, and 0xFFFF stands for none: 65535 at most.
  if (types.size() > 0xFFFF) return addResFailed;
  for (const auto& g : groups)
    if (g.size() > 0xFFFF) return addResFailed;

  std::vector<uint8_t>& img = *out;
  img.assign(kDataStart, 0);
  std::unordered_map<const ResEntry*, uint32_t> where;
  std::vector<uint8_t> copy;
  for (const auto& g : groups) {
    for (const ResEntry* e : g) {
      const uint64_t off = img.size() - kDataStart;
      if (off > kMaxDataOffset) return addResFailed;  // beyond what a reference can address
      const uint8_t* bytes;
      uint32_t length;
      if ((e->attrs & resChanged) && HandleValid(e->handle)) {
        if (OSErr err = StoredCopyOfHandle(*e, &copy)) return err;
        bytes = copy.data();
        length = static_cast<uint32_t>(copy.size());
      } else {
        bytes = StoredBytes(*e, &length);
      }
      if (img.size() + 4 + uint64_t(length) > kMaxFileSize) return addResFailed;
      AppendBE32(img, length);
      img.insert(img.end(), bytes, bytes + length);
      where[e] = static_cast<uint32_t>(off);
    }
  }
  const uint32_t dataLen = static_cast<uint32_t>(img.size() - kDataStart);
  const uint32_t mapOff = static_cast<uint32_t>(img.size());

  // The map: its header, the type list, the reference lists, the names.
  std::vector<uint8_t> map(kHeaderSize + 4 + 2, 0);
  AppendBE16(map, static_cast<uint16_t>(file.fileAttrs & ~kMapChanged));
  AppendBE16(map, kMapHeaderSize);
  AppendBE16(map, 0);                                        // offset of the name list, set below
  AppendBE16(map, static_cast<uint16_t>(types.size() - 1));  // 0xFFFF when there is none
  size_t refPos = 2 + types.size() * kTypeEntrySize;
  for (size_t t = 0; t < types.size(); ++t) {
    if (refPos > 0xFFFF) return addResFailed;
    AppendBE32(map, types[t]);
    AppendBE16(map, static_cast<uint16_t>(groups[t].size() - 1));
    AppendBE16(map, static_cast<uint16_t>(refPos));
    refPos += groups[t].size() * kRefEntrySize;
  }
  std::vector<uint8_t> names;
  for (const auto& g : groups) {
    for (const ResEntry* e : g) {
      AppendBE16(map, static_cast<uint16_t>(e->id));
      if (e->name.empty()) {
        AppendBE16(map, kNoName);
      } else {
        if (names.size() >= kNoName) return addResFailed;
        AppendBE16(map, static_cast<uint16_t>(names.size()));
        names.push_back(static_cast<uint8_t>(e->name.size()));
        names.insert(names.end(), e->name.begin(), e->name.end());
      }
      const uint32_t off = where[e];
      map.push_back(static_cast<uint8_t>(e->attrs & ~resChanged));
      map.push_back(uint8_t(off >> 16));
      map.push_back(uint8_t(off >> 8));
      map.push_back(uint8_t(off));
      AppendBE32(map, 0);
    }
  }
  if (map.size() > 0xFFFF) return addResFailed;
  Set16(map, 26, static_cast<uint16_t>(map.size()));
  map.insert(map.end(), names.begin(), names.end());
  if (img.size() + uint64_t(map.size()) > kMaxFileSize) return addResFailed;
  const uint32_t mapLen = static_cast<uint32_t>(map.size());

  Set32(img, 0, kDataStart);
  Set32(img, 4, mapOff);
  Set32(img, 8, dataLen);
  Set32(img, 12, mapLen);
  std::memcpy(map.data(), img.data(), kHeaderSize);
  img.insert(img.end(), map.begin(), map.end());

  dataOffsets->clear();
  for (const auto& e : file.entries) dataOffsets->push_back(where[e.get()]);
  return noErr;
}

OSErr WriteFile(ResFile& file) {
  std::vector<uint8_t> img;
  std::vector<uint32_t> offsets;
  if (OSErr err = BuildImage(file, &img, &offsets)) return err;
  if (OSErr err = WriteFileBeside(file.path, img)) return err;
  file.image = std::move(img);
  for (size_t i = 0; i < file.entries.size(); ++i) {
    ResEntry& e = *file.entries[i];
    e.inImage = true;
    e.imageOffset = kDataStart + offsets[i] + 4;
    e.imageLength = LoadBE32(&file.image[kDataStart + offsets[i]]);
    e.hasPending = false;
    e.pending.clear();
    e.pending.shrink_to_fit();
    e.attrs = static_cast<uint8_t>(e.attrs & ~resChanged);
  }
  file.mapChanged = false;
  return noErr;
}

ResFile* FindFile(int16_t refNum) {
  for (auto& f : S().chain)
    if (f->refNum == refNum) return f.get();
  return nullptr;
}

size_t ChainIndex(int16_t refNum) {
  auto& chain = S().chain;
  for (size_t i = 0; i < chain.size(); ++i)
    if (chain[i]->refNum == refNum) return i;
  return chain.size();
}

// The files a lookup sees: from the current file to the end of the chain,
// or the current file alone.
std::vector<ResFile*> SearchFiles(bool oneOnly) {
  std::vector<ResFile*> files;
  auto& chain = S().chain;
  for (size_t i = ChainIndex(S().current); i < chain.size(); ++i) {
    files.push_back(chain[i].get());
    if (oneOnly) break;
  }
  return files;
}

ResEntry* EntryOf(Handle h) {
  if (h == 0) return nullptr;
  auto it = S().byHandle.find(h);
  return it == S().byHandle.end() ? nullptr : it->second;
}

void Forget(ResEntry& e) {
  if (e.handle) S().byHandle.erase(e.handle);
  e.handle = 0;
  e.loaded = false;
}

// Reads the stored bytes into the entry's handle and converts them to native order.
OSErr Load(ResEntry& e) {
  if (e.loaded) return noErr;
  uint32_t length;
  const uint8_t* bytes = StoredBytes(e, &length);
  SetHandleSize(e.handle, static_cast<int32_t>(length));
  if (MemError() != noErr) return MemError();
  if (length > 0) {
    HandleLocker p(e.handle);
    if (!p) return MemError() ? MemError() : memFullErr;
    std::memcpy(p.Data(), bytes, length);
    Convert(*e.file, 1, e.type, length, p.As<uint8_t>());
  }
  e.loaded = true;
  return noErr;
}

// The resource's handle, made (empty) when it has none, and filled when
// loading is on.
Handle Provide(ResEntry& e) {
  if (e.handle && !HandleValid(e.handle)) {
    // Disposed behind the manager's back: changed data went with it, and
    // the resource is read again from what was stored.
    Forget(e);
    e.attrs = static_cast<uint8_t>(e.attrs & ~resChanged);
  }
  if (e.handle == 0) {
    e.handle = NewHandle(0);
    if (e.handle == 0) {
      SetErr(memFullErr);
      return 0;
    }
    e.loaded = false;
    S().byHandle[e.handle] = &e;
  }
  if (S().resLoad) {
    if (OSErr err = Load(e)) {
      SetErr(err);
      return 0;
    }
  }
  SetErr(noErr);
  return e.handle;
}

template <typename Match>
Handle Lookup(bool oneOnly, Match match) {
  for (ResFile* f : SearchFiles(oneOnly))
    for (auto& e : f->entries)
      if (match(*e)) return Provide(*e);
  SetErr(resNotFound);
  return 0;
}

Handle IndResource(bool oneOnly, ResType type, int16_t index) {
  if (index < 1) {
    SetErr(resNotFound);
    return 0;
  }
  int n = 0;
  return Lookup(oneOnly, [&](const ResEntry& e) { return e.type == type && ++n == index; });
}

int16_t Count(bool oneOnly, ResType type) {
  int32_t n = 0;
  for (ResFile* f : SearchFiles(oneOnly))
    for (auto& e : f->entries)
      if (e->type == type) ++n;
  SetErr(noErr);
  return static_cast<int16_t>(std::min<int32_t>(n, INT16_MAX));
}

std::vector<ResType> Types(bool oneOnly) {
  std::vector<ResType> types;
  for (ResFile* f : SearchFiles(oneOnly))
    for (auto& e : f->entries)
      if (std::find(types.begin(), types.end(), e->type) == types.end()) types.push_back(e->type);
  return types;
}

bool IdUsed(const std::vector<ResFile*>& files, ResType type, int16_t id) {
  for (ResFile* f : files)
    for (auto& e : f->entries)
      if (e->type == type && e->id == id) return true;
  return false;
}

// The lowest id from 128 up that none of the files uses (ids below 128 are
// kept for the system's own resources), else the lowest free one from 1.
int16_t Unique(const std::vector<ResFile*>& files, ResType type) {
  for (int32_t id = 128; id <= INT16_MAX; ++id)
    if (!IdUsed(files, type, static_cast<int16_t>(id))) {
      SetErr(noErr);
      return static_cast<int16_t>(id);
    }
  for (int32_t id = 1; id < 128; ++id)
    if (!IdUsed(files, type, static_cast<int16_t>(id))) {
      SetErr(noErr);
      return static_cast<int16_t>(id);
    }
  SetErr(addResFailed);
  return -1;
}

int16_t NewRefNum() {
  State& s = S();
  for (int i = 0; i < INT16_MAX; ++i) {
    s.lastRef = static_cast<int16_t>(s.lastRef >= INT16_MAX ? 1 : s.lastRef + 1);
    if (FindFile(s.lastRef) == nullptr) return s.lastRef;
  }
  return -1;
}

}  // namespace

// ---- resource files ----

int16_t OpenResFile(const uint8_t* pascalPath) {
  const std::string given = PathOf(pascalPath);
  if (given.empty()) {
    SetErr(fnfErr);
    return -1;
  }
  const std::string path = AbsolutePath(given);
  for (auto& f : S().chain) {
    if (f->path == path) {
      S().current = f->refNum;
      SetErr(noErr);
      return f->refNum;
    }
  }
  auto file = std::make_unique<ResFile>();
  file->path = path;
  if (OSErr err = ReadWholeFile(path, &file->image)) {
    SetErr(err);
    return -1;
  }
  if (OSErr err = ParseImage(*file)) {
    SetErr(err);
    return -1;
  }
  file->refNum = NewRefNum();
  if (file->refNum < 0) {
    SetErr(ioErr);
    return -1;
  }
  const int16_t ref = file->refNum;
  S().chain.insert(S().chain.begin(), std::move(file));
  S().current = ref;
  SetErr(noErr);
  return ref;
}

void CreateResFile(const uint8_t* pascalPath) {
  const std::string given = PathOf(pascalPath);
  if (given.empty()) {
    SetErr(fnfErr);
    return;
  }
  const std::string path = AbsolutePath(given);
  struct stat st;
  // Only an empty file may be given a map: anything else holds data of its own.
  if (stat(path.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_size != 0)) {
    SetErr(dupFNErr);
    return;
  }
  ResFile empty;
  empty.path = path;
  std::vector<uint8_t> img;
  std::vector<uint32_t> offsets;
  if (OSErr err = BuildImage(empty, &img, &offsets)) {
    SetErr(err);
    return;
  }
  SetErr(WriteFileBeside(path, img));
}

void CloseResFile(int16_t refNum) {
  State& s = S();
  const size_t index = ChainIndex(refNum);
  if (index == s.chain.size()) {
    SetErr(resFNotFound);
    return;
  }
  ResFile& file = *s.chain[index];
  const OSErr err = file.Dirty() ? WriteFile(file) : noErr;
  for (auto& e : file.entries) {
    if (e->handle) {
      s.byHandle.erase(e->handle);
      if (HandleValid(e->handle)) DisposeHandle(e->handle);
    }
  }
  s.chain.erase(s.chain.begin() + static_cast<std::ptrdiff_t>(index));
  if (s.current == refNum) {
    if (index < s.chain.size())
      s.current = s.chain[index]->refNum;
    else
      s.current = s.chain.empty() ? -1 : s.chain.front()->refNum;
  }
  SetErr(err);
}

void UpdateResFile(int16_t refNum) {
  ResFile* file = FindFile(refNum);
  if (file == nullptr) {
    SetErr(resFNotFound);
    return;
  }
  SetErr(file->Dirty() ? WriteFile(*file) : noErr);
}

// Selecting and reporting the current file, and SetResLoad, leave ResError
// as it was on success, so that a caller can put the previous file back
// before it looks at the result of the call it made in between.
int16_t CurResFile() { return S().current; }

void UseResFile(int16_t refNum) {
  if (FindFile(refNum) == nullptr) {
    SetErr(resFNotFound);
    return;
  }
  S().current = refNum;
}

void SetResFileSwapProc(int16_t refNum, ResSwapProc proc) {
  ResFile* file = FindFile(refNum);
  if (file == nullptr) {
    SetErr(resFNotFound);
    return;
  }
  file->swap = proc;
  SetErr(noErr);
}

// ---- resources ----

Handle GetResource(ResType type, int16_t id) {
  return Lookup(false, [&](const ResEntry& e) { return e.type == type && e.id == id; });
}

Handle Get1Resource(ResType type, int16_t id) {
  return Lookup(true, [&](const ResEntry& e) { return e.type == type && e.id == id; });
}

Handle GetNamedResource(ResType type, const uint8_t* name) {
  const std::string n = NameOf(name);
  return Lookup(false, [&](const ResEntry& e) {
    return e.type == type && !e.name.empty() && SameName(e.name, n);
  });
}

Handle Get1NamedResource(ResType type, const uint8_t* name) {
  const std::string n = NameOf(name);
  return Lookup(true, [&](const ResEntry& e) {
    return e.type == type && !e.name.empty() && SameName(e.name, n);
  });
}

Handle GetIndResource(ResType type, int16_t index) { return IndResource(false, type, index); }
Handle Get1IndResource(ResType type, int16_t index) { return IndResource(true, type, index); }
int16_t CountResources(ResType type) { return Count(false, type); }
int16_t Count1Resources(ResType type) { return Count(true, type); }

int16_t CountTypes() {
  SetErr(noErr);
  return static_cast<int16_t>(std::min<size_t>(Types(false).size(), INT16_MAX));
}

int16_t Count1Types() {
  SetErr(noErr);
  return static_cast<int16_t>(std::min<size_t>(Types(true).size(), INT16_MAX));
}

void GetIndType(ResType* type, int16_t index) {
  const std::vector<ResType> types = Types(false);
  if (type == nullptr || index < 1 || static_cast<size_t>(index) > types.size()) {
    SetErr(resNotFound);
    return;
  }
  *type = types[static_cast<size_t>(index - 1)];
  SetErr(noErr);
}

void Get1IndType(ResType* type, int16_t index) {
  const std::vector<ResType> types = Types(true);
  if (type == nullptr || index < 1 || static_cast<size_t>(index) > types.size()) {
    SetErr(resNotFound);
    return;
  }
  *type = types[static_cast<size_t>(index - 1)];
  SetErr(noErr);
}

int16_t UniqueID(ResType type) {
  std::vector<ResFile*> all;
  for (auto& f : S().chain) all.push_back(f.get());
  return Unique(all, type);
}

int16_t Unique1ID(ResType type) { return Unique(SearchFiles(true), type); }

void SetResLoad(uint8_t load) { S().resLoad = load != 0; }

void LoadResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  SetErr(Load(*e));
}

void ReleaseResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  // Changed data lives only in the handle until it is written: keep it.
  if (e->attrs & resChanged) {
    SetErr(resAttrErr);
    return;
  }
  const Handle h = e->handle;
  Forget(*e);
  if (HandleValid(h)) DisposeHandle(h);
  SetErr(noErr);
}

void DetachResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  if (e->attrs & resChanged) {
    SetErr(resAttrErr);
    return;
  }
  Forget(*e);
  SetErr(noErr);
}

void GetResInfo(Handle resource, int16_t* id, ResType* type, uint8_t* name) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  if (id) *id = e->id;
  if (type) *type = e->type;
  if (name) {
    name[0] = static_cast<uint8_t>(e->name.size());
    std::memcpy(name + 1, e->name.data(), e->name.size());
  }
  SetErr(noErr);
}

void SetResInfo(Handle resource, int16_t id, const uint8_t* name) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  if (e->attrs & resProtected) {
    SetErr(resAttrErr);
    return;
  }
  // Two resources of one type and id in a file would hide one of them.
  for (auto& other : e->file->entries) {
    if (other.get() != e && other->type == e->type && other->id == id) {
      SetErr(resAttrErr);
      return;
    }
  }
  e->id = id;
  if (name) e->name = NameOf(name);
  e->file->mapChanged = true;
  SetErr(noErr);
}

int16_t GetResAttrs(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return 0;
  }
  SetErr(noErr);
  return e->attrs;
}

void SetResAttrs(Handle resource, int16_t attrs) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  // The changed mark is the Resource Manager's own: ChangedResource sets it.
  e->attrs = static_cast<uint8_t>((attrs & 0xFF & ~resChanged) | (e->attrs & resChanged));
  e->file->mapChanged = true;
  SetErr(noErr);
}

int32_t SizeResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return -1;
  }
  SetErr(noErr);
  if ((e->attrs & resChanged) && HandleValid(e->handle)) return GetHandleSize(e->handle);
  uint32_t length;
  StoredBytes(*e, &length);
  return static_cast<int32_t>(length);
}

void AddResource(Handle data, ResType type, int16_t id, const uint8_t* name) {
  ResFile* file = FindFile(S().current);
  if (file == nullptr || !HandleValid(data) || EntryOf(data) != nullptr) {
    SetErr(addResFailed);
    return;
  }
  for (auto& e : file->entries) {
    if (e->type == type && e->id == id) {
      SetErr(addResFailed);
      return;
    }
  }
  auto e = std::make_unique<ResEntry>();
  e->file = file;
  e->type = type;
  e->id = id;
  e->name = NameOf(name);
  e->attrs = resChanged;
  e->handle = data;
  e->loaded = true;
  S().byHandle[data] = e.get();
  file->entries.push_back(std::move(e));
  file->mapChanged = true;
  SetErr(noErr);
}

void RemoveResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(rmvResFailed);
    return;
  }
  if (e->attrs & resProtected) {
    SetErr(rmvResFailed);
    return;
  }
  ResFile* file = e->file;
  S().byHandle.erase(e->handle);
  auto& entries = file->entries;
  entries.erase(std::find_if(entries.begin(), entries.end(),
                             [&](const std::unique_ptr<ResEntry>& p) { return p.get() == e; }));
  file->mapChanged = true;
  SetErr(noErr);
}

void ChangedResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  if (e->attrs & resProtected) {
    SetErr(resAttrErr);
    return;
  }
  e->attrs = static_cast<uint8_t>(e->attrs | resChanged);
  e->loaded = true;  // from now on the handle holds the data to write
  SetErr(noErr);
}

void WriteResource(Handle resource) {
  ResEntry* e = EntryOf(resource);
  if (e == nullptr) {
    SetErr(resNotFound);
    return;
  }
  if (!(e->attrs & resChanged)) {
    SetErr(noErr);
    return;
  }
  std::vector<uint8_t> stored;
  if (OSErr err = StoredCopyOfHandle(*e, &stored)) {
    SetErr(err);
    return;
  }
  e->pending = std::move(stored);
  e->hasPending = true;
  e->attrs = static_cast<uint8_t>(e->attrs & ~resChanged);
  SetErr(noErr);
}

Handle GetPicture(int16_t id) { return GetResource(0x50494354, id); }  // 'PICT'

OSErr ResError() { return S().error; }

}  // namespace Tbx
