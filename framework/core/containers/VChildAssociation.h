// VChildAssociation: the record by which an item of a list owns a child list,
// so that lists form an outline.
#pragma once

#include <cstdint>
#include <cstring>

class VValueMultiple;

// Kept in an array list and compared byte for byte there, so every record is
// made with all its bytes zeroed first: the padding after the index (pointers
// are 8 bytes wide) never takes part in a comparison.
struct VChildAssociation {
  VChildAssociation() = default;
  VChildAssociation(int32_t index, VValueMultiple* child) {
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
    itemIndex = index;
    childList = child;
  }

  int32_t itemIndex;         // 1-based position of the owning item
  VValueMultiple* childList; // the item's child list; not owned by the record
};
