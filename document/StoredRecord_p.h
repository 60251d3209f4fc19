// The head shared by the document's stored records: a four-character tag as
// a 32-bit value in the stream's data order, then a four-character version
// text as four bytes. Readers check every count against what remains
// (VStream::HasRemaining) before reading it.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

class VStream;
class xMorvaRecordStore;

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

// Writes a record through `write` into a new handle stream (this machine's
// order) and stores its bytes as resource (type, id) of the store. False
// when the stream or the store fails.
bool StoreRecordResource(xMorvaRecordStore& store, uint32_t type, int16_t id,
                         const std::function<bool(VStream&)>& write);
// Reads resource (type, id) of the store through `read`. False when the
// store has no such resource or `read` refuses it.
bool LoadRecordResource(xMorvaRecordStore& store, uint32_t type, int16_t id,
                        const std::function<bool(VStream&)>& read);
