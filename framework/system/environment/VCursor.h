// VCursor: the framework's one cursor object, which shows the cursor of a
// numeric id (the arrow, a built-in cursor of the Toolbox library or a 'CURS'
// resource of the module's resource file) and maps resize directions to the
// resize cursors.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VResourceFile;

// Cursor ids that views set.
constexpr int32_t kCursorUnchanged = -1;  // stored, nothing shown
constexpr int32_t kCursorStart = -2;      // shown as the built-in cursor 4
constexpr int32_t kCursorArrow = 0;
constexpr int32_t kCursorWatch = 4;
// The 'CURS' resources of the resize cursors: all ways, up and down, left
// and right, and the two diagonals (top left to bottom right, bottom left
// to top right).
constexpr int32_t kCursorResizeAll = 9001;
constexpr int32_t kCursorResizeHorizontal = 9003;
constexpr int32_t kCursorResizeVertical = 9004;
constexpr int32_t kCursorResizeFalling = 9005;
constexpr int32_t kCursorResizeRising = 9006;

class VCursor : public VObject {
 public:
  // Shows the built-in cursor 4 (id -2) until a view sets another. 'CURS'
  // resources are read from `resources` (not owned); null reads them from
  // the system environment's module resource file.
  explicit VCursor(VResourceFile* resources = nullptr);
  // Gives back the cursor resource still held.
  ~VCursor() override;
  VCursor(const VCursor&) = delete;
  VCursor& operator=(const VCursor&) = delete;

  // Stores the id and shows it, unless it is the current id (nothing) or -1
  // (stored only).
  void SetId(int32_t id);
  int32_t GetId() const { return fId; }
  // Shows the cursor of the current id: 0 the arrow; -2 becomes 4; 1 to 4
  // the library's built-in cursors; any other id the 'CURS' resource of
  // that id taken as 16 bits, or the arrow when there is none.
  void Apply();
  // Shows (true) or hides the cursor.
  void Show(uint8_t show);
  // The resize cursor of a drag direction 1 to 9: 1 -> 9001, 2 and 3 ->
  // 9004, 4 and 5 -> 9003, 6 and 9 -> 9005, 7 and 8 -> 9006; 0 for any other.
  static int32_t GetResizeCursor(int32_t direction);
  // Swaps the two diagonal resize cursors 9005 and 9006; other ids stay.
  void ToggleResizeCursor();
  // Hides the cursor until the mouse moves.
  void Obscure();

  // The handle of the cursor shown: a built-in cursor's or a resource's;
  // 0 for the arrow.
  uint32_t GetCursorHandle() const { return fHandle; }
  void SetResourceFile(VResourceFile* resources) { fResources = resources; }

 private:
  // Gives back the held handle: a resource goes back to its file; a
  // built-in cursor stays the library's.
  void ReleaseHandle();
  // The file 'CURS' resources come from; null when there is none.
  VResourceFile* Resources() const;

  int32_t fId = kCursorStart;
  int16_t fUnused = 0;
  uint32_t fHandle = 0;
  // Where the held handle came from: a resource file (this one), or the
  // library (null).
  VResourceFile* fHandleFile = nullptr;
  VResourceFile* fResources = nullptr;
};

// The cursor, made at start after the system environment.
extern VCursor* gCursor;
