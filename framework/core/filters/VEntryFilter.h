// VEntryFilter: the base of the keystroke filters of one-line text fields:
// which character a field position accepts, where the editable positions
// lie, and how a value goes into and out of the field.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VEntryField;
class VString;

// The key and click handling that drives these operations belongs to the
// text field of the interface controls; a filter answers questions only.
class VEntryFilter : public VObject {
 public:
  // Puts the value into the field; the base gives it to the field as it is.
  virtual void SetFieldValue(const VString& value, VEntryField& field);
  // Reads the value out of the field; the base takes the field's text.
  virtual void GetFieldValue(VEntryField& field, VString& value);
  // The field's look when empty, for a filter that works from a mask; null
  // for one that has none.
  virtual const VString* GetTemplate() const;
  // The editable position at or after (before) `position`, stored back into
  // it, or -1 when there is none; the base leaves the position as it is.
  virtual void NextEditablePosition(int32_t& position) const;
  virtual void PreviousEditablePosition(int32_t& position) const;
  // Whether the character may be typed at the position.
  virtual bool AcceptsChar(const char16_t* character, int32_t position) const = 0;

 protected:
  VEntryFilter() = default;
};
