// The own format's reader and writer as they stand before the document
// file: no data is the own format yet, and nothing is written.
#include "area/xMorvaDocumentFile.h"

int32_t ReadDocument(xMorvaDocument&, VStream&, bool) { return kErrorNotThisFormat; }

bool WriteDocument(xMorvaDocument&, VStream&, bool, bool) { return false; }
