// Plain text files in and out of a document.
#include "interchange/text/xMorvaPlainText.h"

#include <cstring>
#include <string>
#include <vector>

#include "document/xMorvaDocument.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPlainUnits.h"
#include "framework/core/intl/Utf.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"

namespace {

constexpr char16_t kPlainReturn = 13;
constexpr char16_t kPlainLineFeed = 10;
constexpr char16_t kPlainByteOrderMark = 0xFEFF;

// Every line end becomes one CR: CR LF is one end, not two, and a lone LF
// (the line end of this platform's own text files) ends a paragraph too.
void NormalisePlainLineEnds(std::u16string& text) {
  size_t out = 0;
  char16_t previous = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == kPlainLineFeed) {
      if (previous != kPlainReturn) text[out++] = kPlainReturn;
    } else {
      text[out++] = c;
    }
    previous = c;
  }
  text.resize(out);
}

// The stream's bytes from its start into a new handle (the caller's): 0,
// 1015 when the stream fails, 1041 when no handle of its size can be had.
int32_t ReadPlainTextStream(VStream& stream, VMemHandle& bytes) {
  bytes = 0;
  const uint32_t size = stream.GetSize();
  if (stream.GetStatus() > 0 || stream.SetPosition(0) != 0) return kErrorTextRead;
  bytes = gMemoryMgr->NewHandle(size, 0);
  if (bytes == 0) return kErrorTextNoMemory;
  if (size == 0) return 0;
  uint32_t got = size;
  stream.GetData(gMemoryMgr->LockHandle(bytes), got);
  gMemoryMgr->UnlockHandle(bytes);
  if (got != size || stream.GetStatus() > 0) {
    gMemoryMgr->DisposeHandle(bytes);
    bytes = 0;
    return kErrorTextRead;
  }
  return 0;
}

// Pieces of text converted at a time: a string held in memory converts
// without locking a handle for each character.
constexpr int32_t kPlainPieceUnits = 16384;

// The 8-bit bytes of a plain text of `fileType` in a new handle (the
// caller's), 0 without memory: Macintosh bytes for 'ASCM', Windows bytes
// for the Windows types. A character the code page lacks becomes what the
// text tables give for it, "?" for most. `plain` may be changed.
VMemHandle EncodePlainText(VStrInHandle& plain, uint32_t fileType) {
  const int32_t charSet = fileType == kTypeTextMac ? kCharSetMac : kCharSetAnsi;
  // A surrogate pair is one character, which no 8-bit character set has:
  // it goes out as one "?", not one for each half.
  {
    const int32_t length = plain.GetLength();
    const auto* units = static_cast<const char16_t*>(plain.GetBuffer());
    auto pairAt = [&](int32_t i) {
      return i + 1 < length && units[i] >= 0xD800 && units[i] <= 0xDBFF && units[i + 1] >= 0xDC00 &&
             units[i + 1] <= 0xDFFF;
    };
    // Pairs are rare: units below 0x8000 are passed four at a time, then
    // the first high half is looked for alone.
    int32_t first = 0;
    for (uint64_t four = 0; length - first >= 4; first += 4) {
      std::memcpy(&four, units + first, sizeof four);
      if ((four & 0x8000800080008000ull) != 0) break;
    }
    while (first < length && ((units[first] & 0xFC00) != 0xD800 || !pairAt(first))) ++first;
    std::u16string single;
    if (first < length) {
      single.assign(units, size_t(first));
      for (int32_t i = first; i < length; ++i) {
        const bool pair = pairAt(i);
        single.push_back(pair ? u'?' : units[i]);
        if (pair) ++i;
      }
    }
    plain.ReleaseBuffer();
    if (first < length) plain.SetUniChars(single.data(), 0, int32_t(single.size()));
  }
  return plain.NewHandleOfText(charSet, false);
}

// The body's text as `ExportText` collects it for `fileType`.
bool CollectPlainText(xMorvaDocument& document, uint32_t fileType, VStrInHandle& plain) {
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  if (body == nullptr) return false;
  body->WritePlainText(plain, false, fileType == kTypeTextWindows);
  return true;
}

}  // namespace

