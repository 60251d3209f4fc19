// The text engine's answers to the document model.
#include "engine/xMorvaDocumentEngineServices.h"

int32_t xMorvaDocumentEngineServices::GetWidestBodyLine(xMorvaDocumentInterface&) { return 0; }

void xMorvaDocumentEngineServices::GetFontName(xMorvaDocumentInterface&, int16_t, VString&) {}
