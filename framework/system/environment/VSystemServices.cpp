// The system environment: the operating-system family, construction, time,
// keyboard and mouse, click counting, screens and the main window, locale,
// colours, keyboard layouts, shell items, looks and the host's calls.
#include "framework/system/environment/VSystemServices.h"

#include <cstdlib>
#include <iterator>
#include <cstring>
#include <ctime>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/values/VValue.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VResourceFile.h"
#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/environment/VFontRecords.h"
#include "platform/toolbox/TbxEnvironment.h"
#include "platform/win32/WinCommonDialogs.h"
#include "platform/win32/WinInput.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinModule.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinTime.h"
#include "platform/win32/WinWindowState.h"
#include "platform/win32/WinWindows.h"

int32_t gOSCode = 0;
VSystemServices* gSystemServices = nullptr;

namespace {

constexpr uint32_t kInitialCustomColors[16] = {
    0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00, 0xFF00FF,
    0x888888, 0x000088, 0x008800, 0x880000, 0x008888, 0x888800, 0x880088, 0xCCCCCC};

// The host's key-down event and the mask under which it is taken.
constexpr int16_t kKeyDownMask = 8;
constexpr int16_t kTakeKeyMask = 40;
constexpr uint16_t kModifierBits = 0x1F00;

// The words for false (item 1) and true (item 2).
constexpr int16_t kBooleanTextList = 9003;

// Windows ANSI bytes of the locale answers, zero-filled first so that a
// failed query leaves an empty text rather than stale bytes.
struct LocaleText {
  char bytes[33] = {};
  LocaleText(LCTYPE type, int size) {
    if (size > 32) size = 32;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, bytes, size) == 0) bytes[0] = 0;
    bytes[32] = 0;
  }
};

// The first byte of a locale answer as a UTF-16 character (0 for an empty
// answer).
char16_t FirstCharOf(LCTYPE type, char16_t fallback) {
  LocaleText text(type, 16);
  if (text.bytes[0] == 0) return fallback;
  VStr<2> one;
  one.SetChars(text.bytes, 0, 1, 1);
  return one.GetLength() > 0 ? one.GetCharAt(1) : fallback;
}

// A designator with one space before it, unless it is empty or begins with
// a space already.
void SetDesignator(LCTYPE type, VString& out) {
  LocaleText text(type, 16);
  out.SetAnsiCText(text.bytes);
  if (out.GetLength() > 0 && out.GetCharAt(1) != u' ') out.InsertChar(u' ', 1);
}

int64_t Magnitude(int64_t v) { return v < 0 ? -v : v; }

// Broken-down local time from a date and a time-of-day value.
tm BrokenDown(const VValue& date, const VValue& time) {
  VDateRec d;
  date.GetDate(d, -1);
  const int32_t seconds = time.GetTime(-1);
  tm t{};
  t.tm_year = d.year - 1900;
  t.tm_mon = d.month - 1;
  t.tm_mday = d.day;
  t.tm_hour = 0;
  t.tm_min = 0;
  t.tm_sec = seconds;
  t.tm_isdst = -1;
  return t;
}

// Moves the date and time by `shift` seconds through calendar time and back
// to the local clock.
void Shift(VValue& date, VValue& time, int64_t shift) {
  tm t = BrokenDown(date, time);
  const time_t calendar = mktime(&t);
  if (calendar == static_cast<time_t>(-1)) return;
  const time_t moved = static_cast<time_t>(calendar + shift);
  tm out{};
  if (localtime_r(&moved, &out) == nullptr) return;
  VDateRec d;
  d.day = static_cast<int16_t>(out.tm_mday);
  d.month = static_cast<int16_t>(out.tm_mon + 1);
  d.year = static_cast<int16_t>(out.tm_year + 1900);
  date.SetDate(d, -1);
  time.SetTime(out.tm_hour * 3600 + out.tm_min * 60 + out.tm_sec, -1);
}

int64_t OffsetSeconds(const VValue* offset) {
  if (offset != nullptr) return offset->GetTime(-1);
  const time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return local.tm_gmtoff;
}

bool KeyIsDown(int virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

}  // namespace

// ---------------------------------------------------------------------------
// Operating-system family

