// VEntryField: what an entry filter needs of the one-line text field it
// serves; the text-edit frame of the interface controls answers it.
#pragma once

#include <cstdint>

class VString;

// Positions count characters from 0. The field is never owned through this
// interface.
class VEntryField {
 public:
  // Replaces the whole text of the field.
  virtual void SetText(const VString& text) = 0;
  // Copies the field's text out into `text`.
  virtual void GetText(VString& text) const = 0;
  // Selects the characters from `start` up to, not including, `end`.
  virtual void SetSelection(int32_t start, int32_t end) = 0;

 protected:
  ~VEntryField() = default;
};
