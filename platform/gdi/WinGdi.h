// Our Win32 GDI stand-in: device contexts over pixel buffers, pens, brushes,
// bitmaps, palettes, regions, clipping and blits, with GDI's exact pixel rules.
// Only graphics code includes this header.
#pragma once

#include "platform/gdi/WinGdiTypes.h"

using HANDLE = void*;
using CHAR = char;
using WCHAR = char16_t;
using LPCSTR = const char*;
using LPCWSTR = const char16_t*;
using INT = int32_t;
using FLOAT = float;
using LPARAM = intptr_t;

// ---------------------------------------------------------------------------
// Records

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;  // only x is used
  COLORREF lopnColor;
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;  // hatch style, or the HBITMAP of a pattern brush
};

struct EXTLOGPEN {
  DWORD elpPenStyle;
  DWORD elpWidth;
  UINT elpBrushStyle;
  COLORREF elpColor;
  ULONG_PTR elpHatch;
  DWORD elpNumEntries;
  DWORD elpStyleEntry[1];
};

constexpr int LF_FACESIZE = 32;

// 60 bytes: five 32-bit fields, eight bytes, the face name.
struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;  // device bitmaps: rows padded to 16 bits
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

// 40 bytes. A positive height is a bottom-up image, a negative one top-down.
struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

struct LOGPALETTE {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};

// Stored region bytes: a 32-byte header (dwSize 32, iType RDH_RECTANGLES,
// nCount rectangles, nRgnSize = nCount x 16, rcBound), then nCount 16-byte
// RECTs in bands from top to bottom, each band from left to right.
struct RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32);

struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};

struct XFORM {
  FLOAT eM11;
  FLOAT eM12;
  FLOAT eM21;
  FLOAT eM22;
  FLOAT eDx;
  FLOAT eDy;
};

// The printer settings record belongs to the printing stand-in.
struct DEVMODEA;

// ---------------------------------------------------------------------------
// Constants

// Object types (GetObjectType, GetCurrentObject).
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_METADC = 4;
constexpr UINT OBJ_PAL = 5;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_REGION = 8;
constexpr UINT OBJ_METAFILE = 9;
constexpr UINT OBJ_MEMDC = 10;
constexpr UINT OBJ_EXTPEN = 11;
constexpr UINT OBJ_ENHMETADC = 12;
constexpr UINT OBJ_ENHMETAFILE = 13;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int DEFAULT_PALETTE = 15;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Pen styles.
constexpr UINT PS_SOLID = 0;
constexpr UINT PS_DASH = 1;
constexpr UINT PS_DOT = 2;
constexpr UINT PS_DASHDOT = 3;
constexpr UINT PS_DASHDOTDOT = 4;
constexpr UINT PS_NULL = 5;
constexpr UINT PS_INSIDEFRAME = 6;
constexpr UINT PS_STYLE_MASK = 0x0000000F;
constexpr UINT PS_ENDCAP_ROUND = 0x00000000;
constexpr UINT PS_ENDCAP_SQUARE = 0x00000100;
constexpr UINT PS_ENDCAP_FLAT = 0x00000200;
constexpr UINT PS_ENDCAP_MASK = 0x00000F00;
constexpr UINT PS_JOIN_ROUND = 0x00000000;
constexpr UINT PS_JOIN_BEVEL = 0x00001000;
constexpr UINT PS_JOIN_MITER = 0x00002000;
constexpr UINT PS_JOIN_MASK = 0x0000F000;
constexpr UINT PS_COSMETIC = 0x00000000;
constexpr UINT PS_GEOMETRIC = 0x00010000;
constexpr UINT PS_TYPE_MASK = 0x000F0000;

// Brush styles and hatches.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr UINT BS_PATTERN = 3;
constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

// Mix modes of pens and fills (SetROP2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Raster operations of the blits: the high word's low byte is the truth table
// over pattern (0xF0), source (0xCC) and destination (0xAA).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Mapping and graphics modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ANISOTROPIC = 8;
constexpr int GM_COMPATIBLE = 1;
constexpr int GM_ADVANCED = 2;

// Text alignment.
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

// Text output options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// Font fields.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;
constexpr BYTE TMPF_DEVICE = 0x08;

