// Readers of the control templates: fixed parts checked whole before any
// field is taken, titles clamped to their field.
#include "controls/controls/ControlTemplates.h"

#include <algorithm>

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

bool ReadIconList(const uint8_t* data, size_t size, VIconList& out) {
  ByteSpanReader r(data, size);
  if (r.Remaining() < kIconListEntries * 2) return false;
  VIconList list;
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
