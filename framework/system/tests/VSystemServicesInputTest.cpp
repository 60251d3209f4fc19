// The system environment's keyboard, mouse, screens, main window, colour
// picker, keyboard layout, shell items, looks and host calls.
#include <cstring>
#include <string>

#include "framework/system/environment/VEnvironmentLinks.h"
#include "framework/system/tests/SystemEnvironmentSupport.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinWindows.h"
#include "testsupport/FakeHost.h"

namespace {

using Input = EnvironmentTest;

TEST_F(Input, ModifierKeysReadTheirAsyncState) {
  EXPECT_FALSE(VSystemServices::IsShiftDown());
  SetHeadlessKeyDown(VK_LSHIFT, true);
  SetHeadlessKeyDown(VK_CONTROL, true);
  EXPECT_TRUE(VSystemServices::IsShiftDown());
  EXPECT_TRUE(VSystemServices::IsControlDown());
  EXPECT_FALSE(VSystemServices::IsAltDown());
  SetHeadlessKeyDown(VK_MENU, true);
  EXPECT_TRUE(VSystemServices::IsAltDown());
}

TEST_F(Input, LocksReadTheToggleNotTheKey) {
  SetHeadlessKeyDown(VK_CAPITAL, true);
  EXPECT_FALSE(VSystemServices::IsCapsLockOn());
  SetHeadlessKeyToggled(VK_CAPITAL, true);
  SetHeadlessKeyToggled(VK_NUMLOCK, true);
  EXPECT_TRUE(VSystemServices::IsCapsLockOn());
  EXPECT_TRUE(VSystemServices::IsNumLockOn());
}

TEST_F(Input, MouseButtons) {
  EXPECT_FALSE(VSystemServices::IsAnyMouseButtonDown());
  SetHeadlessKeyDown(VK_RBUTTON, true);
  EXPECT_FALSE(VSystemServices::IsMouseButtonDown());
  EXPECT_TRUE(VSystemServices::IsRightButtonDown());
  EXPECT_TRUE(VSystemServices::IsAnyMouseButtonDown());
  SetHeadlessKeyDown(VK_RBUTTON, false);
  SetHeadlessKeyDown(VK_LBUTTON, true);
  EXPECT_TRUE(VSystemServices::IsMouseButtonDown());
  EXPECT_TRUE(VSystemServices::IsAnyMouseButtonDown());
}

TEST_F(Input, AnyKeyDownCountsTheModifiersOnlyWhenAsked) {
  struct Row {
    int key;
    bool counted;             // with the modifiers
    bool countedWithout;      // with ignoreModifiers
  };
  const Row rows[] = {
      {VK_SHIFT, true, false},  {VK_CAPITAL, true, false}, {VK_PAUSE, true, true},
      {'A', true, true},        {'Z', true, true},         {0x5B, true, false},  // Windows key
      {0x5D, true, false},      {0x5E, false, false},      {VK_NUMLOCK, true, false},
      {VK_SCROLL, true, true},  {VK_LSHIFT, true, false},  {VK_RMENU, true, false},
      {0x87, true, true},       {0x88, false, false},      {VK_LBUTTON, false, false},
      {VK_CANCEL, true, true},  {'0', true, true},         {0x3A, false, false},
  };
  for (const Row& r : rows) {
    ResetHeadlessInput();
    SetHeadlessKeyDown(r.key, true);
    EXPECT_EQ(VSystemServices::IsAnyKeyDown(false), r.counted) << r.key;
    EXPECT_EQ(VSystemServices::IsAnyKeyDown(true), r.countedWithout) << r.key;
  }
  ResetHeadlessInput();
  EXPECT_FALSE(VSystemServices::IsAnyKeyDown(false));
}

TEST_F(Input, MousePositionIsTheCursor) {
  SetCursorPos(321, -7);
  int32_t x = 0;
  int32_t y = 0;
  VSystemServices::GetMousePosition(x, y);
  EXPECT_EQ(x, 321);
  EXPECT_EQ(y, -7);
}

TEST_F(Input, ScreenEdgesAreInclusive) {
  EXPECT_EQ(VSystemServices::GetScreenRight(), 1023);
  EXPECT_EQ(VSystemServices::GetScreenBottom(), 767);
  const VScreenRect r = VSystemServices::GetScreenRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(VSystemServices::GetMenuBarHeight(), 19);
}

TEST_F(Input, ScreenDeviceAtAPointIsTheScreenHoldingIt) {
  const RECT screens[2] = {{0, 0, 800, 600}, {800, 0, 1600, 600}};
  ASSERT_TRUE(SetHeadlessScreens(screens, 2));
  const uint32_t first = Tbx::GetDeviceList();
  const uint32_t second = Tbx::GetNextDevice(first);
  EXPECT_EQ(VSystemServices::FindScreenDeviceAt(10, 10), first);
  EXPECT_EQ(VSystemServices::FindScreenDeviceAt(800, 10), second);
  EXPECT_EQ(VSystemServices::FindScreenDeviceAt(1600, 10), 0u);
  EXPECT_EQ(VSystemServices::FindScreenDeviceAt(-1, 10), 0u);
  EXPECT_EQ(VSystemServices::FindScreenDeviceAt(70000, 10), 0u);
}

TEST_F(Input, MainWindowComesFromTheRecord) {
  HWND window = CreateHeadlessWindow(100, 100);
  int instance = 0;
  Tbx::SetMainWindowRecord(&instance, window);
  EXPECT_EQ(Services().GetMainWindow(), window);
  EXPECT_EQ(Services().GetMainInstance(), &instance);
  DestroyWindow(window);
}

TEST_F(Input, WithoutARecordTheMainWindowIsTheForegroundsTopAncestor) {
  HWND top = CreateHeadlessWindow(100, 100);
  HWND middle = CreateHeadlessWindow(50, 50);
  HWND inner = CreateHeadlessWindow(10, 10);
  SetParent(middle, top);
  SetParent(inner, middle);
  EXPECT_EQ(Services().GetMainWindow(), nullptr);
  SetForegroundWindow(inner);
  EXPECT_EQ(Services().GetMainWindow(), top);
  EXPECT_EQ(Services().GetMainInstance(), nullptr);
  for (HWND w : {inner, middle, top}) DestroyWindow(w);
}

struct ColourAnswer {
  bool confirm = true;
  uint32_t colour = 0;
  HWND owner = nullptr;
  uint32_t initial = 0;
  uint32_t customSeen[16] = {};
  int calls = 0;
};

BOOL AnswerColour(CHOOSECOLORA* dialog, void* context) {
  auto* a = static_cast<ColourAnswer*>(context);
  ++a->calls;
  a->owner = dialog->hwndOwner;
  a->initial = dialog->rgbResult;
  std::memcpy(a->customSeen, dialog->lpCustColors, sizeof a->customSeen);
  dialog->lpCustColors[0] = 0x010203 * static_cast<uint32_t>(a->calls);
  dialog->rgbResult = a->colour;
  return a->confirm ? TRUE_ : FALSE_;
}

TEST_F(Input, CustomColoursStartWithTheSixteenStandardOnes) {
  const uint32_t* colours = Services().GetCustomColors();
  EXPECT_EQ(colours[0], 0x000000u);
  EXPECT_EQ(colours[2], 0x0000FFu);
  EXPECT_EQ(colours[8], 0x888888u);
  EXPECT_EQ(colours[15], 0xCCCCCCu);
}

TEST_F(Input, ChosenColourReplacesTheOldOnlyWhenItDiffers) {
  HWND active = CreateHeadlessWindow(10, 10);
  SetActiveWindow(active);
  ColourAnswer answer;
  answer.colour = 0x00FF00;
  SetHeadlessColorProvider(AnswerColour, &answer);
  uint32_t colour = 0x0000FF;
  EXPECT_TRUE(Services().ChooseColor(colour));
  EXPECT_EQ(colour, 0x00FF00u);
  EXPECT_EQ(answer.owner, active);
  EXPECT_EQ(answer.initial, 0x0000FFu);
  EXPECT_EQ(answer.customSeen[15], 0xCCCCCCu);
  // The same colour confirmed is no change.
  EXPECT_FALSE(Services().ChooseColor(colour));
  // The custom colours the user edited stay for the next call.
  EXPECT_EQ(answer.customSeen[0], 0x010203u);
  EXPECT_EQ(Services().GetCustomColors()[0], 0x020406u);
  DestroyWindow(active);
}

TEST_F(Input, CancelledColourPickerChangesNothing) {
  ColourAnswer answer;
  answer.confirm = false;
  answer.colour = 0x123456;
  SetHeadlessColorProvider(AnswerColour, &answer);
  uint32_t colour = 0x0000FF;
  EXPECT_FALSE(Services().ChooseColor(colour));
  EXPECT_EQ(colour, 0x0000FFu);
  ResetHeadlessDialogs();
  EXPECT_FALSE(Services().ChooseColor(colour));
}

TEST_F(Input, KeyboardLayoutIsActivatedAndTheInputMethodConvertsToNative) {
  HWND window = CreateHeadlessWindow(10, 10);
  SetForegroundWindow(window);
  VSystemServices::SetKeyboardLayout(0x0411);
  EXPECT_EQ(GetKeyboardLayout(0), reinterpret_cast<HKL>(uintptr_t{0x0411}));
  DWORD conversion = 0;
  DWORD sentence = 1;
  ASSERT_TRUE(ImmGetConversionStatus(ImmGetContext(window), &conversion, &sentence));
  EXPECT_EQ(conversion, 9u);
  EXPECT_EQ(sentence, 0u);
  DestroyWindow(window);
}

TEST_F(Input, LayoutIdsZeroAndMinusTwoChangeNothing) {
  const HKL before = GetKeyboardLayout(0);
  VSystemServices::SetKeyboardLayout(0);
  VSystemServices::SetKeyboardLayout(-2);
  EXPECT_EQ(GetKeyboardLayout(0), before);
}

TEST_F(Input, ReplacedFolderItemsAreFreedByTheShellAllocator) {
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  const int blocks = CountHeadlessShellBlocks();
  auto* first = static_cast<ITEMIDLIST*>(allocator->Alloc(12));
  auto* second = static_cast<ITEMIDLIST*>(allocator->Alloc(12));
  Services().SetLastFolderItem(first);
  Services().SetLastFolderItem(first);  // the same item is kept, not freed
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks + 2);
  Services().SetLastFolderItem(second);
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks + 1);
  EXPECT_EQ(Services().GetLastFolderItem(), second);
  delete services_;
  services_ = nullptr;
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks);
  allocator->Release();
}

