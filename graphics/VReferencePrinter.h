// VReferencePrinter: what a port needs of a printer to lay text out with the
// printer's widths: its information device context, and the record of which
// port last measured on it. The Windows printer implements it.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

class VPort;

class VReferencePrinter {
 public:
  // The printer's information device context, made on first use; null when
  // the printer has none.
  virtual HDC GetInfoDC() = 0;
  // Records the port (or null, for none) as the one measuring on this
  // printer; true when it differs from the port recorded before.
  virtual bool RegisterPort(VPort* port) = 0;

 protected:
  ~VReferencePrinter() = default;
};
