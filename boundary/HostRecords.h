// The records that cross the boundary between the host and the module, in
// memory, defined once for both sides: the start-up record, the parameter
// block of the host callback, the host's text record and variable entry,
// the event record and the record of package events -205 to -207.
//
// Numbers, texts and handles keep the host's widths and order (handles are
// 32-bit Toolbox handle values). Every field that carries an address in any
// use is pointer-sized, so the fields after it sit further on than in the
// host's 32-bit record; code and tests name fields, never offsets.
#pragma once

#include <cstddef>
#include <cstdint>

struct HostParamBlock;

// The host's callback: a selector and the parameter block. Every answer
// comes back in the block; nothing is returned.
using HostCallback = void (*)(int32_t selector, HostParamBlock* block);

// A 32-bit number in a pointer-sized field: written zero-extended from its
// 32 bits, read back from the low 32 bits.
constexpr uintptr_t HostWord(int32_t value) { return static_cast<uint32_t>(value); }
constexpr int32_t HostWordOf(uintptr_t field) { return static_cast<int32_t>(static_cast<uint32_t>(field)); }
inline uintptr_t HostAddress(const void* p) { return reinterpret_cast<uintptr_t>(p); }
template <typename T>
T* HostPointer(uintptr_t field) {
  return reinterpret_cast<T*>(field);
}

// The start-up record: the parameter of the start selectors (-1, -200).
struct HostStartupRecord {
  // The host's interface version; the package writes its own version below
  // only when this is at least 0x600.
  int16_t hostInterfaceVersion;
  // Bytes the host may use; the module reads none of them.
  uint8_t notRead[10];
  // The host callback.
  HostCallback callback;
  // Written by the module: 0x660, the module's interface version.
  uint32_t moduleInterfaceVersion;
};

// The parameter block of every host call. It is a local of the caller and is
// never cleared as a whole: each call writes the fields its selector reads
// and reads back those the selector writes. Texts are length-byte strings in
// the Macintosh character set.
struct HostParamBlock {
  uint16_t table;            // table number; reference of a host-kept resource file
  uint16_t field;            // field number; second reference
  uint32_t record;           // record number, 0-based
  uint8_t flag;              // first flag, in or out
  uint8_t flag2;             // second flag
  uint8_t text[256];         // first text: up to 255 characters
  uintptr_t handle;          // a handle, or an address (variable entry, instance, routine)
  int16_t error;             // written by the host: 0 success
  uintptr_t param1;          // first parameter or answer; an address for some selectors
  uintptr_t param2;          // second
  uintptr_t param3;          // third
  uintptr_t param4;          // fourth; 911 for the structure selectors' option
  double realValue;          // real value of a field
  uint8_t unused1[2];
  int16_t dateValue[3];      // date of a field: day, month, year
  // Long or time of a field; resource reference of the start-up answer; the
  // area's window port of selector 66, so it is pointer-sized. Numbers are
  // written with HostWord and read with HostWordOf (its low 32 bits).
  uintptr_t longValue;
  uint16_t shortValue;       // integer of a field (u16), or its Boolean (low byte)
  uint8_t text2[81];         // second text: up to 80 characters
  uint8_t unused2;
  int16_t textLength;        // length of a text value
  uint32_t valueHandle;      // handle of a text, picture or BLOB value
  uint8_t variableFlag;      // flag of the variable selectors
  uint8_t unused3;
  uint16_t option;           // option word of the query and sort selectors
  uint8_t unused4[50];
};

// The option value that the structure selectors put into the fourth
// parameter when the caller's option is set.
constexpr uint32_t kHostStructureOption = 911;

// A text as the host keeps it: characters in the Macintosh character set in
// a Toolbox handle, without terminator. Length 0 (or no handle) is empty.
#pragma pack(push, 2)
struct HostTextRecord {
  int16_t length;
  uint32_t handle;
};
#pragma pack(pop)
static_assert(sizeof(HostTextRecord) == 6, "the host's text record is 6 bytes");

// Host types of a variable's value (the first byte of an entry).
enum HostType : uint8_t {
  kHostAlpha = 0,
  kHostReal = 1,
  kHostText = 2,
  kHostFieldPictureType = 3,
  kHostDate = 4,
  kHostUndefined = 5,
  kHostBoolean = 6,
  kHostInteger = 8,
  kHostLongInteger = 9,
  kHostPicture = 10,
  kHostTime = 11,
  kHostArray2D = 13,
  kHostRealArray = 14,
  kHostIntegerArray = 15,
  kHostLongArray = 16,
  kHostDateArray = 17,
  kHostTextArray = 18,
  kHostPictureArray = 19,
  kHostStringArray = 21,
  kHostBooleanArray = 22,
  kHostRecord = 23,
  kHostString = 24,
  kHostReal2 = 28,
  kHostRealArrayNoData = 29,
  kHostBlob = 30,
};

// One variable's value as the host keeps it: 260 bytes, the host type, an
// unused byte, then the value in the form of its type. Arrays are 1-based
// and their handle holds element 0 too (count + 1 elements).
#pragma pack(push, 2)
struct HostArrayHeader {
  uint32_t count;
  uint32_t handle;           // Toolbox handle of the elements
  int16_t current;           // current element
};

