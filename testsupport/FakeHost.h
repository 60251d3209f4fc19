// FakeHost: a host bridge for tests. It keeps field contents per (table,
// field) with their kinds, answers the host's queries from settings a test
// makes, and records what the module asked it to show. Constructing one
// installs it; destroying it puts back the bridge it replaced.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/host/VHostBridge.h"

class FakeHost : public VHostBridge {
 public:
  FakeHost();
  ~FakeHost() override;
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // ---- Fields. A field answers its kind; its content is the bytes the host
  // keeps. Loading hands out a new Toolbox handle holding a copy (the
  // module disposes of it); storing copies the handle's bytes and disposes
  // of the handle, which the host owns once it has taken it.
  void SetField(uint16_t table, uint16_t field, int16_t kind, std::vector<uint8_t> content = {});
  bool HasField(uint16_t table, uint16_t field) const;
  const std::vector<uint8_t>& FieldContent(uint16_t table, uint16_t field) const;
  // Refuse every store (the field keeps its content).
  void SetRefuseStore(bool refuse) { fRefuseStore = refuse; }
  // Report this length for loaded contents instead of their true length.
  void SetClaimedLength(uint32_t length) {
    fClaimOverride = true;
    fClaimedLength = length;
  }
  // Handles handed out by loads, and stores taken, so far.
  int32_t LoadCount() const { return fLoads; }
  int32_t StoreCount() const { return fStores; }
  uint32_t LastLoadedHandle() const { return fLastLoaded; }
  // The handle of the last store this host refused (it stays the caller's).
  uint32_t LastRefusedHandle() const { return fLastRefused; }

  // ---- Other answers.
  void SetDisplayRoutines(const VDisplayRoutines& routines) { fRoutines = routines; }
  int32_t DisplayRoutineRequests() const { return fRoutineRequests; }
  void SetCenturyPivot(int32_t pivotYear, int32_t century) {
    fPivotYear = pivotYear;
    fCentury = century;
  }
  // Value to text and back: tests give the conversions.
  std::function<std::u16string(uint32_t type, int32_t format, int32_t value)> valueToText;
  std::function<int32_t(uint32_t type, const std::u16string& text)> textToValue;
  // Messages shown, as their Macintosh bytes.
  const std::vector<std::string>& Messages() const { return fMessages; }
  // Events waiting for HostCall362 and HostCall361, in order.
  void QueueEvent(const VHostEventRecord& record) { fEvents.push_back(record); }
  void SetLookValue(int32_t value) { fLook = value; }
  int32_t WindowRequests() const { return fWindowRequests; }
  // SwapResource calls seen: (direction, type).
  const std::vector<std::pair<uint8_t, uint32_t>>& SwapCalls() const { return fSwapCalls; }

  // VHostBridge.
  uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data) override;
  int16_t HostGetFieldType(uint16_t table, uint16_t field, uint8_t flag) override;
  bool HostGetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t& handle,
                        uint32_t& claimedLength) override;
  bool HostSetFieldBlob(uint16_t table, uint16_t field, uint8_t flag, uint32_t handle,
                        uint32_t length) override;
  void HostGetDisplayRoutines(VDisplayRoutines& routines) override;
  void HostGetCenturyPivot(int32_t& pivotYear, int32_t& century) override;
  void HostValueToText(uint32_t valueType, int32_t format, int32_t value, VString& destination) override;
  int32_t HostTextToValue(uint32_t valueType, const VString& text) override;
  void HostShowMessage(const uint8_t* text) override;
  uint8_t HostCall362(int16_t eventMask, VHostEventRecord& record) override;
  int16_t HostCall361(int16_t eventMask, VHostEventRecord& record, int32_t option) override;
  int32_t HostGetValue164() override;
  int32_t HostOpenWindowAt(const VString& text, VFrame* frame, const VPoint* place) override;

 private:
  struct Field {
    int16_t kind = 0;
    std::vector<uint8_t> content;
  };
  static bool CarriesBytes(int16_t kind);
  static bool EventMatches(const VHostEventRecord& record, int16_t eventMask);

  VHostBridge* fPrevious;
  std::map<std::pair<uint16_t, uint16_t>, Field> fFields;
  bool fRefuseStore = false;
  bool fClaimOverride = false;
  uint32_t fClaimedLength = 0;
  int32_t fLoads = 0;
  int32_t fStores = 0;
  uint32_t fLastLoaded = 0;
  uint32_t fLastRefused = 0;
  VDisplayRoutines fRoutines{};
  int32_t fRoutineRequests = 0;
  int32_t fPivotYear = 0;
  int32_t fCentury = 0;
  std::vector<std::string> fMessages;
  std::deque<VHostEventRecord> fEvents;
  int32_t fLook = 0;
  int32_t fWindowRequests = 0;
  std::vector<std::pair<uint8_t, uint32_t>> fSwapCalls;
};
