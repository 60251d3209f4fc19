// The head shared by the document's stored records: a four-character tag as
// a 32-bit value in the stream's data order, then a four-character version
// text as four bytes. Readers check every count against what remains
// (VStream::HasRemaining) before reading it.
#pragma once

#include <cstdint>
#include <initializer_list>

class VStream;

// Writes the tag (32-bit, data order) and the version's four characters.
void WriteRecordHead(VStream& stream, uint32_t tag, uint32_t version);

// Reads the tag. A tag that comes back byte-reversed was written in the
// other byte order: the stream is switched to that order for the rest of the
// record and the tag accepted. Any other tag answers false.
bool ReadRecordTag(VStream& stream, uint32_t tag);

// Reads the four version characters; true with `version` set when they are
// one of `accepted`.
bool ReadRecordVersion(VStream& stream, std::initializer_list<uint32_t> accepted,
                       uint32_t& version);