// Bitmaps and DIBs.
constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;
constexpr DWORD CBM_INIT = 0x04;

// Palettes.
constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;
constexpr BYTE PC_NOCOLLAPSE = 0x04;

// Regions.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_ERROR = ERROR;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr DWORD RDH_RECTANGLES = 1;

// Flood fill.
constexpr UINT FLOODFILLBORDER = 0;
constexpr UINT FLOODFILLSURFACE = 1;

// Device capabilities.
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int COLORRES = 108;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int DT_PLOTTER = 0;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
constexpr int DT_METAFILE = 5;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_BANDING = 0x0002;
constexpr int RC_BITMAP64 = 0x0008;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_FLOODFILL = 0x1000;
constexpr int RC_STRETCHDIB = 0x2000;

// ---------------------------------------------------------------------------
// Objects

QV_PLATFORM_API HGDIOBJ GetStockObject(int index);
QV_PLATFORM_API BOOL DeleteObject(HGDIOBJ object);
QV_PLATFORM_API int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
inline int GetObject(HGDIOBJ object, int size, LPVOID buffer) {
  return GetObjectA(object, size, buffer);
}
QV_PLATFORM_API DWORD GetObjectType(HGDIOBJ object);
QV_PLATFORM_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
QV_PLATFORM_API HGDIOBJ GetCurrentObject(HDC dc, UINT type);
QV_PLATFORM_API BOOL UnrealizeObject(HGDIOBJ object);
QV_PLATFORM_API BOOL GdiFlush();

QV_PLATFORM_API HPEN CreatePen(int style, int width, COLORREF color);
QV_PLATFORM_API HPEN CreatePenIndirect(const LOGPEN* pen);
QV_PLATFORM_API HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush,
                                  DWORD styleCount, const DWORD* styles);
QV_PLATFORM_API HBRUSH CreateSolidBrush(COLORREF color);
QV_PLATFORM_API HBRUSH CreateHatchBrush(int hatch, COLORREF color);
QV_PLATFORM_API HBRUSH CreatePatternBrush(HBITMAP bitmap);
QV_PLATFORM_API HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

QV_PLATFORM_API HPALETTE CreatePalette(const LOGPALETTE* palette);
QV_PLATFORM_API UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                                       PALETTEENTRY* entries);
QV_PLATFORM_API HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL background);
QV_PLATFORM_API UINT RealizePalette(HDC dc);

// ---------------------------------------------------------------------------
// Device contexts

QV_PLATFORM_API HDC CreateCompatibleDC(HDC dc);
QV_PLATFORM_API BOOL DeleteDC(HDC dc);
QV_PLATFORM_API HDC GetDC(HWND window);
QV_PLATFORM_API int ReleaseDC(HWND window, HDC dc);
QV_PLATFORM_API HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode);
QV_PLATFORM_API HDC CreateICA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode);
QV_PLATFORM_API int SaveDC(HDC dc);
QV_PLATFORM_API BOOL RestoreDC(HDC dc, int saved);
QV_PLATFORM_API int GetDeviceCaps(HDC dc, int index);

QV_PLATFORM_API COLORREF SetTextColor(HDC dc, COLORREF color);
QV_PLATFORM_API COLORREF GetTextColor(HDC dc);
QV_PLATFORM_API COLORREF SetBkColor(HDC dc, COLORREF color);
QV_PLATFORM_API COLORREF GetBkColor(HDC dc);
QV_PLATFORM_API int SetBkMode(HDC dc, int mode);
QV_PLATFORM_API int GetBkMode(HDC dc);
QV_PLATFORM_API int SetROP2(HDC dc, int mode);
QV_PLATFORM_API int GetROP2(HDC dc);
QV_PLATFORM_API UINT SetTextAlign(HDC dc, UINT align);
QV_PLATFORM_API UINT GetTextAlign(HDC dc);
QV_PLATFORM_API int SetStretchBltMode(HDC dc, int mode);
QV_PLATFORM_API int GetStretchBltMode(HDC dc);
QV_PLATFORM_API int SetPolyFillMode(HDC dc, int mode);
QV_PLATFORM_API int GetPolyFillMode(HDC dc);
QV_PLATFORM_API BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
QV_PLATFORM_API BOOL GetBrushOrgEx(HDC dc, POINT* origin);

