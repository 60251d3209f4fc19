// VRefArray: the typed array of owned picture values, in which the host's
// picture arrays reach the framework.
#pragma once

#include "framework/core/containers/VOwnedValueArray.h"

// Each element is an owned value object (a picture value, kind 10, when the
// host bridge made it) or null. Kind 109, element kind 10. The array needs
// of its elements only their copy (Clone), their kind and their deletion.
// Pictures have no order (every comparison answers -1000) and the array has
// no stream form.
class VRefArray : public VOwnedValueArray {
 public:
  explicit VRefArray(int32_t count = 0);
  VRefArray(const VRefArray& other);
  VRefArray& operator=(const VRefArray& other);

  // Element access (range: 1-based index, or -1 for the current element),
  // with the ownership rules of the owning arrays.
  VValue* GetAt(int32_t range) const;
  void SetAt(VValue* value, int32_t range);
  VValue* DetachAt(int32_t range);
  int32_t AppendObject(VValue* value, bool propagate);
  // Stores a copy of the value.
  void SetCopyAt(const VValue& value, int32_t range);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsSingle() const override;

  // The destination takes the element; a null element clears it.
  void CopyTo(VValue& destination, int32_t range) const override;
  // A picture value (kind 10) is stored as a copy; any other value leaves
  // the element null, deleting what it held.
  void Assign(const VValue& source, int32_t range) override;
  int32_t Compare(const VValue& other, int32_t unused, int32_t range) const override;
  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  int32_t CompareElements(const void* a, const void* b) const override;

  // -2: not supported.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;
};
