// The document's numbered commands over real engines: which ids are known,
// what needs an area, the user's methods, attributes and toggles in one undo
// step, colours, breaks and case changes.
#include "engine/tests/DocumentFixture.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "graphics/VPort.h"
#include "testsupport/FakeHost.h"

namespace {

using CommandTest = DocumentTest;

// A host's date or time text: D or T, and the style asked.
void Put(uint8_t* text, char letter, uint16_t style) {
  text[0] = 2;
  text[1] = uint8_t(letter);
  text[2] = uint8_t('0' + style);
}

TEST_F(CommandTest, UnknownIdsAnswerFalseAndChangeNothing) {
  Load(u"Text\r", 0, 4);
  for (int32_t id : {0, 8, 9, 12, 19, 21, 48, 50, 100, 111, 601, 615, 666, 808, 999, 1036, 5000, -1}) {
    EXPECT_FALSE(document->DoCommand(id)) << id;
  }
  EXPECT_EQ(Text(), u"Text\r");
  EXPECT_FALSE(document->GetUndo()->CanUndo());
  EXPECT_TRUE(area.commands.empty());
}

TEST_F(CommandTest, AreaCommandsReachTheAreaAndNeedOne) {
  for (int32_t id : {10, 102, 106, 108, 208, 212, 310, 338, 401, 751, 756, 805, 807, 1035}) {
    EXPECT_TRUE(document->DoCommand(id)) << id;
  }
  EXPECT_EQ(area.commands.size(), 14u);

  xMorvaDocument alone(nullptr);
  EXPECT_TRUE(alone.DoCommand(10));
  EXPECT_TRUE(alone.DoCommand(502));
  EXPECT_TRUE(alone.DoCommand(1001));
  EXPECT_FALSE(alone.DoCommand(20));
  EXPECT_FALSE(alone.DoCommand(9));
  // Without a host command running, 20 is refused with an area too; while
  // one runs, the own window's switch is the area's.
  EXPECT_FALSE(document->DoCommand(20));
  EXPECT_EQ(area.hostCommandsFinished, 0);
  document->SetInHostCommand(true);
  EXPECT_TRUE(document->DoCommand(20));
  EXPECT_EQ(area.hostCommandsFinished, 1);
}

TEST_F(CommandTest, ConsumedByTheUserStillCommitsThePendingStep) {
  Load(u"ab", 2, 2);
  document->GetCurrentPart()->TypeCharacterWithUndo('c');
  EXPECT_TRUE(document->GetUndo()->IsStepPending());
  area.consumeByMethod = true;
  EXPECT_TRUE(document->DoCommand(713));
  EXPECT_FALSE(document->GetUndo()->IsStepPending());
  EXPECT_EQ(area.callbackCalls, 1);  // asked as well
  EXPECT_EQ(PropertyAt(32, 0, 0), 0);

  // While a host command runs, the user's methods are not asked.
  document->SetInHostCommand(true);
  EXPECT_TRUE(document->DoCommand(713));
  EXPECT_EQ(area.methodCalls, 1);
  EXPECT_EQ(PropertyAt(32, 0, 0), 2);
}

TEST_F(CommandTest, TogglesApplyTheCommandValueInOneUndoStep) {
  Load(u"Bold text\r", 0, 4);
  document->UpdateMenuItemState(502);
  EXPECT_EQ(area.values[502], 1);
  EXPECT_TRUE(document->DoCommand(502));
  EXPECT_EQ(PropertyAt(0, 0, 4), 1);
  EXPECT_EQ(PropertyAt(0, 5, 9), 0);
  document->DoCommand(1);
  EXPECT_EQ(PropertyAt(0, 0, 4), 0);
  EXPECT_FALSE(document->GetUndo()->CanUndo());

  // Not a toggle: the value stays.
  document->UpdateMenuItemState(711);
  EXPECT_EQ(area.values.count(711), 0u);
}

TEST_F(CommandTest, PairedTogglesUncheckTheirPartner) {
  Load(u"x2\r", 1, 2);
  area.values[507] = 1;
  document->DoCommand(507);
  EXPECT_EQ(PropertyAt(5, 1, 2), 2);
  area.values[506] = 1;
  document->DoCommand(506);
  EXPECT_EQ(PropertyAt(5, 1, 2), 1);
  EXPECT_EQ(area.values[507], 0);
  area.values[509] = 1;
  document->DoCommand(509);
  EXPECT_EQ(PropertyAt(6, 1, 2), 2);
  EXPECT_EQ(area.values[508], 0);
}

TEST_F(CommandTest, FontSizeIsHeldTo255) {
  Load(u"Size\r", 0, 4);
  area.values[1001] = 300;
  EXPECT_TRUE(document->DoCommand(1001));
  EXPECT_EQ(area.values[1001], 255);
  EXPECT_EQ(PropertyAt(8, 0, 4), 255);
  EXPECT_TRUE(document->NeedsTypingResync());
}

TEST_F(CommandTest, ParagraphAndCharacterValuesByTable) {
  struct Case {
    int32_t id;
    uint16_t property;
    int32_t value;
  };
  const Case cases[] = {
      {711, 32, 0},        {714, 32, 3},       {721, 33, 10},      {723, 33, 20},
      {1024, 34, 0x6C},    {1027, 34, 0x76},   {1021, 34, 0},      {603, 9, 0x0000FF},
      {612, 9, 0x666666},  {628, 10, -1},      {617, 10, 0xB3B3FF}, {632, 11, -1},
      {643, 11, 0x666666}, {657, 12, 0x666666}, {664, 13, 0x666666}, {684, 38, -1},
      {672, 38, 0xFFFFFF}, {686, 39, 0x000000}, {696, 39, 0x666666}, {524, 4, 3},
      {521, 4, 0},
  };
  for (const Case& c : cases) {
    Load(u"Paragraph\r", 0, 9);
    EXPECT_TRUE(document->DoCommand(c.id)) << c.id;
    EXPECT_EQ(PropertyAt(c.property, 0, 9), c.value) << c.id;
  }
}

TEST_F(CommandTest, ColourDialogAppliesOnlyAChangedColour) {
  Load(u"Colour\r", 0, 6);
  area.answer = false;
  EXPECT_TRUE(document->DoCommand(613));
  EXPECT_FALSE(document->GetUndo()->CanUndo());
  area.answer = true;
  area.answerValue = PropertyAt(9, 0, 6);
  document->GetCurrentPart()->SetSelection(0, 6);
  document->DoCommand(613);
  EXPECT_FALSE(document->GetUndo()->CanUndo());
  area.answerValue = 0x123456;
  document->GetCurrentPart()->SetSelection(0, 6);
  document->DoCommand(613);
  EXPECT_EQ(PropertyAt(9, 0, 6), 0x123456);
  EXPECT_EQ(area.asked, (std::vector<int32_t>{613, 613, 613}));
}

// Case changes need a selection; the time and the date (in the host's
// styles 2 and 3) replace it, in the body and in a footer.
TEST_F(CommandTest, TextCommandsOverTheSelectionAreOneStepEach) {
  Load(u"mixed Case words\r", 0, 0);
  EXPECT_TRUE(document->DoCommand(222));
  EXPECT_EQ(Text(), u"mixed Case words\r");
  FakeHost host;
  ResetDisplayRoutines();
  VDisplayRoutines routines{};
  routines.filled = [] {};
  routines.dateText = [](const VDateRec*, uint8_t* text, uint16_t style) { Put(text, 'D', style); };
  routines.timeText = [](int32_t, uint8_t* text, uint16_t style) { Put(text, 'T', style); };
  host.SetDisplayRoutines(routines);
  struct Case {
    int32_t id;
    const char16_t* text;
    int16_t part = kPartBody;
  };
  const Case cases[] = {{221, u"mixed case words\r"},
                        {222, u"MIXED CASE WORDS\r"},
                        {223, u"Mixed Case Words\r"},
                        {224, u"MIXED cASE WORDS\r"},
                        {411, u"T2\r"},
                        {412, u"D3\r", kPartFooter}};
  for (const Case& c : cases) {
    document->SetCurrentPart(c.part);
    Load(u"mixed Case words\r", 0, 16);
    document->DoCommand(c.id);
    EXPECT_EQ(Text(), c.text) << c.id;
    document->DoCommand(1);
    EXPECT_EQ(Text(), u"mixed Case words\r") << c.id;
  }
  ResetDisplayRoutines();
}

TEST_F(CommandTest, InsertionsOfElementsAndCharacters) {
  Load(u"ab\r", 1, 1);
  document->DoCommand(404);
  document->DoCommand(405);
  document->DoCommand(406);
  xMorvaTextInterface* body = document->GetCurrentPart();
  EXPECT_EQ(body->GetLength(), 6);
  EXPECT_EQ(Text(), u"a\u00A0b\r");
  document->DoCommand(1);
  EXPECT_EQ(body->GetLength(), 5);

  // Breaks belong to the body only.
  document->SetCurrentPart(kPartHeader);
  Load(u"h", 1, 1);
  document->DoCommand(406);
  document->DoCommand(410);
  EXPECT_EQ(document->GetCurrentPart()->GetLength(), 1);
}

// The soft hyphen and the breaks go in whole, with the payload the engine
// writes (the hyphen's unit, a break's paragraph end), so that a saved
// text loads undamaged with every element kept.
TEST_F(CommandTest, ElementCommandsInsertWholeElements) {
  struct Case {
    int32_t command;
    uint16_t code;
    uint16_t unit;
    uint32_t b;
  } cases[] = {{404, xMorvaElementCode::SoftHyphen, 0x00AD, 2},
               {406, xMorvaElementCode::PageBreak, kUnitParagraphEnd, 0},
               {410, xMorvaElementCode::ColBreak, kUnitParagraphEnd, 0}};
  for (const Case& c : cases) {
    Load(u"ab\r", 1, 1);
    document->DoCommand(c.command);
    xMorvaEngine& body = *static_cast<xMorvaEngine*>(document->GetCurrentPart());
    EXPECT_EQ(body.GetLength(), 4) << c.command;
    EXPECT_EQ(body.GetSelStart(), 2) << c.command;
    const Bytes bytes = StreamBytes(body);
    ASSERT_GE(bytes.size(), 2u + kElementHeadSize + 2u) << c.command;
    const uint8_t* element = bytes.data() + 2;
    EXPECT_EQ(StreamUnit(element + 2), c.code) << c.command;
    EXPECT_EQ(StreamLong(element + 4), 2u) << c.command;
    EXPECT_EQ(StreamLong(element + 8), c.b) << c.command;
    EXPECT_EQ(StreamUnit(element + kElementHeadSize), c.unit) << c.command;

    VMemHandle handle = 0;
    VHandleStream stream(handle);
    ASSERT_EQ(0, stream.OpenWrite());
    ASSERT_TRUE(body.WriteResource(stream));
    stream.CloseWrite(1);
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    xMorvaEngine loaded(nullptr, xMorvaEngine::kPartGranule);
    bool damaged = true;
    EXPECT_TRUE(loaded.LoadResourceBytes(data, gMemoryMgr->GetHandleSize(handle), {1}, 1, damaged));
    gMemoryMgr->UnlockHandle(handle);
    gMemoryMgr->DisposeHandle(handle);
    EXPECT_FALSE(damaged) << c.command;
    EXPECT_EQ(loaded.GetLength(), 4) << c.command;
    // A hidden soft hyphen shows no unit; a break shows its paragraph end.
    EXPECT_EQ(StreamBytes(loaded).size(), bytes.size()) << c.command;
  }
}

TEST_F(CommandTest, PlainAndBordersAreOneStepEach) {
  Load(u"Styled\r", 0, 6);
  area.values[503] = 1;
  document->DoCommand(503);
  area.values[505] = 1;
  document->DoCommand(505);
  EXPECT_EQ(PropertyAt(1, 0, 6), 1);
  document->GetCurrentPart()->SetSelection(0, 6);
  document->DoCommand(501);
  EXPECT_EQ(PropertyAt(1, 0, 6), 0);
  EXPECT_EQ(PropertyAt(3, 0, 6), 0);
  document->DoCommand(1);
  EXPECT_EQ(PropertyAt(1, 0, 6), 1);
  EXPECT_EQ(PropertyAt(3, 0, 6), 1);

  document->GetCurrentPart()->SetSelection(0, 6);
  document->DoCommand(1009);
  for (uint16_t border : {41, 42, 43, 44}) EXPECT_EQ(PropertyAt(border, 0, 0), 1) << border;
  document->DoCommand(1);
  for (uint16_t border : {41, 42, 43, 44}) EXPECT_EQ(PropertyAt(border, 0, 0), 0) << border;
}

TEST_F(CommandTest, ViewCommandsSetTheParameters) {
  document->DoCommand(303);
  EXPECT_EQ(document->GetParams().GetViewMode(), 0);
  document->DoCommand(302);
  EXPECT_EQ(document->GetParams().GetViewMode(), 1);
  area.values[312] = 0;
  document->DoCommand(312);
  EXPECT_EQ(document->GetParams().GetBands(false).headerShown, 0);
  area.values[304] = 1;
  document->DoCommand(304);
  EXPECT_TRUE(document->IsPrinterMetricsApplied());
  EXPECT_NE(document->GetMeasuringPort()->GetReferencePrinter(), nullptr);
  EXPECT_NE(document->GetLinePort()->GetReferencePrinter(), nullptr);
  area.values[304] = 0;
  document->DoCommand(304);
  EXPECT_FALSE(document->IsPrinterMetricsApplied());
  EXPECT_EQ(document->GetMeasuringPort()->GetReferencePrinter(), nullptr);
  document->Params().SetDifferentFirstPage(1);
  document->SetCaretPage(0);
  document->DoCommand(323);
  EXPECT_EQ(document->GetCurrentPartNumber(), kPartFirstFooter);
  EXPECT_EQ(document->GetParams().GetViewMode(), 0);
  document->DoCommand(321);
  EXPECT_TRUE(document->IsBodyCurrent());
}

}  // namespace
