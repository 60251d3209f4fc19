// Long reads and writes ask the document's area for a progress gauge with
// their own message from the progress texts, sized to their work, and
// advance it as the bytes go; short ones ask for none.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "document/xMorvaAreaServices.h"
#include "engine/tests/DocumentFixture.h"
#include "framework/core/streams/VStreamProgress.h"
#include "interchange/html/xMorvaImportHTML.h"
#include "interchange/tests/RtfTestSupport.h"

using namespace rtftest;

namespace {

// An area that hands out gauges which count what they are advanced by.
class GaugeArea : public FakeArea {
 public:
  class Gauge : public VStreamProgress {
   public:
    explicit Gauge(GaugeArea& area) : fArea(area) {}
    bool Progress(uint32_t bytes) override {
      fArea.advanced += bytes;
      return false;
    }

   private:
    GaugeArea& fArea;
  };
  VStreamProgress* NewProgressGauge(int16_t listOffset, int16_t messageIndex,
                                    uint32_t total) override {
    ++gauges;
    lastListOffset = listOffset;
    lastMessage = messageIndex;
    lastTotal = total;
    return new Gauge(*this);
  }
  int gauges = 0;
  int16_t lastListOffset = 0;
  int16_t lastMessage = 0;
  uint32_t lastTotal = 0;
  uint64_t advanced = 0;
};

class ProgressMessages : public Fixture {};

TEST_F(ProgressMessages, EachLongTransferShowsItsOwnMessage) {
  std::string words;
  // 75000 bytes: the readers report every 64 KiB read.
  for (int i = 0; i < 15000; ++i) words += i % 20 == 19 ? "word\n" : "word ";
  const std::string longRtf = "{\\rtf1\\ansi " + words + "\\par}";
  const std::string longHtml = "<html><body><p>" + words + "</p></body></html>";
  struct Row {
    const char* name;
    std::function<void(xMorvaDocument&)> run;
    int gauges;
    int16_t message;
    uint32_t total;  // 0: not checked
  };
  const Row rows[] = {
      {"short RTF read", [](xMorvaDocument& d) { Import(d, "{\\rtf1 short\\par}"); }, 0, 0, 0},
      {"long RTF read", [&](xMorvaDocument& d) { Import(d, longRtf); }, 1, kProgressReadingRTF,
       uint32_t(longRtf.size())},
      {"long HTML read",
       [&](xMorvaDocument& d) {
         xMorvaImportHTML reader;
         reader.ImportHTMLBytes(d, reinterpret_cast<const uint8_t*>(longHtml.data()),
                                uint32_t(longHtml.size()), "");
       },
       1, kProgressReadingHTML, uint32_t(longHtml.size())},
      {"long RTF write", [&](xMorvaDocument& d) { Export(d); }, 1, kProgressWritingRTF, 0},
  };
  GaugeArea area;
  xMorvaDocument document(&area);
  document.Reset(false);
  Import(document, longRtf);  // the text the write has to write
  for (const Row& row : rows) {
    area.gauges = 0;
    area.lastMessage = 0;
    area.advanced = 0;
    row.run(document);
    EXPECT_EQ(area.gauges, row.gauges) << row.name;
    if (row.gauges == 0) continue;
    EXPECT_EQ(area.lastListOffset, kProgressTextsListOffset) << row.name;
    EXPECT_EQ(area.lastMessage, row.message) << row.name;
    if (row.total != 0) {
      EXPECT_EQ(area.lastTotal, row.total) << row.name;
    }
    EXPECT_GT(area.advanced, 0u) << row.name;
  }
}

}  // namespace
