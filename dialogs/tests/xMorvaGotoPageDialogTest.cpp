// The go to page dialog: the page number it starts on (the caret's page
// plus the first page number) and the page an entry's value names, held to
// the document's pages whatever the form let through.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "area/tests/DocumentFileSupport.h"
#include "dialogs/xMorvaSmallDialogs.h"
#include "document/xMorvaDocument.h"
#include "host/tests/HostTestSupport.h"

namespace {

TEST(xMorvaGotoPageDialog, AValueNamesTheNearestPageOfTheDocument) {
  struct Row {
    double value;
    int32_t first;
    int32_t count;
    int32_t page;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double huge = std::numeric_limits<double>::infinity();
  const std::vector<Row> rows = {
      {6.7, 5, 3, 6},   {5, 5, 3, 5},      {7, 5, 3, 7},         {7.9, 5, 3, 7},  {8, 5, 3, 7},
      {4.99, 5, 3, 5},  {-3, 5, 3, 5},     {1e12, 5, 3, 7},      {-huge, 5, 3, 5}, {huge, 5, 3, 7},
      {nan, 5, 3, 5},   {2, 1, 1, 1},      {0, 0, 4, 0},         {3.5, 0, 4, 3},  {1, 1, 0, 1},
      // Page numbers past the largest 32-bit number are held there.
      {3e9, 2147483640, 100, 2147483647},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(xMorvaGotoPageDialog::PageNumberOf(r.value, r.first, r.count), r.page)
        << r.value << " from " << r.first << " over " << r.count;
  }
}

class GotoPageDocument : public documentfile::Fixture {};

TEST_F(GotoPageDocument, TheDialogStartsOnTheCaretsPageNumber) {
  hosttest::RecordingHost host;
  std::unique_ptr<xMorvaDocument> document = NewDocument();
  document->Params().SetFirstPageNumber(5);
  xMorvaGotoPageDialog dialog(nullptr, *document);
  EXPECT_EQ(dialog.GetPage(), 5);
  EXPECT_EQ(dialog.GetPageIndex(), 0);
  // A caret page past the document's pages starts on its last page.
  document->SetCaretPage(9);
  xMorvaGotoPageDialog past(nullptr, *document);
  EXPECT_EQ(past.GetPage(), 5 + document->GetBodyPageCount() - 1);
}

}  // namespace
