// Documents written by the peers, for measuring conversions on files as
// people have them rather than on our own reference document alone: four
// kinds of document, each first written as RTF here and then written out
// by LibreOffice (Word 97, RTF, HTML) and AbiWord (XHTML, RTF), at bench
// time, and kept in a folder of the build tree between runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

enum PeerDocumentKind : int64_t {
  kPeerReport = 0,   // headings and plain justified paragraphs
  kPeerLists = 1,    // bulleted and numbered lists between short paragraphs
  kPeerTabs = 2,     // tables set as tabbed lines, left, right and decimal stops
  kPeerHeaders = 3,  // a header and a footer with the page number, page breaks
};
constexpr int64_t kPeerDocumentKinds[] = {kPeerReport, kPeerLists, kPeerTabs, kPeerHeaders};

const char* PeerDocumentName(int64_t kind);

// The document of `kind` of about `pages` pages of 3,000 characters as RTF,
// the same every time.
std::string PeerDocumentRtf(int64_t kind, int32_t pages);

// Who writes an input, and in which format.
enum class PeerWriter { kLibreOffice, kAbiWord };

// The document of `kind` at `pages` pages as written by `writer` in the
// format of `extension` ("doc", "rtf", "html" for LibreOffice; "xhtml",
// "rtf" for AbiWord), made once in `folder`; empty when the writer is
// missing or fails. `profile` is LibreOffice's user profile folder.
std::filesystem::path PeerWrittenFile(const std::filesystem::path& folder, const std::filesystem::path& profile,
                                      int64_t kind, int32_t pages, PeerWriter writer,
                                      const std::string& extension);
