// The enhanced-metafile format as the recorder writes it and the player reads
// it: record types and the fixed sizes of the records we use.
//
// Every value is little-endian. A record is its type (u32), its size in bytes
// (u32, a multiple of 4, at least 8, header included) and its fields; the
// first record is EMR_HEADER, the last EMR_EOF, and the header's nBytes and
// nRecords count them all. Coordinates are logical units of the recording DC
// unless said otherwise; bounds are inclusive device pixels. Objects live in
// a table of nHandles entries: a create record names its entry (1 and up),
// EMR_SELECTOBJECT selects an entry or, with the top bit set, a stock object
// by its GetStockObject index. Bitmaps travel as DIBs inside their record: a
// BITMAPINFO at offBmi (cbBmi bytes) and the bits at offBits (cbBits bytes),
// both offsets from the start of the record.
#pragma once

#include <cstdint>

constexpr uint32_t EMR_HEADER = 1;
constexpr uint32_t EMR_POLYGON = 3;
constexpr uint32_t EMR_POLYLINE = 4;
constexpr uint32_t EMR_SETWINDOWEXTEX = 9;
constexpr uint32_t EMR_SETWINDOWORGEX = 10;
constexpr uint32_t EMR_SETVIEWPORTEXTEX = 11;
constexpr uint32_t EMR_SETVIEWPORTORGEX = 12;
constexpr uint32_t EMR_SETBRUSHORGEX = 13;
constexpr uint32_t EMR_EOF = 14;
constexpr uint32_t EMR_SETPIXELV = 15;
constexpr uint32_t EMR_SETMAPMODE = 17;
constexpr uint32_t EMR_SETBKMODE = 18;
constexpr uint32_t EMR_SETPOLYFILLMODE = 19;
constexpr uint32_t EMR_SETROP2 = 20;
constexpr uint32_t EMR_SETSTRETCHBLTMODE = 21;
constexpr uint32_t EMR_SETTEXTALIGN = 22;
constexpr uint32_t EMR_SETTEXTCOLOR = 24;
constexpr uint32_t EMR_SETBKCOLOR = 25;
constexpr uint32_t EMR_OFFSETCLIPRGN = 26;
constexpr uint32_t EMR_MOVETOEX = 27;
constexpr uint32_t EMR_EXCLUDECLIPRECT = 29;
constexpr uint32_t EMR_INTERSECTCLIPRECT = 30;
constexpr uint32_t EMR_SCALEVIEWPORTEXTEX = 31;
constexpr uint32_t EMR_SCALEWINDOWEXTEX = 32;
constexpr uint32_t EMR_SAVEDC = 33;
constexpr uint32_t EMR_RESTOREDC = 34;
constexpr uint32_t EMR_SELECTOBJECT = 37;
constexpr uint32_t EMR_CREATEPEN = 38;
constexpr uint32_t EMR_CREATEBRUSHINDIRECT = 39;
constexpr uint32_t EMR_DELETEOBJECT = 40;
constexpr uint32_t EMR_ELLIPSE = 42;
constexpr uint32_t EMR_RECTANGLE = 43;
constexpr uint32_t EMR_ROUNDRECT = 44;
constexpr uint32_t EMR_ARC = 45;
constexpr uint32_t EMR_CHORD = 46;
constexpr uint32_t EMR_PIE = 47;
constexpr uint32_t EMR_SELECTPALETTE = 48;
constexpr uint32_t EMR_CREATEPALETTE = 49;
constexpr uint32_t EMR_REALIZEPALETTE = 52;
constexpr uint32_t EMR_EXTFLOODFILL = 53;
constexpr uint32_t EMR_LINETO = 54;
constexpr uint32_t EMR_GDICOMMENT = 70;
constexpr uint32_t EMR_FILLRGN = 71;
constexpr uint32_t EMR_FRAMERGN = 72;
constexpr uint32_t EMR_INVERTRGN = 73;
constexpr uint32_t EMR_PAINTRGN = 74;
constexpr uint32_t EMR_EXTSELECTCLIPRGN = 75;
constexpr uint32_t EMR_BITBLT = 76;
constexpr uint32_t EMR_STRETCHBLT = 77;
constexpr uint32_t EMR_SETDIBITSTODEVICE = 80;
constexpr uint32_t EMR_STRETCHDIBITS = 81;
constexpr uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr uint32_t EMR_EXTTEXTOUTA = 83;
constexpr uint32_t EMR_EXTTEXTOUTW = 84;
constexpr uint32_t EMR_POLYGON16 = 86;
constexpr uint32_t EMR_POLYLINE16 = 87;
constexpr uint32_t EMR_CREATEMONOBRUSH = 93;
constexpr uint32_t EMR_CREATEDIBPATTERNBRUSHPT = 94;
constexpr uint32_t EMR_EXTCREATEPEN = 95;
constexpr uint32_t EMR_TRANSPARENTBLT = 116;

// A stock object in EMR_SELECTOBJECT: this bit and the GetStockObject index.
constexpr uint32_t kEmfStockObject = 0x80000000u;

// Fixed record sizes (bytes, type and size words included).
constexpr uint32_t kEmfHeaderSize = 108;    // the header without its description
constexpr uint32_t kEmfHeaderMinSize = 88;  // the oldest header form a reader accepts
constexpr uint32_t kEmfEofSize = 20;        // nPalEntries, offPalEntries, nSizeLast
constexpr uint32_t kEmfCreatePenSize = 28;  // ihPen, LOGPEN (style, width x, y, colour)
constexpr uint32_t kEmfExtCreatePenSize = 52;  // ihPen, DIB fields, EXTLOGPEN of no dashes
constexpr uint32_t kEmfCreateBrushSize = 24;   // ihBrush, style, colour, hatch
constexpr uint32_t kEmfDibBrushSize = 32;      // ihBrush, iUsage, DIB fields
// ihFont and the LOGFONTW with the rest of the panose form (320 bytes); a
// reader needs only the 92-byte LOGFONTW.
constexpr uint32_t kEmfCreateFontSize = 332;
constexpr uint32_t kEmfLogFontWSize = 92;
constexpr uint32_t kEmfBitBltSize = 100;      // bounds .. cbBitsSrc
constexpr uint32_t kEmfStretchBltSize = 108;  // and cxSrc, cySrc
constexpr uint32_t kEmfSetDiBitsSize = 76;
constexpr uint32_t kEmfStretchDiBitsSize = 80;
constexpr uint32_t kEmfTextOutSize = 76;  // bounds, mode, scales, EMRTEXT
