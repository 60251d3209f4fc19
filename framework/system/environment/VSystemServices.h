// VSystemServices: the system environment, the one object through which the
// module asks the operating system and the host about its surroundings: the
// Windows family, ticks and calendar time, keyboard and mouse, click
// counting, screens and the host's main window, the user's locale, fonts,
// colour choice, keyboard layout and alerts through the host.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"
#include "platform/gdi/WinGdiTypes.h"

class VEvent;
class VFile;
class VFileTypeMap;
class VLookPainter;
class VRect;
class VResourceFile;
class VShortcut;
class VStringArray;
class VValue;
class VWindowView;
struct ITEMIDLIST;
namespace Tbx {
struct MainWindowRecord;
}

// The OS code: 0 not classified; 2, 4, 6 and 7 the NT family (NT 3, NT 4,
// Windows 2000, XP and later), which takes UTF-16 calls and long paths;
// 1, 3 and 5 the older platforms (Win32s, the Windows 3.x platform,
// Windows 95, 98 and Me).
extern int32_t gOSCode;

// What the platform's version queries answered.
struct VOSVersionInfo {
  bool verifyExists = false;   // the version check function is there
  bool verifyAtLeast51 = false;  // its answer to "major 5, minor 1 or later"
  bool versionKnown = false;   // the plain version query succeeded
  uint32_t platformId = 0;     // 0 Win32s, 1 the Windows 3.x and 9x line, 2 NT
  uint32_t major = 0;
  uint32_t minor = 0;
};

// The OS code for what the queries answered; 0 for any combination that is
// not one of the known families.
int32_t ClassifyOSVersion(const VOSVersionInfo& info);

// What this platform's version queries answer: the newest family the
// module knows (NT 5.1, checked as at least 5.1).
VOSVersionInfo QueryOSVersion();

// A screen rectangle with inclusive right and bottom edges.
struct VScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Classes of Macintosh Roman bytes for IsCharOfClass.
constexpr int32_t kCharClassPrintable = 0;
constexpr int32_t kCharClassWord = 1;
constexpr int32_t kCharClassWordStart = 2;
constexpr int32_t kCharClassAsciiWord = 3;
constexpr int32_t kCharClassAsciiWordStart = 4;
constexpr int32_t kCharClassDigit = 5;

// One instance lives from start-up to shut-down in gSystemServices. The OS
// code and the locale are fixed at construction; the font lists are filled
// once by start-up (LoadFontLists); the click fields change with every
// mouse-down event, the custom colours with the colour picker. Operations
// that read nothing of the object are static, so lower layers may call them
// whether or not the object exists.
class VSystemServices : public VObject {
 public:
  // Reads the main-window record, the locale settings and the picture
  // library's state, classifies the OS and starts COM on the thread.
  VSystemServices();
  // Forgets the last folder item, frees the font records and stops COM.
  ~VSystemServices() override;
  VSystemServices(const VSystemServices&) = delete;
  VSystemServices& operator=(const VSystemServices&) = delete;

  // Classifies the platform and stores the code in gOSCode; run by the
  // construction.
  static void ClassifySystem();
  // The OS code; while it is still 0, the Toolbox system version fills it
  // first, and that answer is kept.
  static int32_t GetSystemVersion();

  // ---- The module's resource file and what is read from it.
  // The file that the boolean texts and the file type map are read from;
  // start-up gives it (the host context opens it first). Not owned.
  void SetModuleResourceFile(VResourceFile* file) { fModuleFile = file; }
  VResourceFile* GetModuleResourceFile() const { return fModuleFile; }
  // Appends the rows of every 'FMAP' resource of the module's resource
  // file to the file type map; run once by start-up.
  void LoadFileTypeMap();
  // The file type map, which the object owns; gFileTypeMap while the object
  // lives.
  VFileTypeMap& GetFileTypeMap() const { return *fFileTypeMap; }
  // The word for true or false: items 2 and 1 of 'STR#' 9003 of the
  // module's resource file, read on first use (and again while missing).
  void GetBooleanText(VString& out, bool value);
  // Shows item `index` of 'STR#' `listId` of the file (index 0 or less: the
  // 'STR ' resource `listId`) through the host; nothing for an empty text.
  static void ShowAlert(VResourceFile& file, int16_t listId, int16_t index);
  // A new file reference, owned by the caller, for the process's
  // executable, with type and creator 0; null when its path is not known.
  static VFile* GetModuleFile();

