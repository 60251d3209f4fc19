// The exported resource byte-order procedure: converts the data of one of the
// framework's own resource types in place between stored (big-endian) and
// native order, and hands every other type to the package. Being an entry
// point of the module, this file alone of its library is built with
// exceptions, so that none that reaches it goes further.
#include <cxxabi.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "framework/core/VObject.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/streams/ByteSwap.h"
#include "boundary/ModuleExports.h"

namespace {

// Walks one resource's data field by field. Resource files come from
// documents and other programs, so the counts inside are untrusted: a field
// is converted only when it lies wholly inside the data, the position only
// moves forwards, and every repetition stops at the end of the data, so no
// byte outside data .. data + size - 1 is ever read or written.
class SwapCursor {
 public:
  SwapCursor(uint8_t direction, uint8_t* data, uint32_t size)
      : toNative_(direction == 1), data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }

  void Skip(uint64_t bytes) { pos_ += bytes; }

  void U16() {
    if (Fits(2)) Swap16(data_ + pos_);
    pos_ += 2;
  }

  void U32() {
    if (Fits(4)) Swap32(data_ + pos_);
    pos_ += 4;
  }

  // A 16-bit count, converted like any field and read in native order: after
  // its conversion when going to native order, before it when going to
  // stored order. A count outside the data counts nothing.
  uint16_t Count() {
    if (!Fits(2)) {
      pos_ += 2;
      return 0;
    }
    uint8_t* p = data_ + pos_;
    uint16_t value;
    if (!toNative_) Native16(p, &value);
    Swap16(p);
    if (toNative_) Native16(p, &value);
    pos_ += 2;
    return value;
  }

  // Every whole 16-bit value from here to the end.
  void Rest16() {
    while (Fits(2)) {
      Swap16(data_ + pos_);
      pos_ += 2;
    }
  }

  // A length-prefixed text: its length byte and that many bytes, unconverted.
  void SkipPText() {
    if (!Fits(1)) {
      pos_ = size_;
      return;
    }
    pos_ += uint64_t(data_[pos_]) + 1;
  }

  // Runs `group` `count` times, while the position is before the end.
  template <typename Group>
  void Repeat(uint64_t count, Group group) {
    for (uint64_t i = 0; i < count && !AtEnd(); ++i) group();
  }

 private:
  bool Fits(uint64_t bytes) const { return pos_ <= size_ && size_ - pos_ >= bytes; }
  static void Native16(const uint8_t* p, uint16_t* value) { std::memcpy(value, p, 2); }

  const bool toNative_;
  uint8_t* const data_;
  const uint64_t size_;
  uint64_t pos_ = 0;
};

// Five 32-bit values: the head that the control templates share.
void ControlHead(SwapCursor& c) {
  for (int i = 0; i < 5; ++i) c.U32();
}

// w rounded up to an even number of bytes.
uint64_t Even(uint64_t w) { return (w + 1) & ~uint64_t(1); }

// Each recipe family converts by the recipe of `type` and answers true, or
// answers false, touching nothing, when the type is not of its family.

// The version, the tips and the lists of fields, preferences, categories,
// commands and keys.
bool SwapListType(uint32_t type, SwapCursor& c) {
  switch (type) {
    case FourCC("xVER"):
      c.U32();
      return true;
    case FourCC("TIPS"):
      c.Repeat(c.Count(), [&] {
        c.U16();
        c.U16();
      });
      return true;
    case FourCC("FPUT"):
      c.Skip(2), c.U16(), c.U16(), c.Skip(32), c.U16();
      c.Repeat(c.Count(), [&] {
        c.Skip(32);
        c.U32(), c.U32(), c.U32();
      });
      return true;
    case FourCC("FGET"):
      c.Skip(2), c.U16(), c.U16(), c.Skip(32), c.U16();
      c.Repeat(c.Count(), [&] {
        c.Skip(32);
        c.U32();
        c.Repeat(c.Count(), [&] { c.U32(); });
      });
      return true;
    case FourCC("FMAP"):
      c.Repeat(c.Count(), [&] {
        c.U32(), c.U32(), c.U32();
        c.Skip(2);
      });
      return true;
    case FourCC("XPRF"):
      c.U32();
      c.Repeat(c.Count(), [&] { c.U32(), c.U16(), c.U16(); });
      return true;
    case FourCC("BLFI"):
      c.Repeat(c.Count(), [&] {
        c.Skip(2);
        c.U32();
      });
      return true;
    case FourCC("XCAT"):
      c.Repeat(c.Count(), [&] {
        c.Skip(32);
        c.Repeat(c.Count(), [&] { c.U32(), c.U16(); });
      });
      return true;
    case FourCC("XCOM"):
      c.Repeat(c.Count(), [&] {
        c.U32();
        c.Skip(32);
      });
      return true;
    case FourCC("XKEY"):
      c.Repeat(c.Count(), [&] {
        c.U32();
        c.Skip(2);
      });
      return true;
    default:
      return false;
  }
}

// The docks and their bars.
bool SwapBarType(uint32_t type, SwapCursor& c) {
  switch (type) {
    case FourCC("DOCK"):
      return true;  // nothing in it to convert
    case FourCC("XDOK"):
    case FourCC("XTH#"):
    case FourCC("XIC#"):
      c.Rest16();
      return true;
    case FourCC("XDVE"):
      c.U32();
      return true;
    case FourCC("XBAR"):
      c.Skip(2), c.U32(), c.U32(), c.Skip(32);
      c.Repeat(c.Count(), [&] { c.U32(), c.U16(); });
      return true;
    case FourCC("XMBA"):
      c.Skip(2), c.U32(), c.U32(), c.Skip(96);
      c.Repeat(c.Count(), [&] { c.U32(), c.U16(); });
      return true;
    default:
      return false;
  }
}

