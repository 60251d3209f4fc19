// The cursor stand-in: the arrow and four built-in cursors drawn here as
// 16 x 16 bit images, the record shown, the hide level and the obscured state.
#include "platform/toolbox/TbxCursor.h"

#include <cstring>
#include <mutex>

#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxResources.h"

namespace Tbx {
namespace {

constexpr ResType kCursorResourceType = 0x43555253;  // 'CURS'

using Picture = const char* [16];

// '#' is a set bit; the mask is the image grown by one pixel all round, so
// that the cursor keeps an outline on any background.
constexpr Picture kArrow = {
    "#...............", "##..............", "#.#.............", "#..#............",
    "#...#...........", "#....#..........", "#.....#.........", "#......#........",
    "#.......#.......", "#....#####......", "#..#.#..........", "#.#..#..........",
    "##...#..........", "#.....#.........", "......#.........", "................"};
constexpr Picture kIBeam = {
    "..##..##........", "....##..........", "....##..........", "....##..........",
    "....##..........", "....##..........", "....##..........", "....##..........",
    "....##..........", "....##..........", "....##..........", "....##..........",
    "....##..........", "....##..........", "..##..##........", "................"};
constexpr Picture kCross = {
    ".......#........", ".......#........", ".......#........", ".......#........",
    ".......#........", ".......#........", "................", "######...######.",
    "................", ".......#........", ".......#........", ".......#........",
    ".......#........", ".......#........", ".......#........", "................"};
constexpr Picture kPlus = {
    "................", "......###.......", "......###.......", "......###.......",
    "......###.......", "......###.......", ".#############..", ".#############..",
    ".#############..", "......###.......", "......###.......", "......###.......",
    "......###.......", "......###.......", "................", "................"};
constexpr Picture kWatch = {
    "....######......", "....######......", "...########.....", "..#...#....#....",
    ".#....#.....#...", ".#....#.....#...", ".#....#.....##..", ".#....####..##..",
    ".#..........#...", ".#..........#...", "..#........#....", "...########.....",
    "....######......", "....######......", "................", "................"};

// Hot spots, vertical then horizontal.
constexpr int16_t kArrowHot[2] = {1, 1};
constexpr int16_t kIBeamHot[2] = {7, 4};
constexpr int16_t kCrossHot[2] = {7, 7};
constexpr int16_t kPlusHot[2] = {7, 7};
constexpr int16_t kWatchHot[2] = {8, 6};

uint16_t RowBits(const char* row) {
  uint16_t bits = 0;
  for (int x = 0; x < 16; ++x) {
    if (row[x] == '#') bits = static_cast<uint16_t>(bits | (0x8000u >> x));
  }
  return bits;
}

void PutBig16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

Cursor MakeCursor(const Picture& picture, const int16_t hot[2]) {
  uint16_t image[16];
  for (int y = 0; y < 16; ++y) image[y] = RowBits(picture[y]);
  Cursor cursor{};
  for (int y = 0; y < 16; ++y) {
    uint16_t grown = 0;
    for (int dy = -1; dy <= 1; ++dy) {
      if (y + dy < 0 || y + dy > 15) continue;
      const uint16_t row = image[y + dy];
      grown = static_cast<uint16_t>(grown | row | (row << 1) | (row >> 1));
    }
    PutBig16(cursor.data + 2 * y, image[y]);
    PutBig16(cursor.mask + 2 * y, grown);
  }
  PutBig16(cursor.hotSpot, static_cast<uint16_t>(hot[0]));
  PutBig16(cursor.hotSpot + 2, static_cast<uint16_t>(hot[1]));
  return cursor;
}

struct CursorStore {
  std::mutex lock;
  HeadlessCursorState state;
  // The built-in cursors' handles, made on first use; index 0 unused.
  Handle builtIn[5] = {};
  Cursor builtInRecords[5];
  Cursor arrow;

  CursorStore() {
    arrow = MakeCursor(kArrow, kArrowHot);
    builtInRecords[0] = arrow;
    builtInRecords[iBeamCursor] = MakeCursor(kIBeam, kIBeamHot);
    builtInRecords[crossCursor] = MakeCursor(kCross, kCrossHot);
    builtInRecords[plusCursor] = MakeCursor(kPlus, kPlusHot);
    builtInRecords[watchCursor] = MakeCursor(kWatch, kWatchHot);
    state.record = arrow;
  }
};

CursorStore& Store() {
  static CursorStore store;
  return store;
}

}  // namespace

void InitCursor() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  store.state.shown = 0;
  store.state.record = store.arrow;
  store.state.level = 0;
  store.state.obscured = false;
  ++store.state.changes;
}

Handle GetCursor(int16_t id) {
  if (id < iBeamCursor || id > watchCursor) return GetResource(kCursorResourceType, id);
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  Handle& handle = store.builtIn[id];
  // A handle that someone disposed of is made again.
  if (handle != 0 && GetHandleSize(handle) != kCursorRecordSize) handle = 0;
  if (handle == 0) {
    handle = NewHandle(kCursorRecordSize);
    if (handle == 0) return 0;
    HandleLocker data(handle);
    if (data) std::memcpy(data.Data(), &store.builtInRecords[id], kCursorRecordSize);
  }
  return handle;
}

void SetCursor(const Cursor* cursor) {
  if (cursor == nullptr) return;
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  store.state.record = *cursor;
  store.state.shown = -1;
  for (int32_t id = iBeamCursor; id <= watchCursor; ++id) {
    if (std::memcmp(cursor, &store.builtInRecords[id], kCursorRecordSize) == 0) store.state.shown = id;
  }
  if (std::memcmp(cursor, &store.arrow, kCursorRecordSize) == 0) store.state.shown = 0;
  ++store.state.changes;
}

void HideCursor() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  if (store.state.level > INT32_MIN) --store.state.level;
}

void ShowCursor() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  if (store.state.level < 0) ++store.state.level;
}

void ToolboxCall697() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  store.state.obscured = true;
}

HeadlessCursorState GetHeadlessCursorState() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  return store.state;
}

bool IsHeadlessCursorVisible() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  return store.state.level == 0 && !store.state.obscured;
}

void HeadlessCursorMouseMoved() {
  CursorStore& store = Store();
  std::lock_guard<std::mutex> guard(store.lock);
  store.state.obscured = false;
}

}  // namespace Tbx
