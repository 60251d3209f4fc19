// The document object over real engines: its seven parts, the current part,
// the change protocol and its redraw, the reset, the page from the paper,
// its resource store, and the numbered commands.
#include "document/xMorvaDocument.h"

#include "engine/tests/DocumentFixture.h"
#include "graphics/printing/VPrintSettings.h"
#include "platform/win32/WinCommonDialogs.h"

namespace {

TEST_F(DocumentTest, SevenPartsShareOneUndoAndTheBodyIsCurrent) {
  for (int16_t part = 0; part < kPartCount; ++part) ASSERT_NE(document->GetPart(part), nullptr);
  EXPECT_EQ(document->GetPart(kPartCount), nullptr);
  EXPECT_EQ(document->GetPart(-1), nullptr);
  EXPECT_TRUE(document->IsBodyCurrent());
  Load(u"Hello\r", 0, 5);
  document->SetCurrentPart(kPartHeader);
  Load(u"Head", 0, 0);
  EXPECT_EQ(document->TotalTextSize(), 20);

  // An edit in the header is undone through the one history.
  document->GetCurrentPart()->SetSelection(0, 4);
  document->DoCommand(222);
  EXPECT_EQ(Text(), u"HEAD");
  document->DoCommand(1);
  EXPECT_EQ(Text(), u"Head");
  EXPECT_TRUE(document->IsHeaderCurrent());
  // The body stays the body whichever part is current.
  EXPECT_EQ(document->GetBodyText(), document->GetPart(kPartBody));
}

TEST_F(DocumentTest, CurrentPartAndHeaderPages) {
  struct Case {
    uint8_t firstDifferent, leftDifferent;
    int16_t part;
    int32_t pageIndex;
  };
  const Case cases[] = {
      {1, 0, kPartHeader, 2},      {0, 0, kPartHeader, 0},     {0, 1, kPartFooter, 0},
      {0, 0, kPartFirstHeader, 0}, {0, 0, kPartLeftFooter, 1}, {1, 1, kPartFirstFooter, 0},
  };
  for (const Case& c : cases) {
    document->Params().SetDifferentFirstPage(c.firstDifferent);
    document->Params().SetDifferentLeftRight(c.leftDifferent);
    document->SetCurrentPart(c.part);
    EXPECT_EQ(document->GetHeaderFooterPage(), c.pageIndex) << c.part;
    EXPECT_EQ(document->GetCurrentPartNumber(), c.part);
    // Through the undo history's interface too.
    document->SelectBody();
    document->SetCurrentPart(static_cast<xMorvaUndoEngine&>(*document->GetPart(c.part)));
    EXPECT_EQ(document->GetCurrentPartNumber(), c.part);
  }
  document->Params().SetDifferentFirstPage(0);
  document->Params().SetDifferentLeftRight(1);
  EXPECT_EQ(document->HeaderForPage(0), kPartHeader);
  EXPECT_EQ(document->HeaderForPage(1), kPartLeftHeader);
  EXPECT_EQ(document->FooterForPage(3), kPartLeftFooter);
  document->Params().SetDifferentFirstPage(1);
  EXPECT_EQ(document->HeaderForPage(0), kPartFirstHeader);
  document->SelectFooterForPage(5);
  EXPECT_EQ(document->GetCurrentPartNumber(), kPartLeftFooter);
  EXPECT_EQ(document->GetHeaderFooterPage(), 5);
}

TEST_F(DocumentTest, RefreshFollowsTheArea) {
  document->Refresh(true, true);
  EXPECT_EQ(area.contentSizes, 1);
  EXPECT_EQ(area.draws, 1);
  EXPECT_EQ(area.carets, 1);

  // Offscreen, during a host command: only bar state and commands.
  FakeArea offscreen;
  offscreen.hostWindow = false;
  xMorvaDocument hidden(&offscreen);
  EXPECT_TRUE(hidden.IsOffscreen());
  hidden.SetInHostCommand(true);
  hidden.Refresh(true, true);
  EXPECT_EQ(offscreen.draws, 0);
  EXPECT_EQ(offscreen.contentSizes, 0);
  EXPECT_EQ(offscreen.bars, 1);
  EXPECT_EQ(offscreen.commandUpdates, 1);

  // No area: nothing to refresh, and edits still work.
  xMorvaDocument alone(nullptr);
  alone.Refresh(true, true);
  EXPECT_TRUE(alone.DoCommand(404));
  EXPECT_EQ(alone.GetCurrentPart()->GetLength(), 1);
}

TEST_F(DocumentTest, ChangeProtocolKeepsTheSelectionAndClearsItsFlag) {
  Load(u"One\rTwo\r", 0, 4);  // ends at its paragraph's end
  document->BeginChange();
  EXPECT_TRUE(document->IsChangeInProgress());
  int32_t start, end;
  document->GetCurrentPart()->GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 4);
  document->EndChange();
  EXPECT_FALSE(document->IsChangeInProgress());
  document->GetCurrentPart()->GetSelection(start, end);
  EXPECT_EQ(end, 4);

  // The last paragraph end has nothing behind it to take in.
  document->GetCurrentPart()->SetSelection(4, 8);
  document->BeginChange();
  document->EndChange();
  document->GetCurrentPart()->GetSelection(start, end);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 8);
}

