// Internals shared by the engine's sources: how much an edit grows the
// block ahead, the edit wrapper that does it, and a growing buffer of
// element bytes in a memory-manager handle.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/intl/Clusters.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/pictures/VPictureShape.h"

class xMorvaTextMatcher;

// Ends a search whose walk stopped at `at` of a stream of `size` bytes:
// what follows decides a match that ends there (whether its word ends,
// whether a character starts there). True when a match is complete.
bool FinishSearch(xMorvaTextMatcher& matcher, const uint8_t* stream, uint32_t at, uint32_t size);

// A picture decoded for drawing, with a fingerprint of the data it was
// decoded from.
struct xMorvaEngine::PictureSlot {
  std::unique_ptr<VPictureShape> shape;
  uint64_t fingerprint = 0;
};

// The most an edit inserts besides its own bytes: the typing records (one
// before and one after the insertion point per character property), the
// restoring records of a deletion, and two paragraph transitions (every
// paragraph id and every stop of two full tab lists).
constexpr uint64_t kTypingRecords = 2 * (kLastCharacterProperty + 1) * kRecordSize;
constexpr uint64_t kRestoringRecords = (kLastCharacterProperty + 1) * kRecordSize;
constexpr uint64_t kTransition = (64 - kFirstParagraphProperty + 2 * xMorvaTabs::kCapacity) * kRecordSize;
constexpr uint64_t kTabListRecords = 4 * xMorvaTabs::kCapacity * kRecordSize;

template <typename Edit>
int32_t xMorvaEngine::Reserved(uint64_t extra, Edit&& edit) {
  if (!Reserve(extra)) return kErrorTextCannotGrow;
  const int32_t result = edit();
  ReleaseReserve();
  return result;
}

// What deleting the selection may insert: restoring records, and the
// transitions when it crosses paragraph ends.
inline uint64_t DeleteReserve(const xMorvaEngine& engine) {
  if (!engine.HasSelection()) return 0;
  uint64_t bytes = kRestoringRecords;
  if (engine.GetSelParagraphEndCount() > 0 || engine.GetSelBreakCount() > 0) bytes += 2 * kTransition;
  return bytes;
}

class VString;

// Shared with the loader, which rebuilds computed texts as insertion makes
// them: the label of a host reference (its names joined by ":"), item
// `item` of the field labels list, and the units of the date and time of
// now in a date/time field's format (a new handle, 0 when memory runs out).
void HostReferenceLabel(const uint8_t* reference, uint32_t size, VString& label);
void FieldLabel(int16_t item, VString& out);
VMemHandle UnitsOfNow(uint16_t format);

// Element bytes collected in a handle that grows as they come. A buffer
// that once failed to grow takes nothing more; what it holds stays.
// The value a loaded property record of a length (twips to pixels) or a
// tab stop (points to pixels) takes.
uint32_t ConvertedPropertyValue(uint16_t id, uint32_t stored);
// The value a loaded property record takes: lengths from twips and tab
// positions from points to pixels, a link look 2 as 1; others as stored.
// Inline, since the load walk asks it of every record, nearly all of which
// keep their value.
inline uint32_t LoadedPropertyValue(uint16_t id, uint32_t stored) {
  if (id == kPropLinkLook) return stored == 2 ? 1 : stored;
  if (id == kPropLeftIndent || id == kPropFirstLineIndent || id == kPropRightIndent || id == kPropBorderSpacing ||
      id == kPropTabs)
    return ConvertedPropertyValue(id, stored);
  return stored;
}

// What the repair of a loaded stream hands the fix-ups: the offsets of the
// elements they change (pictures, host expressions, dates, and the tabs
// and breaks of the oldest layout), in order, and the positions counted.
struct xMorvaLoadWalk {
  std::vector<uint32_t> elements;
  uint32_t positions = 0;
};

class xMorvaUnitBuffer {
 public:
  xMorvaUnitBuffer() = default;
  // Writes into `handle`, which stays the caller's, from its start.
  explicit xMorvaUnitBuffer(VMemHandle handle) : fHandle(handle), fOwned(false) {}
  ~xMorvaUnitBuffer() {
    if (fOwned && fHandle != 0) gMemoryMgr->DisposeHandle(fHandle);
  }
  xMorvaUnitBuffer(const xMorvaUnitBuffer&) = delete;
  xMorvaUnitBuffer& operator=(const xMorvaUnitBuffer&) = delete;

