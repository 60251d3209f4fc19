// The system fonts, the menu check metric, MulDiv and the emulation's colour
// call that the look painters read.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/toolbox/TbxEmulatorColor.h"
#include "platform/win32/WinSystemParameters.h"
#include "platform/win32/WinWindowState.h"

namespace {

TEST(SystemParameters, NonClientMetricsNeedTheirOwnSize) {
  const struct {
    UINT cbSize, param;
    BOOL ok;
  } cases[] = {
      {340, 340, TRUE_}, {0, 340, FALSE_}, {340, 0, FALSE_}, {500, 500, FALSE_}, {339, 339, FALSE_},
  };
  for (const auto& c : cases) {
    NONCLIENTMETRICSA m{};
    m.cbSize = c.cbSize;
    m.iMenuHeight = 77;
    EXPECT_EQ(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, c.param, &m, 0), c.ok) << c.cbSize;
    // A refused call leaves the record as it was.
    EXPECT_EQ(m.iMenuHeight, c.ok ? GetSystemMetrics(SM_CYMENU) : 77) << c.cbSize;
  }
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, 60, nullptr, 0));
  LOGFONTA font{};
  EXPECT_FALSE(SystemParametersInfoA(99, sizeof font, &font, 0));
}

TEST(SystemParameters, FontsAreThePinnedSansAtEightPoints) {
  NONCLIENTMETRICSA m{};
  m.cbSize = sizeof m;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
  for (const LOGFONTA* f : {&m.lfMenuFont, &m.lfMessageFont, &m.lfStatusFont, &m.lfCaptionFont}) {
    EXPECT_STREQ(f->lfFaceName, "MS Sans Serif");
    EXPECT_EQ(f->lfHeight, -11);
  }
  EXPECT_EQ(m.lfMenuFont.lfWeight, 400);
  EXPECT_EQ(m.lfCaptionFont.lfWeight, 700);
  LOGFONTA icon;
  std::memset(&icon, 0x55, sizeof icon);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof icon, &icon, 0));
  EXPECT_STREQ(icon.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(icon.lfItalic, 0);
}

TEST(SystemParameters, MulDivRoundsHalfAwayFromZero) {
  const struct {
    int a, b, c, want;
  } cases[] = {
      {11, 72, 96, 8},   {13, 72, 96, 10},  {3, 1, 2, 2},         {-3, 1, 2, -2},
      {3, -1, 2, -2},    {5, 1, 3, 2},      {4, 1, 3, 1},         {1, 1, 0, -1},
      {0x7FFFFFFF, 2, 1, -1}, {0x40000000, 4, 2, -1}, {-7, 1, -2, 4},
  };
  for (const auto& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.want) << c.a << " " << c.c;
}

TEST(SystemParameters, MenuCheckAndScrollMetrics) {
  EXPECT_EQ(GetSystemMetrics(SM_CXMENUCHECK), 13);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CXHTHUMB), 16);
}

TEST(EmulatorColor, AnswersBlackAndToleratesNull) {
  Tbx::RGBColor c{1, 2, 3};
  Tbx::EmulatorCall6510(&c);
  EXPECT_EQ(c.red + c.green + c.blue, 0);
  Tbx::EmulatorCall6510(nullptr);
}

}  // namespace
