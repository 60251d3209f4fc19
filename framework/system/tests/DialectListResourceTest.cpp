// The module's dialect name list as the host delivers it: read from the
// compiled resource file with the module's byte-order procedure installed,
// through the international text manager.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/containers/DialectList.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/strings/VUniString.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

#ifndef QV_RESOURCE_FILE
#error "the tests need the compiled resource file (QV_RESOURCE_FILE)"
#endif

namespace {

std::u16string Text(const VString& s) {
  std::u16string out;
  for (int32_t i = 1; i <= s.GetLength(); ++i) out.push_back(s.GetCharAt(i));
  return out;
}

class ModuleDialects : public testing::Test {
 protected:
  void SetUp() override {
    const std::string path = QV_RESOURCE_FILE;
    uint8_t pascal[256];
    ASSERT_LT(path.size(), 256u);
    pascal[0] = uint8_t(path.size());
    std::memcpy(pascal + 1, path.data(), path.size());
    previous_ = Tbx::CurResFile();
    file_ = Tbx::OpenResFile(pascal);
    ASSERT_GE(file_, 0) << "cannot open " << path;
    Tbx::SetResFileSwapProc(file_, &SwapRsrcProc);
    manager_ = new VIntlMgr();
    ASSERT_EQ(manager_->LoadTables(kLanguageUSEnglish), 0);
    saved_ = gIntlMgr;
    gIntlMgr = manager_;
    ReleaseDialectList();
  }
  void TearDown() override {
    ReleaseDialectList();
    gIntlMgr = saved_;
    delete manager_;
    if (file_ >= 0) Tbx::CloseResFile(file_);
    if (previous_ >= 0) Tbx::UseResFile(previous_);
  }

  int16_t file_ = -1;
  int16_t previous_ = -1;
  VIntlMgr* manager_ = nullptr;
  VIntlMgr* saved_ = nullptr;
};

TEST_F(ModuleDialects, NamesAreFoundByLanguageIdentifier) {
  VStr<255> name;
  ASSERT_TRUE(GetDialectName(0x0409, name));
  EXPECT_EQ(Text(name), u"English (United States)");
  ASSERT_TRUE(GetDialectName(0x0C0C, name));
  EXPECT_EQ(Text(name), u"Fran\u00E7ais (Canada)");
  EXPECT_FALSE(GetDialectName(0x0411, name));
  EXPECT_EQ(name.GetLength(), 0);
}

TEST_F(ModuleDialects, TheListHoldsEveryEntryInOrder) {
  VLongArray ids;
  VStringArray names;
  GetDialectList(&ids, &names);
  ASSERT_EQ(ids.Count(), 10);
  ASSERT_EQ(names.Count(), 10);
  EXPECT_EQ(ids.GetLong(1), 0x0409);
  EXPECT_EQ(ids.GetLong(10), 0x0416);
  EXPECT_EQ(Text(*names.GetAt(8)), u"Espa\u00F1ol");
  EXPECT_EQ(Text(*names.GetAt(10)), u"Portugu\u00EAs (Brasil)");
}

}  // namespace
