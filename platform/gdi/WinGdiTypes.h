// The small Win32 drawing types (opaque GDI and window handles, POINT, RECT,
// SIZE, COLORREF) that the window stand-in shares with GDI, without the rest of GDI.
#pragma once

#include "platform/win32/WinTypes.h"

// Handles are pointer-sized opaque values, as on Win32. Every kind is its own
// type; HGDIOBJ takes any of them, and a handle coming back as HGDIOBJ is cast
// to its kind by the caller, as Win32 code does.
struct HDC__;
struct HBITMAP__;
struct HBRUSH__;
struct HPEN__;
struct HFONT__;
struct HRGN__;
struct HPALETTE__;
struct HWND__;
struct HICON__;
using HDC = HDC__*;
using HGDIOBJ = void*;
using HBITMAP = HBITMAP__*;
using HBRUSH = HBRUSH__*;
using HPEN = HPEN__*;
using HFONT = HFONT__*;
using HRGN = HRGN__*;
using HPALETTE = HPALETTE__*;
using HWND = HWND__*;
using HICON = HICON__*;

using COLORREF = DWORD;  // 0x00BBGGRR; the top byte flags palette colours
using ULONG_PTR = uintptr_t;

struct POINT {
  LONG x;
  LONG y;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

// Edges: left and top are inside, right and bottom outside.
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }
// A colour given as an entry of the DC's selected palette.
constexpr COLORREF PALETTEINDEX(WORD index) { return 0x01000000u | index; }
// An RGB colour matched to the nearest entry of the DC's palette.
constexpr COLORREF PALETTERGB(BYTE r, BYTE g, BYTE b) { return 0x02000000u | RGB(r, g, b); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
