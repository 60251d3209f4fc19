// VHostRequest: a host object that the module drives by its number. The
// host gives a handle for the number; every later request names the object
// by that handle, and releasing it gives the handle back. Nothing is shown
// or raised by the module itself: the host decides what each request does.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VString;

class VHostRequest : public VObject {
 public:
  explicit VHostRequest(int16_t objectNumber) : fNumber(objectNumber) {}
  // Releases the handle when one is held.
  ~VHostRequest() override;
  VHostRequest(const VHostRequest&) = delete;
  VHostRequest& operator=(const VHostRequest&) = delete;

  int16_t GetObjectNumber() const { return fNumber; }
  uint32_t GetHandle() const { return fHandle; }

  // Asks the host for the object's handle (519); true when it gave one. A
  // handle already held is released first.
  bool Open();
  // Gives the handle back (521) and forgets it; nothing without one.
  void Release();
  // The object's further requests (520, 522, 526, 527): true when the host
  // answers error 0. Refused without asking while no handle is held.
  bool Call520();
  bool Call522();
  bool Call526();
  bool Call527();

  // Settings of the object (530), each true when the host answers error 0
  // and refused without asking while no handle is held.
  bool Show(bool show);
  // State 0 to 4, sent as its bit (1, 2, 4, 8, 16); other states are
  // refused without asking.
  bool SetState(int32_t state);
  // At most 255 characters.
  bool SetTitle(const VString& title);
  bool SetRepeat(bool repeat);

 private:
  bool Send(int32_t selector);
  bool Set(uint32_t operation, uint32_t value, const VString* text);

  int16_t fNumber;
  uint32_t fHandle = 0;
};
