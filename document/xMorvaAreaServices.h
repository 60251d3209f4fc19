// xMorvaAreaServices: what the document model asks of the editing area, which
// sits above it: the package's string lists and alerts, addressed by their
// offset from the package's resource base id. The area installs its
// implementation at start; with none installed nothing is shown and every
// text is empty.
#pragma once

#include <cstdint>

class VString;

// Offsets of the package's string lists used by the document model.
constexpr int16_t kAlertListOffset = 6;      // alerts
constexpr int16_t kUnitNamesListOffset = 14;  // names of the display units

class xMorvaAreaServices {
 public:
  virtual ~xMorvaAreaServices() = default;

  // Shows item `item` of the 'STR#' list at resource base + `listOffset` in
  // the host's alert.
  virtual void ShowAlert(int16_t listOffset, int16_t item) = 0;
  // Item `item` of that list into `text`; empty when there is none.
  virtual void GetListString(VString& text, int16_t listOffset, int16_t item) = 0;
};

// The installed services, or null.
xMorvaAreaServices* GetDocumentAreaServices();
// Installs `services` (null to remove) and answers the ones it replaces.
xMorvaAreaServices* SetDocumentAreaServices(xMorvaAreaServices* services);

// The same through the installed services, doing nothing without them.
void ShowDocumentAlert(int16_t listOffset, int16_t item);
void GetDocumentListString(VString& text, int16_t listOffset, int16_t item);
