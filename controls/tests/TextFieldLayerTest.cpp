// The text fields' layers: the rich-edit library loaded once and freed at
// stop (and loaded again by a later start), a missing library, and the
// TextEdit views' offscreen world disposed only when it exists.
#include "controls/fields/TextFieldLayer.h"

#include <gtest/gtest.h>

#include "host/lifecycle/ModuleLifeCycle.h"
#include "platform/toolbox/TbxTextEdit.h"
#include "platform/win32/WinBuiltinLibraries.h"
#include "platform/win32/WinClasses.h"
#include "platform/win32/WinLibrary.h"
#include "platform/win32/WinOle.h"

namespace {

bool RichEditClassRegistered() {
  WNDCLASSA info{};
  return GetClassInfoA(nullptr, "RichEdit20A", &info) != FALSE_;
}

class TextFieldLayers : public testing::Test {
 protected:
  void TearDown() override {
    UnloadRichEditLibrary();
    WithholdBuiltinLibrary("riched20.dll", false);
    while (GetHeadlessComDepth() > 0) OleUninitialize();
  }
};

TEST_F(TextFieldLayers, LoadsTheLibraryOnceAndRegistersItsClass) {
  int marker = 0;
  void* kept = GetModuleInstance();
  SetModuleInstance(&marker);
  LoadRichEditLibrary();
  EXPECT_TRUE(IsRichEditAvailable());
  EXPECT_EQ(GetRichEditOwnerInstance(), &marker);
  EXPECT_TRUE(RichEditClassRegistered());
  EXPECT_EQ(BuiltinLibraryLoadCount("riched20.dll"), 1);
  EXPECT_EQ(GetHeadlessComDepth(), 1);
  LoadRichEditLibrary();
  EXPECT_EQ(BuiltinLibraryLoadCount("riched20.dll"), 1) << "a second load changes nothing";
  EXPECT_EQ(GetHeadlessComDepth(), 1);
  SetModuleInstance(kept);
}

TEST_F(TextFieldLayers, AStartAfterAStopLoadsTheLibraryAgain) {
  LoadRichEditLibrary();
  UnloadRichEditLibrary();
  EXPECT_FALSE(IsRichEditAvailable());
  EXPECT_EQ(BuiltinLibraryLoadCount("riched20.dll"), 0);
  EXPECT_FALSE(RichEditClassRegistered()) << "the last free removes the class";
  LoadRichEditLibrary();
  EXPECT_TRUE(IsRichEditAvailable()) << "the freed handle is not reused";
  EXPECT_EQ(BuiltinLibraryLoadCount("riched20.dll"), 1);
  EXPECT_TRUE(RichEditClassRegistered());
}

TEST_F(TextFieldLayers, AMissingLibraryLeavesTheFieldsWithoutItAndFreesNothing) {
  WithholdBuiltinLibrary("riched20.dll", true);
  LoadRichEditLibrary();
  EXPECT_FALSE(IsRichEditAvailable());
  EXPECT_FALSE(RichEditClassRegistered());
  // FreeLibrary would set the last error; none is called.
  SetLastError(4242);
  UnloadRichEditLibrary();
  EXPECT_EQ(GetLastError(), 4242u);
  // A later start, with the library back, loads it.
  WithholdBuiltinLibrary("riched20.dll", false);
  LoadRichEditLibrary();
  EXPECT_TRUE(IsRichEditAvailable());
}

TEST_F(TextFieldLayers, StopDisposesOnlyTheWorldThatExists) {
  const int32_t before = Tbx::CountGWorlds();
  StopMacTextFields();
  EXPECT_EQ(Tbx::CountGWorlds(), before) << "no view drawn, nothing disposed";
  Tbx::GWorldPtr world = nullptr;
  const Tbx::Rect bounds{0, 0, 20, 40};
  ASSERT_EQ(Tbx::NewGWorld(&world, 0, &bounds), Tbx::noErr);
  SetTextEditViewWorld(world);
  EXPECT_EQ(GetTextEditViewWorld(), world);
  StopMacTextFields();
  EXPECT_EQ(GetTextEditViewWorld(), nullptr);
  EXPECT_EQ(Tbx::CountGWorlds(), before);
  StopMacTextFields();
  EXPECT_EQ(Tbx::CountGWorlds(), before);
}

}  // namespace
