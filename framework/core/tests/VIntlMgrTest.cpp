// The international text manager's life cycle: the language it chooses, the
// tables it asks for and in which order, the fallback when a table is missing,
// and the release of its tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/core/intl/UserLanguage.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/tests/IntlTestTables.h"

namespace {

// Sets the locale variables for one test and puts them back after it.
class LocaleScope {
 public:
  explicit LocaleScope(const char* lcAll) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value != nullptr ? std::string(value) : std::string(), value != nullptr});
      unsetenv(name);
    }
    if (lcAll != nullptr) setenv("LC_ALL", lcAll, 1);
  }
  ~LocaleScope() {
    for (const Saved& s : saved_) {
      if (s.present) {
        setenv(s.name, s.value.c_str(), 1);
      } else {
        unsetenv(s.name);
      }
    }
  }

 private:
  struct Saved {
    const char* name;
    std::string value;
    bool present;
  };
  std::vector<Saved> saved_;
};

int16_t RequestedId(const FakeIntlMgr& m, uint32_t type) {
  for (const auto& r : m.requests) {
    if (r.first == type) return r.second;
  }
  return -999;
}

}  // namespace

TEST(VIntlMgr, ConstructsWithNoLanguageAndTheWildcard) {
  VIntlMgr* m = new VIntlMgr();
  EXPECT_EQ(m->GetLanguage(), kLanguageNotChosen);
  EXPECT_EQ(m->GetWildcard(), u'@');
  EXPECT_TRUE(m->IsWildcardEnabled());
  for (int32_t slot = 0; slot < VIntlMgr::kTableCount; ++slot) {
    EXPECT_EQ(m->GetTableHandle(VIntlMgr::TableSlot(slot)), 0u);
  }
  delete m;
}

TEST(VIntlMgr, ScriptOfLanguageByTable) {
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0409), 0);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x500A), 0);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0411), 1);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x1004), 2);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0C04), 3);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0812), 4);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x4001), 5);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x040D), 6);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0408), 7);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0C1A), 8);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x081A), 9);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0424), 10);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0438), 11);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0429), 12);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0418), 13);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x041E), 14);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x042A), 15);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x041F), 16);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0C0B), -1);
  // Windows writes Latvian in Baltic, the Macintosh in Central European.
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0x0426), 9);
  EXPECT_EQ(VIntlMgr::WindowsScriptOfLanguage(0x0426), 17);
  EXPECT_EQ(VIntlMgr::WindowsScriptOfLanguage(0x0405), 9);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(0), -1);
  EXPECT_EQ(VIntlMgr::ScriptOfLanguage(-1), -1);
}

TEST(VIntlMgr, ConversionTablesComeFromTheLanguagesScript) {
  const struct {
    int32_t language;
    int16_t script;
  } cases[] = {{0x0C1A, 8}, {0x081A, 9}, {0x0804, 3}, {0x0404, 2}};
  for (const auto& c : cases) {
    FakeIntlMgr* m = new FakeIntlMgr();
    EXPECT_EQ(m->LoadTables(c.language), kIntlTableMissing);
    ASSERT_EQ(m->requests.size(), 1u);
    EXPECT_EQ(m->requests[0], FakeIntlMgr::Key(FourCC("macu"), c.script));
    delete m;
  }
}

TEST(VIntlMgr, UnknownSublanguageFallsBackToThePrimaryLanguage) {
  FakeIntlMgr* m = new FakeIntlMgr();
  AddTestTables(*m, 0, false);
  // 0x0C0B has no entry; 0x040B (Finnish) is script 0.
  EXPECT_EQ(m->LoadTables(0x0C0B), 0);
  EXPECT_EQ(RequestedId(*m, FourCC("macu")), 0);
  EXPECT_EQ(m->GetLanguage(), 0x0C0B);
  delete m;
  // An unknown primary language asks for id -1, which holds nothing.
  m = new FakeIntlMgr();
  AddTestTables(*m, 0, false);
  EXPECT_EQ(m->LoadTables(0x0C7F), kIntlTableMissing);
  EXPECT_EQ(RequestedId(*m, FourCC("macu")), -1);
  delete m;
}

