// The number style of a document's page numbers as a whole, which RTF and
// Word keep for the section rather than for each page number: one answer
// for both writers.
#pragma once

#include <cstdint>

class xMorvaDocument;

// The number style (0 decimal, 1 and 2 lower and upper letters, 3 and 4
// lower and upper roman, 5 and 6 the named lists) of the document's first
// page-number element that shows the page number, looked for in the other
// pages' header and footer, then the first page's, then the left pages',
// then the body, each in its own order; when none shows the page number,
// the first that shows the page count. -1 when there is no page number.
int32_t PageNumberStyleOf(xMorvaDocument& document);
