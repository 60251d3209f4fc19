// The array dialog's preview on a document laid out with its printer's
// metrics: the picture is drawn with the printer's widths, as the pasted
// table will be, and the screen's widths otherwise.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "area/tests/DocumentFileSupport.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "dialogs/xMorvaDialogNewArray.h"
#include "document/xMorvaDocument.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "platform/gdi/WinGdiMetafile.h"

namespace {

class ArrayPreview : public documentfile::Fixture {
 protected:
  void SetUp() override {
    document = NewDocument();
    dialog = std::make_unique<xMorvaDialogNewArray>(nullptr, document.get());
    ASSERT_TRUE(dialog->MakePreview());
    xMorvaArrayTable& table = dialog->GetTable();
    table.AddTemplate(xMorvaArrayTemplate());
    table.MakeLineRecords();
    table.SetColumns(2);
    table.SetLines(4);
    for (int32_t c = 1; c <= 2; ++c) {
      table.ColumnAt(c).kind = xMorvaArrayTable::kNumbered;
      table.ColumnAt(c).start = 3888;
      table.ColumnAt(c).style = 4;
    }
  }
  void TearDown() override {
    dialog.reset();
    document.reset();
  }
  // The recorded picture's size and its bytes.
  struct Drawn {
    int32_t width = 0, height = 0;
    std::vector<BYTE> bytes;
  };
  Drawn Draw() {
    Drawn drawn;
    std::unique_ptr<VEmfPictureData> picture = dialog->DrawPreview();
    EXPECT_NE(picture, nullptr);
    if (picture == nullptr) return drawn;
    picture->GetSize(drawn.width, drawn.height);
    const UINT size = GetEnhMetaFileBits(picture->GetMetafile(), 0, nullptr);
    drawn.bytes.resize(size);
    GetEnhMetaFileBits(picture->GetMetafile(), size, drawn.bytes.data());
    return drawn;
  }

  DialogGraphics graphics;
  std::unique_ptr<xMorvaDocument> document;
  std::unique_ptr<xMorvaDialogNewArray> dialog;
};

TEST_F(ArrayPreview, DrawnWithThePrinterWidthsWhenTheDocumentUsesThem) {
  // Roman numerals of fifteen letters: the printer's finer widths place
  // the letters elsewhere than the screen's do.
  document->SetPrinterMetrics(0);
  const Drawn screen = Draw();
  EXPECT_EQ(screen.width, document->CurrentTextWidth() + 60);
  EXPECT_GT(screen.height, 20);
  document->SetPrinterMetrics(1);
  ASSERT_TRUE(document->IsPrinterMetricsApplied());
  const Drawn printer = Draw();
  EXPECT_EQ(printer.width, screen.width);
  EXPECT_FALSE(printer.bytes.empty());
  EXPECT_NE(printer.bytes, screen.bytes);
  // Switched off again, the preview is the screen's once more: the
  // printer was only borrowed for the drawing.
  document->SetPrinterMetrics(0);
  const Drawn again = Draw();
  EXPECT_EQ(again.bytes, screen.bytes);
}

}  // namespace
