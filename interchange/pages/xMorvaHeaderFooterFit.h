// The room a foreign file's headers and footers get on the page: how tall
// their lines are, and the bands and margins made to hold them. The Word
// and RTF readers share both, so a footer is placed by one rule whichever
// file it came from.
#pragma once

#include <cstdint>

class xMorvaDocParams;
class xMorvaDocument;
struct xMorvaPageBands;

// The pixels a header or footer part's paragraphs need, a line each in the
// font and size the part begins with; 0 for a part without text.
int32_t HeaderFooterLinesHeight(xMorvaDocument& document, int16_t part);

// The bands of a page made to hold a header `header` pixels tall that
// starts `headerTop` pixels below the page's upper edge, and a footer
// `footer` pixels tall (0: that band stays). A header starts at its
// distance and the body below its lines, at the top margin or lower; a
// footer starts at the bottom margin and reaches down to its band's lower
// edge, or to the 12 points above the page's lower edge its lines print
// on when the band reaches lower, and the body ends higher when its lines
// need more room than that. Bands that hold their lines already stay as
// they are. However tall a header or footer is, the body keeps the height
// of its narrowest column.
void FitHeaderFooterBands(const xMorvaDocParams& params, xMorvaPageBands& bands, int32_t headerTop,
                          int32_t header, int32_t footer);
