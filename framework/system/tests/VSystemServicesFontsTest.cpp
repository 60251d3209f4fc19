// The system environment's font lists and the font records beside them.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "framework/core/containers/VStringArray.h"
#include "framework/system/environment/VFontRecords.h"
#include "framework/system/tests/SystemEnvironmentSupport.h"
#include "platform/gdi/GdiFont.h"

namespace {

std::string Ascii(const VString& s) {
  std::string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out += static_cast<char>(s.GetCharAt(i));
  return out;
}

std::vector<std::string> Names(const VStringArray* list) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= list->Count(); ++i) out.push_back(Ascii(*list->GetAt(i)));
  return out;
}

using Fonts = EnvironmentTest;

TEST_F(Fonts, ScreenFamiliesAreListedOnceAndSorted) {
  Services().LoadFontLists();
  const std::vector<std::string> all = Names(Services().GetFontList(true));
  ASSERT_FALSE(all.empty());
  // The default printer lists the same families: none is listed twice.
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
  for (size_t i = 1; i < all.size(); ++i) {
    EXPECT_LE(strcasecmp(all[i - 1].c_str(), all[i].c_str()), 0) << all[i - 1] << " " << all[i];
  }
  EXPECT_NE(std::find(all.begin(), all.end(), "Arial"), all.end());
  EXPECT_NE(std::find(all.begin(), all.end(), "Times New Roman"), all.end());
  // Every family of the stand-in is scalable.
  EXPECT_EQ(Names(Services().GetFontList(false)), all);
}

TEST_F(Fonts, EveryListedNameHasItsRecord) {
  Services().LoadFontLists();
  const VStringArray* all = Services().GetFontList(true);
  EXPECT_EQ(CountFontRecords(), all->Count());
  const ENUMLOGFONTA* record = FindFontRecord("times new roman");
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->elfLogFont.lfFaceName, "Times New Roman");
  EXPECT_GE(record->elfLogFont.lfOutPrecision, 2);
  EXPECT_EQ(FindFontRecord("No Such Face"), nullptr);
  EXPECT_EQ(FindFontRecord(nullptr), nullptr);
}

TEST_F(Fonts, WithoutADefaultPrinterOnlyTheScreenIsListed) {
  Services().LoadFontLists();
  const std::vector<std::string> withPrinter = Names(Services().GetFontList(true));
  delete services_;
  services_ = nullptr;
  SetHeadlessDefaultPrinter(nullptr);
  Services().LoadFontLists();
  EXPECT_EQ(Names(Services().GetFontList(true)), withPrinter);
}

TEST_F(Fonts, RecordsGoWithTheObject) {
  Services().LoadFontLists();
  EXPECT_GT(CountFontRecords(), 0);
  delete services_;
  services_ = nullptr;
  EXPECT_EQ(gFontRecords, nullptr);
  EXPECT_EQ(CountFontRecords(), 0);
}

TEST_F(Fonts, FontNumbersAndNamesGoBothWays) {
  VStr<64> name;
  name.SetAnsiCText("Courier New");
  const int16_t number = VSystemServices::GetFontNumber(name);
  EXPECT_GT(number, 0);
  VStr<64> back;
  VSystemServices::GetFontName(number, back);
  EXPECT_EQ(Ascii(back), "Courier New");
  VSystemServices::GetFontName(0, back);
  EXPECT_EQ(Ascii(back), "MS Sans Serif");
  name.SetAnsiCText("Nothing Like It");
  EXPECT_EQ(VSystemServices::GetFontNumber(name), 0);
}

TEST(FontRecords, AreCopiesKeptInTheirOrder) {
  ENUMLOGFONTA a{};
  std::strcpy(a.elfLogFont.lfFaceName, "Alpha");
  ENUMLOGFONTA b{};
  std::memset(b.elfLogFont.lfFaceName, 'B', LF_FACESIZE);  // no terminating zero
  ASSERT_TRUE(AddFontRecord(a));
  ASSERT_TRUE(AddFontRecord(b));
  std::strcpy(a.elfLogFont.lfFaceName, "Changed");
  EXPECT_EQ(CountFontRecords(), 2);
  EXPECT_NE(FindFontRecord("ALPHA"), nullptr);
  EXPECT_EQ(FindFontRecord("Changed"), nullptr);
  EXPECT_NE(FindFontRecord(std::string(LF_FACESIZE, 'b').c_str()), nullptr);
  FreeFontRecords();
  EXPECT_EQ(gFontRecords, nullptr);
  FreeFontRecords();
}

}  // namespace