TEST(VIntlMgr, CaseTablesTryTheLanguageThenIdZero) {
  FakeIntlMgr* m = new FakeIntlMgr();
  AddTestTables(*m, 0, false);
  ASSERT_EQ(m->LoadTables(0x0C07), 0);
  std::vector<FakeIntlMgr::Key> want = {
      {FourCC("macu"), 0},      {FourCC("umac"), 0},      {FourCC("winu"), 0},
      {FourCC("uwin"), 0},      {FourCC("lwrn"), 0x0C07}, {FourCC("lwrn"), 0},
      {FourCC("lwra"), 0x0C07}, {FourCC("lwra"), 0},      {FourCC("uprn"), 0x0C07},
      {FourCC("uprn"), 0},      {FourCC("upra"), 0x0C07}, {FourCC("upra"), 0},
      {FourCC("uset"), 0},      {FourCC("uset"), 1},      {FourCC("uset"), 2},
      {FourCC("uset"), 3}};
  EXPECT_EQ(m->requests, want);
  for (int32_t slot = 0; slot < VIntlMgr::kTableCount; ++slot) {
    EXPECT_NE(m->GetTableHandle(VIntlMgr::TableSlot(slot)), 0u) << slot;
  }
  delete m;
}

TEST(VIntlMgr, LanguageOwnCaseTableIsPreferred) {
  FakeIntlMgr* m = new FakeIntlMgr();
  AddTestTables(*m, 16, false);
  m->tables[{FourCC("uprn"), 0x041F}] = TestSet(1, 2);
  ASSERT_EQ(m->LoadTables(0x041F), 0);
  int uprnRequests = 0;
  for (const auto& r : m->requests) {
    if (r.first == FourCC("uprn")) ++uprnRequests;
  }
  EXPECT_EQ(uprnRequests, 1);
  delete m;
}

TEST(VIntlMgr, MissingTableStopsLoadingThereAndTheSecondCallFillsTheRest) {
  FakeIntlMgr* m = new FakeIntlMgr();
  AddTestTables(*m, 0, false);
  // Japanese has only its 'macu'.
  m->tables[{FourCC("macu"), 1}] = TestDoubleByteToUni();
  EXPECT_EQ(m->LoadTables(0x0411), kIntlTableMissing);
  ASSERT_EQ(m->requests.size(), 2u);  // 'macu' 1, then 'umac' 1, and nothing after
  const VMemHandle japaneseMacu = m->GetTableHandle(VIntlMgr::kMacToUni);
  EXPECT_NE(japaneseMacu, 0u);
  EXPECT_EQ(m->GetTableHandle(VIntlMgr::kWinToUni), 0u);

  m->requests.clear();
  EXPECT_EQ(m->LoadTables(kLanguageUSEnglish), 0);
  EXPECT_EQ(m->GetLanguage(), kLanguageUSEnglish);
  // The table already loaded stays; only the empty slots were filled.
  EXPECT_EQ(m->GetTableHandle(VIntlMgr::kMacToUni), japaneseMacu);
  EXPECT_EQ(m->requests.front(), FakeIntlMgr::Key(FourCC("umac"), 0));
  for (int32_t slot = 0; slot < VIntlMgr::kTableCount; ++slot) {
    EXPECT_NE(m->GetTableHandle(VIntlMgr::TableSlot(slot)), 0u) << slot;
  }
  // The Japanese lead byte still converts through the table that stayed.
  EXPECT_EQ(m->MacCharToUni(0xA1), 0xFF61);
  delete m;
}

TEST(VIntlMgr, ReleaseTablesDisposesEveryHandle) {
  FakeIntlMgr* m = new FakeIntlMgr();
  AddTestTables(*m, 0, false);
  ASSERT_EQ(m->LoadTables(0x0409), 0);
  const VMemHandle macu = m->GetTableHandle(VIntlMgr::kMacToUni);
  EXPECT_EQ(gMemoryMgr->GetHandleSize(macu), 2u + 512u);
  m->ReleaseTables();
  for (int32_t slot = 0; slot < VIntlMgr::kTableCount; ++slot) {
    EXPECT_EQ(m->GetTableHandle(VIntlMgr::TableSlot(slot)), 0u);
  }
  EXPECT_EQ(gMemoryMgr->GetHandleSize(macu), 0u);
  delete m;
}

