// HostScreen: the stand-in host's windows and the user in front of them.
// The host's main window covers the main screen, its top 19 pixels the menu
// bar; form windows (Toolbox windows, children of the main window) hold
// areas. What the user does (mouse, keys, idle time) is played as an input
// timeline on the virtual clock and delivered as area events to the area
// under the cursor or the area with the focus, with the form's port
// current. After each script line, what waits in the forms' update regions
// goes to the areas it meets as update events.
//
// Coordinates: the script gives points in the main window's coordinates
// (the screen's, since it lies at (0, 0)); a form's position too; an area's
// rectangle is in its form's content. Event points (`where`) are in the
// form's content, as the area rectangles are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boundary/HostRecords.h"
#include "platform/gdi/WinGdiTypes.h"
#include "qvhost/QvHost.h"

struct HeadlessInputEntry;

class HostScreen {
 public:
  static constexpr int kMenuBarHeight = 19;
  // The size box: the square at the bottom-right corner of a form's content.
  static constexpr int kSizeBox = 16;
  static constexpr uint64_t kClockStart = 1000;  // milliseconds

  explicit HostScreen(QvHost& host);
  // Disposes the forms and the main window and lets the clock go.
  ~HostScreen();
  HostScreen(const HostScreen&) = delete;
  HostScreen& operator=(const HostScreen&) = delete;

  // Each answers an empty text on success, else what is wrong.
  // A form window whose content lies at (x, y) with the given size.
  std::string AddForm(const std::string& name, int32_t x, int32_t y, int32_t width, int32_t height);
  bool HasForm(const std::string& name) const;
  // Places the (new) area in the form at (x, y, width, height) of its
  // content, before its creation event.
  std::string PlaceArea(const std::string& area, const std::string& form, int32_t x, int32_t y,
                        int32_t width, int32_t height);

  // Moves and sizes a placed area in its form and tells it with a
  // move-or-resize event (25): what it uncovered shows the form's
  // background at once, and the old and the new place are drawn again.
  std::string MoveArea(const std::string& area, int32_t x, int32_t y, int32_t width, int32_t height);
  // Plays the left button on the input timeline: down at (x1, y1), moved
  // to (x2, y2) and let go there, for a loop of the module that tracks it.
  void PlayPress(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // Whether the Toolbox window is one of the forms.
  bool IsForm(const void* window) const;

  // The area has been closed (event 17): no more events go to it.
  void ForgetArea(const std::string& area);

  std::string Mouse(const std::string& what, int32_t x, int32_t y, uint16_t modifiers);
  std::string Click(int32_t x, int32_t y, int32_t count, uint16_t modifiers);
  std::string Drag(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t steps, uint16_t modifiers);
  // A named key (return, tab, left, ...) or one character.
  std::string Key(const std::string& key, bool character, uint16_t modifiers);
  // One key line for each character (\n Return, \t Tab); the key events
  // of a text longer than kLoggedKeys are told in one note.
  std::string Type(const std::string& text);
  std::string Idle(int32_t count);
  // Caps Lock ("caps") or Num Lock ("num") toggled on or off, as the user's
  // keyboard shows it from now on; no event goes to the areas.
  std::string Lock(const std::string& key, bool on);
  // The wheel turned by `count` steps (positive: away from the user) over
  // (x, y): event 39 for the area under it.
  std::string Wheel(int32_t x, int32_t y, int16_t count);
  // Invalidates a form's content (every form's for an empty name).
  std::string Update(const std::string& form);
  // A form: brought to the front and activated (or deactivated), its areas
  // told, and the areas of the form active before told of its
  // deactivation; an area: the focus goes to it (or leaves it).
  std::string Activate(const std::string& name, bool on);
  // A PNG of a form's content or of the screen.
  std::string Snapshot(const std::string& target, const std::string& path);

  // The update events of every form's update region, for the areas they
  // meet; the regions become valid.
  void DeliverUpdates();
  // An update event for the first form with a non-empty update region,
  // which becomes valid when `take`; false when there is none.
  bool NextUpdate(HostEventRecord& record, bool take);
  // What the user picks in the next drop-down pop-ups, in order: the
  // choice's text, typed into the open list and Return. Answers what is
  // wrong with the text (a character no key types), else an empty text.
  std::string QueueListChoice(const std::string& text);
  // A modal tracking of the module begins (host call -143): when a
  // pop-up window of the module is in front and a choice waits, the user
  // types it there.
  void TrackingBegins();
  // A WM_PAINT of one of the host's windows: the main window draws its
  // menu bar at once; a form keeps the region for its next update events.
  void Painted(void* window);

  // The virtual clock in milliseconds, and in ticks (1/60 s).
  uint64_t Clock() const;
  static uint32_t Ticks(uint64_t milliseconds) { return static_cast<uint32_t>(milliseconds * 60 / 1000); }
  // The area with the focus; empty for none.
  const std::string& Focus() const { return fFocus; }

 private:
  struct Form;
  Form* FindForm(const std::string& name);
  const Form* FindForm(const std::string& name) const;
  bool EnsureMainWindow();
  // The host's own procedure goes on the window, so that its WM_PAINT
  // reaches Painted whoever dispatches it.
  void HandPaintTo(void* window);
  void ForgetPaint(void* window);
  // Draws what the main window needs drawn (its menu bar).
  void PaintMain();
  // Draws the size box of a form window.
  void DrawSizeBox(const Form& form);
  // Paints the part of `old` that `now` leaves uncovered with the form's
  // background, and draws the size box again when that part meets it.
  void EraseUncovered(void* native, const RECT& old, const RECT& now);
  // Loads the line's timeline (times relative to the line's start).
  void Play(std::vector<HeadlessInputEntry> entries);
  // Moves the clock up to the line's start plus `offset`.
  void Reach(uint64_t offset);
  // Ends an event line: the next starts one tick later.
  void EndLine();
  // The area under a main-window point: its name, and the point in the
  // form's content.
  std::string AreaAt(int32_t x, int32_t y, int16_t* h, int16_t* v) const;
  void Send(const std::string& area, uint16_t code, uintptr_t message, uint16_t modifiers, uint32_t when,
            int16_t h, int16_t v);
  std::string KeyEvents(uint8_t keyCode, uint8_t character, int virtualKey, uint16_t modifiers);
  // The virtual key and modifiers that type `c`; false when none does.
  static bool KeyFor(char c, int* virtualKey, uint16_t* modifiers);

  QvHost& fHost;
  void* fMain = nullptr;  // the main window (HWND)
  std::vector<Form*> fForms;
  // A form area: its name and the host's record of it, which lives as
  // long as the host.
  struct FormArea {
    std::string name;
    QvHost::Area* area;
  };
  std::vector<FormArea> fAreas;  // form areas, in creation order
  // The form area of that name; fAreas.end() when there is none.
  std::vector<FormArea>::const_iterator FindFormArea(const std::string& name) const;
  std::vector<std::string> fListChoices;  // for the next drop-down pop-ups
  std::string fFocus;
  std::string fActiveForm;  // the form last activated
  std::string fPressed;  // the area a held button went down in
  uint32_t fButtons = 0;  // held buttons, as the timeline has them
  POINT fCursor{0, 0};
  bool fClockLoaded = false;
  // While a long text is typed, its key events go without a note each.
  static constexpr size_t kLoggedKeys = 160;
  bool fQuietKeys = false;
  uint64_t fLineStart = kClockStart;
};
