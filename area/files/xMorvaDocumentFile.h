// The document in the own format on a stream: what the document manager and
// the commands read and write. The own file's reader and writer arrive with
// the document file; until then nothing is recognised (1032) and nothing
// is written (false).
#pragma once

#include <cstdint>

class VStream;
class xMorvaDocument;

constexpr int32_t kErrorNotThisFormat = 1032;
constexpr int32_t kErrorDamagedData = 1015;
constexpr int32_t kErrorRepairedData = 1097;

// 0, or the reader's code (1032 not this format, 1015 damaged, 1097 read
// after a repair); with `reset` the document is reset before it is filled.
int32_t ReadDocument(xMorvaDocument& document, VStream& stream, bool reset);
// With `preview` a picture of the first page (a blank page with `blank`)
// goes before the document; false when nothing could be written.
bool WriteDocument(xMorvaDocument& document, VStream& stream, bool preview, bool blank);
