// Headless choosers: the provider's answers (a path and filter, cancel, the
// extra button), the record filled as the real dialogs fill it, hooks called
// at the start and for the extra button, refused records, and the folder
// chooser's item lists in the shell's allocator.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinShell.h"

namespace {

struct Answer {
  int32_t action = kHeadlessCancel;
  std::string path;
  DWORD filter = 0;
  // What the provider saw.
  int32_t chooser = -1;
  const void* record = nullptr;
  std::string buttonTitle;
  int calls = 0;
};

void Provide(int32_t chooser, const void* record, HeadlessChooserAnswer* answer, void* context) {
  auto* a = static_cast<Answer*>(context);
  ++a->calls;
  a->chooser = chooser;
  a->record = record;
  char title[64];
  GetHeadlessDialogItemText(kExtraButtonItem, title, sizeof title);
  a->buttonTitle = title;
  answer->action = a->action;
  std::snprintf(answer->path, sizeof answer->path, "%s", a->path.c_str());
  answer->filterIndex = a->filter;
}

constexpr int kPathBuffer = 260;

const char kFilter[] = "Text (*.txt)\0*.txt\0Web (*.html;*.htm)\0*.html;*.htm\0";

class Choosers : public testing::Test {
 protected:
  void SetUp() override {
    SetHeadlessChooserProvider(&Provide, &answer_);
    record_.lStructSize = sizeof record_;
    record_.lpstrFile = name_;
    record_.nMaxFile = sizeof name_;
    record_.lpstrFilter = kFilter;
    record_.nFilterIndex = 1;
  }
  void TearDown() override { SetHeadlessChooserProvider(nullptr, nullptr); }
  Answer answer_;
  OPENFILENAMEA record_{};
  char name_[2048] = {};
};

TEST_F(Choosers, WithoutAProviderTheUserCancels) {
  SetHeadlessChooserProvider(nullptr, nullptr);
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  BROWSEINFOA browse{};
  EXPECT_EQ(SHBrowseForFolderA(&browse), nullptr);
}

TEST_F(Choosers, AnAcceptedPathFillsTheRecord) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/home/u/notes.html";
  answer_.filter = 2;
  char title[64] = {};
  record_.lpstrFileTitle = title;
  record_.nMaxFileTitle = sizeof title;
  ASSERT_TRUE(GetOpenFileNameA(&record_));
  EXPECT_STREQ(name_, "/home/u/notes.html");
  EXPECT_EQ(record_.nFileOffset, 8);
  EXPECT_EQ(record_.nFileExtension, 14);
  EXPECT_EQ(record_.nFilterIndex, 2u);
  EXPECT_STREQ(title, "notes.html");
  EXPECT_EQ(answer_.chooser, kHeadlessOpenChooser);
  EXPECT_EQ(answer_.record, &record_);
}

TEST_F(Choosers, ANameWithoutExtensionPointsItsExtensionAtTheEnd) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/a.b/plain";
  ASSERT_TRUE(GetSaveFileNameA(&record_));
  EXPECT_EQ(answer_.chooser, kHeadlessSaveChooser);
  EXPECT_EQ(record_.nFileOffset, 5);
  EXPECT_EQ(record_.nFileExtension, 10);
}

TEST_F(Choosers, AFilterIndexOutsideTheFiltersKeepsTheStartingOne) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/x";
  answer_.filter = 3;
  record_.nFilterIndex = 2;
  ASSERT_TRUE(GetOpenFileNameA(&record_));
  EXPECT_EQ(record_.nFilterIndex, 2u);
}

TEST_F(Choosers, APathLongerThanTheBufferFailsWithTheSizeNeeded) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/" + std::string(40, 'p');
  record_.nMaxFile = 16;
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  uint16_t needed = 0;
  std::memcpy(&needed, name_, 2);
  EXPECT_EQ(needed, 42);
}

TEST_F(Choosers, BadRecordsAreRefused) {
  EXPECT_FALSE(GetOpenFileNameA(nullptr));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  record_.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  record_.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record_.lpstrFile = nullptr;
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_EQ(answer_.calls, 0);
}

