// OLE's start and stop on the calling thread: a COM start of its own, so its
// depth is the one GetHeadlessComDepth reports.
#pragma once

#include "platform/win32/WinShell.h"

// S_OK for the first start on the thread, S_FALSE for a nested one; each
// start is ended by one OleUninitialize.
QV_PLATFORM_API HRESULT OleInitialize(void* reserved);
QV_PLATFORM_API void OleUninitialize();