TEST_F(Input, ComIsStartedForTheLifeOfTheObject) {
  const int depth = GetHeadlessComDepth();
  Services();
  EXPECT_EQ(GetHeadlessComDepth(), depth + 1);
  delete services_;
  services_ = nullptr;
  EXPECT_EQ(GetHeadlessComDepth(), depth);
}

TEST_F(Input, BeepIsHeard) {
  const int32_t before = Tbx::CountBeeps();
  VSystemServices::Beep();
  EXPECT_EQ(Tbx::CountBeeps(), before + 1);
}

TEST_F(Input, MessagesGoToTheHostAsMacintoshText) {
  FakeHost host;
  VStr<300> text;
  text.SetAnsiCText("Disk full");
  VSystemServices::ShowMessage(text);
  std::string longText(300, 'x');
  text.SetAnsiCText(longText.c_str());
  VSystemServices::ShowMessage(text);
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[0], "Disk full");
  // Cut to what a length-prefixed text holds.
  EXPECT_LE(host.Messages()[1].size(), 255u);
  EXPECT_GE(host.Messages()[1].size(), 254u);
  EXPECT_EQ(host.Messages()[1].find_first_not_of('x'), std::string::npos);
}

class FakeLooks : public VEnvironmentGraphics {
 public:
  void SetRectPosition(VRect&, int32_t, int32_t) override {}
  void SetRectSize(VRect&, int32_t, int32_t) override {}
  void GetRectSize(const VRect&, int32_t& w, int32_t& h) override { w = h = 0; }
  void RectToMacRect(const VRect&, Tbx::Rect& out) override { out = Tbx::Rect{0, 0, 0, 0}; }
  VLookPainter* GetLookPainter(int32_t index) override {
    asked = index;
    return reinterpret_cast<VLookPainter*>(&painters[index]);
  }
  bool PictureLibraryStarted() override { return started; }
  int painters[5] = {};
  int32_t asked = -1;
  bool started = false;
};

