// OLE's start and stop, over COM's.
#include "platform/win32/WinOle.h"

HRESULT OleInitialize(void* reserved) { return CoInitialize(reserved); }

void OleUninitialize() { CoUninitialize(); }
