// Enhanced and Windows metafiles of the GDI stand-in: recording DCs that keep
// the real record bytes of what is drawn, the bits in and out, and playback.
#pragma once

#include "platform/gdi/WinGdi.h"

struct HENHMETAFILE__;
struct HMETAFILE__;
using HENHMETAFILE = HENHMETAFILE__*;
using HMETAFILE = HMETAFILE__*;

// The header record of an enhanced metafile, as it is stored (108 bytes,
// little-endian): the bounds of what was drawn in device pixels (inclusive),
// the frame in hundredths of a millimetre, the " EMF" signature, the totals,
// the description (UTF-16, after the header) and the reference device.
struct ENHMETAHEADER {
  DWORD iType;  // EMR_HEADER (1)
  DWORD nSize;  // header record size, description included
  RECT rclBounds;
  RECT rclFrame;
  DWORD dSignature;  // ENHMETA_SIGNATURE
  DWORD nVersion;    // 0x10000
  DWORD nBytes;      // the whole metafile
  DWORD nRecords;
  WORD nHandles;  // object table entries, entry 0 included
  WORD sReserved;
  DWORD nDescription;    // UTF-16 units, terminators included
  DWORD offDescription;  // from the start of the header; 0 without one
  DWORD nPalEntries;
  SIZE szlDevice;       // reference device, pixels
  SIZE szlMillimeters;  // reference device, millimetres
  DWORD cbPixelFormat;
  DWORD offPixelFormat;
  DWORD bOpenGL;
  SIZE szlMicrometers;
};
static_assert(sizeof(ENHMETAHEADER) == 108);

constexpr DWORD ENHMETA_SIGNATURE = 0x464D4520;  // " EMF"

// A Windows metafile with the mapping it is meant for: the mapping mode and,
// for MM_ANISOTROPIC, the picture size in hundredths of a millimetre.
struct METAFILEPICT {
  LONG mm;
  LONG xExt;
  LONG yExt;
  HMETAFILE hMF;
};

// Recording. The reference DC (the screen when null) gives the device the
// metafile is recorded for; the frame, in hundredths of a millimetre, is the
// picture's extent (computed from what was drawn when null); the description
// is two zero-ended strings and a final zero byte, or null. Metafiles are kept
// in memory: a file name is refused (ERROR_INVALID_PARAMETER).
QV_PLATFORM_API HDC CreateEnhMetaFileA(HDC reference, LPCSTR file, const RECT* frame,
                                       LPCSTR description);
// Ends a recording DC: the DC is deleted and the metafile returned (null when
// the DC is no enhanced-metafile DC or the recording ran out of memory).
QV_PLATFORM_API HENHMETAFILE CloseEnhMetaFile(HDC dc);
QV_PLATFORM_API BOOL DeleteEnhMetaFile(HENHMETAFILE metafile);
QV_PLATFORM_API HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE metafile, LPCSTR file);

// The bytes: with a null buffer the size; otherwise the bytes copied, 0 when
// the buffer is smaller than the metafile.
QV_PLATFORM_API UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* buffer);
// A metafile from bytes, which are checked record by record first; null for
// anything that is not a whole, well-formed enhanced metafile.
QV_PLATFORM_API HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* bytes);
// The header: with a null buffer its size; otherwise the bytes copied (at
// most `size`).
QV_PLATFORM_API UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size,
                                          ENHMETAHEADER* header);

// Plays the records onto any DC, the frame mapped onto the rectangle (logical
// units of the DC). The DC is left as it was found (objects, modes, clip).
// FALSE for bad handles and records that are not well formed.
QV_PLATFORM_API BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* rect);

// Windows metafiles. The bits are the metafile's header and records (no
// placeable-file header).
QV_PLATFORM_API HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* bytes);
QV_PLATFORM_API UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID buffer);
QV_PLATFORM_API BOOL DeleteMetaFile(HMETAFILE metafile);
// Plays the records in the DC's own mapping, which the metafile's window
// records change while it plays; the DC is left as it was found.
QV_PLATFORM_API BOOL PlayMetaFile(HDC dc, HMETAFILE metafile);

// An enhanced metafile from Windows-metafile bits. With MM_ANISOTROPIC (or
// no picture record) and extents other than 0 the picture has that size (a
// negative extent is taken as a suggested size); with extents of 0 it takes
// the metafile's own window extent in pixels of the reference device (the
// screen when null). In other modes, or without a window to go by, it is
// played one logical unit to a pixel and framed by what it draws.
QV_PLATFORM_API HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* bytes, HDC reference,
                                                const METAFILEPICT* picture);
// The Windows-metafile form of an enhanced metafile: its window is the frame
// in pixels of the reference device (the metafile's own when null), for
// playing in MM_ANISOTROPIC (the only mode offered). With a null buffer the
// size; otherwise the bytes copied, 0 when the buffer is too small.
QV_PLATFORM_API UINT GetWinMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* buffer,
                                        INT mapMode, HDC reference);
