// The global list of font records.
#include "framework/system/environment/VFontRecords.h"

#include <strings.h>

#include <cstring>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "platform/gdi/GdiFont.h"

VFontRecordList* gFontRecords = nullptr;

bool AddFontRecord(const ENUMLOGFONTA& record) {
  if (gMemoryMgr == nullptr) return false;
  if (gFontRecords == nullptr) gFontRecords = new VFontRecordList();
  auto* copy = static_cast<ENUMLOGFONTA*>(gMemoryMgr->NewBlock(sizeof(ENUMLOGFONTA)));
  if (copy == nullptr) return false;
  std::memcpy(copy, &record, sizeof(ENUMLOGFONTA));
  gFontRecords->AddLast(&copy);
  return true;
}

const ENUMLOGFONTA* FindFontRecord(const char* faceName) {
  if (gFontRecords == nullptr || faceName == nullptr) return nullptr;
  VChainIteratorOf<ENUMLOGFONTA*> it(gFontRecords);
  for (ENUMLOGFONTA* record = it.First(); record != nullptr; record = it.Next()) {
    if (strncasecmp(record->elfLogFont.lfFaceName, faceName, LF_FACESIZE) == 0) return record;
  }
  return nullptr;
}

int32_t CountFontRecords() { return gFontRecords != nullptr ? gFontRecords->Count() : 0; }

void FreeFontRecords() {
  if (gFontRecords == nullptr) return;
  while (gFontRecords->Count() > 0) {
    ENUMLOGFONTA* record = gFontRecords->First();
    gFontRecords->RemoveAt(1, true);
    if (record != nullptr && gMemoryMgr != nullptr) gMemoryMgr->DisposeBlock(record);
  }
  delete gFontRecords;
  gFontRecords = nullptr;
}