struct HostVariableEntry {
  uint8_t type;              // HostType
  uint8_t unused;
  union Value {
    struct {                 // 0 alpha and 24 string: the length (24 only), then a length-byte string
      uint16_t length;
      uint8_t text[256];
    } string;
    double real;             // 1, 28
    HostTextRecord text;     // 2
    int16_t date[3];         // 4: day, month, year
    uint8_t boolean;         // 6
    int16_t integer;         // 8
    int32_t longInteger;     // 9
    uint32_t seconds;        // 11
    struct {                 // 10 picture: Macintosh picture; 30 BLOB: the bytes
      uint32_t size;
      uint32_t handle;
    } data;
    HostArrayHeader array;   // 13 (count = rows) to 22, 29 (count only)
    uint32_t recordHandle;   // 23: a 38-byte host record
    uint8_t bytes[258];
  } value;
};
// One row of a two-dimensional array: the first 12 bytes of an array entry.
struct HostArrayRow {
  uint8_t type;
  uint8_t unused;
  HostArrayHeader array;
};
#pragma pack(pop)
static_assert(sizeof(HostVariableEntry) == 260, "a host variable entry is 260 bytes");
static_assert(sizeof(HostArrayRow) == 12, "a row of a two-dimensional array is 12 bytes");

// The event record in which the host delivers an event: the Macintosh
// record's fields in order. The message carries an address for some events
// (the host record of code 602, the window of an update), so it is
// pointer-sized.
struct HostEventRecord {
  uint16_t what;             // event code
  uintptr_t message;
  uint32_t when;             // 32-bit field after the message (the answer of code 604)
  int16_t whereV;
  int16_t whereH;
  uint16_t modifiers;
};

// The parameter array of an area event: pointers, of which the module reads
// these two. The object cell is pointer-sized and holds the area's object.
constexpr int kAreaEventRecordEntry = 0;
constexpr int kAreaObjectCellEntry = 3;
constexpr int kAreaEventParamCount = 4;

// The host's record of an area made from a form object (code 602; the
// event's message points at it). The bytes the module never reads are kept
// as reserved room so the named fields stay in the host's order.
struct HostAreaRecord {
  int16_t version;           // the host's record version
  uint8_t reserved1[14];
  uintptr_t data;            // the form object's saved data, or null
  uint32_t dataSize;         // its size in bytes
  uint8_t isForm;            // not 0: an area of a form
  uint8_t isPrinting;        // not 0: a printing object
  int16_t page;              // form page that shows the area
  int16_t table;             // table of the form; 0 or less without table
  uint8_t reserved2[6];
  int16_t look;              // the form's look, 1-based (read from version 0x606 on)
};

// The host's description of an area that other events than 16 carry in
// their message when they create one: only the page and the table are read.
struct HostAreaDescription {
  uint8_t reserved[26];
  int16_t page;
  int16_t table;
};

// The host's record of the form editor's placeholder (codes 26, 605 and
// 607; the event's message points at it): the host's version, the area's
// binding, its rectangle in the editor, the editor's window and the port to
// draw into, and the form object's saved data.
struct HostDesignRecord {
  int16_t version;           // the host's version
  uint8_t interprocess;      // not 0: the area's variable is interprocess
  uint8_t reserved1;
  int16_t table;             // table of the form; 0 or less without table
  int16_t top, left, bottom, right;
  uint8_t reserved2[2];
  uintptr_t window;          // the form editor's window, or null
  uintptr_t port;            // the port code 607 draws into, or null
  uintptr_t data;            // the form object's saved data, or null
  uint32_t dataSize;
};

// The host's property record (codes 600 and 609; the event's message points
// at it): the form object's data, which the module replaces when the
// properties give data back (a block the host frees) or clears.
struct HostPropertyRecord {
  uintptr_t data;
  uint32_t dataSize;
};

// The host's record of a printed area (code 29; the event's message points
// at it): the area's rectangle in points.
struct HostPrintRecord {
  int16_t top, left, bottom, right;
};

// The host's drag record (codes 80 and 82): the drop point, the drag's type
// block (an address) and the 32-bit value handed to the frames.
struct HostDragRecord {
  uint8_t reserved1[32];
  int16_t dropV;             // drop point of code 82, vertical
  int16_t dropH;             // and horizontal
  uint8_t reserved2[42];
  uintptr_t dragReference;   // the drag-type block offered
  uint8_t reserved3[4];
  uint32_t value;
};

// The host's feedback record (code 83): the frame's rectangle is written
// back into it unless the phase is 1.
struct HostDragFeedbackRecord {
  uintptr_t dragReference;
  uint32_t item;
  int16_t top, left, bottom, right;
  int16_t v;
  int16_t h;
  int16_t phase;
};

// The record of package events -205, -206 and -207 (packed, 10 bytes).
#pragma pack(push, 2)
struct HostPackageEventRecord {
  uint32_t a;
  uint16_t b;
  uint32_t c;
};
#pragma pack(pop)
static_assert(sizeof(HostPackageEventRecord) == 10, "the package event record is 10 bytes");
