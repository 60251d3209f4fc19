// VHostRoutineCall: a routine (method) of the host's language, called by
// name with values. The routine is looked up in the host once and its
// number kept, so a call object that lives across calls asks only once.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VValue;

// The size of one host variable entry in a call's handle.
constexpr uint32_t kHostEntrySize = 260;
// The longest routine name the host looks up.
constexpr int32_t kHostRoutineNameMax = 80;

class VHostRoutineCall : public VObject {
 public:
  VHostRoutineCall() = default;
  explicit VHostRoutineCall(const VString& name);

  // Replaces the name; the next call looks it up again.
  void SetName(const VString& name);
  const VStr<31>& GetName() const { return fName; }
  int32_t GetRoutineNumber() const { return fRoutine; }

  // Runs the routine with the values as its arguments, in order (null
  // entries are passed as empty values). A new value with the routine's
  // result, owned by the caller; null when the host does not know the
  // routine or its result gives no value. The arguments stay the caller's.
  VValue* CallFunction(std::initializer_list<const VValue*> arguments);
  // Runs the routine for its effect: the arguments up to the first null go
  // in order; no result is read back.
  void CallProcedure(std::initializer_list<const VValue*> arguments);
  // The worker behind CallFunction, on `count` arguments.
  VValue* HostRoutineExecute(const VValue* const* arguments, uint32_t count);

 private:
  // The routine's number, looked up by name when not known yet; 0 for none.
  int32_t FindRoutine();
  // Fills a new handle with the result's entry and the arguments' entries
  // and runs the routine on it; the handle, 0 when it could not be made.
  uint32_t RunRoutine(const VValue* const* arguments, uint32_t count);
  // Has the host release entries `first` to `last` of the handle, then
  // disposes of it.
  void ReleaseEntries(uint32_t h, uint32_t first, uint32_t last);

  VStr<31> fName;
  int32_t fRoutine = 0;
};
