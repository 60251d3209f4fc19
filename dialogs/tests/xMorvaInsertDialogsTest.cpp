// The insert dialogs' words and links: the date and time format word and
// its list items, the page-number word's own bits among those it passes
// through, and the hyperlink dialog's texts per kind.
#include <gtest/gtest.h>

#include "area/view/xMorvaHyperlink.h"
#include "dialogs/xMorvaHyperlinkDialog.h"
#include "dialogs/xMorvaInsertDateTimeDialog.h"
#include "dialogs/xMorvaInsertPageNumberDialog.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::Text;

std::string LinkText(const VString& text) {
  char buffer[256] = {};
  text.GetCText(buffer, sizeof buffer, kCharSetAnsi);
  return buffer;
}

TEST(xMorvaInsertDateTimeDialog, ListItemsSetOneStyleOfTheWordAndNoOtherItemChangesIt) {
  struct Case {
    const char* name;
    uint16_t format;
    bool date;
    int32_t item;
    uint16_t expected;
  };
  const Case cases[] = {
      {"date none", 0x0502, true, 1, 0x0002},
      {"date style 7", 0x0502, true, 8, 0x0702},
      {"date item 0 keeps", 0x0502, true, 0, 0x0502},
      {"date past the list keeps", 0x0502, true, 9, 0x0502},
      {"date -1 keeps", 0x0502, true, -1, 0x0502},
      {"time none", 0x0502, false, 1, 0x0500},
      {"time style 5", 0x0502, false, 6, 0x0505},
      {"time item 0 keeps", 0x0502, false, 0, 0x0502},
      {"time past the list keeps", 0x0502, false, 7, 0x0502},
  };
  for (const Case& c : cases) {
    const uint16_t got = c.date ? DateTimeFormatWithDateItem(c.format, c.item)
                                : DateTimeFormatWithTimeItem(c.format, c.item);
    EXPECT_EQ(got, c.expected) << c.name;
  }
  EXPECT_EQ(DateTimeFormatWithTimeItem(DateTimeFormatWithDateItem(0x0502, 1), 1), 0);
}

TEST(xMorvaInsertDateTimeDialog, AWordNoListStandsForShowsAsNone) {
  EXPECT_EQ(DateTimeFormatShown(0x0705), 0x0705);
  EXPECT_EQ(DateTimeFormatShown(0x0805), 0x0005);
  EXPECT_EQ(DateTimeFormatShown(0x0706), 0x0700);
  EXPECT_EQ(DateTimeFormatShown(0xFFFF), 0x0000);
}

TEST(xMorvaInsertPageNumberDialog, TheDropDownsSetBitZeroAndTheStyleAndKeepEveryOtherBit) {
  struct Case {
    const char* name;
    uint32_t word;
    int32_t numberOrTotal, format;
    uint32_t expected;
  };
  const Case cases[] = {
      {"total in upper-case roman", 0x0000'0000, 2, 5, 0x4000'0001},
      {"back to the page's number in letters", 0x4000'0001, 1, 2, 0x1000'0000},
      {"bits 1 to 27 pass through", 0x4ABC'DEF1, 1, 1, 0x0ABC'DEF0},
      {"item 0 keeps both parts", 0x4ABC'DEF1, 0, 0, 0x4ABC'DEF1},
      {"items past the lists keep both parts", 0x3000'0000, 3, 8, 0x3000'0000},
      {"the last style of the list", 0x0000'0000, 1, 7, 0x6000'0000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PageNumberWordFromItems(c.word, c.numberOrTotal, c.format, 7), c.expected) << c.name;
  // Without the list every style a word can hold is an item.
  EXPECT_EQ(PageNumberWordFromItems(0, 1, 16, 16), 0xF000'0000u);
  EXPECT_EQ(PageNumberWordFromItems(0, 1, 17, 16), 0u);
}

class HyperlinkDialog : public testing::Test {
 protected:
  hosttest::RecordingHost host;
};

TEST_F(HyperlinkDialog, ANewLinkIsAMethodLinkWithTheURLStartReady) {
  xMorvaHyperlink fresh;
  xMorvaHyperlinkDialog dialog(nullptr, fresh);
  EXPECT_EQ(dialog.GetKind(), xMorvaHyperlink::kMethod);
  EXPECT_EQ(LinkText(dialog.GetText(xMorvaHyperlink::kURL)), "http://www.");
  EXPECT_EQ(LinkText(dialog.GetText(xMorvaHyperlink::kMethod)), "");
}

TEST_F(HyperlinkDialog, TheTargetGoesToItsKindsTextAndOnlyTheChosenKindsTextComesBack) {
  const xMorvaHyperlink url(xMorvaHyperlink::kURL, true, Text("http://example.org/"), Text("Example"), 9);
  xMorvaHyperlinkDialog dialog(nullptr, url);
  EXPECT_EQ(dialog.GetKind(), xMorvaHyperlink::kURL);
  EXPECT_EQ(LinkText(dialog.GetText(xMorvaHyperlink::kURL)), "http://example.org/");
  EXPECT_EQ(LinkText(dialog.GetText(xMorvaHyperlink::kDocument)), "");
  xMorvaHyperlink result;
  dialog.GetLink(result);
  EXPECT_EQ(result.GetKind(), xMorvaHyperlink::kURL);
  EXPECT_EQ(LinkText(result.GetTarget()), "http://example.org/");
  EXPECT_EQ(LinkText(result.GetTitle()), "Example");
  EXPECT_TRUE(result.GetStyleFlag());
  EXPECT_EQ(result.GetValue(), 9u);
  EXPECT_EQ(result.GetFileType(), kHyperlinkDocumentType);

  // A kind past the three (a link stored with -1) opens as a method link
  // whose name is the stored target.
  const xMorvaHyperlink odd(uint8_t(-1), false, Text("OnLink"), Text(""), 3);
  xMorvaHyperlinkDialog fixed(nullptr, odd);
  EXPECT_EQ(fixed.GetKind(), xMorvaHyperlink::kMethod);
  EXPECT_EQ(LinkText(fixed.GetText(xMorvaHyperlink::kMethod)), "OnLink");
  fixed.GetLink(result);
  EXPECT_EQ(result.GetKind(), xMorvaHyperlink::kMethod);
  EXPECT_EQ(LinkText(result.GetTarget()), "OnLink");
}

}  // namespace
