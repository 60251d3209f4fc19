// The fake host of the tests.
#include "testsupport/FakeHost.h"

#include <cstring>

#include "framework/core/strings/VString.h"
#include "framework/core/strings/VUniString.h"
#include "platform/toolbox/TbxHandles.h"

FakeHost::FakeHost() : fPrevious(VHostBridgeService::Install(this)) {}

FakeHost::~FakeHost() { VHostBridgeService::Install(fPrevious); }

void FakeHost::SetField(uint16_t table, uint16_t field, int16_t kind, std::vector<uint8_t> content) {
  fFields[{table, field}] = Field{kind, std::move(content)};
}

bool FakeHost::HasField(uint16_t table, uint16_t field) const { return fFields.count({table, field}) != 0; }

const std::vector<uint8_t>& FakeHost::FieldContent(uint16_t table, uint16_t field) const {
  static const std::vector<uint8_t> kNone;
  auto it = fFields.find({table, field});
  return it != fFields.end() ? it->second.content : kNone;
}

bool FakeHost::CarriesBytes(int16_t kind) {
  return kind == kHostFieldText || kind == kHostFieldPicture || kind == kHostFieldBlob;
}

uint8_t FakeHost::SwapResource(uint8_t direction, uint32_t type, uint32_t, void*) {
  fSwapCalls.emplace_back(direction, type);
  return 0;
}

int16_t FakeHost::HostGetFieldType(uint16_t table, uint16_t field, uint8_t) {
  auto it = fFields.find({table, field});
  return it != fFields.end() ? it->second.kind : -1;
}

bool FakeHost::HostGetFieldBlob(uint16_t table, uint16_t field, uint8_t, uint32_t& handle,
                                uint32_t& claimedLength) {
  handle = 0;
  claimedLength = 0;
  auto it = fFields.find({table, field});
  if (it == fFields.end() || !CarriesBytes(it->second.kind) || it->second.content.empty()) return false;
  const std::vector<uint8_t>& bytes = it->second.content;
  Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(bytes.size()));
  if (h == 0) return false;
  std::memcpy(Tbx::HLock(h), bytes.data(), bytes.size());
  Tbx::HUnlock(h);
  handle = h;
  // The host's record keeps the low 16 bits of the length.
  claimedLength = fClaimOverride ? fClaimedLength : static_cast<uint32_t>(bytes.size()) & 0xFFFF;
  fLastLoaded = h;
  ++fLoads;
  return true;
}

bool FakeHost::HostSetFieldBlob(uint16_t table, uint16_t field, uint8_t, uint32_t handle, uint32_t length) {
  auto it = fFields.find({table, field});
  const int32_t size = Tbx::GetHandleSize(handle);
  if (it == fFields.end() || !CarriesBytes(it->second.kind) || fRefuseStore || handle == 0 ||
      static_cast<uint32_t>(size) < length) {
    fLastRefused = handle;
    return false;
  }
  std::vector<uint8_t> bytes(length);
  if (length != 0) {
    std::memcpy(bytes.data(), Tbx::HLock(handle), length);
    Tbx::HUnlock(handle);
  }
  it->second.content = std::move(bytes);
  // The handle is the host's now; this host keeps copies, not handles.
  Tbx::DisposeHandle(handle);
  ++fStores;
  return true;
}

void FakeHost::HostGetDisplayRoutines(VDisplayRoutines& routines) {
  ++fRoutineRequests;
  if (fRoutines.filled != nullptr) routines = fRoutines;
}

void FakeHost::HostGetCenturyPivot(int32_t& pivotYear, int32_t& century) {
  pivotYear = fPivotYear;
  century = fCentury;
}

void FakeHost::HostValueToText(uint32_t valueType, int32_t format, int32_t value, VString& destination) {
  const std::u16string text = valueToText ? valueToText(valueType, format, value) : std::u16string();
  destination.SetUniChars(text.data(), 0, static_cast<int32_t>(text.size()));
}

int32_t FakeHost::HostTextToValue(uint32_t valueType, const VString& text) {
  if (!textToValue) return 0;
  std::u16string units;
  VStrInHandle copy(text);
  for (int32_t i = 1; i <= copy.GetLength(); ++i) units.push_back(copy.GetCharAt(i));
  return textToValue(valueType, units);
}

void FakeHost::HostShowMessage(const uint8_t* text) {
  fMessages.emplace_back(text != nullptr ? std::string(reinterpret_cast<const char*>(text + 1), text[0])
                                         : std::string());
}

bool FakeHost::EventMatches(const VHostEventRecord& record, int16_t eventMask) {
  return record.what < 16 && (static_cast<uint16_t>(eventMask) & (1u << record.what)) != 0;
}

uint8_t FakeHost::HostCall362(int16_t eventMask, VHostEventRecord& record) {
  for (const VHostEventRecord& waiting : fEvents)
    if (EventMatches(waiting, eventMask)) {
      record = waiting;
      return 1;
    }
  return 0;
}

int16_t FakeHost::HostCall361(int16_t eventMask, VHostEventRecord& record, int32_t) {
  for (auto it = fEvents.begin(); it != fEvents.end(); ++it)
    if (EventMatches(*it, eventMask)) {
      record = *it;
      fEvents.erase(it);
      return 1;
    }
  return 0;
}

int32_t FakeHost::HostGetValue164() { return fLook; }

int32_t FakeHost::HostOpenWindowAt(const VString&, VFrame*, const VPoint*) {
  ++fWindowRequests;
  return 0;
}