bool TextToUnits(xMorvaTextInterface& text, const std::u16string& characters, VMemHandle units,
                 uint32_t& positions) {
  positions = 0;
  // Units take two bytes each; the elements more, so room grows as needed.
  uint64_t capacity = uint64_t(characters.size()) * 2;
  uint32_t used = 0;
  if (capacity > UINT32_MAX || !gMemoryMgr->SetHandleSize(units, uint32_t(capacity))) return false;
  VMemHandle piece = gMemoryMgr->NewHandle(0, 0);
  if (piece == 0) return false;
  VStr<kPlainPieceUnits> string;
  bool done = true;
  for (size_t at = 0; done && at < characters.size(); at += kPlainPieceUnits) {
    const size_t n = characters.size() - at < size_t(kPlainPieceUnits) ? characters.size() - at
                                                                       : size_t(kPlainPieceUnits);
    string.SetUniChars(characters.data(), int32_t(at), int32_t(n));
    uint32_t piecePositions = 0;
    uint32_t pieceBytes = 0;
    done = text.StringToUnits(string, piece, piecePositions, pieceBytes, false);
    if (!done) break;
    if (uint64_t(used) + pieceBytes > capacity) {
      capacity = (uint64_t(used) + pieceBytes) * 3 / 2;
      done = capacity <= UINT32_MAX && gMemoryMgr->SetHandleSize(units, uint32_t(capacity));
      if (!done) break;
    }
    if (pieceBytes != 0) {
      auto* to = static_cast<uint8_t*>(gMemoryMgr->LockHandle(units));
      const void* from = gMemoryMgr->LockHandle(piece);
      std::memcpy(to + used, from, pieceBytes);
      gMemoryMgr->UnlockHandle(piece);
      gMemoryMgr->UnlockHandle(units);
    }
    used += pieceBytes;
    positions += piecePositions;
  }
  gMemoryMgr->DisposeHandle(piece);
  return gMemoryMgr->SetHandleSize(units, used) && done;
}

int32_t PlainTextEncodingOf(const uint8_t* bytes, size_t size, int32_t encoding) {
  if (encoding == kTextEncodingUtf16 || encoding == kTextEncodingUtf8) return encoding;
  if (bytes != nullptr && size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return kTextEncodingUtf8;
  // Windows text is the default of every 8-bit type but the Macintosh
  // one: a file named .txt or typed 'TEXT' by whatever wrote it is as often
  // UTF-8. Bytes that are valid UTF-8 with multi-byte sequences in them are
  // hardly ever meant as Windows text.
  if (encoding != kTextEncodingUntyped && encoding != kTextEncodingWindows) return encoding;
  const std::string_view view(reinterpret_cast<const char*>(bytes), bytes != nullptr ? size : 0);
  return IsMultiByteUtf8(view) ? kTextEncodingUtf8 : kTextEncodingWindows;
}

std::u16string DecodePlainText(const uint8_t* bytes, size_t size, int32_t encoding) {
  std::u16string text;
  if (bytes == nullptr || size == 0) return text;
  if (encoding == kTextEncodingUntyped) encoding = PlainTextEncodingOf(bytes, size, encoding);
  if (encoding == kTextEncodingUtf8) {
    text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes), size));
    if (!text.empty() && text[0] == kPlainByteOrderMark) text.erase(0, 1);
  } else if (encoding == kTextEncodingUtf16) {
    const bool bigEndian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    text.resize(size / 2);
    for (size_t i = 0; i < text.size(); ++i) {
      const uint8_t a = bytes[2 * i];
      const uint8_t b = bytes[2 * i + 1];
      text[i] = bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
    }
    if (!text.empty() && text[0] == kPlainByteOrderMark) text.erase(0, 1);
  } else {
    // The character sets convert through the international text tables,
    // in pieces a string's length can hold.
    const int32_t charSet = encoding == kTextEncodingMac ? kCharSetMac : kCharSetAnsi;
    constexpr size_t kPiece = 1 << 20;
    text.reserve(size);
    VStrInHandle piece;
    for (size_t at = 0; at < size; at += kPiece) {
      const size_t n = size - at < kPiece ? size - at : kPiece;
      piece.SetEmpty(false);
      piece.AppendChars(reinterpret_cast<const char*>(bytes + at), int32_t(n), charSet);
      const auto* units = static_cast<const char16_t*>(piece.GetBuffer());
      text.append(units, size_t(piece.GetLength()));
      piece.ReleaseBuffer();
    }
  }
  NormalisePlainLineEnds(text);
  return text;
}

int32_t xMorvaImportTEXT::ImportText(xMorvaDocument& document, VStream& stream, int32_t encoding,
                                     bool insert) {
  VMemHandle bytes = 0;
  if (const int32_t code = ReadPlainTextStream(stream, bytes)) return code;
  const uint32_t size = gMemoryMgr->GetHandleSize(bytes);
  const auto* data =
      static_cast<const uint8_t*>(size != 0 ? gMemoryMgr->LockHandle(bytes) : nullptr);
  const std::u16string text = DecodePlainText(data, size, PlainTextEncodingOf(data, size, encoding));
  if (data != nullptr) gMemoryMgr->UnlockHandle(bytes);
  gMemoryMgr->DisposeHandle(bytes);

  xMorvaTextInterface* target = insert ? document.GetCurrentPart() : document.GetPart(kPartBody);
  if (target == nullptr) return kErrorTextNoMemory;
  VMemHandle units = gMemoryMgr->NewHandle(0, 0);
  if (units == 0) return kErrorTextNoMemory;
  uint32_t positions = 0;
  if (!TextToUnits(*target, text, units, positions)) {
    gMemoryMgr->DisposeHandle(units);
    return kErrorTextNoMemory;
  }

  int32_t code = 0;
  if (insert) {
    if (positions != 0) code = document.InsertUnits(units, int32_t(positions), false);
  } else {
    document.Reset(false);
    xMorvaTextInterface* body = document.GetPart(kPartBody);
    xMorvaUndo* undo = document.GetUndo();
    if (undo != nullptr) undo->Suspend();
    document.BeginChange();
    if (body != nullptr && positions != 0) code = body->InsertHandle(units, int32_t(positions));
    if (body != nullptr) body->SetSelection(0, 0);
    document.EndChange();
    if (undo != nullptr) undo->Resume();
  }
  gMemoryMgr->DisposeHandle(units);
  return code;
}

