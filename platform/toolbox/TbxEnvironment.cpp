// The environment queries of the Toolbox emulation library.
#include "platform/toolbox/TbxEnvironment.h"

#include <strings.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/GdiFont.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinWindowState.h"

namespace Tbx {

namespace {
constexpr int32_t kNewestFamily = 7;
constexpr const char* kSystemFontName = "MS Sans Serif";
constexpr int kMaxScreens = 16;

std::mutex gEnvironmentMutex;
int32_t gRandomSeed = 1;
std::atomic<int32_t> gBeeps{0};

bool gHasMainWindowRecord = false;
MainWindowRecord gMainWindowRecord{};

std::vector<GDHandle> gDevices;

uint32_t MillisecondsToTicks(uint32_t milliseconds) {
  return static_cast<uint32_t>(uint64_t{milliseconds} * 60 / 1000);
}

int16_t Clamp16(LONG v) {
  return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

// The family names the system lists, in its order.
std::vector<std::string> FamilyNames() {
  std::vector<std::string> names;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return names;
  EnumFontFamiliesA(
      dc, nullptr,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) -> int {
        auto* list = reinterpret_cast<std::vector<std::string>*>(data);
        list->emplace_back(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
        return 1;
      },
      reinterpret_cast<LPARAM>(&names));
  DeleteDC(dc);
  return names;
}

// Brings the device records in line with the screens; the caller holds the
// lock. The handles stay when the number of screens does not change.
void SyncDevices() {
  RECT screens[kMaxScreens];
  int count = GetHeadlessScreens(screens, kMaxScreens);
  if (count > kMaxScreens) count = kMaxScreens;
  if (static_cast<int>(gDevices.size()) != count) {
    for (GDHandle h : gDevices) DisposeHandle(h);
    gDevices.clear();
    for (int i = 0; i < count; ++i) {
      GDHandle h = NewHandle(sizeof(GDevice));
      if (h == 0) break;
      gDevices.push_back(h);
    }
  }
  for (size_t i = 0; i < gDevices.size(); ++i) {
    GDevice record{};
    record.gdNextGD = i + 1 < gDevices.size() ? gDevices[i + 1] : 0;
    record.gdRect = Rect{Clamp16(screens[i].top), Clamp16(screens[i].left),
                         Clamp16(screens[i].bottom), Clamp16(screens[i].right)};
    record.gdFlags = static_cast<uint16_t>((1u << screenActive) | (i == 0 ? 1u << mainScreen : 0u));
    HandleLocker data(gDevices[i]);
    if (data) std::memcpy(data.Data(), &record, sizeof record);
  }
}

bool ReadDevice(GDHandle device, GDevice* record) {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  SyncDevices();
  for (GDHandle h : gDevices) {
    if (h != device) continue;
    HandleLocker data(h);
    if (data) std::memcpy(record, data.Data(), sizeof *record);
    return bool(data);
  }
  return false;
}

}  // namespace

OSErr Gestalt(uint32_t selector, int32_t* response) {
  if (response == nullptr) return -50;  // paramErr
  switch (selector) {
    case gestaltSystemVersion:
      *response = kNewestFamily;
      return noErr;
    default:
      return gestaltUndefSelectorErr;
  }
}

uint32_t GetDblTime() { return MillisecondsToTicks(::GetDoubleClickTime()); }
uint32_t GetCaretBlinkTime() { return MillisecondsToTicks(::GetCaretBlinkTime()); }

int16_t Random() {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  // The seed stays in 1 .. 2^31 - 2; 0 would stay 0 forever.
  int64_t seed = gRandomSeed <= 0 ? 1 : gRandomSeed;
  seed = seed * 16807 % 0x7FFFFFFF;
  gRandomSeed = static_cast<int32_t>(seed);
  const auto value = static_cast<int16_t>(seed & 0xFFFF);
  return value == -32768 ? 0 : value;
}

void SetRandomSeed(int32_t seed) {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  gRandomSeed = seed;
}

int32_t GetRandomSeed() {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  return gRandomSeed;
}

void SysBeep(int16_t) { ++gBeeps; }
int32_t CountBeeps() { return gBeeps.load(); }

namespace {
std::atomic<int32_t> gCalls3028{0};
std::atomic<int32_t> gLast3028{0};
}  // namespace

void EmulatorCall3028(int32_t value) {
  gLast3028 = value;
  ++gCalls3028;
}

int32_t CountEmulatorCall3028(int32_t* lastValue) {
  if (lastValue != nullptr) *lastValue = gLast3028.load();
  return gCalls3028.load();
}

void GetFNum(const uint8_t* name, int16_t* familyId) {
  if (familyId == nullptr) return;
  *familyId = 0;
  if (name == nullptr) return;
  const std::string wanted(reinterpret_cast<const char*>(name + 1), name[0]);
  if (strcasecmp(wanted.c_str(), kSystemFontName) == 0) return;
  const std::vector<std::string> names = FamilyNames();
  for (size_t i = 0; i < names.size() && i < 32767; ++i) {
    if (strcasecmp(names[i].c_str(), wanted.c_str()) == 0) {
      *familyId = static_cast<int16_t>(i + 1);
      return;
    }
  }
}

void GetFontName(int16_t familyId, uint8_t* name) {
  if (name == nullptr) return;
  name[0] = 0;
  std::string found;
  if (familyId == 0) {
    found = kSystemFontName;
  } else if (familyId > 0) {
    const std::vector<std::string> names = FamilyNames();
    if (static_cast<size_t>(familyId) <= names.size()) found = names[familyId - 1];
  }
  const size_t length = found.size() > 255 ? 255 : found.size();
  name[0] = static_cast<uint8_t>(length);
  std::memcpy(name + 1, found.data(), length);
}

bool PtInRect(Point point, const Rect* rect) {
  if (rect == nullptr) return false;
  return point.v >= rect->top && point.v < rect->bottom && point.h >= rect->left &&
         point.h < rect->right;
}

bool SectRect(const Rect* a, const Rect* b, Rect* result) {
  if (a == nullptr || b == nullptr || result == nullptr) return false;
  Rect r;
  r.top = a->top > b->top ? a->top : b->top;
  r.left = a->left > b->left ? a->left : b->left;
  r.bottom = a->bottom < b->bottom ? a->bottom : b->bottom;
  r.right = a->right < b->right ? a->right : b->right;
  if (r.top >= r.bottom || r.left >= r.right) {
    *result = Rect{0, 0, 0, 0};
    return false;
  }
  *result = r;
  return true;
}

GDHandle GetMainDevice() {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  SyncDevices();
  return gDevices.empty() ? 0 : gDevices.front();
}

GDHandle GetDeviceList() { return GetMainDevice(); }

GDHandle GetNextDevice(GDHandle device) {
  GDevice record;
  return ReadDevice(device, &record) ? record.gdNextGD : 0;
}

bool TestDeviceAttribute(GDHandle device, int16_t attribute) {
  GDevice record;
  if (attribute < 0 || attribute > 15 || !ReadDevice(device, &record)) return false;
  return (record.gdFlags >> attribute) & 1u;
}

bool GetDeviceRect(GDHandle device, Rect* rect) {
  GDevice record;
  if (rect == nullptr || !ReadDevice(device, &record)) return false;
  *rect = record.gdRect;
  return true;
}

void* EmulatorGetSystemObject(int32_t, int32_t selector, int32_t) {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  if (selector == kSystemObjectMainWindow && gHasMainWindowRecord) return &gMainWindowRecord;
  return nullptr;
}

void SetMainWindowRecord(void* instance, HWND window) {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  gMainWindowRecord = MainWindowRecord{0, 0, instance, window};
  gHasMainWindowRecord = true;
}

void ClearMainWindowRecord() {
  std::lock_guard<std::mutex> lock(gEnvironmentMutex);
  gHasMainWindowRecord = false;
  gMainWindowRecord = MainWindowRecord{};
}

}  // namespace Tbx