TEST(VIntlMgr, TablesAreUnlockedBetweenCalls) {
  FakeIntlMgr* m = new FakeIntlMgr();
  AddTestTables(*m, 0, false);
  ASSERT_EQ(m->LoadTables(0x0409), 0);
  char16_t text[3] = {u'a', 0xE9, 0};
  m->ToUpper(text, 2, false);
  m->CompareChar(0xE9, 0xC9, false);
  m->MacCharToUni(0x8E);
  m->UniCharToWin(0x00E9);
  const uint8_t bytes[2] = {'a', 0x8E};
  char16_t units[2] = {0, 0};
  uint8_t back[2] = {0, 0};
  m->WinCharsToUni(bytes, 2, units);
  m->UniCharsToMac(units, 2, back);
  m->IsInUSet(0, u'a');
  for (int32_t slot = 0; slot < VIntlMgr::kTableCount; ++slot) {
    EXPECT_FALSE(gMemoryMgr->IsLocked(m->GetTableHandle(VIntlMgr::TableSlot(slot)))) << slot;
  }
  delete m;
}

TEST(VIntlMgr, ResolvesTheUsersLanguageFromTheLocale) {
  {
    LocaleScope scope("fr_FR.UTF-8");
    FakeIntlMgr* m = new FakeIntlMgr();
    m->LoadTables(kLanguageUserDefault);
    EXPECT_EQ(m->GetLanguage(), 0x040C);
    delete m;
  }
  {
    LocaleScope scope("de_DE");
    VIntlMgr* m = new VIntlMgr();
    m->ResolveLanguage();  // -2 becomes 0, then the user's language
    EXPECT_EQ(m->GetLanguage(), 0x0407);
    delete m;
  }
  {
    LocaleScope scope(nullptr);
    setenv("LANG", "ja_JP.eucJP", 1);
    FakeIntlMgr* m = new FakeIntlMgr();
    m->LoadTables(kLanguageSystemDefault);
    EXPECT_EQ(m->GetLanguage(), 0x0411);
    delete m;
  }
  {
    LocaleScope scope("C");
    EXPECT_EQ(UserDefaultLanguage(), 0x0409);
  }
}

TEST(UserLanguage, LocaleNamesToLanguageIdentifiers) {
  EXPECT_EQ(LanguageOfLocaleName("en_US"), 0x0409);
  EXPECT_EQ(LanguageOfLocaleName("en_GB.UTF-8"), 0x0809);
  EXPECT_EQ(LanguageOfLocaleName("de_AT.ISO-8859-1"), 0x0C07);
  EXPECT_EQ(LanguageOfLocaleName("fr_CA"), 0x0C0C);
  EXPECT_EQ(LanguageOfLocaleName("zh_TW.Big5"), 0x0404);
  EXPECT_EQ(LanguageOfLocaleName("sr_RS"), 0x0C1A);
  EXPECT_EQ(LanguageOfLocaleName("sr_RS@latin"), 0x081A);
  EXPECT_EQ(LanguageOfLocaleName("tr_TR.UTF-8@euro"), 0x041F);
  // A known language in another territory: its main form.
  EXPECT_EQ(LanguageOfLocaleName("fr_SN"), 0x040C);
  EXPECT_EQ(LanguageOfLocaleName("es"), 0x0C0A);
  EXPECT_EQ(LanguageOfLocaleName("xx_YY"), 0);
  EXPECT_EQ(LanguageOfLocaleName(""), 0);
  EXPECT_EQ(LanguageOfLocaleName("C.UTF-8"), 0);
  EXPECT_EQ(LanguageOfLocaleName(nullptr), 0);
  EXPECT_EQ(LanguageOfLocaleName("abcdefghij_KLMNOPQ"), 0);
}
