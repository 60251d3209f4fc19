// A document's style sheets over real texts: the default sheet of a reset
// document, names and indexes, applying a sheet (whole paragraphs for a
// paragraph sheet) in one undo step, a deleted sheet still in use reverted
// to the default, and re-application in every part as one undo group.
#include "document/xMorvaStyleSheet.h"
#include "engine/tests/DocumentFixture.h"
#include "framework/system/resources/VMemoryResourceFile.h"

namespace {

std::string Ansi(const VString& s) {
  char buffer[512] = {};
  s.GetCText(buffer, sizeof buffer - 1, kCharSetAnsi);
  return buffer;
}

class StyleSheetsTest : public DocumentTest {
 protected:
  StyleSheetsTest() { document->Reset(true); }

  // A new sheet in the document's store: its id.
  int16_t AddSheet(const char* name, bool paragraph, uint16_t id, int32_t value, uint16_t shortcut = 0) {
    xMorvaStyleSheet sheet;
    sheet.paragraphSheet = paragraph ? 1 : 0;
    sheet.properties.SetProperty(id, value);
    sheet.states.SetState(id, 1);
    sheet.shortcut = shortcut;
    VStr<255> text;
    text.SetAnsiCText(name);
    int16_t added = 0;
    EXPECT_TRUE(sheet.SaveNew(*document, *document->GetStyleSheetStore(), text, added));
    return added;
  }
  std::string NameOf(int16_t id, bool withShortcut = false) {
    VStr<255> name;
    document->GetStyleSheetName(id, name, withShortcut);
    return Ansi(name);
  }
};

TEST_F(StyleSheetsTest, AResetDocumentHasTheDefaultSheet) {
  ASSERT_EQ(document->StyleSheetCount(), 1);
  int16_t id = 0;
  ASSERT_TRUE(document->StyleSheetIdAt(1, id));
  EXPECT_EQ(id, kDefaultStyleSheetId);
  EXPECT_EQ(NameOf(1), "12:1");
  xMorvaStyleSheet sheet;
  ASSERT_TRUE(sheet.Load(*document, *document->GetStyleSheetStore(), 1));
  for (uint16_t state = 0; state < kPropertyStateCount; ++state) EXPECT_EQ(sheet.states.GetState(state), 1);
  EXPECT_TRUE(document->IsStyleSheetUsed(1));
}

TEST_F(StyleSheetsTest, NamesIndexesAndShortcuts) {
  const int16_t quote = AddSheet("Quote", false, kPropItalic, 1, 'Q');
  EXPECT_EQ(document->StyleSheetIndex(quote), 2);
  EXPECT_EQ(document->StyleSheetIndex(7), 0);
  int16_t id = 0;
  EXPECT_FALSE(document->StyleSheetIdAt(3, id));
  EXPECT_EQ(NameOf(quote, true), "Quote10:29Q10:31");
  // No shortcut: the bare name, also when asked for one.
  EXPECT_EQ(NameOf(1, true), "12:1");
  // The properties' description names the sheet.
  xMorvaProperties properties;
  properties.SetProperty(kPropStyleSheet, quote);
  xMorvaPropertiesStates states;
  states.SetState(kPropStyleSheet, 1);
  VStr<255> text;
  properties.Describe(*document, states, text);
  EXPECT_NE(Ansi(text).find("Quote"), std::string::npos);
}

TEST_F(StyleSheetsTest, ApplyingIsOneUndoStep) {
  const int16_t strong = AddSheet("Strong", false, kPropBold, 1);
  const int16_t centred = AddSheet("Centred", true, kPropAlignment, 1);
  Load(u"one two\rthree\r", 4, 7);
  const Bytes before = StreamBytes(*static_cast<xMorvaEngine*>(document->GetCurrentPart()));
  ASSERT_EQ(document->ApplyStyleSheet(strong), 0);
  EXPECT_EQ(PropertyAt(kPropBold, 4, 7), 1);
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 4, 7), strong);
  EXPECT_EQ(PropertyAt(kPropBold, 0, 3), 0);
  document->GetUndo()->Undo();
  EXPECT_EQ(StreamBytes(*static_cast<xMorvaEngine*>(document->GetCurrentPart())), before);

  // A paragraph sheet takes the whole paragraph; the selection stays.
  document->GetCurrentPart()->SetSelection(1, 2);
  ASSERT_EQ(document->ApplyStyleSheet(centred), 0);
  EXPECT_EQ(document->GetCurrentPart()->GetSelStart(), 1);
  EXPECT_EQ(document->GetCurrentPart()->GetSelEnd(), 2);
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 0, 7), centred);
  EXPECT_EQ(PropertyAt(kPropAlignment, 5, 6), 1);
  EXPECT_EQ(PropertyAt(kPropAlignment, 9, 10), 0);

  EXPECT_EQ(document->ApplyStyleSheet(99), kErrorNoStyleSheet);
}