  // ---- Time.
  // Ticks of 1/60 second since start-up; the low 32 bits of a count kept in
  // 64 bits, so that it wraps only after 2^32 ticks.
  static uint32_t TickCount60();
  // The double-click and caret blink intervals in ticks; the tool-tip delay
  // is 30 ticks.
  static uint32_t GetDoubleClickTime();
  static uint32_t GetCaretBlinkTime();
  static uint32_t GetToolTipDelay() { return 30; }
  // Year, month, day, day of week (0 Sunday), hour, minute, second and
  // milliseconds of the local clock.
  static void GetLocalDateTime(uint16_t parts[8]);
  // The local date into a date value and the time of day into a time value.
  static void GetCurrentDateTime(VValue& date, VValue& time);
  // The two halves of the current universal file time.
  static void GetSystemFileTime(uint32_t& high, uint32_t& low);
  // Sets the time value to local time minus universal time, in seconds, as
  // it stands now (summer time included).
  static void GetTimeZoneOffset(VValue& time);
  // Shift a date and a time of day by an offset in seconds (null: the
  // current GetTimeZoneOffset): local to universal subtracts it, universal
  // to local adds it.
  static void LocalToUniversal(VValue& date, VValue& time, const VValue* offset = nullptr);
  static void UniversalToLocal(VValue& date, VValue& time, const VValue* offset = nullptr);
  // Seconds since 1 January 1970 of the local clock, every year divisible
  // by 4 counted as a leap year.
  static uint32_t GetLocalSeconds1970();
  // low + (Random() + 32768) x |high - low| / 65536, worked out in 64 bits
  // and kept within 32 bits.
  static int32_t RandomInRange(int32_t low, int32_t high);

  // ---- Keyboard and mouse.
  static void Beep();
  static bool IsShiftDown();
  static bool IsControlDown();
  static bool IsAltDown();
  static bool IsCapsLockOn();
  static bool IsNumLockOn();
  static bool IsMouseButtonDown();
  static bool IsRightButtonDown();
  static bool IsAnyMouseButtonDown();
  // Whether any key of the keyboard's character, editing and function
  // ranges is down; with ignoreModifiers the Shift, Control, Alt, Caps Lock
  // and Windows keys do not count.
  static bool IsAnyKeyDown(bool ignoreModifiers);
  // The cursor in screen coordinates.
  static void GetMousePosition(int32_t& x, int32_t& y);
  // The clicks an event completes: 0 for a button-up event; otherwise 1 for
  // a click that is not within 2 pixels and the double-click interval of the
  // click before, one more for each that is.
  int16_t CountClicks(const VEvent& event);
  // Ends the run of clicks: the next click counts 1, as the first one did.
  // The clicks a user makes elsewhere meanwhile (in a dialog, another
  // window) are not counted here, so whoever takes the user away ends it.
  void EndClickRun();
  void GetLastClickPosition(int32_t& x, int32_t& y) const;

  // ---- Screens and the host's main window.
  // The active screen device overlapping the rectangle most, or the main
  // device when none overlaps.
  static uint32_t FindLargestScreenDevice(const VRect& rect);
  // The first active screen device that holds the point; 0 when none.
  static uint32_t FindScreenDeviceAt(int32_t x, int32_t y);
  static int32_t GetMenuBarHeight();
  static VScreenRect GetScreenRect();
  static int32_t GetScreenRight();
  static int32_t GetScreenBottom();
  // The host's main window: the record's window, or without a record the
  // top-level ancestor of the foreground window.
  HWND GetMainWindow() const;
  // The host's instance, null without a record.
  void* GetMainInstance() const;
  // The rectangle takes the screen position and the size of the main
  // window's client area.
  void FitFrameToMainWindow(VRect& rect) const;
  // As FitFrameToMainWindow, then moved in below the menu bar and inside
  // the window's borders with a margin of 5 pixels.
  void PositionFrameBelowMenuBar(const VWindowView& window, VRect& rect) const;

