// The host's spellers in-process: the service offered after "spellers on",
// the engine behind the same entry point after "spellers engine", each asked
// for by the area's spelling command, and the words they do not know
// selected (and the engine's corrections made) in the order of the text.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "area/spelling/xMorvaWinSpeller.h"
#include "area/tests/TextInputSupport.h"
#include "area/xMorvaPlugIn.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/tests/IntlTestTables.h"
#include "host/callback/HostCallback.h"
#include "platform/toolbox/TbxResources.h"
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
    HostSpellingChunks().clear();
    HostSpellingChecksEnded() = 0;
    HostSpellingOfferService(true);
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
  for (const char* line : {"spellers", "spellers maybe", "spellers on off", "spellers \"on\"", "spellers engines"}) {
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
  // The service was asked for once, the engine told and asked for once.
  EXPECT_EQ(3, qv.CountCalls(kHostSelSpellingService));
  EXPECT_TRUE(HostSpellingChunks().empty());
  EXPECT_EQ(0, HostSpellingChecksEnded());
}

TEST_F(HostSpelling, WhenTheServiceIsOfferedTheEngineLibraryIsNotMade) {
  ASSERT_EQ("", Script("spellers on"));
  Type("tset");
  area->RunCommand(805);
  EXPECT_EQ(nullptr, area->GetSpeller());
  // Nor is the engine behind the host asked.
  EXPECT_TRUE(HostSpellingChunks().empty());
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

// ---- The engine behind the host

TEST_F(HostSpelling, TheEngineAloneIsOfferedAfterSpellersEngine) {
  ASSERT_EQ("", Script("spellers engine"));
  EXPECT_TRUE(qv.Config().spellers);
  xMorvaSpeller service;
  EXPECT_FALSE(service.IsAvailable());
  xMorvaVuzizaDevo engine;
  EXPECT_TRUE(engine.IsAvailable());
  EXPECT_EQ(3, qv.CountCalls(kHostSelSpellingService));
  // "spellers on" offers the service again, "off" neither.
  ASSERT_EQ("", Script("spellers on"));
  EXPECT_TRUE(xMorvaSpeller().IsAvailable());
  ASSERT_EQ("", Script("spellers off"));
  EXPECT_FALSE(xMorvaVuzizaDevo().IsAvailable());
}

TEST_F(HostSpelling, TheModuleAndTheHostAgreeOnTheEngineRecords) {
  using Record = xMorvaVuzizaDevo::RequestRecord;
  EXPECT_EQ(sizeof(Record), sizeof(HostEngineRecord));
  EXPECT_EQ(offsetof(Record, chunkLength), offsetof(HostEngineRecord, chunkLength));
  EXPECT_EQ(offsetof(Record, textHandle), offsetof(HostEngineRecord, textHandle));
  EXPECT_EQ(offsetof(Record, callBack), offsetof(HostEngineRecord, callBack));
  EXPECT_EQ(offsetof(Record, firstCall), offsetof(HostEngineRecord, firstCall));
  EXPECT_EQ(offsetof(Record, area), offsetof(HostEngineRecord, area));
  using Block = xMorvaVuzizaDevo::Block;
  EXPECT_EQ(sizeof(Block), sizeof(HostEngineBlock));
  EXPECT_EQ(offsetof(Block, start), offsetof(HostEngineBlock, start));
  EXPECT_EQ(offsetof(Block, end), offsetof(HostEngineBlock, end));
  EXPECT_EQ(offsetof(Block, text), offsetof(HostEngineBlock, text));
  EXPECT_EQ(offsetof(Block, area), offsetof(HostEngineBlock, area));
  EXPECT_EQ(offsetof(xMorvaVuzizaDevo::Link, record), offsetof(HostEngineLink, record));
}

TEST_F(HostSpelling, TheEngineGetsTheTextASentenceAtATimeAndFindsItsWordsInOrder) {
  ASSERT_EQ("", Script("spellers engine"));
  Type("This is a tset. It was wrods\nand a thrid one.");
  area->RunCommand(805);
  EXPECT_EQ(nullptr, area->GetSpeller());
  EXPECT_EQ((std::vector<std::string>{"This is a tset.", " It was wrods\r", "and a thrid one."}), HostSpellingChunks());
  EXPECT_EQ((std::vector<std::string>{"tset", "wrods", "thrid"}), HostSpellingFound());
  EXPECT_EQ(1, HostSpellingChecksEnded());
  // The last word met is selected: "thrid", behind 15 + 14 + 6 characters.
  EXPECT_EQ(std::make_pair(35, 40), Sel());
  EXPECT_EQ("This is a tset. It was wrods\nand a thrid one.", Plain());
}

TEST_F(HostSpelling, ASentenceWithoutAFullStopLongerThanAChunkIsCutBetweenWords) {
  ASSERT_EQ("", Script("spellers engine"));
  // Words of eight characters and a space: the 32,000th character falls
  // inside a word.
  std::string text;
  while (text.size() < 40000) text += "printers ";
  text += "endd";
  for (char c : text) document->TypeCharacter(char16_t(c));
  area->RunCommand(805);
  ASSERT_EQ(2u, HostSpellingChunks().size());
  EXPECT_LE(HostSpellingChunks()[0].size(), 32000u);
  EXPECT_EQ(' ', HostSpellingChunks()[0].back());
  EXPECT_EQ(text, HostSpellingChunks()[0] + HostSpellingChunks()[1]);
  // "printers" is no word of the host's list: every one is found, once.
  ASSERT_EQ(text.size() / 9 + 1, HostSpellingFound().size());
  EXPECT_EQ("endd", HostSpellingFound().back());
  EXPECT_EQ(std::make_pair(int32_t(text.size()) - 4, int32_t(text.size())), Sel());
}

TEST_F(HostSpelling, TheEngineReplacesAndIgnoresThroughTheCallBackAcrossChunks) {
  ASSERT_EQ("", Script("spellers engine"));
  // Longer and shorter replacements, at a chunk's end too; "tset" is only
  // selected and stays.
  Type("teh wrd is tset adn thiss. wrd\nwrd.");
  area->RunCommand(805);
  EXPECT_EQ((std::vector<std::string>{"teh", "wrd", "tset", "adn", "thiss", "wrd", "wrd"}), HostSpellingFound());
  EXPECT_EQ("the word is tset and this. word\nword.", Plain());
  // The caret after the last replacement.
  EXPECT_EQ(std::make_pair(36, 36), Sel());
  // One undo step takes the last replacement back.
  document->Undo();
  EXPECT_EQ("the word is tset and this. word\nwrd.", Plain());
}

TEST_F(HostSpelling, ASelectionRestrictsTheEngineAndItsReplacementsMoveItsEnd) {
  ASSERT_EQ("", Script("spellers engine"));
  Type("tset one. wrd two. thiss outside.");
  Select(5, 18);
  area->RunCommand(805);
  EXPECT_EQ((std::vector<std::string>{"one.", " wrd two."}), HostSpellingChunks());
  EXPECT_EQ((std::vector<std::string>{"wrd"}), HostSpellingFound());
  EXPECT_EQ("tset one. word two. thiss outside.", Plain());
}

TEST_F(HostSpelling, TheEngineLooksAtWordsUpToTheLengthTheModuleAnswers) {
  ASSERT_EQ("", Script("spellers engine"));
  Type(std::string(46, 'x') + " " + std::string(45, 'y') + ". zzz.");
  area->RunCommand(805);
  // Asked on the first chunk only; the answer holds for the whole check.
  EXPECT_EQ((std::vector<std::string>{std::string(45, 'y'), "zzz"}), HostSpellingFound());
}

TEST_F(HostSpelling, AChunkWithoutUnknownWordsStillAsksForTheNext) {
  ASSERT_EQ("", Script("spellers engine"));
  Type("This is the text. It is one word.");
  area->RunCommand(805);
  EXPECT_EQ(2u, HostSpellingChunks().size());
  EXPECT_TRUE(HostSpellingFound().empty());
  EXPECT_EQ(1, HostSpellingChecksEnded());
}

TEST_F(HostSpelling, UnitsTheEngineCannotHaveKeepTheirPlaces) {
  ASSERT_EQ("", Script("spellers engine"));
  // Greek and Cyrillic letters reach the engine as "?", one a character, so
  // the word after them is selected where it is.
  const std::u16string text = u"\u03BA\u03B1\u03BB\u03AE \u043F\u0440\u0438 tset.";
  for (char16_t unit : text) document->TypeCharacter(unit);
  area->RunCommand(805);
  EXPECT_EQ((std::vector<std::string>{"???? ??? tset."}), HostSpellingChunks());
  EXPECT_EQ((std::vector<std::string>{"tset"}), HostSpellingFound());
  EXPECT_EQ(std::make_pair(9, 13), Sel());
}

// ---- What the engine hands back, checked before it is used

namespace {

struct BadAnswerRow {
  const char* what;
  int kind;  // 0 a block; 1 no pointer; 2 a pointer to no block
  uint16_t operation;
  uint32_t start;
  uint32_t end;
  bool otherArea;
  uint16_t expected;
};

std::vector<BadAnswerRow> gRows;
std::vector<uint16_t> gAnswers;
std::vector<std::string> gTexts;
// The area's text as ASCII, read by the test's fixture.
std::function<std::string()> gPlain;

// An engine that hands back each row once, on the first chunk.
std::vector<uint16_t> gEndAnswers;
void RowEngine(void* first, void* second) {
  auto* link = static_cast<HostEngineLink*>(second);
  if (reinterpret_cast<uintptr_t>(first) == kSpellingEngineEnd) {
    // No chunk is out any more: a range in it is refused.
    HostEngineBlock block{};
    block.end = 3;
    block.area = link->record->area;
    HostEngineBlock* pointer = &block;
    gEndAnswers.push_back(link->record->callBack(&pointer));
    return;
  }
  if (reinterpret_cast<uintptr_t>(first) != kSpellingEngineCheck) return;
  if (link->record->firstCall == 0) return;
  for (const BadAnswerRow& row : gRows) {
    HostEngineBlock block{};
    block.operation = row.operation;
    block.start = row.start;
    block.end = row.end;
    block.text[0] = 3;
    std::memcpy(block.text + 1, "abc", 3);
    static int elsewhere = 0;
    block.area = row.otherArea ? static_cast<void*>(&elsewhere) : link->record->area;
    HostEngineBlock* pointer = row.kind == 2 ? nullptr : &block;
    gAnswers.push_back(link->record->callBack(row.kind == 1 ? nullptr : &pointer));
    gTexts.push_back(gPlain());
  }
}

// An engine that opens a resource file of its own at every request.
std::string gEngineFile;
void ResourceEngine(void* first, void*) {
  const auto request = reinterpret_cast<uintptr_t>(first);
  if (request != kSpellingEngineCheck && request != kSpellingEngineEnd) return;
  uint8_t path[256] = {uint8_t(gEngineFile.size())};
  std::memcpy(path + 1, gEngineFile.data(), gEngineFile.size());
  Tbx::OpenResFile(path);
}

void ResourceHost(int32_t selector, HostParamBlock* block) {
  if (selector == kHostSelSpellingService) {
    block->handle = reinterpret_cast<uintptr_t>(&ResourceEngine);
    return;
  }
  QvHost::Callback(selector, block);
}

void RowHost(int32_t selector, HostParamBlock* block) {
  if (selector == kHostSelSpellingService) {
    block->handle = reinterpret_cast<uintptr_t>(&RowEngine);
    return;
  }
  QvHost::Callback(selector, block);
}

}  // namespace

TEST_F(HostSpelling, TheCurrentResourceFileIsKeptOverEveryEngineCall) {
  gEngineFile = (std::filesystem::temp_directory_path() / ("qv-engine-" + std::to_string(getpid()) + ".rsrc")).string();
  uint8_t path[256] = {uint8_t(gEngineFile.size())};
  std::memcpy(path + 1, gEngineFile.data(), gEngineFile.size());
  Tbx::CreateResFile(path);
  const int16_t before = Tbx::CurResFile();
  Type("one. two.");
  SetHostCallback(&ResourceHost);
  area->RunCommand(805);
  EXPECT_EQ(before, Tbx::CurResFile());
  // The engine's file was opened, and is another than the current one.
  const int16_t engine = Tbx::OpenResFile(path);
  EXPECT_NE(-1, engine);
  EXPECT_NE(before, engine);
  Tbx::CloseResFile(engine);
  if (before != -1) Tbx::UseResFile(before);
  std::filesystem::remove(gEngineFile);
}

TEST_F(HostSpelling, BadAnswersFromTheEngineAreRefusedAndChangeNothing) {
  Type("one tset. two.");
  SetHostCallback(&RowHost);
  // The chunk "one tset." has 9 characters.
  gRows = {
      {"no pointer", 1, 0, 0, 3, false, xMorvaVuzizaDevo::kBadRequest},
      {"a pointer to no block", 2, 0, 0, 3, false, xMorvaVuzizaDevo::kBadRequest},
      {"another area", 0, 1, 0, 3, true, xMorvaVuzizaDevo::kBadRequest},
      {"another area asking the longest word", 0, 4, 0, 0, true, xMorvaVuzizaDevo::kBadRequest},
      {"start after end", 0, 1, 5, 3, false, xMorvaVuzizaDevo::kBadRequest},
      {"end past the chunk", 0, 0, 4, 10, false, xMorvaVuzizaDevo::kBadRequest},
      {"replace past the chunk", 0, 1, 8, 0xFFFFFFFF, false, xMorvaVuzizaDevo::kBadRequest},
      {"an operation the module does not know", 0, 7, 0, 3, false, 0},
      {"the whole chunk", 0, 0, 0, 9, false, 0},
  };
  gAnswers.clear();
  gTexts.clear();
  gEndAnswers.clear();
  gPlain = [this] { return Plain(); };
  area->RunCommand(805);
  gPlain = nullptr;
  ASSERT_EQ(gRows.size(), gAnswers.size());
  for (size_t i = 0; i < gRows.size(); ++i) {
    EXPECT_EQ(gRows[i].expected, gAnswers[i]) << gRows[i].what;
    EXPECT_EQ("one tset. two.", gTexts[i]) << gRows[i].what;
  }
  EXPECT_EQ(std::vector<uint16_t>{xMorvaVuzizaDevo::kBadRequest}, gEndAnswers);
  // The last row selected the chunk; outside a check every answer is refused.
  EXPECT_EQ(std::make_pair(0, 9), Sel());
  xMorvaVuzizaDevo::Block block{};
  block.operation = 0;
  block.end = 3;
  block.area = area;
  xMorvaVuzizaDevo::Block* pointer = &block;
  EXPECT_EQ(xMorvaVuzizaDevo::kBadRequest, xMorvaVuzizaDevo::Answer(&pointer));
  EXPECT_EQ(std::make_pair(0, 9), Sel());
}

}  // namespace