int32_t ClassifyOSVersion(const VOSVersionInfo& info) {
  // A system that says it is at least 5.1 is XP or later, whatever it is.
  if (info.verifyExists && info.verifyAtLeast51) return 7;
  if (!info.versionKnown) return 0;
  switch (info.platformId) {
    case 0:
      return 1;
    case 1:
      if (info.major == 3) return 3;
      if (info.major == 4) return 5;
      return 0;
    case 2:
      if (info.major == 3) return 2;
      if (info.major == 4) return 4;
      if (info.major == 5 && info.minor == 0) return 6;
      if (info.major == 5 && info.minor == 1) return 7;
      return 0;
    default:
      return 0;
  }
}

VOSVersionInfo QueryOSVersion() {
  VOSVersionInfo info;
  info.verifyExists = true;
  info.verifyAtLeast51 = true;
  info.versionKnown = true;
  info.platformId = 2;
  info.major = 5;
  info.minor = 1;
  return info;
}

void VSystemServices::ClassifySystem() {
  gOSCode = 0;
  gOSCode = ClassifyOSVersion(QueryOSVersion());
}

int32_t VSystemServices::GetSystemVersion() {
  if (gOSCode == 0) {
    int32_t answer = 0;
    if (Tbx::Gestalt(Tbx::gestaltSystemVersion, &answer) == Tbx::noErr) gOSCode = answer;
  }
  return gOSCode;
}

// ---------------------------------------------------------------------------
// Life

VSystemServices::VSystemServices()
    : fMainWindowRecord(static_cast<const Tbx::MainWindowRecord*>(
          Tbx::EmulatorGetSystemObject(0, Tbx::kSystemObjectMainWindow, 0))),
      fFileTypeMap(new VFileTypeMap()),
      fAllFonts(new VStringArray()),
      fScalableFonts(new VStringArray()),
      fLastClickTime(TickCount60()) {
  std::memcpy(fCustomColors, kInitialCustomColors, sizeof fCustomColors);
  gFileTypeMap = fFileTypeMap.get();
  VEnvironmentGraphics* graphics = VEnvironmentGraphicsService::Get();
  fHasQuickTime = graphics != nullptr && graphics->PictureLibraryStarted() ? 1 : 0;
  LoadLocale();
  ClassifySystem();
  CoInitialize(nullptr);
}

VSystemServices::~VSystemServices() {
  SetLastFolderItem(nullptr);
  FreeFontRecords();
  CoUninitialize();
  if (gFileTypeMap == fFileTypeMap.get()) gFileTypeMap = nullptr;
}

void VSystemServices::LoadLocale() {
  fDecimalSeparator = FirstCharOf(LOCALE_SDECIMAL, fDecimalSeparator);
  fThousandsSeparator = FirstCharOf(LOCALE_STHOUSAND, fThousandsSeparator);
  fDateSeparator = FirstCharOf(LOCALE_SDATE, fDateSeparator);
  fTimeSeparator = FirstCharOf(LOCALE_STIME, fTimeSeparator);
  {
    LocaleText text(LOCALE_ITIME, 16);
    fTimeFormat = text.bytes[0] >= '0' && text.bytes[0] <= '2' ? text.bytes[0] - '0' : 0;
  }
  SetDesignator(LOCALE_S1159, fAMText);
  SetDesignator(LOCALE_S2359, fPMText);
  {
    // Windows counts from Monday (0) to Sunday (6); the environment from
    // Sunday (0).
    LocaleText text(LOCALE_IFIRSTDAYOFWEEK, 16);
    const char digit = text.bytes[0];
    if (digit >= '0' && digit <= '5') fFirstDayOfWeek = digit - '0' + 1;
    if (digit == '6') fFirstDayOfWeek = 0;
  }
}

// ---------------------------------------------------------------------------
// The module's resource file

void VSystemServices::LoadFileTypeMap() {
  if (fModuleFile != nullptr) fFileTypeMap->LoadFileTypeMap(*fModuleFile);
}

void VSystemServices::GetBooleanText(VString& out, bool value) {
  if (fFalseText.GetLength() == 0 && fModuleFile != nullptr) {
    fModuleFile->GetIndString(&fFalseText, kBooleanTextList, 1);
    fModuleFile->GetIndString(&fTrueText, kBooleanTextList, 2);
  }
  out.SetString(value ? fTrueText : fFalseText, kWholeValue);
}

