// Libraries built into the platform, found by name whatever the folder or
// case, counted loads, no entry points, withheld libraries; and the window
// class table they register into.
#include "platform/win32/WinBuiltinLibraries.h"

#include <gtest/gtest.h>

#include "platform/win32/WinClasses.h"
#include "platform/win32/WinLibrary.h"
#include "platform/win32/WinMessages.h"
#include "platform/win32/WinWindowState.h"

namespace {

TEST(WinBuiltinLibraries, LoadsByNameCountsLoadsAndRunsDetachAtTheLast) {
  HMODULE first = LoadLibraryA("RICHED20.DLL");
  ASSERT_NE(first, nullptr);
  HMODULE second = LoadLibraryA("C:\\Windows\\System32\\riched20.dll");
  EXPECT_EQ(second, first);
  EXPECT_EQ(BuiltinLibraryLoadCount("riched20.dll"), 2);
  EXPECT_EQ(GetProcAddress(first, "CreateTextServices"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  WNDCLASSA info{};
  EXPECT_TRUE(GetClassInfoA(nullptr, "richedit20a", &info));
  EXPECT_NE(info.lpfnWndProc, nullptr);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(GetClassInfoA(nullptr, "RichEdit20A", &info)) << "one load remains";
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_FALSE(GetClassInfoA(nullptr, "RichEdit20A", &info));
  EXPECT_FALSE(FreeLibrary(first)) << "no load left to end";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(WinBuiltinLibraries, AWithheldLibraryIsNotFound) {
  WithholdBuiltinLibrary("riched20.dll", true);
  EXPECT_EQ(LoadLibraryA("riched20.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  WithholdBuiltinLibrary("riched20.dll", false);
  HMODULE module = LoadLibraryA("riched20.dll");
  EXPECT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
}

LRESULT Procedure(HWND, UINT, WPARAM, LPARAM) { return 7; }

TEST(WinClasses, RefusesBadAndDuplicateClasses) {
  const WNDCLASSA good{0, &Procedure, nullptr, "QvTestClass"};
  const ATOM atom = RegisterClassA(&good);
  EXPECT_GE(atom, 0xC000);
  struct Case {
    WNDCLASSA windowClass;
    DWORD error;
  };
  const Case cases[] = {
      {{0, &Procedure, nullptr, "qvtestCLASS"}, ERROR_CLASS_ALREADY_EXISTS},
      {{0, nullptr, nullptr, "Other"}, ERROR_INVALID_PARAMETER},
      {{0, &Procedure, nullptr, ""}, ERROR_INVALID_PARAMETER},
      {{0, &Procedure, nullptr, nullptr}, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegisterClassA(&c.windowClass), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(RegisterClassA(nullptr));
  EXPECT_TRUE(UnregisterClassA("QvTestClass", nullptr));
  EXPECT_FALSE(UnregisterClassA("QvTestClass", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);
}

UINT gCreated = 0;
LRESULT Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) gCreated = lParam == 77 ? 1 : 2;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WinClasses, WindowsOfAClassAreChildrenWithItsProcedure) {
  const WNDCLASSA recording{0, &Recording, nullptr, "QvRecording"};
  ASSERT_NE(RegisterClassA(&recording), 0);
  HWND parent = CreateHeadlessWindow(200, 100);
  const DWORD style = DWORD(WS_CHILD | WS_VISIBLE | WS_DISABLED);
  HWND child = CreateWindowExA(0, "QvRecording", "t", style, 10, 20, 50, 30, parent, nullptr, nullptr,
                               reinterpret_cast<void*>(77));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(gCreated, 1u) << "WM_CREATE carries the parameter";
  EXPECT_EQ(GetParent(child), parent);
  RECT r{};
  GetClientRect(child, &r);
  EXPECT_EQ(r.right - r.left, 50);
  EXPECT_EQ(r.bottom - r.top, 30);
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_EQ(GetWindowLongA(child, GWL_STYLE), LONG(style));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(child, GWL_WNDPROC)), &Recording);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", style, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  DestroyWindow(parent);
  EXPECT_FALSE(IsWindow(child)) << "destroyed with its parent";
  UnregisterClassA("QvRecording", nullptr);
}

}  // namespace
