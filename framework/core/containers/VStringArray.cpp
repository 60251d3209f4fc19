// The typed array of owned strings: element access, the value interface
// through the elements' text readings, the mirrored search and the stream form.
#include "framework/core/containers/VStringArray.h"

#include "framework/core/containers/VArrayConversions_p.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/StringFactory.h"
#include "framework/core/strings/VUniString.h"

namespace {

// Written in place of a null element.
constexpr uint32_t kNullElementCode = FourCC("NULL");

// Two strings compared as the string family compares them; null is below
// every string and two nulls are equal.
int32_t CompareStrings(const VString* a, const VString* b, bool strict) {
  if (a == nullptr || b == nullptr) return a == b ? 0 : (a == nullptr ? -1 : 1);
  return a->Compare(*b, strict ? 1 : 0, 0);
}

// The value's text form, as the string array compares and searches it.
void TextFormOf(const VValue& value, VString& text) { value.FormatTo(text, nullptr, kWholeValue); }

}  // namespace

VStringArray::VStringArray(int32_t count) { SetCount(count, false); }
VStringArray::VStringArray(const VStringArray& other) { CopyFields(other); }
VStringArray& VStringArray::operator=(const VStringArray& other) {
  if (&other == this) return *this;
  SetCount(0, false);
  CopyFields(other);
  return *this;
}

VString* VStringArray::GetAt(int32_t range) const { return static_cast<VString*>(ObjectAt(range)); }
void VStringArray::SetAt(VString* string, int32_t range) { StoreObject(string, range); }
VString* VStringArray::DetachAt(int32_t range) { return static_cast<VString*>(DetachObject(range)); }
int32_t VStringArray::AppendObject(VString* string, bool propagate) { return AppendObjectWith(string, propagate); }

void VStringArray::InsertAt(VString* string, int32_t index) {
  const int32_t before = fCount;
  InsertElements(index, 1, true);
  if (fCount == before) {
    delete string;
    return;
  }
  SetAt(string, index);
}

VValue* VStringArray::Clone() const { return new VStringArray(*this); }
int32_t VStringArray::GetKind() const { return kValueStringArray; }
int32_t VStringArray::GetElementKind() const { return kValueString; }
bool VStringArray::IsSingle() const { return true; }

// ---- getters: the element's own text readings

bool VStringArray::GetBoolean(int32_t range) const {
  const VString* element = GetAt(range);
  return element != nullptr && element->GetBoolean(kWholeValue);
}
int16_t VStringArray::GetWord(int32_t range) const {
  const VString* element = GetAt(range);
  return element != nullptr ? element->GetWord(kWholeValue) : 0;
}
int32_t VStringArray::GetLong(int32_t range) const {
  const VString* element = GetAt(range);
  return element != nullptr ? element->GetLong(kWholeValue) : 0;
}
int32_t VStringArray::GetTime(int32_t range) const {
  const VString* element = GetAt(range);
  return element != nullptr ? element->GetTime(kWholeValue) : 0;
}
double VStringArray::GetReal(int32_t range) const {
  const VString* element = GetAt(range);
  return element != nullptr ? double(element->GetLong(kWholeValue)) : 0.0;
}
VDateRec& VStringArray::GetDate(VDateRec& date, int32_t range) const {
  const VString* element = GetAt(range);
  if (element == nullptr) {
    date = VDateRec{};
    return date;
  }
  return element->GetDate(date, kWholeValue);
}

void VStringArray::ConvertTo(VValue& destination, int32_t range) const { CopyTo(destination, range); }

void VStringArray::CopyTo(VValue& destination, int32_t range) const {
  const VString* element = GetAt(range);
  if (element == nullptr) {
    destination.Clear();
  } else {
    destination.SetString(*element, kWholeValue);
  }
}

void VStringArray::FormatTo(VString& destination, const VString* format, int32_t range) const {
  const VString* element = GetAt(range);
  if (element == nullptr) {
    destination.Clear();
    return;
  }
  destination.Assign(*element);
  arrays_p::ApplyTextFormatTo(destination, format);
}

// ---- setters

template <int32_t N, typename Set>
void VStringArray::SetThrough(int32_t range, Set set) {
  if (!CheckIndex(range)) return;
  VString* element = GetAt(range);
  if (element != nullptr) {
    set(*element);
    if (fSorted != 0) Sort(false);
    return;
  }
  // A new string for the absent element; stored without sorting.
  VString* fresh = new VStr<N>;
  set(*fresh);
  SetAt(fresh, range);
}

void VStringArray::SetBoolean(uint8_t value, int32_t range) {
  SetThrough<31>(range, [&](VString& s) { s.SetBoolean(value, kWholeValue); });
}
void VStringArray::SetWord(int16_t value, int32_t range) {
  SetThrough<31>(range, [&](VString& s) { s.SetWord(value, kWholeValue); });
}
void VStringArray::SetLong(int32_t value, int32_t range) {
  SetThrough<31>(range, [&](VString& s) { s.SetLong(value, kWholeValue); });
}
void VStringArray::SetTime(int32_t seconds, int32_t range) {
  SetThrough<80>(range, [&](VString& s) { s.SetTime(seconds, kWholeValue); });
}
void VStringArray::SetReal(double value, int32_t range) {
  SetThrough<80>(range, [&](VString& s) { s.SetReal(value, kWholeValue); });
}
void VStringArray::SetDate(const VDateRec& date, int32_t range) {
  SetThrough<80>(range, [&](VString& s) { s.SetDate(date, kWholeValue); });
}

