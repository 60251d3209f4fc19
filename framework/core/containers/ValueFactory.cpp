// The value factory: one empty value object for each kind code.
#include "framework/core/containers/ValueFactory.h"

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBigInteger.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"

VValue* NewValueOfKind(int32_t kind) {
  switch (kind) {
    case kValueEmpty: return new VEmptyValue;
    case kValueBoolean: return new VBoolean(0);
    case kValueWord: return new VWord(0);
    case kValueLong: return new VLong(0);
    case kValueBigInteger: return new VBigInteger(kBigIntegerBytes);
    case kValueReal: return new VReal(0.0);
    // A time made by kind holds -1 seconds, as one made by the stream reader
    // does, not the 0 that Clear gives.
    case kValueHour: return new VHour(-1);
    case kValueDate: return new VDate;
    case kValueString: return new VStr<255>;
    case kValueBooleanArray: return new VBooleanArray;
    case kValueWordArray: return new VWordArray;
    case kValueLongArray: return new VLongArray;
    case kValueRealArray: return new VRealArray;
    case kValueHourArray: return new VHourArray;
    case kValueDateArray: return new VDateArray;
    case kValueStringArray: return new VStringArray;
    default: return new VEmptyValue;
  }
}