void VSystemServices::ShowAlert(VResourceFile& file, int16_t listId, int16_t index) {
  VStr<255> text;
  file.GetIndString(&text, listId, index);
  if (text.GetLength() > 0) ShowMessage(text);
}

VFile* VSystemServices::GetModuleFile() {
  char path[260];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // A path cut to the buffer would name another file.
  if (length == 0 || length >= sizeof path) return nullptr;
  return new VFile(path, 0, 0);
}

// ---------------------------------------------------------------------------
// Time

uint32_t VSystemServices::TickCount60() {
  // Milliseconds in 64 bits: the 32-bit product of the milliseconds and 6
  // would wrap after little more than eight days.
  return static_cast<uint32_t>(GetTickCount64() * 6 / 100);
}

uint32_t VSystemServices::GetDoubleClickTime() { return Tbx::GetDblTime(); }
uint32_t VSystemServices::GetCaretBlinkTime() { return Tbx::GetCaretBlinkTime(); }

void VSystemServices::GetLocalDateTime(uint16_t parts[8]) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  parts[0] = t.wYear;
  parts[1] = t.wMonth;
  parts[2] = t.wDay;
  parts[3] = t.wDayOfWeek;
  parts[4] = t.wHour;
  parts[5] = t.wMinute;
  parts[6] = t.wSecond;
  parts[7] = t.wMilliseconds;
}

void VSystemServices::GetCurrentDateTime(VValue& date, VValue& time) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  VDateRec d;
  d.day = static_cast<int16_t>(t.wDay);
  d.month = static_cast<int16_t>(t.wMonth);
  d.year = static_cast<int16_t>(t.wYear);
  date.SetDate(d, -1);
  time.SetTime(t.wHour * 3600 + t.wMinute * 60 + t.wSecond, -1);
}

void VSystemServices::GetSystemFileTime(uint32_t& high, uint32_t& low) {
  SYSTEMTIME t{};
  GetSystemTime(&t);
  FILETIME f{0, 0};
  SystemTimeToFileTime(&t, &f);
  high = f.dwHighDateTime;
  low = f.dwLowDateTime;
}

void VSystemServices::GetTimeZoneOffset(VValue& time) {
  // The zone's offset as it stands now, summer time included: reading the
  // universal broken-down time back as local time would lose the summer
  // hour, since the universal form carries no summer-time flag.
  time.SetTime(static_cast<int32_t>(OffsetSeconds(nullptr)), -1);
}

void VSystemServices::LocalToUniversal(VValue& date, VValue& time, const VValue* offset) {
  Shift(date, time, -OffsetSeconds(offset));
}

void VSystemServices::UniversalToLocal(VValue& date, VValue& time, const VValue* offset) {
  Shift(date, time, OffsetSeconds(offset));
}

uint32_t VSystemServices::GetLocalSeconds1970() {
  static const int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  SYSTEMTIME t{};
  GetLocalTime(&t);
  const int64_t year = t.wYear;
  // Leap days of the years 1970 .. year - 1 that divide by 4.
  const int64_t leapDays = (year - 1) / 4 - 1969 / 4;
  int64_t days = (year - 1970) * 365 + leapDays;
  const int month = t.wMonth >= 1 && t.wMonth <= 12 ? t.wMonth : 1;
  days += kDaysBeforeMonth[month - 1] + (month > 2 && year % 4 == 0 ? 1 : 0);
  days += t.wDay - 1;
  const int64_t seconds = days * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
  return static_cast<uint32_t>(seconds);
}

int32_t VSystemServices::RandomInRange(int32_t low, int32_t high) {
  // Worked out in 64 bits: the width of a wide range times 65535 passes
  // 32 bits.
  const int64_t width = Magnitude(int64_t{high} - int64_t{low});
  const int64_t draw = int64_t{Tbx::Random()} + 32768;
  int64_t value = int64_t{low} + draw * width / 65536;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<int32_t>(value);
}

// ---------------------------------------------------------------------------
// Keyboard and mouse

