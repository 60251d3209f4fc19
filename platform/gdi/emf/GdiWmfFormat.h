// The Windows-metafile format as the recorder writes it and the player reads
// it: record functions and the header.
//
// Every value is little-endian. The header is 18 bytes: type (u16, 1 memory
// or 2 disk), header size in words (u16, 9), version (u16, 0x300 or 0x100),
// the whole size in words (u32), the number of objects (u16), the largest
// record in words (u32) and a parameter count (u16, 0). A record is its size
// in words (u32, at least 3, header included), its function (u16) and its
// parameters, 16-bit words unless said otherwise, most of them in the
// reverse of the call's order (y before x, bottom before top). The last
// record is META_EOF. Objects go into the lowest free entry of a table of
// the header's number of objects; META_SELECTOBJECT and META_DELETEOBJECT
// name entries. Coordinates are logical units, 16-bit signed.
#pragma once

#include <cstdint>

constexpr uint16_t META_EOF = 0x0000;
constexpr uint16_t META_REALIZEPALETTE = 0x0035;
constexpr uint16_t META_SETPALENTRIES = 0x0037;
constexpr uint16_t META_SETBKMODE = 0x0102;
constexpr uint16_t META_SETMAPMODE = 0x0103;
constexpr uint16_t META_SETROP2 = 0x0104;
constexpr uint16_t META_SETRELABS = 0x0105;
constexpr uint16_t META_SETPOLYFILLMODE = 0x0106;
constexpr uint16_t META_SETSTRETCHBLTMODE = 0x0107;
constexpr uint16_t META_SETTEXTCHAREXTRA = 0x0108;
constexpr uint16_t META_SAVEDC = 0x001E;
constexpr uint16_t META_RESTOREDC = 0x0127;
constexpr uint16_t META_INVERTREGION = 0x012A;
constexpr uint16_t META_PAINTREGION = 0x012B;
constexpr uint16_t META_SELECTCLIPREGION = 0x012C;
constexpr uint16_t META_SELECTOBJECT = 0x012D;
constexpr uint16_t META_SETTEXTALIGN = 0x012E;
constexpr uint16_t META_DIBCREATEPATTERNBRUSH = 0x0142;
constexpr uint16_t META_DELETEOBJECT = 0x01F0;
constexpr uint16_t META_CREATEPALETTE = 0x00F7;
constexpr uint16_t META_SETBKCOLOR = 0x0201;
constexpr uint16_t META_SETTEXTCOLOR = 0x0209;
constexpr uint16_t META_SETTEXTJUSTIFICATION = 0x020A;
constexpr uint16_t META_SETWINDOWORG = 0x020B;
constexpr uint16_t META_SETWINDOWEXT = 0x020C;
constexpr uint16_t META_SETVIEWPORTORG = 0x020D;
constexpr uint16_t META_SETVIEWPORTEXT = 0x020E;
constexpr uint16_t META_OFFSETWINDOWORG = 0x020F;
constexpr uint16_t META_OFFSETVIEWPORTORG = 0x0211;
constexpr uint16_t META_LINETO = 0x0213;
constexpr uint16_t META_MOVETO = 0x0214;
constexpr uint16_t META_OFFSETCLIPRGN = 0x0220;
constexpr uint16_t META_FILLREGION = 0x0228;
constexpr uint16_t META_SETMAPPERFLAGS = 0x0231;
constexpr uint16_t META_SELECTPALETTE = 0x0234;
constexpr uint16_t META_CREATEPENINDIRECT = 0x02FA;
constexpr uint16_t META_CREATEFONTINDIRECT = 0x02FB;
constexpr uint16_t META_CREATEBRUSHINDIRECT = 0x02FC;
constexpr uint16_t META_POLYGON = 0x0324;
constexpr uint16_t META_POLYLINE = 0x0325;
constexpr uint16_t META_SCALEWINDOWEXT = 0x0410;
constexpr uint16_t META_SCALEVIEWPORTEXT = 0x0412;
constexpr uint16_t META_EXCLUDECLIPRECT = 0x0415;
constexpr uint16_t META_INTERSECTCLIPRECT = 0x0416;
constexpr uint16_t META_ELLIPSE = 0x0418;
constexpr uint16_t META_FLOODFILL = 0x0419;
constexpr uint16_t META_RECTANGLE = 0x041B;
constexpr uint16_t META_SETPIXEL = 0x041F;
constexpr uint16_t META_FRAMEREGION = 0x0429;
constexpr uint16_t META_TEXTOUT = 0x0521;
constexpr uint16_t META_POLYPOLYGON = 0x0538;
constexpr uint16_t META_EXTFLOODFILL = 0x0548;
constexpr uint16_t META_ROUNDRECT = 0x061C;
constexpr uint16_t META_ARC = 0x0817;
constexpr uint16_t META_PIE = 0x081A;
constexpr uint16_t META_CHORD = 0x0830;
constexpr uint16_t META_PATBLT = 0x061D;
constexpr uint16_t META_ESCAPE = 0x0626;
constexpr uint16_t META_CREATEREGION = 0x06FF;
constexpr uint16_t META_BITBLT = 0x0922;
constexpr uint16_t META_DIBBITBLT = 0x0940;
constexpr uint16_t META_EXTTEXTOUT = 0x0A32;
constexpr uint16_t META_STRETCHBLT = 0x0B23;
constexpr uint16_t META_DIBSTRETCHBLT = 0x0B41;
constexpr uint16_t META_SETDIBTODEV = 0x0D33;
constexpr uint16_t META_STRETCHDIB = 0x0F43;

constexpr uint32_t kWmfHeaderBytes = 18;
constexpr uint16_t kWmfHeaderWords = 9;
constexpr uint16_t kWmfVersion = 0x0300;
constexpr uint32_t kWmfRecordHeaderBytes = 6;  // size (u32) and function (u16)

// A region object: next in chain, object type 6, object count (u32), region
// size in bytes, scan count, largest scan (in x values), bounds (left, top,
// right, bottom); then each scan: its x-value count, top, bottom, the x
// values (left, right of each run) and the count again.
constexpr uint32_t kWmfRegionHeaderBytes = 22;
constexpr uint16_t kWmfRegionObjectType = 6;

// The brush styles of a pattern brush record (the pattern's own bitmap
// colours, or a monochrome pattern coloured by the DC).
constexpr uint16_t kWmfBrushPattern = 3;
constexpr uint16_t kWmfBrushDibPatternPt = 6;
