// The services that the framework core and the system services need of the
// host bridge, which sits above them. The host bridge installs its
// implementation at start; tests install a fake host. With none installed
// (before start, after stop) callers get no bridge and use their neutral
// answers.
#pragma once

#include <cstdint>

#include "boundary/HostDisplayRoutines.h"
#include "boundary/HostFieldTypes.h"
#include "boundary/HostRecords.h"
#include "framework/core/VService.h"

class VString;
class VFrame;
class VPoint;

// The event record in which the host delivers events: the record that the
// host and the module share (its message is pointer-sized, since some events
// carry an address there).
using VHostEventRecord = HostEventRecord;

// Every call but SwapResource has a neutral default (an error kind, false,
// 0, an empty answer, nothing shown), so a stand-in that serves only some
// calls answers the others as a host that has nothing to give.
class VHostBridge {
 public:
  virtual ~VHostBridge() = default;

  // The package object's conversion of the word processor's own resource
  // types, in place and bounded by `size`; answers 1 when it converted the
  // type, 0 when it does not know it or when no package object exists.
  virtual uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) = 0;

  // The kind of a field of the host's database (2 text, 3 picture, 30 BLOB,
  // ...); -1 when the host reports an error. `flag` is passed on to the host.
  virtual int16_t HostGetFieldType(uint16_t table, uint16_t field, uint8_t flag);

  // The field's content, for a field of kind 2, 3 or 30 (any other kind is
  // refused without asking for the bytes): true with a Toolbox handle that
  // holds the bytes and `claimedLength`, the length the host reports for
  // them (the host's record keeps only its low 16 bits). The handle then
  // belongs to the caller, which disposes of it when done. False, with the
  // handle 0, when the kind is refused or the host has no content.
  virtual bool HostGetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t& handle,
                                uint32_t& claimedLength);

  // Stores the first `length` bytes of the Toolbox handle as the field's
  // content, for a field of kind 2, 3 or 30. True when the host took it: the
  // handle then belongs to the host. False when the kind is refused or the
  // host refuses: the handle stays the caller's.
  virtual bool HostSetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t handle,
                                uint32_t length);

  // Asks the host to fill the display-routine table; the caller tests the
  // first entry afterwards and asks again while it is null.
  virtual void HostGetDisplayRoutines(VDisplayRoutines& routines);

  // The pivot year for two-digit years (0: no pivot) and the century to
  // which a two-digit year at or above the pivot belongs.
  virtual void HostGetCenturyPivot(int32_t& pivotYear, int32_t& century);

  // The host's text of a value of the host type (11 for a time) under a
  // format number, into `destination`.
  virtual void HostValueToText(uint32_t valueType, int32_t format, int32_t value,
                               VString& destination);
  // The host's value of a text (at most 82 characters reach the host); 0
  // when the host gives none.
  virtual int32_t HostTextToValue(uint32_t valueType, const VString& text);

  // Shows a length-prefixed text to the user.
  virtual void HostShowMessage(const uint8_t* text);

  // Whether an event of the mask is waiting (not 0 when one is); fills the
  // record with it without taking it.
  virtual uint8_t HostCall362(int16_t eventMask, VHostEventRecord& record);
  // Takes the next event of the mask into the record; not 0 when one was
  // taken.
  virtual int16_t HostCall361(int16_t eventMask, VHostEventRecord& record, int32_t option);

  // The host's current look value (the look painters take 0 to 4).
  virtual int32_t HostGetValue164();

  // Shows a tool-tip text for a frame, at an explicit place or (null) the
  // frame's own.
  virtual int32_t HostOpenWindowAt(const VString& text, VFrame* frame, const VPoint* place);
};

// The installed bridge: null before start and after stop.
using VHostBridgeService = VService<VHostBridge>;
