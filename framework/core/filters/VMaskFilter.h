// VMaskFilter: an entry filter built from a mask text such as a telephone or
// date pattern: input positions with their classes of characters and
// placeholders, and literal characters that stand in the field.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/containers/VChainListOf.h"
#include "framework/core/filters/VEntryFilter.h"
#include "framework/core/strings/VUniString.h"

class VMaskSegment;

// The mask's language, read once by the constructor:
//  "#"        a run of n of them is an input segment of n positions;
//  "!c"       c is the placeholder of the input runs that follow ("_" at first);
//  "&c", "~c" c selects the class of the input runs that follow: "9" digits,
//             "A" capitals, "a" letters, "@" digits and letters, a double
//             quote an explicit set up to the next double quote (items
//             separated by ";", "x-y" a range, a character on its own itself);
//             any other c leaves the class as it is (any character at first);
//  other      a literal run up to the next "#", "&", "~", "@", "!", double
//             quote or the end of the mask.
// "!", "&" or "~" as the mask's last character has nothing to apply to and is
// ignored. A mask that makes no segment at all leaves the field free: one
// input segment over every position, placeholder 0, the class in force.
//
// Invariants: the segments cover the positions 0 .. template length - 1 in
// order without gaps (the free segment goes on beyond); the template holds
// one character per position, the placeholder at input positions and the
// literal character at literal ones, and keeps the whole mask however long.
class VMaskFilter : public VEntryFilter {
 public:
  explicit VMaskFilter(const VString& mask);
  ~VMaskFilter() override;

  // Formats the value into the field, then selects the first input position.
  void SetFieldValue(const VString& value, VEntryField& field) override;
  // The field's characters at the input positions.
  void GetFieldValue(VEntryField& field, VString& value) override;
  const VString* GetTemplate() const override { return &fTemplate; }
  // -1 when the template is empty or no input segment ends at or after the
  // position; else the position, moved up to that segment's first position.
  void NextEditablePosition(int32_t& position) const override;
  // -1 when the template is empty or no input segment starts at or before
  // the position; else the position, moved down to that segment's last.
  void PreviousEditablePosition(int32_t& position) const override;
  // True when there are no segments; false outside every segment, in a
  // literal segment and in one without ranges; else whether the character
  // lies in one of the segment's ranges.
  bool AcceptsChar(const char16_t* character, int32_t position) const override;

  // The placeholder of the first input segment that ends at or after the
  // position; "_" when there is none.
  char16_t PlaceholderAt(int32_t position) const;

  // The field text that shows the value under this mask, and the value that
  // a field text holds.
  void FormatValue(const VString& value, std::u16string& text) const;
  void ExtractValue(const VString& text, std::u16string& value) const;

  int32_t CountSegments() const { return fSegments.Count(); }
  // Segment n, from 1; null outside 1 .. CountSegments().
  const VMaskSegment* GetSegment(int32_t n) const;

 private:
  void ReadMask(const VString& mask);
  // Calls `visit` on each segment in field order until it answers false.
  template <typename F>
  void ForEachSegment(F visit) const;
  const VMaskSegment* SegmentAt(int32_t position) const;

  // The segments in field order, owned. Walking them takes an iterator,
  // which attaches to the list, hence mutable.
  mutable VChainListPtrOf<VObject*> fSegments;
  VStrInHandle fTemplate;
};