TEST_F(DocumentTest, ResetEmptiesEveryPart) {
  Load(u"Body", 0, 2);
  document->SetCurrentPart(kPartFirstFooter);
  Load(u"Foot", 0, 0);
  document->Params().SetViewMode(0);
  EXPECT_TRUE(document->DoCommand(101));
  EXPECT_TRUE(document->IsBodyCurrent());
  EXPECT_EQ(document->TotalTextSize(), 0);
  EXPECT_TRUE(document->NeedsTypingResync());
  EXPECT_EQ(document->GetParams().GetViewMode(), xMorvaDocParams().GetViewMode());
  EXPECT_FALSE(document->GetUndo()->CanUndo());

  // An area that refuses to close keeps its document.
  Load(u"Kept", 0, 0);
  area.canClose = false;
  document->DoCommand(101);
  EXPECT_EQ(Text(), u"Kept");
}

TEST_F(DocumentTest, PageFromThePrinterPaper) {
  ScopedGraphicsResolution resolution(72);
  VPrintRecord letter;
  letter.paperCode = 1;
  letter.paperWidth = 21590;
  letter.paperHeight = 27940;
  letter.minLeft = letter.minTop = letter.minRight = letter.minBottom = 635;
  document->GetPrinter()->SetRecord(letter);
  document->FitPageToPaper(true, true);
  // 216 mm and 279 mm at 72 dots per inch; 6 mm unprintable.
  EXPECT_EQ(document->GetParams().GetPageWidth(), 612);
  EXPECT_EQ(document->GetParams().GetPageHeight(), 790);
  int32_t l, t, r, b;
  document->GetMinimumMargins(l, t, r, b);
  EXPECT_EQ(l, 18);  // 17 pixels and one more
  EXPECT_EQ(b, 18);
  const VRect& printable = document->GetPrintableArea();
  EXPECT_EQ(printable.GetLeft(), 17);
  EXPECT_EQ(printable.GetWidth(), 612 - 34);
  EXPECT_GE(document->GetParams().GetLeftMargin(), 18);
  EXPECT_GE(document->GetParams().GetBands(false).footerBottom, 18);

  // No paper from the printer: the package's paper (in native order, as
  // the package's resource file hands it over), no unprintable margins.
  const int32_t values[6] = {10000, 20000, 1000, 1000, 1000, 1000};
  const auto* valueBytes = reinterpret_cast<const uint8_t*>(values);
  const Bytes paper(valueBytes, valueBytes + sizeof values);
  resources.resources[kPaperResourceType] = paper;
  SetHeadlessDefaultPrinter(nullptr);
  xMorvaDocument unprinted(nullptr);
  ResetHeadlessDialogs();
  VPrintRecord none;
  unprinted.GetPrinter()->SetRecord(none);
  unprinted.FitPageToPaper(true, true);
  EXPECT_EQ(unprinted.GetParams().GetPageWidth(), 283);
  EXPECT_EQ(unprinted.GetParams().GetPageHeight(), 566);
  unprinted.GetMinimumMargins(l, t, r, b);
  EXPECT_EQ(l + t + r + b, 0);
}

TEST_F(DocumentTest, ResourceStoreKeepsAndReplaces) {
  const uint32_t type = 0x77505254;  // 'wPRT'
  EXPECT_EQ(document->CopyResource(type, 0), 0u);
  const uint8_t first[] = {1, 2, 3};
  const uint8_t second[] = {9, 8, 7, 6, 5};
  ASSERT_TRUE(document->PutResource(type, 0, first, sizeof first));
  ASSERT_TRUE(document->PutResource(type, 0, second, sizeof second));
  const VMemHandle copy = document->CopyResource(type, 0);
  ASSERT_NE(copy, 0u);
  ASSERT_EQ(gMemoryMgr->GetHandleSize(copy), sizeof second);
  const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(copy));
  EXPECT_EQ(Bytes(bytes, bytes + sizeof second), Bytes(second, second + sizeof second));
  gMemoryMgr->UnlockHandle(copy);
  gMemoryMgr->DisposeHandle(copy);

  // The document's parameters go through the store as their record.
  document->Params().SetColumns(3);
  ASSERT_TRUE(document->GetParams().Write(*document));
  xMorvaDocParams read;
  ASSERT_TRUE(read.Read(*document));
  EXPECT_EQ(read.GetColumns(), 3);
}

}  // namespace

namespace {

// The engine answers the document model's font questions from the
// document's own table: names by index, appended once, shown by Describe.
TEST_F(DocumentTest, FontNamesComeFromTheDocumentsTable) {
  EXPECT_EQ(document->GetFontCount(), 1);
  VStr<64> name;
  name.SetAnsiCText("Qv Absent Face");
  const int16_t index = DocumentFontIndex(*document, name);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(DocumentFontIndex(*document, name), 2);
  EXPECT_EQ(document->GetFontCount(), 2);

  VStr<255> read;
  GetDocumentFontName(*document, index, read);
  char text[256] = {};
  read.GetCText(text, sizeof text, kCharSetAnsi);
  EXPECT_STREQ(text, "Qv Absent Face");
  GetDocumentFontName(*document, 3, read);
  EXPECT_EQ(read.GetLength(), 0);

  xMorvaProperties properties;
  properties.SetDefaults();
  properties.SetProperty(kPropFont, index);
  xMorvaPropertiesStates states;
  states.SetState(kPropFont, 1);
  VStrInHandle described;
  properties.Describe(*document, states, described);
  EXPECT_GT(described.Find(name, 1, false), 0);
}

}  // namespace