TEST_F(StyleSheetsTest, ADeletedSheetStillUsedRevertsToTheDefault) {
  const int16_t strong = AddSheet("Strong", false, kPropBold, 1);
  Load(u"aa bb cc dd", 3, 5);
  ASSERT_EQ(document->ApplyStyleSheet(strong), 0);
  document->GetCurrentPart()->SetSelection(9, 11);
  ASSERT_EQ(document->ApplyStyleSheet(strong), 0);
  EXPECT_TRUE(document->IsStyleSheetUsed(strong));
  document->DeleteStyleSheet(strong);
  EXPECT_EQ(document->StyleSheetCount(), 1);
  // Its runs still name it; re-applying it without reverting cannot.
  EXPECT_TRUE(document->IsStyleSheetUsed(strong));
  EXPECT_EQ(document->ReapplyStyleSheet(strong, false), kErrorNoStyleSheet);
  document->GetCurrentPart()->SetSelection(0, 1);
  ASSERT_EQ(document->ReapplyStyleSheet(strong, true), 0);
  EXPECT_EQ(document->GetCurrentPart()->GetSelStart(), 0);
  EXPECT_EQ(document->GetCurrentPart()->GetSelEnd(), 1);
  EXPECT_FALSE(document->IsStyleSheetUsed(strong));
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 3, 5), 1);
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 9, 11), 1);
  // Both runs come back with one undo, with the sheet; redo takes all away.
  document->Undo();
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 3, 5), strong);
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 9, 11), strong);
  EXPECT_EQ(NameOf(strong), "Strong");
  document->Redo();
  EXPECT_EQ(document->StyleSheetIndex(strong), 0);
  EXPECT_EQ(PropertyAt(kPropStyleSheet, 3, 5), 1);
  // A sheet made now takes another id: undo puts Strong back beside it.
  const int16_t gamma = AddSheet("Gamma", false, kPropSize, 24);
  for (int pass = 0; pass < 2; ++pass) {
    document->Undo();
    EXPECT_EQ(document->StyleSheetIds(), (std::vector<int16_t>{1, strong, gamma}));
    EXPECT_EQ(NameOf(strong) + NameOf(gamma), "StrongGamma");
    EXPECT_EQ(PropertyAt(kPropStyleSheet, 9, 11), strong);
    document->Redo();
    EXPECT_EQ(document->StyleSheetIds(), (std::vector<int16_t>{1, gamma}));
  }
}

TEST_F(StyleSheetsTest, ReapplyingEverywhereIsOneGroup) {
  const int16_t strong = AddSheet("Strong", false, kPropBold, 1);
  Load(u"body text", 0, 4);
  ASSERT_EQ(document->ApplyStyleSheet(strong), 0);
  document->SetCurrentPart(kPartFooter);
  Load(u"foot", 0, 4);
  ASSERT_EQ(document->ApplyStyleSheet(strong), 0);
  document->SelectBody();
  const Bytes body = StreamBytes(*static_cast<xMorvaEngine*>(document->GetPart(kPartBody)));
  const Bytes foot = StreamBytes(*static_cast<xMorvaEngine*>(document->GetPart(kPartFooter)));

  // The sheet changes: italic too, and a Greek name no resource name holds.
  xMorvaStyleSheet sheet;
  ASSERT_TRUE(sheet.Load(*document, *document->GetStyleSheetStore(), strong));
  sheet.properties.SetProperty(kPropItalic, 1);
  sheet.states.SetState(kPropItalic, 1);
  VStr<255> greek;
  greek.SetUniCText(u"Έντονα πλάγια");
  ASSERT_TRUE(sheet.Save(*document, *document->GetStyleSheetStore(), strong, &greek));
  auto named = [&](const VString& name) {
    VStr<255> now;
    document->GetStyleSheetName(strong, now, false);
    return now.Compare(name, true) == 0;
  };
  ASSERT_EQ(document->ReapplyStyleSheetEverywhere(strong, false), 0);
  EXPECT_TRUE(document->IsBodyCurrent());
  EXPECT_EQ(PropertyAt(kPropItalic, 0, 4), 1);
  EXPECT_EQ(PropertyAt(kPropItalic, 5, 9), 0);
  document->SetCurrentPart(kPartFooter);
  EXPECT_EQ(PropertyAt(kPropItalic, 0, 4), 1);
  document->SelectBody();
  auto sheetItalic = [&] {
    return sheet.Load(*document, *document->GetStyleSheetStore(), strong) &&
           sheet.states.GetState(kPropItalic) == 1;
  };
  // The text and the sheet go back together, and come again together; the
  // body, where the user was, stays the edited part both ways.
  document->GetUndo()->Undo();
  EXPECT_EQ(StreamBytes(*static_cast<xMorvaEngine*>(document->GetPart(kPartBody))), body);
  EXPECT_EQ(StreamBytes(*static_cast<xMorvaEngine*>(document->GetPart(kPartFooter))), foot);
  EXPECT_FALSE(sheetItalic());
  EXPECT_EQ(NameOf(strong), "Strong");
  EXPECT_TRUE(document->IsBodyCurrent());
  document->GetUndo()->Redo();
  EXPECT_TRUE(sheetItalic());
  EXPECT_TRUE(named(greek));
  EXPECT_TRUE(document->IsBodyCurrent());
  EXPECT_EQ(PropertyAt(kPropItalic, 0, 4), 1);
  // Undone again, text given the sheet afterwards takes it as it was.
  document->GetUndo()->Undo();
  document->GetCurrentPart()->SetSelection(5, 9);
  ASSERT_EQ(document->ApplyStyleSheet(strong), 0);
  EXPECT_EQ(PropertyAt(kPropItalic, 5, 9), 0);
}

}  // namespace
