// The scrap stand-in: one process-wide store of typed blocks, laid out as the
// Toolbox scrap is (a type, a length and the bytes, padded to an even size,
// one block after another), so that GetScrap can tell where its data lies.
#include "platform/toolbox/TbxScrap.h"

#include <climits>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/toolbox/TbxHandleLocker.h"


namespace Tbx {
namespace {

struct ScrapEntry {
  ResType type = 0;
  std::vector<uint8_t> bytes;
};

// The head of each block in the scrap: its type and its length.
constexpr int64_t kEntryHeader = 8;

// A block's room in the scrap: its head and its bytes padded to even.
int64_t EntrySize(int64_t length) { return kEntryHeader + ((length + 1) & ~int64_t(1)); }

struct Scrap {
  std::mutex lock;
  std::vector<ScrapEntry> entries;
  uint32_t changes = 0;
};

Scrap& TheScrap() {
  static Scrap scrap;
  return scrap;
}

}  // namespace

int32_t ZeroScrap() {
  Scrap& scrap = TheScrap();
  std::lock_guard<std::mutex> guard(scrap.lock);
  scrap.entries.clear();
  ++scrap.changes;
  return noErr;
}

int32_t PutScrap(int32_t length, ResType type, const void* source) {
  if (length < 0 || (length > 0 && source == nullptr)) return paramErr;
  Scrap& scrap = TheScrap();
  std::lock_guard<std::mutex> guard(scrap.lock);
  // The whole scrap stays within what a 32-bit offset can address.
  int64_t total = EntrySize(length);
  for (const ScrapEntry& entry : scrap.entries) {
    if (entry.type != type) total += EntrySize(static_cast<int64_t>(entry.bytes.size()));
  }
  if (total > INT32_MAX) return memFullErr;
  const auto* first = static_cast<const uint8_t*>(source);
  std::vector<uint8_t> bytes(first, first + length);
  ++scrap.changes;
  for (ScrapEntry& entry : scrap.entries) {
    if (entry.type == type) {
      entry.bytes = std::move(bytes);
      return noErr;
    }
  }
  scrap.entries.push_back(ScrapEntry{type, std::move(bytes)});
  return noErr;
}

int32_t GetScrap(Handle destination, ResType type, int32_t* offset) {
  Scrap& scrap = TheScrap();
  std::lock_guard<std::mutex> guard(scrap.lock);
  int64_t position = 0;
  for (const ScrapEntry& entry : scrap.entries) {
    const int64_t size = static_cast<int64_t>(entry.bytes.size());
    if (entry.type != type) {
      position += EntrySize(size);
      continue;
    }
    if (destination != 0) {
      SetHandleSize(destination, static_cast<int32_t>(size));
      if (GetHandleSize(destination) != size) return memFullErr;
      if (size > 0) {
        HandleLocker data(destination);
        if (!data) return memFullErr;
        std::memcpy(data.Data(), entry.bytes.data(), entry.bytes.size());
      }
    }
    if (offset != nullptr) *offset = static_cast<int32_t>(position + kEntryHeader);
    return static_cast<int32_t>(size);
  }
  return noTypeErr;
}

int32_t CountScrapTypes() {
  Scrap& scrap = TheScrap();
  std::lock_guard<std::mutex> guard(scrap.lock);
  return static_cast<int32_t>(scrap.entries.size());
}

uint32_t GetScrapChangeCount() {
  Scrap& scrap = TheScrap();
  std::lock_guard<std::mutex> guard(scrap.lock);
  return scrap.changes;
}

}  // namespace Tbx
