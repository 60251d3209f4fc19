// xMorvaTabs: a sorted list of at most 256 tab stops and its 'wTAB' record.
#include "document/xMorvaTabs.h"

#include <cmath>
#include <cstring>

#include "document/DocumentUnits.h"
#include "document/StoredRecord_p.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocumentInterface.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"

namespace {

constexpr uint32_t kTagWTAB = FourCC("wTAB");
constexpr uint32_t kVersion0100 = FourCC("0100");  // u16 position in pixels
constexpr uint32_t kVersion0101 = FourCC("0101");  // i16 position in points
constexpr uint32_t kVersion0102 = FourCC("0102");  // i32 position in twips

int16_t ToPosition(int32_t value) {
  return int16_t(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
}

}  // namespace

xMorvaTabs::xMorvaTabs() = default;

xMorvaTabs::xMorvaTabs(const xMorvaTabs& other) : VObject() { Assign(other); }

xMorvaTabs::~xMorvaTabs() = default;

void xMorvaTabs::Clear() {
  fCount = 0;
  for (uint32_t& stop : fStops) stop &= 0x00FFFFFFu;
}

void xMorvaTabs::Assign(const xMorvaTabs& other) {
  fCount = other.fCount;
  std::memmove(fStops, other.fStops, sizeof fStops);
}

void xMorvaTabs::CopyFrom(const xMorvaTabs* other) {
  if (other == nullptr || other == this) return;
  fCount = other->fCount;
  std::memmove(fStops, other->fStops, sizeof(uint32_t) * uint32_t(fCount));
}

void xMorvaTabs::AddStop(uint32_t stop) {
  const int16_t position = TabStopPosition(stop);
  for (int32_t i = 0; i < fCount; ++i) {
    const int16_t here = TabStopPosition(fStops[i]);
    if (here == position) {
      if (TabStopKind(stop) != kTabNone) {
        fStops[i] = stop;
      } else {
        RemoveStopAt(i);
      }
      return;
    }
    if (here > position) {
      // A full list keeps its stops; the new one is dropped.
      if (fCount >= kCapacity) return;
      std::memmove(&fStops[i + 1], &fStops[i], sizeof(uint32_t) * uint32_t(fCount - i));
      fStops[i] = stop;
      ++fCount;
      return;
    }
  }
  if (fCount < kCapacity) fStops[fCount++] = stop;
}

bool xMorvaTabs::FindStop(int16_t position, uint32_t& stop) const {
  for (int32_t i = 0; i < fCount; ++i) {
    if (TabStopPosition(fStops[i]) == position) {
      stop = fStops[i];
      return true;
    }
  }
  return false;
}

void xMorvaTabs::RemoveStopAt(int32_t index) {
  if (index < 0 || index >= fCount) return;
  std::memmove(&fStops[index], &fStops[index + 1], sizeof(uint32_t) * uint32_t(fCount - index - 1));
  --fCount;
}

void xMorvaTabs::RemoveStopAtPosition(int16_t position) {
  for (int32_t i = 0; i < fCount; ++i) {
    if (TabStopPosition(fStops[i]) == position) {
      RemoveStopAt(i);
      return;
    }
  }
}

bool xMorvaTabs::Contains(uint32_t stop) const {
  for (int32_t i = 0; i < fCount; ++i) {
    if (fStops[i] == stop) return true;
  }
  return false;
}

namespace {

// The words of the description in the document's texts list.
constexpr int16_t kTitleSeparatorItem = 5;  // after the title
constexpr int16_t kStopSeparatorItem = 6;   // between two stops
constexpr int16_t kKindSeparatorItem = 15;  // between the position and the kind
constexpr int16_t kLeaderItem = 16;         // before the leader character
constexpr int16_t kTitleItem = 20;

void AppendItem(VString& text, int16_t listOffset, int16_t item) {
  VStr<255> word;
  GetDocumentListString(word, listOffset, item);
  text.CopyText(word);
}

}  // namespace

void xMorvaTabs::Describe(xMorvaDocumentInterface& document, VString& text) const {
  if (fCount <= 0) return;
  AppendItem(text, kDocumentTextsListOffset, kTitleItem);
  AppendItem(text, kDocumentTextsListOffset, kTitleSeparatorItem);
  const xMorvaDocParams& params = document.GetParams();
  for (int32_t i = 0; i < fCount; ++i) {
    const uint32_t stop = fStops[i];
    if (i > 0) AppendItem(text, kDocumentTextsListOffset, kStopSeparatorItem);
    params.AppendDisplayLength(text, TabStopPosition(stop));
    AppendItem(text, kDocumentTextsListOffset, kKindSeparatorItem);
    AppendItem(text, kTabKindNamesListOffset, TabStopKind(stop));
    if (TabStopLeader(stop) != 0) {
      AppendItem(text, kDocumentTextsListOffset, kLeaderItem);
      text.AppendUniChar(char16_t(TabStopLeader(stop)));
    }
  }
}

bool xMorvaTabs::IsDifferent(const xMorvaTabs& other) const {
  if (fCount != other.fCount) return true;
  return std::memcmp(fStops, other.fStops, sizeof(uint32_t) * uint32_t(fCount)) != 0;
}

void xMorvaTabs::NextStop(int16_t x, xMorvaDocumentInterface& document, int16_t part,
                          int16_t hangingStop, uint32_t& stop, bool& isDefault) const {
  stop = MakeTabStop(kNoStopPosition, 0, kTabLeft);
  isDefault = true;
  const int32_t rightLimit = document.GetTextWidth(part);
  for (int32_t i = 0; i < fCount; ++i) {
    int16_t position = TabStopPosition(fStops[i]);
    // The text width is the page's width less both margins, each rounded
    // to pixels on its own (the page's from the paper it fits); a stop
    // that a file put at the text width is rounded once. A stop within
    // that rounding of the width stands at the width.
    if (position > rightLimit && position <= rightLimit + kTextWidthRounding) position = int16_t(rightLimit);
    if (position > x && position < TabStopPosition(stop) && position <= rightLimit) {
      stop = position == TabStopPosition(fStops[i])
                 ? fStops[i]
                 : MakeTabStop(position, TabStopLeader(fStops[i]), TabStopKind(fStops[i]));
      isDefault = false;
    }
  }
  if (hangingStop > x && hangingStop < TabStopPosition(stop)) {
    stop = MakeTabStop(hangingStop, 0, kTabLeft);
    isDefault = true;
    return;
  }
  if (!isDefault) return;

  // The next multiple of the default interval strictly right of x, counted
  // in the display unit so that the stops fall on round numbers there.
  const xMorvaDocParams& params = document.GetParams();
  const double interval = params.DefaultTabIntervalInUnit();
  const double u = params.ToDisplayUnit(x);
  int32_t position = 0;
  if (interval > 0.0) {
    const double steps = std::trunc((u + interval) / interval + 0.00001);
    position = params.FromDisplayUnit(steps * interval);
  } else {
    // An interval that is no round number of the unit (0.5 inch shows as
    // 1.3 cm), or shows as 0 there (below its step, where it would divide
    // by zero), is counted in pixels: the unit would move every stop.
    const int32_t pixels = params.GetDefaultTabInterval() > 0 ? params.GetDefaultTabInterval() : 1;
    position = int32_t((int64_t(x) + pixels) / pixels * pixels);
  }
  stop = MakeTabStop(ToPosition(position), 0, kTabLeft);
}

// 'wTAB' "0102", in the stream's data order:
//   0  tag 'wTAB'       4
//   4  version "0102"   4 characters
//   8  count            i32, 0 to 256
//  12  per stop         i32 position in twips, u8 leader, u8 kind
// The older versions hold the position as u16 pixels ("0100") or i16
// points ("0101").
bool xMorvaTabs::Write(VStream& stream) const {
  WriteRecordHead(stream, kTagWTAB, kVersion);
  stream.PutLong(fCount);
  for (int32_t i = 0; i < fCount; ++i) {
    stream.PutLong(PixelsToTwips(TabStopPosition(fStops[i])));
    stream.PutByte(TabStopLeader(fStops[i]));
    stream.PutByte(TabStopKind(fStops[i]));
  }
  return stream.GetStatus() == 0;
}

bool xMorvaTabs::Read(VStream& stream) {
  uint32_t version = 0;
  if (!ReadRecordTag(stream, kTagWTAB) ||
      !ReadRecordVersion(stream, {kVersion0100, kVersion0101, kVersion0102}, version)) {
    return false;
  }
  if (!stream.HasRemaining(4)) return false;
  const int32_t count = stream.GetLong();
  // A count no writer makes: the record is damaged, and its stops cannot be
  // passed over.
  if (stream.GetStatus() != 0 || count < 0 || count > kCapacity) return false;
  const uint32_t stopSize = version == kVersion0102 ? 6 : 4;
  if (!stream.HasRemaining(uint64_t(count) * stopSize)) return false;

  xMorvaTabs read;
  for (int32_t i = 0; i < count; ++i) {
    int32_t position = 0;
    if (version == kVersion0100) {
      position = uint16_t(stream.GetWord());
    } else if (version == kVersion0101) {
      position = PointsToPixels(stream.GetWord());
    } else {
      position = TwipsToPixels(stream.GetLong());
    }
    const uint8_t leader = stream.GetByte();
    const uint8_t kind = stream.GetByte();
    // Kept to 16 bits like every position; inserted in order, so a record
    // whose stops are out of order still gives a sorted list.
    read.AddStop(MakeTabStop(int16_t(uint16_t(position)), leader, kind));
  }
  if (stream.GetStatus() != 0) return false;
  Assign(read);
  return true;
}
