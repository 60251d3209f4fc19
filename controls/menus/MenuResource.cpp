// The 'XMNU' reader: the whole item table is checked against the bytes
// before the first item is taken.
#include "controls/menus/MenuResource.h"

#include <algorithm>

#include "boundary/FourCC.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

void TakeText(ByteSpanReader& r, uint8_t (&text)[kMenuTextMax + 1]) {
  // Zero when the bytes run out before the field's end.
  uint8_t field[32] = {};
  r.Bytes(field, sizeof field);
  // A length byte beyond the field would read the next fields as characters.
  const uint8_t length = std::min(field[0], kMenuTextMax);
  text[0] = length;
  std::copy(field + 1, field + 1 + length, text + 1);
}

}  // namespace

int32_t ReadMenuRecord(const uint8_t* data, size_t size, VMenuRecord& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kMenuHeaderSize) return kMenuResourceCorrupt;
  VMenuRecord menu;
  TakeText(r, menu.title);
  menu.commandId = r.I32();
  const int16_t count = r.I16();
  if (count < 0 || r.Remaining() / kMenuItemSize < static_cast<size_t>(count)) {
    return kMenuResourceCorrupt;
  }
  menu.items.resize(static_cast<size_t>(count));
  for (VMenuItemRecord& item : menu.items) {
    TakeText(r, item.text);
    item.iconId = r.I16();
    r.Skip(2);
    item.commandId = r.I32();
    item.kind = r.U32();
    item.flags = r.U8();
    r.Skip(1);
    item.parameter = r.I16();
  }
  if (r.Failed()) return kMenuResourceCorrupt;
  out = std::move(menu);
  return kMenuLoaded;
}

int32_t ReadMenuBarRecord(const uint8_t* data, size_t size, std::vector<int16_t>& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kMenuBarHeaderSize) return kMenuResourceCorrupt;
  r.Skip(64);
  const int16_t count = r.I16();
  if (count < 0 || r.Remaining() / 2 < static_cast<size_t>(count)) return kMenuResourceCorrupt;
  std::vector<int16_t> ids(static_cast<size_t>(count));
  for (int16_t& id : ids) id = r.I16();
  if (r.Failed()) return kMenuResourceCorrupt;
  out = std::move(ids);
  return kMenuLoaded;
}

bool IsMenuItemKind(uint32_t kind) {
  switch (kind) {
    case FourCC("TEXT"):
    case FourCC("NAME"):
    case FourCC("LINE"):
    case FourCC("HIER"):
    case FourCC("HCOL"):
    case FourCC("FONT"):
    case FourCC("FNTT"):
    case FourCC("HPAT"):
      return true;
    default:
      return false;
  }
}
