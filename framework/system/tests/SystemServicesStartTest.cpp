// Start and stop of the system services' objects: the cursor, the flag
// holder and the clipboard exist from start to stop, the cursor showing the
// start-up cursor and the clipboard listing its two standard flavours.
#include "framework/system/environment/SystemServicesStart.h"

#include <gtest/gtest.h>

#include "framework/system/environment/VClipboard.h"
#include "framework/system/environment/VCursor.h"
#include "framework/system/environment/VFlagHolder.h"
#include "platform/toolbox/TbxCursor.h"

namespace {

TEST(SystemServicesStart, MakesTheCursorFlagHolderAndClipboardAndStopDeletesThem) {
  StartSystemServices();
  ASSERT_NE(gCursor, nullptr);
  ASSERT_NE(gFlagHolder, nullptr);
  ASSERT_NE(gClipboard, nullptr);
  EXPECT_EQ(gCursor->GetId(), 4);
  EXPECT_EQ(Tbx::GetHeadlessCursorState().shown, 4);
  EXPECT_EQ(gFlagHolder->GetFlag(), 0);
  EXPECT_EQ(gClipboard->CountFlavors(), 2);

  StopSystemObjects();
  EXPECT_EQ(gCursor, nullptr);
  EXPECT_EQ(gFlagHolder, nullptr);
  EXPECT_EQ(gClipboard, nullptr);
  StopSystemServices();
  Tbx::InitCursor();
}

}  // namespace
