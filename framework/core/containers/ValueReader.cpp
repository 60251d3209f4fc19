// The reader of the tagged value form: the kind, then the object it names
// reads its own data.
#include "framework/core/containers/ValueReader.h"

#include <cstdint>

#include "framework/core/streams/VStream.h"
#include "framework/core/strings/StringFactory.h"
#include "framework/core/strings/VString.h"
#include "framework/core/values/VLongLong.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/core/containers/ValueFactory.h"

namespace {

// The object a stored kind stands for, made before its data is read; the
// string form and the picture kind are read here, since they choose the class.
// Null for a kind without a stream form (the big integer 4, the fixed point
// 11, the other subsystems' 9 and 13, the picture array 109, anything else
// above 12) and for a form without a class. The value factory makes the
// kinds whose empty value is the one to read into: a time holding -1 seconds
// and a date holding the empty date, both not null, and the typed arrays 100
// to 107, which write their kind in front of their frame.
VValue* NewValueOfStoredKind(VStream& stream, uint32_t kind) {
  switch (kind) {
    case kValueEmpty:
    case kValueBoolean:
    case kValueWord:
    case kValueLong:
    case kValueReal:
    case kValueHour:
    case kValueDate:
    case kValueBooleanArray:
    case kValueWordArray:
    case kValueLongArray:
    case kValueRealArray:
    case kValueHourArray:
    case kValueDateArray:
    case kValueStringArray: return NewValueOfKind(int32_t(kind));
    case kValueLongLong: return new VLongLong(0);
    case kValueString: {
      const int32_t form = stream.GetLong();
      if (stream.GetStatus() > 0) return nullptr;
      return NewString(form);
    }
    case kValuePicture: {
      const int32_t pictureKind = stream.GetLong();
      if (stream.GetStatus() > 0) return nullptr;
      return NewPictureValue(pictureKind);
    }
    default: return nullptr;
  }
}

}  // namespace

VValue* ReadValue(VStream& stream) {
  if (stream.GetStatus() > 0) return nullptr;
  // The hook is asked once, about the kind word; a cancel sets the status.
  const uint32_t kind = stream.GetULong();
  if (stream.GetStatus() > 0) return nullptr;
  VValue* value = NewValueOfStoredKind(stream, kind);
  // A short read is the caller's to see in the status; the object is still
  // answered, holding what arrived.
  if (value != nullptr) value->ReadFromStream(stream, 0);
  return value;
}