TEST_F(Choosers, TheShorterRecordOfOlderSystemsIsTaken) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/old";
  record_.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  EXPECT_TRUE(GetOpenFileNameA(&record_));
}

// A hook that titles the extra button and records the button's press.
int sPressed = 0;
int sStarted = 0;
UINT_PTR Hook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ++sStarted;
    const auto* record = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    SetDlgItemTextA(dialog, kExtraButtonItem, reinterpret_cast<const char*>(record->lCustData));
    return 1;
  }
  if (message == WM_COMMAND && (wParam & 0xFFFF) == WPARAM(kExtraButtonItem)) {
    ++sPressed;
    return 1;
  }
  return 0;
}

TEST_F(Choosers, AHookStartsTheDialogAndTitlesTheExtraButton) {
  sStarted = sPressed = 0;
  record_.Flags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
  record_.lpfnHook = &Hook;
  record_.lCustData = reinterpret_cast<LPARAM>("Options");
  answer_.action = kHeadlessPressExtra;
  EXPECT_FALSE(GetOpenFileNameA(&record_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(sStarted, 1);
  EXPECT_EQ(sPressed, 1);
  EXPECT_EQ(answer_.buttonTitle, "Options");
  char title[64];
  GetHeadlessDialogItemText(kExtraButtonItem, title, sizeof title);
  EXPECT_STREQ(title, "Options");
}

TEST_F(Choosers, TheExtraButtonWithoutATemplateIsACancel) {
  sStarted = sPressed = 0;
  record_.Flags = OFN_ENABLEHOOK;
  record_.lpfnHook = &Hook;
  record_.lCustData = reinterpret_cast<LPARAM>("");
  answer_.action = kHeadlessPressExtra;
  EXPECT_FALSE(GetSaveFileNameA(&record_));
  EXPECT_EQ(sStarted, 1);
  EXPECT_EQ(sPressed, 0);
}

TEST_F(Choosers, ItemTextsBelongToTheRunningDialogOnly) {
  char text[8] = {'x'};
  EXPECT_FALSE(SetDlgItemTextA(nullptr, kExtraButtonItem, "no"));
  EXPECT_EQ(GetDlgItemTextA(nullptr, kExtraButtonItem, text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
}

TEST_F(Choosers, TheFolderChooserAnswersAnItemListOfThePath) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/home/u/Documents/";
  char display[kPathBuffer] = {};
  BROWSEINFOA browse{};
  browse.pszDisplayName = display;
  browse.lpszTitle = "Choose";
  const int blocks = CountHeadlessShellBlocks();
  ITEMIDLIST* list = SHBrowseForFolderA(&browse);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(answer_.chooser, kHeadlessFolderChooser);
  EXPECT_EQ(answer_.record, &browse);
  EXPECT_STREQ(display, "Documents");
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks + 1);
  char path[kPathBuffer];
  ASSERT_TRUE(SHGetPathFromIDListA(list, path));
  EXPECT_STREQ(path, "/home/u/Documents");
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
  allocator->Free(list);
  allocator->Release();
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks);
}

TEST_F(Choosers, AFolderPathTooLongForItsBufferGivesNoPath) {
  answer_.action = kHeadlessAccept;
  answer_.path = "/" + std::string(300, 'd');
  BROWSEINFOA browse{};
  ITEMIDLIST* list = SHBrowseForFolderA(&browse);
  ASSERT_NE(list, nullptr);
  char path[kPathBuffer];
  EXPECT_FALSE(SHGetPathFromIDListA(list, path));
  IMalloc* allocator = nullptr;
  SHGetMalloc(&allocator);
  allocator->Free(list);
  allocator->Release();
  EXPECT_FALSE(SHGetPathFromIDListA(nullptr, path));
}

TEST_F(Choosers, ACancelledFolderChooserAnswersNoList) {
  BROWSEINFOA browse{};
  EXPECT_EQ(SHBrowseForFolderA(&browse), nullptr);
  EXPECT_EQ(SHBrowseForFolderA(nullptr), nullptr);
}

}  // namespace