void VSystemServices::Beep() { Tbx::SysBeep(0); }
bool VSystemServices::IsShiftDown() { return KeyIsDown(VK_SHIFT); }
bool VSystemServices::IsControlDown() { return KeyIsDown(VK_CONTROL); }
bool VSystemServices::IsAltDown() { return KeyIsDown(VK_MENU); }
bool VSystemServices::IsCapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }
bool VSystemServices::IsNumLockOn() { return (GetKeyState(VK_NUMLOCK) & 1) != 0; }
bool VSystemServices::IsMouseButtonDown() { return GetAsyncKeyState(VK_LBUTTON) != 0; }
bool VSystemServices::IsRightButtonDown() { return GetAsyncKeyState(VK_RBUTTON) != 0; }

bool VSystemServices::IsAnyMouseButtonDown() {
  return IsMouseButtonDown() || IsRightButtonDown();
}

bool VSystemServices::IsAnyKeyDown(bool ignoreModifiers) {
  struct Range {
    uint8_t first, last;
  };
  static const Range kAll[] = {{3, 3},   {8, 9},   {12, 13},  {16, 20},   {27, 27},
                               {32, 57}, {65, 93}, {96, 135}, {144, 145}, {160, 165}};
  static const Range kNoModifiers[] = {{3, 3},   {8, 9},   {12, 13},  {19, 19},  {27, 27},
                                       {32, 57}, {65, 90}, {96, 135}, {145, 145}};
  BYTE state[256];
  if (!GetKeyboardState(state)) return false;
  auto any = [&state](const Range* ranges, size_t count) {
    for (size_t r = 0; r < count; ++r) {
      for (int k = ranges[r].first; k <= ranges[r].last; ++k) {
        if (state[k] > 127) return true;
      }
    }
    return false;
  };
  return ignoreModifiers ? any(kNoModifiers, std::size(kNoModifiers))
                         : any(kAll, std::size(kAll));
}

void VSystemServices::GetMousePosition(int32_t& x, int32_t& y) {
  POINT p{0, 0};
  GetCursorPos(&p);
  x = p.x;
  y = p.y;
}

int16_t VSystemServices::CountClicks(const VEvent& event) {
  VEnvironmentViews* views = VEnvironmentViewsService::Get();
  if (views == nullptr) return 0;
  bool buttonUp = false;
  int32_t x = 0;
  int32_t y = 0;
  uint32_t when = 0;
  views->GetClickFacts(event, buttonUp, x, y, when);
  if (buttonUp) return 0;
  // Distances in 64 bits: positions far apart must not wrap into near ones.
  const bool near = Magnitude(int64_t{x} - fLastClickX) < 3 && Magnitude(int64_t{y} - fLastClickY) < 3;
  const bool soon = static_cast<uint32_t>(when - fLastClickTime) < GetDoubleClickTime();
  fClickRun = near && soon && fClickRun < INT16_MAX - 1 ? fClickRun + 1 : 0;
  fLastClickX = x;
  fLastClickY = y;
  fLastClickTime = when;
  return static_cast<int16_t>(fClickRun + 1);
}

void VSystemServices::EndClickRun() {
  fLastClickX = kNoClickPlace;
  fLastClickY = kNoClickPlace;
  fClickRun = 0;
}

void VSystemServices::GetLastClickPosition(int32_t& x, int32_t& y) const {
  x = fLastClickX;
  y = fLastClickY;
}

// ---------------------------------------------------------------------------
// Screens and the main window

uint32_t VSystemServices::FindLargestScreenDevice(const VRect& rect) {
  VEnvironmentGraphics* graphics = VEnvironmentGraphicsService::Get();
  Tbx::GDHandle best = 0;
  if (graphics != nullptr) {
    Tbx::Rect wanted{};
    graphics->RectToMacRect(rect, wanted);
    int64_t bestArea = 0;
    for (Tbx::GDHandle device = Tbx::GetDeviceList(); device != 0;
         device = Tbx::GetNextDevice(device)) {
      if (!Tbx::TestDeviceAttribute(device, Tbx::screenActive)) continue;
      Tbx::Rect screen{};
      Tbx::Rect overlap{};
      if (!Tbx::GetDeviceRect(device, &screen) || !Tbx::SectRect(&wanted, &screen, &overlap)) continue;
      const int64_t area = int64_t{overlap.right - overlap.left} * (overlap.bottom - overlap.top);
      if (area > bestArea) {
        bestArea = area;
        best = device;
      }
    }
  }
  return best != 0 ? best : Tbx::GetMainDevice();
}

