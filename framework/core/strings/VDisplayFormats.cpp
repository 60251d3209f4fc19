// Display formats through the host's display-routine table, and the string
// operations that call them.
#include "framework/core/strings/VDisplayFormats.h"

#include <cstring>

#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VString.h"

namespace {

// The host's routine table: all zeros until the host fills it, and kept
// until the module stops.
VDisplayRoutines sRoutines{};

// Texts cross to and from the routines as Macintosh length-prefixed texts
// in buffers of 256 bytes: a length byte and at most 255 characters.
constexpr int32_t kMaxFormatChars = 255;
constexpr size_t kFormatBufferSize = 256;

using TextRoutine = void (*)(uint8_t* text, const uint8_t* format);

// The number and text formats differ only in the routine they call.
void ApplyFormat(VString& string, const VString& format, TextRoutine VDisplayRoutines::*which) {
  if (format.GetLength() == 0) return;
  uint8_t text[kFormatBufferSize] = {};
  uint8_t pattern[kFormatBufferSize] = {};
  string.GetPText(text, kMaxFormatChars, kCharSetMac);
  format.GetPText(pattern, kMaxFormatChars, kCharSetMac);
  if (HostFormatsAvailable()) {
    TextRoutine routine = sRoutines.*which;
    if (routine != nullptr) routine(text, pattern);
  }
  string.SetMacPText(text);
}

}  // namespace

bool HostFormatsAvailable() {
  if (sRoutines.filled == nullptr) {
    VHostBridge* host = VHostBridgeService::Get();
    if (host != nullptr) host->HostGetDisplayRoutines(sRoutines);
  }
  return sRoutines.filled != nullptr;
}

void ResetDisplayRoutines() { sRoutines = VDisplayRoutines{}; }

void ApplyNumberFormat(VString& string, const VString& format) {
  ApplyFormat(string, format, &VDisplayRoutines::numberFormat);
}

void ApplyTextFormat(VString& string, const VString& format) {
  ApplyFormat(string, format, &VDisplayRoutines::textFormat);
}

void VString::AppendDateText(const VDateRec& date, uint16_t format) {
  if (!HostFormatsAvailable() || sRoutines.dateText == nullptr) {
    Clear();
    return;
  }
  uint8_t text[kFormatBufferSize] = {};
  sRoutines.dateText(&date, text, format);
  AppendPText(text, kCharSetMac);
}

void VString::AppendDateText(const VValue& date, uint16_t format) {
  VDateRec record;
  date.GetDate(record, kWholeValue);
  AppendDateText(record, format);
}

void VString::AppendTimeText(int32_t seconds, uint16_t format) {
  if (!HostFormatsAvailable() || sRoutines.timeText == nullptr) return;
  uint8_t text[kFormatBufferSize] = {};
  sRoutines.timeText(seconds, text, format);
  AppendPText(text, kCharSetMac);
}

void VString::AppendTimeText(const VValue& time, uint16_t format) {
  AppendTimeText(time.GetTime(kWholeValue), format);
}