TEST_F(Input, LookPaintersOutsideTheTableFallBackToTwo) {
  EXPECT_EQ(VSystemServices::GetLookPainter(1), nullptr);
  FakeLooks looks;
  VEnvironmentGraphics* previous = VEnvironmentGraphicsService::Install(&looks);
  EXPECT_EQ(VSystemServices::GetLookPainter(4), reinterpret_cast<VLookPainter*>(&looks.painters[4]));
  EXPECT_EQ(VSystemServices::GetLookPainter(5), reinterpret_cast<VLookPainter*>(&looks.painters[2]));
  EXPECT_EQ(VSystemServices::GetLookPainter(-1), reinterpret_cast<VLookPainter*>(&looks.painters[2]));
  {
    FakeHost host;
    host.SetLookValue(3);
    EXPECT_EQ(VSystemServices::GetCurrentLookPainter(), reinterpret_cast<VLookPainter*>(&looks.painters[3]));
    host.SetLookValue(99);
    EXPECT_EQ(VSystemServices::GetCurrentLookPainter(), reinterpret_cast<VLookPainter*>(&looks.painters[2]));
  }
  VEnvironmentGraphicsService::Install(previous);
}

TEST_F(Input, QuickTimeStateIsAskedOnceAtConstruction) {
  EXPECT_FALSE(Services().HasQuickTime());
  FakeLooks looks;
  looks.started = true;
  VEnvironmentGraphics* previous = VEnvironmentGraphicsService::Install(&looks);
  VSystemServices services;
  EXPECT_TRUE(services.HasQuickTime());
  looks.started = false;
  EXPECT_TRUE(services.HasQuickTime());
  VEnvironmentGraphicsService::Install(previous);
}

TEST_F(Input, WithoutTheViewLinkNoShortcutIsTaken) {
  FakeHost host;
  VHostEventRecord key{3, 0x0061, 10, 0, 0, 0};
  host.QueueEvent(key);
  EXPECT_EQ(VSystemServices::TakeKeyShortcut(false), nullptr);
}

}  // namespace