void VStringArray::SetString(const VString& source, int32_t range) {
  if (!CheckIndex(range)) return;
  VString* element = GetAt(range);
  if (element == &source) {
    // The element itself: its text is already there.
  } else if (element == nullptr || element->GetCapacity() < source.GetLength()) {
    SetAt(static_cast<VString*>(source.Clone()), range);
  } else {
    element->SetString(source, kWholeValue);
  }
  if (fSorted != 0) Sort(false);
}

void VStringArray::CopyFrom(const VValue& source, int32_t range) {
  if (!CheckIndex(range)) return;
  VString* element = GetAt(range);
  if (element == nullptr) {
    element = new VStr<80>;
    SetAt(element, range);
  }
  source.FormatTo(*element, nullptr, kWholeValue);
}

void VStringArray::Assign(const VValue& source, int32_t range) {
  if (!CheckIndex(range)) return;
  VString* element = GetAt(range);
  if (element == nullptr) {
    element = new VStrInHandle;
    SetAt(element, range);
  }
  element->Assign(source, kWholeValue);
}

int32_t VStringArray::Compare(const VValue& other, int32_t strict, int32_t range) const {
  const VString* element = GetAt(range);
  if (element == nullptr) return -1;
  VStr<255> text;
  TextFormOf(other, text);
  return CompareStrings(element, &text, strict != 0);
}

// ---- search and order

int32_t VStringArray::FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const {
  VStr<255> text;
  TextFormOf(value, text);
  return Find(text, start, forward, mode);
}

int32_t VStringArray::Find(const VString& string, int32_t start, bool forward, int32_t mode) const {
  if (start < 1 || start > fCount) return -1;
  if (fSorted != 0 && start == 1 && forward && mode == 0) {
    int32_t lo = 1;
    int32_t hi = fCount;
    while (lo <= hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      // A null element counts as below the string.
      const int32_t c = CompareStrings(&string, GetAt(mid), false);
      if (c == 0) return mid;
      if (c < 0) {
        hi = mid - 1;
      } else {
        lo = mid + 1;
      }
    }
    return -1;
  }
  if (mode < -2 || mode > 2) return start;
  const int32_t step = forward ? 1 : -1;
  for (int32_t i = start; i >= 1 && i <= fCount; i += step) {
    const VString* element = GetAt(i);
    if (element == nullptr) {
      if (mode < 0) return i;
      continue;
    }
    const int32_t c = CompareStrings(element, &string, false);
    const bool hit = (mode == -2 && c <= 0) || (mode == -1 && c < 0) || (mode == 0 && c == 0) ||
                     (mode == 1 && c > 0) || (mode == 2 && c >= 0);
    if (hit) return i;
  }
  return -1;
}

int32_t VStringArray::CompareElements(const void* a, const void* b) const {
  return CompareStrings(static_cast<const VString*>(Slot(static_cast<const uint8_t*>(a), 1)),
                        static_cast<const VString*>(Slot(static_cast<const uint8_t*>(b), 1)), false);
}

// ---- stream form

int32_t VStringArray::WriteElements(VStream& stream) const {
  for (int32_t i = 1; i <= fCount && stream.GetStatus() == kStreamNoError; ++i) {
    VString* element = GetAt(i);
    if (element == nullptr) {
      stream.PutLong(int32_t(kNullElementCode));
    } else {
      stream.PutLong(element->GetForm());
      element->WriteToStream(stream, 0);
    }
  }
  return stream.GetStatus();
}

int32_t VStringArray::ReadElements(VStream& stream, int32_t count) {
  // The elements are gathered apart and taken over only when all of them
  // arrived, so that a stream that fails part way loses nothing.
  VStringArray incoming(count);
  if (incoming.Count() != count) return NoMemoryError();
  for (int32_t i = 1; i <= count; ++i) {
    const uint32_t code = stream.GetULong();
    if (stream.GetStatus() > 0) return stream.GetStatus();
    // 'NULL' and any code that names no string form give a null element.
    VString* element = code <= uint32_t(kStringFormAnsiHandle) ? NewString(int32_t(code)) : nullptr;
    if (element != nullptr) element->ReadFromStream(stream, 0);
    incoming.SetAt(element, i);
    if (stream.GetStatus() > 0) return stream.GetStatus();
  }
  SetCount(count, false);
  if (fCount != count) return NoMemoryError();
  for (int32_t i = 1; i <= count; ++i) SetAt(incoming.DetachAt(i), i);
  return stream.GetStatus();
}

uint64_t VStringArray::StoredBytesFor(VStream&, uint64_t count) const { return count * 4u; }
