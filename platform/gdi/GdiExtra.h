// Calls of the GDI stand-in that the graphics layer's tests need beyond
// those of WinGdi.h: printers of chosen resolutions, as a print driver
// would install them.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

// Makes a printer known to CreateDCA and CreateICA by name: a page of
// horzRes x vertRes pixels at logPixelsX x logPixelsY dots per inch, with
// the millimetre sizes that follow, reporting numColors (-1 for a device
// without a colour table, as a true-colour device reports). FALSE for a
// null name or a size or resolution that is not positive.
QV_PLATFORM_API BOOL GdiExtraAddPrinter(const char* name, int logPixelsX, int logPixelsY,
                                        int horzRes, int vertRes, int numColors);

// The objects of one kind (an OBJ_ value as GetObjectType answers it) alive
// in the process, stock objects left out: what a host's long run can count
// to see that nothing is left behind.
QV_PLATFORM_API int GdiExtraCountObjects(DWORD objectType);
