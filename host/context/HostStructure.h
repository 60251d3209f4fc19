// The host services on the host's database: its tables and fields, its
// records and current selection, the values of fields, and the variable
// call of plug-in area messages. Each wrapper writes what its selector
// reads, calls the host and turns the answer into its result; a host that
// reports an error (or writes nothing) gives the neutral answer.
#pragma once

#include <cstdint>

class VString;
class VValue;

// Numbers of tables and of a table's fields; 0 when the host gives none.
int16_t HostCountTables(bool option);
int16_t HostCountFields(uint16_t table, bool option);
// Names into `name`, cleared when the host reports an error.
void HostGetTableName(VString& name, uint16_t table, bool option);
void HostGetFieldName(VString& name, uint16_t table, uint16_t field, bool option);
// "[" table name "]" field name, or empty when either name fails.
void HostGetTableOrFieldName(VString& name, uint16_t table, uint16_t field, bool option);
// Whether the table is offered (the word at 280 of -11); false on error.
bool HostTableTest(uint16_t table, bool option);
// Whether the field is offered (bit 0x100 of the word at 284 of -12 clear);
// false on error.
bool HostGetFieldFlagB(uint16_t table, uint16_t field, bool option);
// Whether the word at 280 of -12 is nonzero; false on error.
bool HostGetFieldFlagA(uint16_t table, uint16_t field, bool option);
// Three answers of -131 (zeros on error).
void HostGetFieldAttributes(uint16_t table, uint16_t field, uint16_t& a, uint16_t& b, uint32_t& c, bool option);
// The table of a reference given without its "[" (put in front here).
int16_t HostFieldNumbersFromReference(const VString& text, bool option);
// Calls whose answers the module does not interpret.
int32_t HostTableCount51(uint16_t table);
void HostTableCall(int32_t selector, uint16_t table);  // -1, -2, -43, -44
void HostTableFlagsCall(int32_t selector, uint16_t table, uint8_t a, uint8_t b);  // -3, -4
void HostTableFieldCall413(uint16_t table, uint16_t field);
uint8_t HostTableFieldTest412(uint16_t table, uint16_t field);
uint32_t HostFieldRefCall344(uint16_t table, uint16_t field, uint32_t handle, bool option);
void HostFieldRefCall345(uint32_t ref, int16_t& table, int16_t& field, uint32_t& handle, bool option);
// The current field's table only (-301, then -302 or -382).
bool HostCurrentFieldCall302(int16_t& table);
bool HostCurrentFieldCall382(int16_t& table);

// The numbers of the field named by a reference "[table]field" (at most 80
// characters); both 0 when the host does not know it.
void HostGetFieldNumbers(const VString& reference, int16_t& table, int16_t& field, bool option);
// The field under a point of the form: selector 48 with a table in 1 to
// the table count, else 49 with table 0. Table and field written back.
void HostFieldAtPoint(int32_t x, int32_t y, int16_t& table, int16_t& field, bool option);

// Records: the count of the table's selection; going to record `number`
// (1-based; the host's error word is the answer); query and sort.
uint32_t HostGetRecordCount(uint16_t table);
int16_t HostGotoRecord(uint16_t table, uint32_t number, uint8_t a, uint8_t b);
void HostQueryTable(uint16_t table);
void HostSortTable(uint16_t table);
// The field the user is in: -301, then -303 only when there is one. True
// with table and field when the host answers them; when there is none the
// answer is the error word of -301 (so false unless it is 0).
bool HostCurrentFieldCall303(int16_t& table, int16_t& field);
// As above with -383; true when there is no current field.
bool HostCurrentFieldCall383(int16_t& table, int16_t& field);
// Compares two byte texts through the host: -1, 0 or 1. A first text with
// the host's wildcard character goes second, and the answer is turned.
int32_t HostCompareOrSort60(const uint8_t* textA, int32_t lengthA, const uint8_t* textB, int32_t lengthB);

// The field's value in the current record, owned by the caller; null on
// error or for a type that gives no value here (pictures, BLOBs).
VValue* HostGetFieldAsValue(uint16_t table, uint16_t field, bool option);
// Writes a single value into the field in the form of the field's type;
// false without a call for an array value or a type it cannot write.
bool HostSetFieldFromValue(const VValue& value, uint16_t table, uint16_t field, bool option);

// Tells the host of a variable by name; local names are not sent.
void HostVariableOp306(const VString& name, int32_t scope);