uint32_t VSystemServices::FindScreenDeviceAt(int32_t x, int32_t y) {
  // A point beyond 16 bits lies on no screen of 16-bit rectangles.
  if (x < INT16_MIN || x > INT16_MAX || y < INT16_MIN || y > INT16_MAX) return 0;
  const Tbx::Point point{static_cast<int16_t>(y), static_cast<int16_t>(x)};
  for (Tbx::GDHandle device = Tbx::GetDeviceList(); device != 0;
       device = Tbx::GetNextDevice(device)) {
    if (!Tbx::TestDeviceAttribute(device, Tbx::screenActive)) continue;
    Tbx::Rect screen{};
    if (Tbx::GetDeviceRect(device, &screen) && Tbx::PtInRect(point, &screen)) return device;
  }
  return 0;
}

int32_t VSystemServices::GetMenuBarHeight() { return GetSystemMetrics(SM_CYMENU); }

VScreenRect VSystemServices::GetScreenRect() {
  VScreenRect r;
  r.right = GetSystemMetrics(SM_CXSCREEN) - 1;
  r.bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
  return r;
}

int32_t VSystemServices::GetScreenRight() { return GetScreenRect().right; }
int32_t VSystemServices::GetScreenBottom() { return GetScreenRect().bottom; }

HWND VSystemServices::GetMainWindow() const {
  if (fMainWindowRecord != nullptr) return fMainWindowRecord->window;
  HWND window = GetForegroundWindow();
  // Up to the top-level ancestor; a chain this long is a cycle.
  for (int depth = 0; window != nullptr && depth < 1024; ++depth) {
    HWND parent = GetParent(window);
    if (parent == nullptr) break;
    window = parent;
  }
  return window;
}

void* VSystemServices::GetMainInstance() const {
  return fMainWindowRecord != nullptr ? fMainWindowRecord->instance : nullptr;
}

void VSystemServices::FitFrameToMainWindow(VRect& rect) const {
  VEnvironmentGraphics* graphics = VEnvironmentGraphicsService::Get();
  if (graphics == nullptr) return;
  HWND window = GetMainWindow();
  RECT client{0, 0, 0, 0};
  GetClientRect(window, &client);
  POINT origin{client.left, client.top};
  MapWindowPoints(window, nullptr, &origin, 1);
  graphics->SetRectPosition(rect, origin.x, origin.y);
  graphics->SetRectSize(rect, client.right - client.left, client.bottom - client.top);
}

void VSystemServices::PositionFrameBelowMenuBar(const VWindowView& window, VRect& rect) const {
  VEnvironmentGraphics* graphics = VEnvironmentGraphicsService::Get();
  if (graphics == nullptr) return;
  FitFrameToMainWindow(rect);
  int16_t left = 0;
  int16_t top = 0;
  int16_t right = 0;
  int16_t bottom = 0;
  if (VEnvironmentViews* views = VEnvironmentViewsService::Get()) {
    views->GetBorderWidths(window, left, top, right, bottom);
  }
  int32_t width = 0;
  int32_t height = 0;
  graphics->GetRectSize(rect, width, height);
  graphics->SetRectPosition(rect, left + 5, GetMenuBarHeight() + top + 5);
  graphics->SetRectSize(rect, width - (left + right + 10), height - (top + bottom + 10));
}

// ---------------------------------------------------------------------------
// Characters and locale

bool VSystemServices::IsCharOfClass(uint8_t c, int32_t kind) {
  const bool digit = c >= '0' && c <= '9';
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  // Macintosh Roman letters beyond ASCII: the accented letters 128-159,
  // the ligatures and letters 174, 190 and 203-207.
  const bool roman = (c >= 128 && c <= 159) || c == 174 || c == 190 || (c >= 203 && c <= 207);
  switch (kind) {
    case kCharClassPrintable:
      return c == 9 || c == 13 || (c >= 32 && c <= 126) || c >= 128;
    case kCharClassWord:
      return digit || letter || roman;
    case kCharClassWordStart:
      return letter || roman;
    case kCharClassAsciiWord:
      return digit || letter;
    case kCharClassAsciiWordStart:
      return letter;
    case kCharClassDigit:
      return digit;
    default:
      return false;
  }
}

