// Reading the dialect name list. The list comes from the module's resources,
// so every entry is checked against the bytes that remain: a count that
// claims more entries than the list holds ends the walk at the last whole one.
#include "framework/core/containers/DialectList.h"

#include <cstring>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"

VMemHandle gDialectList = 0;

namespace {

// The list, read through the international text manager on first use; 0
// when there is none.
VMemHandle DialectList() {
  if (gDialectList == 0 && gIntlMgr != nullptr) {
    gDialectList = gIntlMgr->LoadTable(kResTypeDialectList, kDialectListId);
  }
  return gDialectList;
}

// Walks the entries of a locked list of `size` bytes; `visit` answers false
// to stop.
template <class Visit>
void ForEachEntry(const uint8_t* data, uint32_t size, Visit visit) {
  if (data == nullptr || size < 2) return;
  int16_t count;
  std::memcpy(&count, data, 2);
  uint32_t at = 2;
  for (int16_t i = 0; i < count; ++i) {
    // An id and a length byte, then that many bytes.
    if (size - at < 5) return;
    int32_t id;
    std::memcpy(&id, data + at, 4);
    const uint8_t* text = data + at + 4;
    if (size - at - 5 < text[0]) return;
    if (!visit(id, text)) return;
    at += 5 + text[0];
  }
}

// Locks the list for one walk.
class ListUse {
 public:
  ListUse() : fHandle(DialectList()) {
    if (fHandle == 0) return;
    fData = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(fHandle));
    fSize = fData != nullptr ? gMemoryMgr->GetHandleSize(fHandle) : 0;
  }
  ~ListUse() {
    if (fData != nullptr) gMemoryMgr->UnlockHandle(fHandle);
  }
  ListUse(const ListUse&) = delete;
  ListUse& operator=(const ListUse&) = delete;

  const uint8_t* Data() const { return fData; }
  uint32_t Size() const { return fSize; }

 private:
  VMemHandle fHandle;
  const uint8_t* fData = nullptr;
  uint32_t fSize = 0;
};

}  // namespace

bool GetDialectName(int32_t id, VString& name) {
  name.Clear();
  {
    ListUse list;
    ForEachEntry(list.Data(), list.Size(), [&](int32_t entryId, const uint8_t* text) {
      if (entryId != id) return true;
      name.SetMacPText(text);
      return false;
    });
  }
  return name.GetLength() > 0;
}

void GetDialectList(VLongArray* ids, VStringArray* names) {
  ListUse list;
  ForEachEntry(list.Data(), list.Size(), [&](int32_t entryId, const uint8_t* text) {
    if (ids != nullptr) ids->AppendLong(entryId, false);
    if (names != nullptr) {
      auto* name = new VStr<255>;
      name->SetMacPText(text);
      names->AppendObject(name, false);
    }
    return true;
  });
}

void ReleaseDialectList() {
  if (gDialectList != 0) gMemoryMgr->DisposeHandle(gDialectList);
  gDialectList = 0;
}