QV_PLATFORM_API int SetMapMode(HDC dc, int mode);
QV_PLATFORM_API int GetMapMode(HDC dc);
QV_PLATFORM_API int SetGraphicsMode(HDC dc, int mode);
QV_PLATFORM_API int GetGraphicsMode(HDC dc);
QV_PLATFORM_API BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
QV_PLATFORM_API BOOL GetViewportOrgEx(HDC dc, POINT* origin);
QV_PLATFORM_API BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous);
QV_PLATFORM_API BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous);
QV_PLATFORM_API BOOL GetWindowOrgEx(HDC dc, POINT* origin);
QV_PLATFORM_API BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous);
QV_PLATFORM_API BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* previous);
QV_PLATFORM_API BOOL GetViewportExtEx(HDC dc, SIZE* extent);
QV_PLATFORM_API BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* previous);
QV_PLATFORM_API BOOL GetWindowExtEx(HDC dc, SIZE* extent);
QV_PLATFORM_API BOOL LPtoDP(HDC dc, POINT* points, int count);
QV_PLATFORM_API BOOL DPtoLP(HDC dc, POINT* points, int count);

// ---------------------------------------------------------------------------
// Lines and shapes

QV_PLATFORM_API BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
QV_PLATFORM_API BOOL GetCurrentPositionEx(HDC dc, POINT* position);
QV_PLATFORM_API BOOL LineTo(HDC dc, int x, int y);
QV_PLATFORM_API BOOL Polyline(HDC dc, const POINT* points, int count);
QV_PLATFORM_API BOOL Polygon(HDC dc, const POINT* points, int count);
QV_PLATFORM_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
QV_PLATFORM_API BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
QV_PLATFORM_API BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ovalWidth,
                               int ovalHeight);
// The ellipse inscribed in the box, counter-clockwise from the radial
// through (xs, ys) to the radial through (xe, ye): the curve alone (Arc),
// closed by its chord (Chord) or by the two radii (Pie), filled with the
// brush and framed with the pen.
QV_PLATFORM_API BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe,
                         int ye);
QV_PLATFORM_API BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xs, int ys,
                           int xe, int ye);
QV_PLATFORM_API BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe,
                         int ye);
QV_PLATFORM_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
QV_PLATFORM_API BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
QV_PLATFORM_API COLORREF GetPixel(HDC dc, int x, int y);
QV_PLATFORM_API BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type);
QV_PLATFORM_API BOOL FloodFill(HDC dc, int x, int y, COLORREF border);
using LINEDDAPROC = void (*)(int x, int y, LPARAM data);
QV_PLATFORM_API BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data);
QV_PLATFORM_API BOOL InvertRect(HDC dc, const RECT* rect);
QV_PLATFORM_API BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
QV_PLATFORM_API BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
QV_PLATFORM_API BOOL PaintRgn(HDC dc, HRGN region);
QV_PLATFORM_API BOOL InvertRgn(HDC dc, HRGN region);

// ---------------------------------------------------------------------------
// Bitmaps and blits

QV_PLATFORM_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                                     const void* bits);
QV_PLATFORM_API HBITMAP CreateBitmapIndirect(const BITMAP* bitmap);
QV_PLATFORM_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
QV_PLATFORM_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage,
                                         void** bits, HANDLE section, DWORD offset);
QV_PLATFORM_API HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init,
                                       const void* bits, const BITMAPINFO* info, UINT usage);
QV_PLATFORM_API LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits);
QV_PLATFORM_API LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);
QV_PLATFORM_API int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits,
                              BITMAPINFO* info, UINT usage);
QV_PLATFORM_API int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int srcX,
                                      int srcY, UINT startScan, UINT lines, const void* bits,
                                      const BITMAPINFO* info, UINT usage);
QV_PLATFORM_API int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX,
                                  int srcY, int srcWidth, int srcHeight, const void* bits,
                                  const BITMAPINFO* info, UINT usage, DWORD rop);

