// The editing area and the other plug-in kinds: their documents, their
// references, the can-delete question, the delayed refresh, the commands of
// the tool bar's items, and the document manager's answers.
#include "area/xMorvaPlugIn.h"

#include <gtest/gtest.h>

#include "area/tests/AreaTestSupport.h"
#include "area/xMorvaDocMgr.h"
#include "document/xMorvaFind.h"
#include "document/xMorvaText.h"
#include "graphics/VDIBPort.h"
#include "graphics/VIconShape.h"

namespace {

using areatest::AreaTest;

TEST(RefreshTimer, RunsAtTheFirstServeTwoTicksAfterTheLastRequestAcrossTheWrap) {
  // Around 0, in the middle, across the wrap, and a deadline landing on 0.
  for (uint32_t start : {0u, 1000u, 0xFFFFFFFEu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    xMorvaRefreshTimer timer;
    timer.Request();
    EXPECT_FALSE(timer.Serve(start)) << start;
    EXPECT_FALSE(timer.Serve(start + 1)) << start;
    const bool ranAt2 = timer.Serve(start + 2);
    // A deadline that would be 0 waits a tick more.
    EXPECT_TRUE(ranAt2 || timer.Serve(start + 3)) << start;
    EXPECT_FALSE(timer.Serve(start + 4)) << start;
  }
  // A request before the deadline pushes it back.
  xMorvaRefreshTimer timer;
  timer.Request();
  EXPECT_FALSE(timer.Serve(100));
  timer.Request();
  EXPECT_FALSE(timer.Serve(101));
  EXPECT_FALSE(timer.Serve(102));
  EXPECT_TRUE(timer.Serve(103));
}

TEST_F(AreaTest, AFormAreaHasItsDocumentFindParametersAndReference) {
  xMorvaPlugIn* area = NewFormArea();
  ASSERT_NE(area->GetDocument(), nullptr);
  EXPECT_EQ(area->GetDocument()->GetArea(), static_cast<xMorvaDocumentArea*>(area));
  EXPECT_NE(area->GetFindReplace(), nullptr);
  EXPECT_NE(area->GetPaneView(), nullptr);
  EXPECT_TRUE(area->HasHostWindow());
  EXPECT_FALSE(area->GetDocument()->IsOffscreen());
  int32_t kind = 0;
  EXPECT_EQ(package->FindReference(area->GetReference(), kind), static_cast<xMorvaHostObject*>(area));
  EXPECT_EQ(kind, kPlugInForm);
  // The document copied the package's defaults.
  uint16_t value = 0;
  area->GetDocument()->GetAreaSetting(0, value, nullptr);
  EXPECT_EQ(value, 1);
  area->GetDocument()->GetAreaSetting(8, value, nullptr);
  EXPECT_EQ(value, 170);
  for (int32_t id : {1, 500, 1035}) EXPECT_TRUE(area->IsCommandAllowed(id));
  for (int32_t id : {0, -1, 1036}) EXPECT_FALSE(area->IsCommandAllowed(id));
}

TEST_F(AreaTest, AnOffscreenAreaNeverAsksBeforeItGoes) {
  xMorvaPlugIn* area = NewOffscreenArea();
  int32_t kind = 0;
  package->FindReference(area->GetReference(), kind);
  EXPECT_EQ(kind, kPlugInOffscreen);
  xMorvaDocument* document = area->GetDocument();
  EXPECT_TRUE(document->IsOffscreen());
  document->SetAreaSetting(0, 1, nullptr);
  document->SetModified();
  EXPECT_TRUE(area->CanDeleteArea(true));
  EXPECT_EQ(host.Count(kHostSelConfirm), 0);
}

TEST_F(AreaTest, AModifiedFormAreaAsksAndTheAnswerDecides) {
  xMorvaPlugIn* area = NewFormArea();
  xMorvaDocument* document = area->GetDocument();
  // Not modified: no question.
  EXPECT_TRUE(area->CanDeleteArea(true));
  EXPECT_EQ(host.Count(kHostSelConfirm), 0);
  document->SetModified();
  // Option 0 off: no question either.
  document->SetAreaSetting(0, 0, nullptr);
  EXPECT_TRUE(area->CanDeleteArea(true));
  EXPECT_EQ(host.Count(kHostSelConfirm), 0);
  document->SetAreaSetting(0, 1, nullptr);
  confirm = false;  // do not save
  EXPECT_TRUE(area->CanDeleteArea(true));
  EXPECT_EQ(host.Count(kHostSelConfirm), 1);
  EXPECT_TRUE(document->IsModified());
}

TEST_F(AreaTest, OutputAndPrintingObjectsOwnTheirDocumentsThePlaceholderNone) {
  auto* output = NewKind<xMorvaOutputPlugIn>(&xMorvaMain::NewOutputPlugIn);
  auto* printing = NewKind<xMorvaPrintingPlugIn>(&xMorvaMain::NewPrintingPlugIn);
  auto* design = NewKind<xMorvaDesignPlugIn>(&xMorvaMain::NewDesignPlugIn);
  ASSERT_NE(output->GetDocument(), nullptr);
  ASSERT_NE(printing->GetDocument(), nullptr);
  EXPECT_NE(output->GetDocument(), printing->GetDocument());
  EXPECT_EQ(output->GetDocument()->GetArea(), nullptr);
  EXPECT_EQ(design->GetDocument(), nullptr);
  auto* outputManager = static_cast<xMorvaDocMgr*>(output->GetDocMgr());
  auto* printingManager = static_cast<xMorvaDocMgr*>(printing->GetDocMgr());
  EXPECT_FALSE(outputManager->IsPrinting());
  EXPECT_TRUE(printingManager->IsPrinting());
  EXPECT_EQ(printingManager->GetDocument(), printing->GetDocument());
  int32_t kind = 0;
  package->FindReference(design->GetReference(), kind);
  EXPECT_EQ(kind, kPlugInDesign);
  // The placeholder draws the area's icon, the one the host is told of.
  EXPECT_EQ(design->GetIconId(), package->GetAreaResourceId(1));
  EXPECT_EQ(VIconShape(package->GetResourceFile(), design->GetIconId()).GetWidth(), 16);
}

// The display-only object shows its document: an empty one leaves the area
// white (no pattern of the base kind), a typed word shows as ink on the
// first line only.
TEST_F(AreaTest, TheOutputObjectShowsItsDocumentsLines) {
  auto* output = NewKind<xMorvaOutputPlugIn>(&xMorvaMain::NewOutputPlugIn);
  output->ResizeTo(160, 80, 0);
  auto inkRows = [&](int32_t& firstRow, int32_t& lastRow) {
    VDIBPort canvas(160, 80, 32);
    canvas.SetFillColor(RGB(0, 0, 0));
    canvas.SetFillPatternIndex(6);
    canvas.PaintRect(0, 0, 160, 80);
    output->DrawContent(canvas);
    const auto* bits = static_cast<const uint32_t*>(canvas.GetBits());
    firstRow = -1;
    lastRow = -1;
    for (int32_t y = 0; y < 80; ++y) {
      for (int32_t x = 0; x < 160; ++x) {
        if ((bits[y * 160 + x] & 0xFFFFFF) != 0xFFFFFF) {
          if (firstRow < 0) firstRow = y;
          lastRow = y;
        }
      }
    }
  };
  int32_t first = 0;
  int32_t last = 0;
  inkRows(first, last);
  EXPECT_EQ(first, -1) << "an empty document shows nothing";
  xMorvaTextInterface* body = output->GetDocument()->GetBodyText();
  ASSERT_NE(body, nullptr);
  for (char16_t unit : std::u16string(u"Word")) body->TypeCharacterWithUndo(unit);
  inkRows(first, last);
  ASSERT_GE(first, 0);
  EXPECT_LT(last, 30) << "one line of text, from the area's top";
}

TEST_F(AreaTest, ReferencesAreNeverHandedOutTwiceAndDieWithTheirObjects) {
  xMorvaPlugIn* first = NewFormArea();
  xMorvaPlugIn* second = NewOffscreenArea();
  const uint32_t firstReference = first->GetReference();
  EXPECT_NE(firstReference, 0u);
  EXPECT_NE(firstReference, second->GetReference());
  Delete(first);
  int32_t kind = 7;
  EXPECT_EQ(package->FindReference(firstReference, kind), nullptr);
  EXPECT_EQ(kind, kPlugInNone);
  xMorvaPlugIn* third = NewFormArea();
  EXPECT_NE(third->GetReference(), firstReference);
  for (uint32_t never : {0u, 0xFFFFFFFFu, third->GetReference() + 100}) {
    EXPECT_EQ(package->FindReference(never, kind), nullptr) << never;
  }
}

TEST_F(AreaTest, AreasLeftOpenGoWithThePackage) {
  // The package's base deletes the areas the host never closed, after the
  // word processor's part of the package has gone.
  // The word processor's part has gone first; the areas then leave their
  // lists without reaching it (the address sanitizer watches).
  Forget(NewFormArea());
  Forget(NewOffscreenArea());
  // The other kinds go with the word processor's part, documents and all.
  Forget(NewKind<xMorvaOutputPlugIn>(&xMorvaMain::NewOutputPlugIn));
  Forget(NewKind<xMorvaPrintingPlugIn>(&xMorvaMain::NewPrintingPlugIn));
  EXPECT_EQ(package->CountReferences(), 4u);
  EXPECT_EQ(package->CountPlugIns(kPlugInForm) + package->CountPlugIns(kPlugInOffscreen), 2);
  package.reset();
  gCurrentPackage = nullptr;
}

TEST_F(AreaTest, ToolbarItemsPickTheViewCommands) {
  xMorvaPlugIn* area = NewFormArea();
  package->GetCommandMethod().Set(VStr<8>());
  // The callback sees the command the item picks, and consumes it.
  VStr<8> name;
  name.SetCText("cb", kCharSetMac);
  package->GetCallbackMethod().Set(name);
  struct Row {
    intptr_t item;
    int32_t command;
  };
  for (const Row& row : {Row{12002, 335}, Row{12003, 336}, Row{12004, 337}, Row{12005, 338}}) {
    package->calls.clear();
    EXPECT_TRUE(area->DoCommand(nullptr, -994, row.item));
    ASSERT_EQ(package->calls.size(), 1u) << row.item;
    EXPECT_EQ(package->calls[0].numbers[1], row.command) << row.item;
  }
  // Any other item runs command 0, which no method hears of.
  package->calls.clear();
  package->GetCallbackMethod().Set(VStr<8>());
  EXPECT_FALSE(area->DoCommand(nullptr, -994, 12006));
  EXPECT_TRUE(package->calls.empty());
}

TEST_F(AreaTest, TheDocumentManagersAnswersAndItsConversionQuestion) {
  xMorvaDocMgr manager(nullptr, false);
  EXPECT_EQ(manager.GetSignature(), FourCC("XMOR"));
  EXPECT_EQ(manager.GetVersion(), 0x067000F1u);
  EXPECT_FALSE(manager.UsesFormData());
  EXPECT_TRUE(manager.CanUseBlobField() && manager.CanUsePictureField());
  // Option 5 off: no question.
  package->SetOption(5, 0, nullptr);
  EXPECT_TRUE(xMorvaDocMgr::MayStoreConverted(*package));
  EXPECT_EQ(host.Count(kHostSelConfirm), 0);
  // On: the user is asked, and the answer holds.
  package->SetOption(5, 1, nullptr);
  confirm = false;
  EXPECT_FALSE(xMorvaDocMgr::MayStoreConverted(*package));
  confirm = true;
  EXPECT_TRUE(xMorvaDocMgr::MayStoreConverted(*package));
  EXPECT_EQ(host.Count(kHostSelConfirm), 2);
}

TEST_F(AreaTest, LoadingWithoutAFieldOrTemplateLeavesAnEmptyUnmodifiedDocument) {
  xMorvaPlugIn* area = NewFormArea();
  area->GetDocument()->SetModified();
  auto* manager = static_cast<xMorvaDocMgr*>(area->GetDocMgr());
  manager->LoadFromField(area);
  // No template is found: 1015, without an alert, and the reset document.
  EXPECT_EQ(manager->GetLastLoadCode(), 1015);
  EXPECT_FALSE(area->GetDocument()->IsModified());
  EXPECT_EQ(area->GetDocument()->GetPart(kPartBody)->GetLength(), 0);
}

}  // namespace
