// The registry of the foreign formats' readers and writers by file type.
#include "area/files/xMorvaFileFormats.h"

namespace {

struct Table {
  const xMorvaFileFormat* entries;
  size_t count;
};

constexpr size_t kMaxTables = 16;
// Constant-initialised, so that a table registered from any start-up code
// finds the registry ready; tables in registration order.
Table sTables[kMaxTables] = {};
size_t sTableCount = 0;

}  // namespace

bool xMorvaFileFormats::Register(const xMorvaFileFormat* table, size_t count) {
  if (table == nullptr || sTableCount >= kMaxTables) return false;
  sTables[sTableCount++] = Table{table, count};
  return true;
}

void xMorvaFileFormats::Unregister(const xMorvaFileFormat* table) {
  for (size_t i = 0; i < sTableCount; ++i) {
    if (sTables[i].entries != table) continue;
    for (size_t j = i + 1; j < sTableCount; ++j) sTables[j - 1] = sTables[j];
    sTables[--sTableCount] = Table{};
    return;
  }
}

xMorvaFormatReader xMorvaFileFormats::FindReader(uint32_t type) {
  for (size_t i = sTableCount; i-- > 0;) {
    for (size_t k = 0; k < sTables[i].count; ++k) {
      const xMorvaFileFormat& entry = sTables[i].entries[k];
      if (entry.type == type && entry.read != nullptr) return entry.read;
    }
  }
  return nullptr;
}

xMorvaFormatWriter xMorvaFileFormats::FindWriter(uint32_t type) {
  for (size_t i = sTableCount; i-- > 0;) {
    for (size_t k = 0; k < sTables[i].count; ++k) {
      const xMorvaFileFormat& entry = sTables[i].entries[k];
      if (entry.type == type && entry.write != nullptr) return entry.write;
    }
  }
  return nullptr;
}

bool xMorvaFileFormats::CarriesEveryCharacter(xMorvaDocument& document, uint32_t type) {
  for (size_t i = sTableCount; i-- > 0;) {
    for (size_t k = 0; k < sTables[i].count; ++k) {
      const xMorvaFileFormat& entry = sTables[i].entries[k];
      if (entry.type == type && entry.write != nullptr)
        return entry.carries == nullptr || entry.carries(document, type);
    }
  }
  return true;
}
