// The environment bridge in effect and the default answers of its calls.
#include "framework/core/values/VEnvironmentBridge.h"

#include <ctime>

#include "framework/core/strings/VString.h"

namespace {
VEnvironmentBridge sDefaultBridge;
}  // namespace

VEnvironmentBridge* GetEnvironmentBridge() {
  VEnvironmentBridge* bridge = VEnvironmentBridgeService::Get();
  return bridge != nullptr ? bridge : &sDefaultBridge;
}

char16_t VEnvironmentBridge::GetDecimalSeparator() { return u'.'; }
char16_t VEnvironmentBridge::GetDateSeparator() { return u'/'; }
char16_t VEnvironmentBridge::GetTimeSeparator() { return u':'; }
int32_t VEnvironmentBridge::GetDateOrder() { return kDateOrderMDY; }

void VEnvironmentBridge::GetMorningText(VString& out) { out.SetCText(" AM", kCharSetAnsi); }
void VEnvironmentBridge::GetAfternoonText(VString& out) { out.SetCText(" PM", kCharSetAnsi); }

void VEnvironmentBridge::GetBooleanText(VString& out, bool value) {
  out.SetCText(value ? "true" : "false", kCharSetAnsi);
}

VLocalDateTime VEnvironmentBridge::GetLocalDateTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  VLocalDateTime result;
  result.year = static_cast<uint16_t>(local.tm_year + 1900);
  result.month = static_cast<uint16_t>(local.tm_mon + 1);
  result.day = static_cast<uint16_t>(local.tm_mday);
  result.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
  result.hour = static_cast<uint16_t>(local.tm_hour);
  result.minute = static_cast<uint16_t>(local.tm_min);
  // A leap second reads as the last second of its minute.
  result.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  result.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
  return result;
}
