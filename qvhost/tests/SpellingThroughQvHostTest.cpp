// The host's spelling service in-process: offered only after "spellers on",
// asked for by the area's spelling command, and the words it does not know
// selected in the area in the order of the text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "area/tests/TextInputSupport.h"
#include "area/xMorvaPlugIn.h"
#include "area/xMorvaWinSpeller.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/tests/IntlTestTables.h"
#include "host/callback/HostCallback.h"
#include "qvhost/HostSpeller.h"
#include "qvhost/QvHost.h"
#include "qvhost/ScriptRunner.h"

namespace {

// The area's callbacks go to the stand-in host while the fixture lives.
class HostSpelling : public areatest::TextInputTest {
 protected:
  void SetUp() override {
    TextInputTest::SetUp();
    // The text goes to the service as Macintosh bytes.
    AddTestTables(tables, 0, false);
    tables.LoadTables(kLanguageUSEnglish);
    savedIntl = gIntlMgr;
    gIntlMgr = &tables;
    previous = GetHostCallback();
    SetHostCallback(&QvHost::Callback);
    HostSpellingFound().clear();
  }
  void TearDown() override {
    SetHostCallback(previous);
    gIntlMgr = savedIntl;
    TextInputTest::TearDown();
  }
  // Runs script lines against the host; answers the first error.
  std::string Script(const std::string& lines) {
    std::ostringstream out;
    ScriptRunner runner(qv, out);
    return runner.Run(lines).error;
  }
  QvHost qv{QvHostConfig{}};
  HostCallback previous = nullptr;
  FakeIntlMgr tables;
  VIntlMgr* savedIntl = nullptr;
};

TEST_F(HostSpelling, TheScriptLineSwitchesTheServiceOnAndOff) {
  EXPECT_FALSE(qv.Config().spellers);
  ASSERT_EQ("", Script("spellers on"));
  EXPECT_TRUE(qv.Config().spellers);
  ASSERT_EQ("", Script("spellers off"));
  EXPECT_FALSE(qv.Config().spellers);
}

TEST_F(HostSpelling, BadScriptLinesAreRefusedAndChangeNothing) {
  for (const char* line : {"spellers", "spellers maybe", "spellers on off", "spellers \"on\""}) {
    EXPECT_NE("", Script(line)) << line;
    EXPECT_FALSE(qv.Config().spellers) << line;
  }
}

TEST_F(HostSpelling, WithoutTheServiceTheHostAnswersNoEntryPoint) {
  xMorvaSpeller speller;
  EXPECT_FALSE(speller.IsAvailable());
  EXPECT_EQ(1, qv.CountCalls(kHostSelSpellingService));
  EXPECT_EQ("plug-in value", qv.Log().back().text);
}

TEST_F(HostSpelling, TheServiceAnswersReadyToTheQuestionOnly) {
  uint8_t buffer[32] = {};
  uint8_t* pointer = buffer;
  HostSpellingHello hello{kSpellingServiceAsk, 0};
  HostSpellingService(&hello, &pointer);
  EXPECT_EQ(kSpellingServiceReady, hello.word);
  HostSpellingHello other{0x1234, 0};
  HostSpellingService(&other, &pointer);
  EXPECT_EQ(0x1234, other.word);
}

TEST_F(HostSpelling, TheSpellingCommandSelectsTheUnknownWordsInOrder) {
  ASSERT_EQ("", Script("spellers on"));
  Type("This is a tset of the wrods\nand a thrid one.");
  area->RunCommand(805);
  EXPECT_EQ((std::vector<std::string>{"tset", "wrods", "thrid"}), HostSpellingFound());
  // The last word the service met is selected: "thrid" after the paragraph
  // end, at characters 34 to 39.
  EXPECT_EQ(std::make_pair(34, 39), Sel());
  EXPECT_EQ(1, qv.CountCalls(kHostSelSpellingService));
}

TEST_F(HostSpelling, WithoutTheServiceTheCommandGoesToTheEngineLibrary) {
  Type("tset wrods");
  area->RunCommand(805);
  EXPECT_NE(nullptr, area->GetSpeller());
  EXPECT_TRUE(HostSpellingFound().empty());
}

TEST_F(HostSpelling, WhenTheServiceIsOfferedTheEngineLibraryIsNotMade) {
  ASSERT_EQ("", Script("spellers on"));
  Type("tset");
  area->RunCommand(805);
  EXPECT_EQ(nullptr, area->GetSpeller());
}

TEST_F(HostSpelling, ASelectionRestrictsTheCheckAndPositionsStayInTheText) {
  ASSERT_EQ("", Script("spellers on"));
  Type("tset one wrods two");
  Select(5, 18);
  area->RunCommand(805);
  EXPECT_EQ((std::vector<std::string>{"wrods"}), HostSpellingFound());
  EXPECT_EQ(std::make_pair(9, 14), Sel());
}

TEST_F(HostSpelling, AReplacementFromTheServiceIsAnOrdinaryEdit) {
  Type("the wrods here");
  xMorvaSpeller::Request request{1, 4, 9, reinterpret_cast<const uint8_t*>("words!"), 6, area};
  EXPECT_EQ(0, xMorvaSpeller::Answer(&request));
  EXPECT_EQ("the words! here", Plain());
  EXPECT_EQ(std::make_pair(10, 10), Sel());
  xMorvaSpeller::Request other{7, 0, 3, nullptr, 0, area};
  EXPECT_EQ(0, xMorvaSpeller::Answer(&other));
  EXPECT_EQ("the words! here", Plain());
}

}  // namespace