  // ---- Characters and locale.
  // Whether a Macintosh Roman byte is of a class (kCharClass...); false for
  // a class above 5.
  static bool IsCharOfClass(uint8_t c, int32_t kind);
  char16_t GetDecimalSeparator() const { return fDecimalSeparator; }
  char16_t GetThousandsSeparator() const { return fThousandsSeparator; }
  char16_t GetDateSeparator() const { return fDateSeparator; }
  char16_t GetTimeSeparator() const { return fTimeSeparator; }
  // The AM and PM texts, with one space before them when the locale gives
  // them without.
  const VString& GetAMText() const { return fAMText; }
  const VString& GetPMText() const { return fPMText; }
  // 0 Sunday to 6 Saturday.
  int32_t GetFirstDayOfWeek() const { return fFirstDayOfWeek; }
  // The digit of the locale's time format: 0 the 12-hour clock, 1 the
  // 24-hour clock.
  int32_t GetTimeFormat() const { return fTimeFormat; }
  // Day 0 Sunday to 6 Saturday; any other day clears the string.
  static void GetDayName(int32_t day, bool abbreviated, VString& out);
  // Month 1 to 12; any other month clears the string.
  static void GetMonthName(int32_t month, bool abbreviated, VString& out);

  // ---- Fonts.
  // Lists the font families of the screen and of the default printer (the
  // printer's only when the screen lacks them); both lists sorted.
  void LoadFontLists();
  // Every font name (all) or the scalable ones.
  VStringArray* GetFontList(bool all) const;
  static int16_t GetFontNumber(const VString& name);
  static void GetFontName(int16_t number, VString& out);

  // ---- Colours, keyboard layout, shell items, looks.
  // Runs the colour picker on the colour; true only when the user confirmed
  // a different colour, which then replaces it.
  bool ChooseColor(uint32_t& colour);
  const uint32_t* GetCustomColors() const { return fCustomColors; }
  // Loads and activates a keyboard layout by language id (not for -2 and
  // 0); the foreground window's input method then converts to native
  // full-width characters.
  static void SetKeyboardLayout(int32_t id);
  // Replaces the remembered folder item, freeing the previous one through
  // the shell's allocator; the object owns the item.
  void SetLastFolderItem(ITEMIDLIST* item);
  ITEMIDLIST* GetLastFolderItem() const { return fLastFolderItem; }
  // The look painter of index 0 to 4 (any other index: 2); null before the
  // graphics layer gives one.
  static VLookPainter* GetLookPainter(int32_t index);
  // The painter of the look the host reports.
  static VLookPainter* GetCurrentLookPainter();
  bool HasQuickTime() const { return fHasQuickTime != 0; }

  // ---- Host.
  // Shows the text (at most 255 Macintosh characters) through the host.
  static void ShowMessage(const VString& text);
  // When the host has a key-down event waiting (and, with noModifiers, it
  // carries none of the modifier bits 0x1F00), takes it and answers a new
  // keyboard shortcut made from it, owned by the caller; null otherwise.
  static VShortcut* TakeKeyShortcut(bool noModifiers);

 private:
  void LoadLocale();
  // The enumeration's work for one family: its 156-byte record, and whether
  // it comes from the printer's pass.
  void AddFontFamily(const void* record, bool printerPass);

  VResourceFile* fModuleFile = nullptr;
  const Tbx::MainWindowRecord* fMainWindowRecord = nullptr;
  ITEMIDLIST* fLastFolderItem = nullptr;
  uint32_t fCustomColors[16];
  std::unique_ptr<VFileTypeMap> fFileTypeMap;
  std::unique_ptr<VStringArray> fAllFonts;
  std::unique_ptr<VStringArray> fScalableFonts;
  // Where the last click is taken to be before any: off every screen.
  static constexpr int32_t kNoClickPlace = -32000;
  int32_t fLastClickX = kNoClickPlace;
  int32_t fLastClickY = kNoClickPlace;
  uint32_t fLastClickTime = 0;
  int32_t fClickRun = 0;
  char16_t fDecimalSeparator = u'.';
  char16_t fThousandsSeparator = u',';
  char16_t fDateSeparator = u'/';
  char16_t fTimeSeparator = u':';
  VStr<8> fAMText;
  VStr<8> fPMText;
  VStr<15> fFalseText;
  VStr<15> fTrueText;
  int32_t fFirstDayOfWeek = 0;
  int32_t fTimeFormat = 0;
  uint8_t fHasQuickTime = 0;
};

// The system environment; made at start-up, deleted at shut-down.
extern VSystemServices* gSystemServices;
