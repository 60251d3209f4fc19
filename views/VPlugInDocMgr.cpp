// Binding a plug-in to the host field named after its area.
#include "views/VPlugInDocMgr.h"

#include <cstring>

#include "boundary/HostFieldTypes.h"
#include "framework/core/streams/ByteSwap.h"
#include "framework/core/strings/VUniString.h"
#include "host/context/HostServices.h"
#include "host/context/HostStructure.h"

void VPlugInDocMgr::BindField(int16_t table, const VString& name, bool interprocess) {
  fTable = static_cast<uint16_t>(table);
  fField = 0;
  fFieldUsable = 0;
  if (table <= 0 || interprocess) return;
  if (!CanUsePictureField() && !CanUseBlobField()) return;
  VStr<255> expected;
  expected.SetString(name, kWholeValue);
  expected.AppendUniChar(u'_');
  VStr<255> fieldName;
  for (int16_t field = HostCountFields(fTable, false); field >= 1; --field) {
    HostGetFieldName(fieldName, fTable, static_cast<uint16_t>(field), false);
    if (fieldName.Compare(expected, true) != 0) continue;
    fField = static_cast<uint16_t>(field);
    const int16_t type = HostGetFieldType(fTable, fField, false);
    fFieldUsable = ((type == kHostFieldPicture && CanUsePictureField()) ||
                    (type == kHostFieldBlob && CanUseBlobField()))
                       ? 1
                       : 0;
    return;
  }
}

bool VPlugInDocMgr::AcceptsFormData(const void* data, size_t size) {
  if (data == nullptr || size < kFormDataHeadSize) return false;
  uint32_t signature = 0;
  uint32_t version = 0;
  std::memcpy(&signature, data, sizeof signature);
  std::memcpy(&version, static_cast<const uint8_t*>(data) + sizeof signature, sizeof version);
  const uint32_t own = GetSignature();
  const uint32_t ownVersion = GetVersion();
  if (signature == own && version <= ownVersion) return true;
  Swap32(&signature);
  Swap32(&version);
  return signature == own && version <= ownVersion;
}
