// The room a foreign file's headers and footers get on the page.
#include "interchange/pages/xMorvaHeaderFooterFit.h"

#include <algorithm>

#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "framework/core/strings/VUniString.h"

int32_t HeaderFooterLinesHeight(xMorvaDocument& document, int16_t part) {
  auto* text = static_cast<xMorvaEngine*>(document.GetPart(part));
  if (text == nullptr || text->GetLength() == 0) return 0;
  // The part's paragraphs: one more than its paragraph ends, an empty
  // last one too.
  VStrInHandle plain;
  text->WritePlainText(plain, false, false);
  int32_t paragraphs = 1;
  for (int32_t i = 1; i <= plain.GetLength(); ++i)
    if (plain.GetCharAt(i) == u'\r') ++paragraphs;
  // Each a line in the font and size the part begins with.
  text->SetSelection(0, 0);
  xMorvaFont font(document.GetMeasuringPort(), &document);
  font.ApplyProperty(kPropFont, text->GetPropertyValue(kPropFont), false);
  font.ApplyProperty(kPropSize, text->GetPropertyValue(kPropSize), false);
  const int32_t line = std::max(font.GetAscent() + font.GetDescent(), 1);
  return int32_t(std::min<int64_t>(int64_t(paragraphs) * line, INT32_MAX));
}

int32_t FooterLinesHeight(xMorvaDocument& document, bool firstPage) {
  auto height = [&](int16_t part) {
    auto* text = static_cast<xMorvaEngine*>(document.GetPart(part));
    if (text == nullptr || text->GetLength() == 0) return 0;
    // As the page composes them; counted a line a paragraph where the
    // document has no lines.
    xMorvaLayoutInterface* layout = document.GetLayout();
    return layout != nullptr ? layout->GetPartLinesHeight(part) : HeaderFooterLinesHeight(document, part);
  };
  if (firstPage) return height(kPartFirstFooter);
  const int32_t other = height(kPartFooter);
  return document.GetParams().GetDifferentLeftRight() != 0 ? std::max(other, height(kPartLeftFooter)) : other;
}

void FitHeaderFooterBands(const xMorvaDocParams& params, xMorvaPageBands& bands, int32_t headerTop,
                          int32_t header, int32_t footerDistance, int32_t footer) {
  const int64_t page = params.GetPageHeight();
  auto limit = [&](int32_t margin) {
    const int64_t room = page - bands.topMargin - bands.bottomMargin - xMorvaDocParams::kMinColumnWidth;
    return int32_t(std::min<int64_t>(margin + std::max<int64_t>(room, 0), INT32_MAX));
  };
  if (header > 0) {
    const int32_t lowest = limit(bands.topMargin) - 1;
    bands.headerTop = std::clamp(headerTop, 0, std::max(lowest, 0));
    const int64_t end = std::min<int64_t>(int64_t(bands.headerTop) + header, lowest);
    bands.headerBottom = int32_t(std::max<int64_t>({end, int64_t(bands.topMargin) - 1, bands.headerTop}));
    bands.topMargin = std::max(bands.topMargin, bands.headerBottom + 1);
  }
  if (footer > 0) {
    const int32_t highest = std::max(limit(bands.bottomMargin) - 1, 0);
    // Its last line ends at its distance, raised to where a footer
    // prints when it is lower; its lines reach up from there.
    bands.footerBottom = std::clamp(std::max(footerDistance, xMorvaDocParams::FooterFloor()), 0, highest);
    bands.footerTop =
        int32_t(std::clamp<int64_t>(int64_t(bands.footerBottom) + footer, bands.footerBottom, highest));
    bands.bottomMargin = std::max(bands.bottomMargin, bands.footerTop + 1);
  } else {
    // No lines: the band reaches from the distance, raised to where a
    // footer prints as one of lines is, down to the page's lower edge;
    // lines typed into it start there. The bottom margin stays.
    bands.footerTop = std::clamp(std::max(footerDistance, xMorvaDocParams::FooterFloor()), 0,
                                 std::max(bands.bottomMargin, 0));
    bands.footerBottom = 0;
  }
}

int32_t FooterDistanceOf(xMorvaDocument& document) {
  const xMorvaDocParams& params = document.GetParams();
  struct Footer {
    int32_t distance = 0;
    bool shown = false;
  };
  // Page 1, the second, has the other pages' bands; page 0 the first
  // page's. Lines that end below the page's lower edge (a footer taller
  // than its page) are not shown whole.
  auto footerOf = [&](bool firstPage) {
    const int32_t height = FooterLinesHeight(document, firstPage);
    if (height == 0) return Footer{std::max(params.GetBands(firstPage).footerTop, 0), false};
    const int64_t end = int64_t(params.FooterPlaceOf(firstPage ? 0 : 1, height).top) - height;
    return Footer{int32_t(std::max<int64_t>(end, 0)), end >= 0};
  };
  const Footer other = footerOf(false);
  if (params.GetDifferentFirstPage() != 0 && !other.shown) {
    const Footer first = footerOf(true);
    if (first.shown) return first.distance;
  }
  return other.distance;
}
