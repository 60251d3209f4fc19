// VOwnedValueArray: the base of the typed arrays whose elements are owned
// value objects (strings, pictures), one pointer per element.
#pragma once

#include "framework/core/containers/VArray.h"

// A null pointer is a valid element (an absent object). An element object
// belongs to the array from the moment it is stored until the array deletes
// it or hands it out with DetachObject. Replacing an element deletes the
// previous object; every way of dropping elements (a smaller count,
// DeleteElements, assignment, the destructor) deletes their objects first.
// Store slots that hold no element are null, and two arrays never share an
// element object: copies of arrays copy the objects.
class VOwnedValueArray : public VArray {
 public:
  ~VOwnedValueArray() override;

  // Drops the elements past n (deleting their objects) before the count
  // changes; new elements are null.
  void SetCount(int32_t n, bool exact) override;
  // Replaces every element object by its own copy; the slots past the count
  // are made null.
  void DuplicateElements() override;
  // Sets each of the n slots from `first` (up to the count) to null, then
  // deletes the object it held.
  void DisposeElements(int32_t first, int32_t n) override;
  // As for every kind; the objects of the elements that the move overwrites
  // or clears without moving them are deleted first, so none is lost.
  void MoveElements(int32_t from, int32_t to, int32_t n) override;

 protected:
  VOwnedValueArray();

  // The object of the element named by the range; null for a bad range. The
  // array keeps ownership.
  VValue* ObjectAt(int32_t range) const;
  // The array takes the object: the previous element object is deleted and
  // the new one stored. With a bad range the object is deleted at once.
  void StoreObject(VValue* object, int32_t range);
  // The element's slot becomes null and the caller owns its object; null for
  // a bad range.
  VValue* DetachObject(int32_t range);
  // Appends an element holding the object (with StoreObject as the setter);
  // never sorts. When the store cannot grow the object is deleted and the
  // answer is count + 1.
  int32_t AppendObjectWith(VValue* object, bool propagate);

  static VValue* Slot(const uint8_t* data, int32_t index);
  static void PutSlot(uint8_t* data, int32_t index, VValue* object);
};
