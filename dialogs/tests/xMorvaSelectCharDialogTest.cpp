// The special character dialog against a recording host: the font list it
// fills and the item it selects, the grid it makes for "usrChar", and the
// font list that a fixed font ignores.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaCharDisplayer.h"
#include "dialogs/xMorvaSelectCharDialog.h"
#include "framework/core/containers/VStringArray.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;
using hosttest::Str;
using hosttest::Text;

std::unique_ptr<VStringArray> Fonts() {
  auto fonts = std::make_unique<VStringArray>();
  for (const char* name : {"Arial", "Liberation Serif", "Wingdings"}) {
    auto* text = new VStrInHandle;
    text->SetAnsiCText(name);
    fonts->AppendObject(text, false);
  }
  return fonts;
}

// The value the dialog last set on an object (-208), or -1.
int32_t LastLong(const RecordingHost& host, const char* name) {
  int32_t value = -1;
  for (const auto& call : host.calls) {
    if (call.selector == kFormSelSetLong &&
        std::strcmp(reinterpret_cast<const char*>(call.block.text2), name) == 0)
      value = static_cast<int32_t>(call.block.longValue);
  }
  return value;
}

TEST(xMorvaSelectCharDialog, TheFontListSelectsTheFontOrNothing) {
  struct Row {
    const char* font;
    int32_t item;
  };
  const Row rows[] = {{"Arial", 1}, {"wingdings", 3}, {"Not Installed", 0}, {"", 0}};
  const std::unique_ptr<VStringArray> fonts = Fonts();
  for (const Row& r : rows) {
    RecordingHost host;
    xMorvaSelectCharDialog dialog(nullptr, fonts.get(), Text(r.font), u'B', false);
    EXPECT_TRUE(dialog.BeforeOpen());
    EXPECT_EQ(LastLong(host, "droFont"), r.item) << r.font;
    EXPECT_EQ(LastLong(host, "vAsciiCode"), 'B') << r.font;
  }
  // Without a list the font list is left alone.
  RecordingHost host;
  xMorvaSelectCharDialog dialog(nullptr, nullptr, Text("Arial"), u' ', false);
  EXPECT_TRUE(dialog.BeforeOpen());
  EXPECT_EQ(LastLong(host, "droFont"), -1);
}

TEST(xMorvaSelectCharDialog, TheUserAreaGetsTheGridOnTheFontAndCharacter) {
  RecordingHost host;
  xMorvaSelectCharDialog dialog(nullptr, nullptr, Text("Wingdings"), u'A', true);
  EXPECT_EQ(dialog.CreateUserArea(Text("usrOther"), nullptr), nullptr);
  std::unique_ptr<VObject> view(dialog.CreateUserArea(Text("USRCHAR"), nullptr));
  ASSERT_NE(view, nullptr);
  ASSERT_NE(dialog.GetDisplayer(), nullptr);
  EXPECT_EQ(dialog.GetDisplayer()->GetSelectedChar(), 'A');
  VStr<255> font;
  dialog.GetDisplayer()->GetFontName(font);
  EXPECT_EQ(Str(font), "Wingdings");
}

TEST(xMorvaSelectCharDialog, AFixedFontIgnoresTheFontList) {
  for (bool fixed : {false, true}) {
    RecordingHost host;
    host.answer = [](int32_t selector, HostParamBlock& b) {
      if (selector == kFormSelGetLong) b.longValue = 2;
      if (selector == kFormSelGetListText) {
        const char* name = "Liberation Serif";
        b.text[0] = static_cast<uint8_t>(std::strlen(name));
        std::memcpy(b.text + 1, name, std::strlen(name));
      }
    };
    xMorvaSelectCharDialog dialog(nullptr, nullptr, Text("Wingdings"), u' ', fixed);
    dialog.ItemHit(Text("droFont"), 1);
    VStr<255> font;
    dialog.GetFontName(font);
    EXPECT_EQ(Str(font), fixed ? "Wingdings" : "Liberation Serif") << fixed;
  }
}

}  // namespace

namespace {

TEST(xMorvaSelectCharDialog, EveryCellOfTheGridGivesACharacter) {
  RecordingHost host;
  std::string missing;
  for (int32_t code = 32; code <= 255; ++code) {
    xMorvaSelectCharDialog dialog(nullptr, nullptr, Text("Arial"), u' ', false);
    dialog.AcceptChar(static_cast<uint8_t>(code));
    EXPECT_EQ(dialog.GetChosenCode(), code);
    if (dialog.GetChosenChar() == 0) missing += std::to_string(code) + " ";
    // A character of the grid comes back to its own cell.
    xMorvaSelectCharDialog again(nullptr, nullptr, Text("Arial"), dialog.GetChosenChar(), false);
    if (dialog.GetChosenChar() != 0) {
      EXPECT_EQ(again.GetChosenCode(), code) << code;
    }
  }
  EXPECT_EQ(missing, "");
}

}  // namespace