  // Makes room for `bytes` in all; false when the handle cannot grow.
  bool Reserve(uint64_t bytes) {
    if (fFailed) return false;
    if (bytes > uint64_t(INT32_MAX)) return Fail();
    if (fHandle == 0) {
      fHandle = gMemoryMgr->NewHandle(uint32_t(bytes), 0);
      return fHandle != 0 ? true : Fail();
    }
    if (gMemoryMgr->GetHandleSize(fHandle) >= bytes) return true;
    return gMemoryMgr->SetHandleSize(fHandle, uint32_t(bytes)) ? true : Fail();
  }
  bool Append(const void* data, uint32_t n) {
    if (n == 0) return !fFailed;
    if (!Reserve(uint64_t(fSize) + n)) return false;
    auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fHandle));
    if (bytes == nullptr) return Fail();
    if (data != nullptr)
      std::memcpy(bytes + fSize, data, n);
    else
      std::memset(bytes + fSize, 0, n);
    gMemoryMgr->UnlockHandle(fHandle);
    fSize += n;
    return true;
  }
  bool AppendUnit(uint16_t unit) {
    uint8_t bytes[2];
    PutStreamUnit(bytes, unit);
    return Append(bytes, 2);
  }
  bool AppendLong(uint32_t value) {
    uint8_t bytes[4];
    PutStreamLong(bytes, value);
    return Append(bytes, 4);
  }
  bool AppendRecord(uint16_t id, uint32_t value) {
    uint8_t bytes[kRecordSize];
    PutPropertyRecord(bytes, id, value);
    return Append(bytes, kRecordSize);
  }
  bool AppendHead(uint16_t code, uint32_t a, uint32_t b) {
    return AppendUnit(0) && AppendUnit(code) && AppendLong(a) && AppendLong(b);
  }
  // The bytes of another handle.
  bool AppendHandle(VMemHandle handle) {
    const uint32_t n = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
    if (n == 0) return !fFailed;
    const void* bytes = gMemoryMgr->LockHandle(handle);
    const bool done = bytes != nullptr ? Append(bytes, n) : Fail();
    gMemoryMgr->UnlockHandle(handle);
    return done;
  }

  uint32_t Size() const { return fSize; }
  // Drops what was written after `size`: an item that did not fit whole
  // leaves nothing of itself.
  void Truncate(uint32_t size) {
    if (size < fSize) fSize = size;
  }
  bool Failed() const { return fFailed; }
  VMemHandle Handle() const { return fHandle; }
  // Cuts the handle to the bytes written and hands it over (a new empty one
  // when nothing was ever reserved); 0 when even that fails.
  VMemHandle Release() {
    if (fHandle == 0) fHandle = gMemoryMgr->NewHandle(0, 0);
    if (fHandle != 0) gMemoryMgr->SetHandleSize(fHandle, fSize);
    const VMemHandle handle = fHandle;
    fHandle = 0;
    fSize = 0;
    return handle;
  }

 private:
  bool Fail() {
    fFailed = true;
    return false;
  }

  VMemHandle fHandle = 0;
  uint32_t fSize = 0;
  bool fOwned = true;
  bool fFailed = false;
};

// A unit there other than a pair's high one is the code point, and so is
// a pair whose two units stand side by side; records (0 first) are read
// past out of line.
inline char32_t xMorvaEngine::CodePointAtOffset(const uint8_t* stream, uint32_t offset) const {
  if (offset < fBytesInUse && fBytesInUse - offset >= 4) {
    const char16_t unit = StreamUnit(stream + offset);
    if (unit != 0 && !IsHighSurrogateUnit(unit)) return unit;
    const char16_t low = StreamUnit(stream + offset + 2);
    if (unit != 0 && IsLowSurrogateUnit(low)) return CodePointEndedBy(unit, low);
  }
  return CodePointPastRecords(stream, offset);
}

inline bool xMorvaEngine::IsClusterPlace(const uint8_t* stream, int32_t position, const PlaceSides& sides) const {
  if (position <= 0 || position >= fLength) return true;
  const VClusterEdge edge = ClusterEdgeBetween(sides.before, CodePointAtOffset(stream, sides.offset));
  return edge == VClusterEdge::kAsk ? IsClusterPlace(stream, position) : edge == VClusterEdge::kEdge;
}