bool xMorvaExportTEXT::ExportText(xMorvaDocument& document, VStream& stream, uint32_t fileType) {
  VStrInHandle plain;
  if (!CollectPlainText(document, fileType, plain)) return false;
  if (fileType == kTypeTextUnicode) {
    // Little-endian with its mark whatever the machine, as the files of
    // this type have always been.
    const int32_t length = plain.GetLength();
    const auto* units = static_cast<const char16_t*>(plain.GetBuffer());
    constexpr size_t kPiece = 32768;
    uint8_t buffer[2 * kPiece];
    buffer[0] = 0xFF;
    buffer[1] = 0xFE;
    stream.PutData(buffer, 2);
    for (int32_t at = 0; at < length && stream.GetStatus() == 0;) {
      const int32_t n = length - at < int32_t(kPiece) ? length - at : int32_t(kPiece);
      for (int32_t i = 0; i < n; ++i) {
        buffer[2 * i] = uint8_t(units[at + i]);
        buffer[2 * i + 1] = uint8_t(units[at + i] >> 8);
      }
      stream.PutData(buffer, uint32_t(2 * n));
      at += n;
    }
    plain.ReleaseBuffer();
    return stream.GetStatus() == 0;
  }
  const VMemHandle bytes = EncodePlainText(plain, fileType);
  if (bytes == 0) return false;
  const uint32_t size = gMemoryMgr->GetHandleSize(bytes);
  const void* data = size != 0 ? gMemoryMgr->LockHandle(bytes) : nullptr;
  if (data != nullptr) {
    stream.PutData(data, size);
    gMemoryMgr->UnlockHandle(bytes);
  }
  gMemoryMgr->DisposeHandle(bytes);
  return stream.GetStatus() == 0;
}

bool xMorvaExportTEXT::CarriesEveryCharacter(xMorvaDocument& document, uint32_t fileType) {
  if (fileType == kTypeTextUnicode) return true;
  xMorvaTextInterface* body = document.GetPart(kPartBody);
  if (body == nullptr) return true;
  // The characters are asked where they stand, each different one once (a
  // text of many pages holds a few dozen): the write that follows collects
  // the text itself. One byte a unit value, set where the text holds it.
  std::vector<uint8_t> held(0x10000, 0);
  const uint8_t* stream = body->LockStream();
  if (stream == nullptr) return true;
  const uint32_t size = body->GetStreamSize();
  ForEachPlainUnit(stream, size, 0, size, [&](char16_t unit) { held[unit] = 1; });
  body->UnlockStream();
  // Windows text ends its paragraphs with CR LF.
  if (fileType == kTypeTextWindows && held[kPlainReturn] != 0) held[kPlainLineFeed] = 1;
  std::u16string units;
  for (uint32_t unit = 0; unit < held.size(); unit += 8) {
    uint64_t eight;
    std::memcpy(&eight, held.data() + unit, sizeof eight);
    if (eight == 0) continue;
    for (uint32_t i = unit; i < unit + 8; ++i)
      if (held[i] != 0) units.push_back(char16_t(i));
  }
  if (units.empty()) return true;
  VStrInHandle plain;
  plain.SetUniChars(units.data(), 0, int32_t(units.size()));
  // The code page keeps every character when their bytes, read back
  // through it, give them again: a character it lacks comes back as what
  // stood for it ("?"), or not at all, and so do the halves of a character
  // beyond the Basic Multilingual Plane, which no 8-bit code page has.
  const VMemHandle bytes = EncodePlainText(plain, fileType);
  if (bytes == 0) return true;
  const uint32_t byteCount = gMemoryMgr->GetHandleSize(bytes);
  VStrInHandle back;
  if (byteCount != 0) {
    back.AppendChars(static_cast<const char*>(gMemoryMgr->LockHandle(bytes)), int32_t(byteCount),
                     fileType == kTypeTextMac ? kCharSetMac : kCharSetAnsi);
    gMemoryMgr->UnlockHandle(bytes);
  }
  gMemoryMgr->DisposeHandle(bytes);
  const int32_t length = int32_t(units.size());
  bool same = back.GetLength() == length;
  if (same) {
    const auto* b = static_cast<const char16_t*>(back.GetBuffer());
    same = std::memcmp(units.data(), b, size_t(length) * sizeof(char16_t)) == 0;
    back.ReleaseBuffer();
  }
  return same;
}
