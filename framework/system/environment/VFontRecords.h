// The system's font records: a copy of the 156-byte enumeration record of
// every font name the system environment lists, in the order of enumeration.
// The graphics layer's font lookup reads them.
#pragma once

#include <cstdint>

struct ENUMLOGFONTA;
template <typename T>
class VChainListOf;

using VFontRecordList = VChainListOf<ENUMLOGFONTA*>;

// Made by the first record added; null while there is none.
extern VFontRecordList* gFontRecords;

// Appends a copy of the record (a block of the memory manager); false when
// no memory is left.
bool AddFontRecord(const ENUMLOGFONTA& record);
// The first record whose face name equals the name, without regard to case;
// null when none.
const ENUMLOGFONTA* FindFontRecord(const char* faceName);
int32_t CountFontRecords();
// Frees every record and the list.
void FreeFontRecords();