void VSystemServices::GetDayName(int32_t day, bool abbreviated, VString& out) {
  if (day < 0 || day > 6) {
    out.Clear();
    return;
  }
  // Windows names Monday first; Sunday is its seventh day.
  const LCTYPE first = abbreviated ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1;
  const LCTYPE type = first + static_cast<LCTYPE>(day == 0 ? 6 : day - 1);
  LocaleText text(type, 32);
  out.SetAnsiCText(text.bytes);
}

void VSystemServices::GetMonthName(int32_t month, bool abbreviated, VString& out) {
  if (month < 1 || month > 12) {
    out.Clear();
    return;
  }
  const LCTYPE first = abbreviated ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1;
  LocaleText text(first + static_cast<LCTYPE>(month - 1), 32);
  out.SetAnsiCText(text.bytes);
}

// ---------------------------------------------------------------------------
// Colours, keyboard layout, shell items, looks

bool VSystemServices::ChooseColor(uint32_t& colour) {
  CHOOSECOLORA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.rgbResult = colour;
  dialog.lpCustColors = fCustomColors;
  dialog.Flags = CC_RGBINIT;
  if (!ChooseColorA(&dialog) || dialog.rgbResult == colour) return false;
  colour = dialog.rgbResult;
  return true;
}

void VSystemServices::SetKeyboardLayout(int32_t id) {
  if (id == -2 || id == 0) return;
  // The layout's name: eight hexadecimal digits.
  static const char kDigits[] = "0123456789ABCDEF";
  char name[9];
  const auto value = static_cast<uint32_t>(id);
  for (int i = 0; i < 8; ++i) name[i] = kDigits[(value >> (28 - 4 * i)) & 0xF];
  name[8] = 0;
  if (LoadKeyboardLayoutA(name, KLF_ACTIVATE | KLF_SUBSTITUTE_OK | KLF_REPLACELANG) == nullptr) return;
  HWND window = GetForegroundWindow();
  HIMC context = ImmGetContext(window);
  if (context == nullptr) return;
  ImmSetConversionStatus(context, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, 0);
  ImmReleaseContext(window, context);
}

void VSystemServices::SetLastFolderItem(ITEMIDLIST* item) {
  if (fLastFolderItem != nullptr && fLastFolderItem != item) {
    IMalloc* allocator = nullptr;
    if (SHGetMalloc(&allocator) == S_OK && allocator != nullptr) {
      allocator->Free(fLastFolderItem);
      allocator->Release();
    }
  }
  fLastFolderItem = item;
}

VLookPainter* VSystemServices::GetLookPainter(int32_t index) {
  VEnvironmentGraphics* graphics = VEnvironmentGraphicsService::Get();
  if (graphics == nullptr) return nullptr;
  return graphics->GetLookPainter(index >= 0 && index <= 4 ? index : 2);
}

VLookPainter* VSystemServices::GetCurrentLookPainter() {
  VHostBridge* host = VHostBridgeService::Get();
  return GetLookPainter(host != nullptr ? host->HostGetValue164() : 2);
}

// ---------------------------------------------------------------------------
// Host

void VSystemServices::ShowMessage(const VString& text) {
  VHostBridge* host = VHostBridgeService::Get();
  if (host == nullptr) return;
  uint8_t pascal[256];
  text.GetPText(pascal, 255, 0);
  host->HostShowMessage(pascal);
}

VShortcut* VSystemServices::TakeKeyShortcut(bool noModifiers) {
  VHostBridge* host = VHostBridgeService::Get();
  VEnvironmentViews* views = VEnvironmentViewsService::Get();
  if (host == nullptr || views == nullptr) return nullptr;
  VHostEventRecord record{};
  // A waiting event leaves its message in the record.
  host->HostCall362(kKeyDownMask, record);
  if (record.message == 0) return nullptr;
  if (noModifiers && (record.modifiers & kModifierBits) != 0) return nullptr;
  host->HostCall361(kTakeKeyMask, record, 0);
  return views->NewShortcut(record);
}
