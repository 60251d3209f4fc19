// Reading the dialect name list. The list comes from the module's resources,
// so every entry is checked against the bytes that remain: a count that
// claims more entries than the list holds ends the walk at the last whole one.
#include "framework/core/containers/DialectList.h"

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VByteReader.h"
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
  // A 16-bit count, then entries of an id, a length byte and that many bytes.
  VByteReader reader(data, size);
  const int16_t count = reader.I16();
  for (int16_t i = 0; i < count; ++i) {
    const int32_t id = reader.I32();
    const uint8_t* text = reader.Span(1);
    if (text == nullptr || !reader.Skip(text[0])) return;
    if (!visit(id, text)) return;
  }
}

// Locks the list for one walk.
class ListUse {
 public:
  ListUse() : fHandle(DialectList()), fLock(fHandle) {
    fData = fLock.As<const uint8_t>();
    fSize = fData != nullptr ? gMemoryMgr->GetHandleSize(fHandle) : 0;
  }

  const uint8_t* Data() const { return fData; }
  uint32_t Size() const { return fSize; }

 private:
  VMemHandle fHandle;
  VHandleLocker fLock;
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
