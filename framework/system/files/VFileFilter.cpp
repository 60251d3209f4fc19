// A file dialog's filter.
#include "framework/system/files/VFileFilter.h"

#include "framework/core/containers/VNumericArrays.h"
#include "framework/system/files/VFileTypeMap.h"

namespace {

// Appends a code; false when the array could not grow.
bool AppendCode(VLongArray& array, uint32_t code) {
  const int32_t count = array.Count();
  array.AppendLong(static_cast<int32_t>(code), false);
  return array.Count() == count + 1;
}

}  // namespace

VFileFilter::VFileFilter(const VString& name, uint32_t type, uint32_t pairedCode)
    : fTypes(std::make_unique<VLongArray>()), fPairedCodes(std::make_unique<VLongArray>()) {
  fName.Assign(name);
  fName.SetNull(false, kWholeValue);
  Init(type, pairedCode);
}

VFileFilter::VFileFilter(const uint8_t* macName, uint32_t type, uint32_t pairedCode)
    : fTypes(std::make_unique<VLongArray>()), fPairedCodes(std::make_unique<VLongArray>()) {
  if (macName != nullptr) fName.SetMacPText(macName);
  Init(type, pairedCode);
}

VFileFilter::VFileFilter(const char* ansiName, uint32_t type, uint32_t pairedCode)
    : fTypes(std::make_unique<VLongArray>()), fPairedCodes(std::make_unique<VLongArray>()) {
  if (ansiName != nullptr) fName.SetAnsiCText(ansiName);
  Init(type, pairedCode);
}

VFileFilter::~VFileFilter() = default;

void VFileFilter::Init(uint32_t type, uint32_t pairedCode) {
  if (type != 0) AddType(type, pairedCode);
  fDefaultType = type;
}

void VFileFilter::AddType(uint32_t type, uint32_t pairedCode) {
  if (gFileTypeMap == nullptr || !gFileTypeMap->IsKnownFileType(type)) return;
  // Both arrays grow together or not at all.
  const int32_t count = fTypes->Count();
  if (!AppendCode(*fTypes, type)) return;
  if (!AppendCode(*fPairedCodes, pairedCode)) {
    fTypes->SetCount(count, true);
    return;
  }
  if (fDefaultType == 0) fDefaultType = type;
}

int32_t VFileFilter::CountTypes() const { return fTypes->Count(); }

uint32_t VFileFilter::GetType(int32_t n) const {
  return n >= 1 && n <= fTypes->Count() ? static_cast<uint32_t>(fTypes->GetLong(n)) : 0;
}

uint32_t VFileFilter::GetPairedCode(int32_t n) const {
  return n >= 1 && n <= fPairedCodes->Count() ? static_cast<uint32_t>(fPairedCodes->GetLong(n)) : 0;
}

bool VFileFilter::HoldsType(uint32_t type) const {
  const int32_t count = fTypes->Count();
  for (int32_t n = 1; n <= count; ++n) {
    if (static_cast<uint32_t>(fTypes->GetLong(n)) == type) return true;
  }
  return false;
}