// Icons: a mask and a colour bitmap, copied when the icon is made. Only
// colour icons are taken (a null colour bitmap is refused). DrawIconEx
// draws the mask with SRCAND and the colours with SRCINVERT, at the natural
// size when cx or cy is 0, through a bitmap filled with the flicker-free
// brush when one is given; the step is ignored.
struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
QV_PLATFORM_API HICON CreateIconIndirect(const ICONINFO* info);
QV_PLATFORM_API BOOL DestroyIcon(HICON icon);
QV_PLATFORM_API BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step,
                                HBRUSH flickerFree, UINT flags);

QV_PLATFORM_API BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
QV_PLATFORM_API BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX,
                            int srcY, DWORD rop);
QV_PLATFORM_API BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source,
                                int srcX, int srcY, int srcWidth, int srcHeight, DWORD rop);
QV_PLATFORM_API BOOL TransparentBlt(HDC dc, int x, int y, int width, int height, HDC source,
                                    int srcX, int srcY, int srcWidth, int srcHeight,
                                    UINT transparent);
// Moves the pixels of `scroll` (null: the whole device) by (dx, dy); only
// pixels inside `clip` (null: anywhere) change, and only where the DC shows.
// The part of scroll and clip that the move did not fill (among it every
// pixel whose source was hidden or off the device) goes into `update`
// (device coordinates) and its bounds into `updateRect` (logical); both may
// be null. An inverted rectangle is empty: nothing moves.
QV_PLATFORM_API BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip,
                              HRGN update, RECT* updateRect);

// ---------------------------------------------------------------------------
// Clipping

QV_PLATFORM_API int SelectClipRgn(HDC dc, HRGN region);
QV_PLATFORM_API int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
QV_PLATFORM_API int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
QV_PLATFORM_API int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
QV_PLATFORM_API int OffsetClipRgn(HDC dc, int dx, int dy);
QV_PLATFORM_API int GetClipBox(HDC dc, RECT* box);
QV_PLATFORM_API int GetClipRgn(HDC dc, HRGN region);
QV_PLATFORM_API BOOL RectVisible(HDC dc, const RECT* rect);
QV_PLATFORM_API BOOL PtVisible(HDC dc, int x, int y);

// ---------------------------------------------------------------------------
// Regions

QV_PLATFORM_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
QV_PLATFORM_API HRGN CreateRectRgnIndirect(const RECT* rect);
QV_PLATFORM_API HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
QV_PLATFORM_API HRGN CreateEllipticRgnIndirect(const RECT* rect);
QV_PLATFORM_API HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ovalWidth,
                                        int ovalHeight);
// The region of a polygon, cut to the device space -32768 .. 32767 each way
// (kGdiDeviceLimit).
QV_PLATFORM_API HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
QV_PLATFORM_API int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
QV_PLATFORM_API int OffsetRgn(HRGN region, int dx, int dy);
QV_PLATFORM_API BOOL PtInRegion(HRGN region, int x, int y);
QV_PLATFORM_API BOOL RectInRegion(HRGN region, const RECT* rect);
QV_PLATFORM_API int GetRgnBox(HRGN region, RECT* box);
QV_PLATFORM_API BOOL EqualRgn(HRGN region1, HRGN region2);
QV_PLATFORM_API BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
QV_PLATFORM_API DWORD GetRegionData(HRGN region, DWORD size, RGNDATA* data);
QV_PLATFORM_API HRGN ExtCreateRegion(const XFORM* transform, DWORD size, const RGNDATA* data);

// ---------------------------------------------------------------------------
// Fonts and text: implemented by the font code (platform/gdi/fonts/) on the
// font objects and DC state kept here.

QV_PLATFORM_API HFONT CreateFontIndirectA(const LOGFONTA* font);
QV_PLATFORM_API BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
QV_PLATFORM_API BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
QV_PLATFORM_API BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect,
                                 LPCSTR text, UINT count, const INT* advances);
QV_PLATFORM_API BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect,
                                 LPCWSTR text, UINT count, const INT* advances);
QV_PLATFORM_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);
QV_PLATFORM_API BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
QV_PLATFORM_API BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int count, int maxExtent,
                                           int* fit, int* extents, SIZE* size);
QV_PLATFORM_API BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent,
                                           int* fit, int* extents, SIZE* size);
QV_PLATFORM_API BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