// The controls, menu bars, menus and themes.
bool SwapControlType(uint32_t type, SwapCursor& c) {
  switch (type) {
    case FourCC("XMBU"):
      ControlHead(c), c.Skip(32), c.U16(), c.U16(), c.U32(), c.U16();
      return true;
    case FourCC("XKLI"):
      ControlHead(c), c.U16();
      return true;
    case FourCC("XTXT"):
      ControlHead(c), c.U16(), c.U16();
      return true;
    case FourCC("XCCH"):
      ControlHead(c), c.U16(), c.U16(), c.U16();
      return true;
    case FourCC("XICO"):
      ControlHead(c), c.Skip(32), c.U16(), c.Rest16();
      return true;
    case FourCC("XBUT"):
      ControlHead(c), c.Skip(32), c.U16(), c.U16();
      return true;
    case FourCC("XEDT"):
      ControlHead(c), c.Skip(32), c.U16(), c.U16(), c.U16();
      return true;
    case FourCC("XDRP"):
      ControlHead(c), c.Skip(32), c.U16(), c.U16(), c.U16(), c.U32(), c.Skip(2);
      c.Repeat(c.Count(), [&] {
        c.U16();
        c.Skip(64);
      });
      return true;
    case FourCC("XDRE"):
      c.U32(), c.U32(), c.U16();
      return true;
    case FourCC("XCHK"):
    case FourCC("XRAD"):
      ControlHead(c), c.Skip(32), c.U16();
      return true;
    case FourCC("XMBR"):
      c.Skip(64), c.Rest16();
      return true;
    case FourCC("XMNU"):
      c.Skip(32), c.U32();
      c.Repeat(c.Count(), [&] {
        c.Skip(32);
        c.U16(), c.U16(), c.U32(), c.U32();
        c.Skip(2);
        c.U16();
      });
      return true;
    case FourCC("4SAM"):
      c.U16(), c.U16();
      return true;
    case FourCC("XTHM"):
      c.Skip(32), c.U16(), c.U16();
      c.Repeat(c.Count(), [&] { c.U32(), c.U32(), c.U16(); });
      return true;
    case FourCC("XPRO"): {
      c.Skip(32);
      // This count is signed: a negative one converts nothing.
      const int16_t n = static_cast<int16_t>(c.Count());
      if (n > 0) c.Repeat(uint64_t(n), [&] { c.U32(); });
      return true;
    }
    default:
      return false;
  }
}

// The character tables and the dialect lists.
bool SwapTextTableType(uint32_t type, SwapCursor& c) {
  switch (type) {
    case FourCC("lwra"):
    case FourCC("char"):
    case FourCC("diac"):
    case FourCC("lowr"):
    case FourCC("upra"):
    case FourCC("sort"):
    case FourCC("lwrn"):
    case FourCC("uppr"):
    case FourCC("uprn"):
    case FourCC("uset"):
      c.Rest16();
      return true;
    case FourCC("umac"):
    case FourCC("uwin"): {
      // Ranges of characters, each with a byte field per character of the range.
      const uint64_t width = Even(c.Count());
      c.Repeat(c.Count(), [&] {
        const uint16_t first = c.Count();
        const uint16_t last = c.Count();
        if (last >= first && width > 0) c.Skip((uint64_t(last) - first + 1) * width);
      });
      return true;
    }
    case FourCC("macu"):
    case FourCC("winu"): {
      const uint16_t k = c.Count();
      if (k == 1) {
        for (int i = 0; i < 256; ++i) c.U16();  // a value per byte
      } else {
        const uint64_t width = Even(k);
        c.Repeat(c.Count(), [&] {
          c.U16();
          c.Skip(width);
        });
      }
      return true;
    }
    case FourCC("XDLN"):
      c.Repeat(c.Count(), [&] {
        c.U32();
        c.SkipPText();
      });
      return true;
    case FourCC("XDLC"):
      c.Repeat(c.Count(), [&] {
        c.U32();
        for (int i = 0; i < 5; ++i) c.U16();
        c.U32(), c.U32();
      });
      return true;
    default:
      return false;
  }
}

// Converts by the recipe of `type`; false when the type is not one of ours.
bool SwapKnownType(uint8_t direction, uint32_t type, uint8_t* data, uint32_t size) {
  SwapCursor c(direction, data, size);
  return SwapListType(type, c) || SwapBarType(type, c) || SwapControlType(type, c) ||
         SwapTextTableType(type, c);
}

}  // namespace

extern "C" uint8_t SwapRsrcProc(uint8_t direction, uint32_t type, uint32_t size, void* data) {
  try {
    if (SwapKnownType(direction, type, static_cast<uint8_t*>(data), data ? size : 0)) return 1;
    // Every other type is the package's, which answers whether it converted it.
    VHostBridge* bridge = VHostBridgeService::Get();
    return bridge ? bridge->SwapResource(direction, type, size, data) : 0;
  } catch (abi::__forced_unwind&) {
    throw;  // a cancelled thread unwinds on
  } catch (const std::bad_alloc&) {
    EndOnEntryPointException(true);
  } catch (...) {
    EndOnEntryPointException(false);
  }
}
