// Readers of the control templates: fixed parts checked whole before any
// field is taken, titles clamped to their field.
#include "controls/controls/ControlTemplates.h"

#include <algorithm>
#include <utility>

#include "platform/bytes/ByteSpanReader.h"

namespace {

// Reads the header from a reader that has at least its 52 bytes left.
void TakeHeader(ByteSpanReader& r, VControlHeader& h) {
  h.commandId = r.I32();
  h.left = r.I32();
  h.top = r.I32();
  h.width = r.I32();
  h.height = r.I32();
  uint8_t field[32];
  r.Bytes(field, sizeof field);
  // A length byte beyond the field would read the kind's own fields (or
  // past the resource) as title characters.
  const uint8_t length = std::min(field[0], kControlTitleMax);
  h.title[0] = length;
  std::copy(field + 1, field + 1 + length, h.title + 1);
}

// Reads the five numeric header fields (no title) of the kinds that keep
// their own fields from offset 20 on.
void TakeHeaderNumbers(ByteSpanReader& r, VControlHeader& h) {
  h.commandId = r.I32();
  h.left = r.I32();
  h.top = r.I32();
  h.width = r.I32();
  h.height = r.I32();
}

// A length-prefixed text of `field` bytes (length byte included) into
// `out`, whose room is `max` characters and a length byte; the length is
// clamped to the field and to what remains when `partial` allows a cut.
void TakeText(ByteSpanReader& r, size_t field, uint8_t max, uint8_t* out, bool partial) {
  const size_t room = partial ? std::min(field, r.Remaining()) : field;
  if (room == 0) {
    out[0] = 0;
    return;
  }
  uint8_t buffer[256] = {};
  r.Bytes(buffer, room);
  size_t length = buffer[0];
  length = std::min<size_t>(length, room - 1);
  length = std::min<size_t>(length, max);
  out[0] = static_cast<uint8_t>(length);
  std::copy(buffer + 1, buffer + 1 + length, out + 1);
}

}  // namespace

bool ReadControlHeader(const uint8_t* data, size_t size, VControlHeader& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kControlHeaderSize) return false;
  VControlHeader h;
  TakeHeader(r, h);
  if (r.Failed()) return false;
  out = h;
  return true;
}

bool ReadButtonTemplate(const uint8_t* data, size_t size, VButtonTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kButtonTemplateSize) return false;
  VButtonTemplate t;
  TakeHeader(r, t.header);
  t.iconId = r.I16();
  r.Skip(2);
  t.flags = r.U8();
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadIconList(const uint8_t* data, size_t size, VIconIdList& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kIconListEntries * 2) return false;
  VIconIdList list;
  for (int16_t& id : list.ids) id = r.I16();
  if (r.Failed()) return false;
  out = list;
  return true;
}

bool ReadCheckTemplate(const uint8_t* data, size_t size, VCheckTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kCheckTemplateSize) return false;
  VCheckTemplate t;
  TakeHeader(r, t.header);
  r.Skip(2);
  t.flags = r.U8();
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadEditTemplate(const uint8_t* data, size_t size, VEditTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kEditTemplateSize) return false;
  VEditTemplate t;
  TakeHeader(r, t.header);
  r.Skip(2);
  t.filterKind = r.I16();
  r.Skip(2);
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadDropTemplate(const uint8_t* data, size_t size, VDropTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kDropTemplateSize) return false;
  VDropTemplate t;
  TakeHeader(r, t.header);
  r.Skip(4);
  t.filterKind = r.I16();
  t.source = r.U32();
  t.lines = r.U8();
  t.flags = r.U8();
  const int16_t count = r.I16();
  // The count is checked against the bytes before anything is sized by it.
  if (r.Failed() || count < 0 || static_cast<size_t>(count) > r.Remaining() / kDropItemSize)
    return false;
  t.items.resize(static_cast<size_t>(count));
  for (VDropItem& item : t.items) {
    r.Skip(2);
    TakeText(r, 64, kDropItemTextMax, item.text, false);
  }
  if (r.Failed()) return false;
  out = std::move(t);
  return true;
}

bool ReadStaticTextTemplate(const uint8_t* data, size_t size, VStaticTextTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kStaticTextTemplateSize) return false;
  VStaticTextTemplate t;
  TakeHeaderNumbers(r, t.header);
  r.Skip(2);
  t.columnStep = r.I16();
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadLockTemplate(const uint8_t* data, size_t size, VLockTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kLockTemplateSize) return false;
  VLockTemplate t;
  TakeHeaderNumbers(r, t.header);
  r.Skip(2);
  TakeText(r, 32, kControlTitleMax, t.header.title, true);
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadChooserTemplate(const uint8_t* data, size_t size, VChooserTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kChooserTemplateSize) return false;
  VChooserTemplate t;
  TakeHeaderNumbers(r, t.header);
  r.Skip(2);
  t.iconId = r.I16();
  t.menuId = r.I16();
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadMenuButtonTemplate(const uint8_t* data, size_t size, VMenuButtonTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kMenuButtonTemplateSize) return false;
  VMenuButtonTemplate t;
  TakeHeader(r, t.header);
  r.Skip(4);
  t.menuKind = r.U32();
  t.menuId = r.I16();
  if (r.Failed()) return false;
  out = t;
  return true;
}

bool ReadIconControlTemplate(const uint8_t* data, size_t size, VIconControlTemplate& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kIconControlTemplateSize) return false;
  VIconControlTemplate t;
  TakeHeaderNumbers(r, t.header);
  r.Skip(2);
  TakeText(r, 30, kIconControlTitleMax, t.header.title, false);
  r.Skip(2);
  const int16_t count = r.I16();
  if (r.Failed() || count < 0 || static_cast<size_t>(count) > r.Remaining() / 4) return false;
  t.values.resize(static_cast<size_t>(count));
  t.icons.resize(static_cast<size_t>(count));
  for (int16_t i = 0; i < count; ++i) {
    t.values[static_cast<size_t>(i)] = r.I16();
    t.icons[static_cast<size_t>(i)] = r.I16();
  }
  if (r.Failed()) return false;
  out = std::move(t);
  return true;
}
