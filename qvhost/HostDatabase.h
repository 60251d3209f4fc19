// HostDatabase: the stand-in host's tables, fields and records, kept in
// SQLite (in memory unless a file is named). Fields are numbered within
// their table from 1; each table has a current record, 0-based.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

class HostDatabase {
 public:
  // The value of one field of one record, in the form of the field's type:
  // bytes for text, picture and BLOB; `text` for alpha; `number` for
  // real; `integer` for Boolean, integer, long integer and time; `date` for
  // date (day, month, year).
  struct Value {
    std::vector<uint8_t> bytes;
    std::string text;
    double number = 0;
    int64_t integer = 0;
    int16_t date[3] = {0, 0, 0};
  };

  // ":memory:" or a file path; `error` says why when it cannot be opened.
  explicit HostDatabase(const std::string& path = ":memory:");
  ~HostDatabase();
  HostDatabase(const HostDatabase&) = delete;
  HostDatabase& operator=(const HostDatabase&) = delete;

  // Whether the database can be used: opened, or in memory and not asked yet.
  bool IsOpen() const;
  const std::string& Error() const { return fError; }

  bool DefineTable(uint16_t table, const std::string& name);
  bool DefineField(uint16_t table, uint16_t field, const std::string& name, int16_t type);
  // The field's type, or nothing when the table has no such field.
  std::optional<int16_t> FieldType(uint16_t table, uint16_t field) const;
  std::string FieldName(uint16_t table, uint16_t field) const;
  std::optional<std::string> TableName(uint16_t table) const;
  // The number of the table of that name, or nothing.
  std::optional<uint16_t> TableNumber(const std::string& name) const;
  // Named numbers: a list of texts by number the host keeps beside its
  // tables.
  bool DefineName(int16_t number, const std::string& name);
  std::optional<std::string> NameOf(int16_t number) const;
  std::optional<int16_t> NumberOfName(const std::string& name) const;

  uint32_t CurrentRecord(uint16_t table) const;
  bool SetCurrentRecord(uint16_t table, uint32_t record);
  // The number of records of the table's current selection.
  uint32_t RecordCount(uint16_t table) const;
  bool SetRecordCount(uint16_t table, uint32_t count);
  // The selection a query of table leaves, as the user's answer to the
  // query editor would; without one a query leaves the selection as it is.
  void SetQueryLeaves(uint16_t table, uint32_t count) { fQueryLeaves[table] = count; }
  std::optional<uint32_t> QueryLeaves(uint16_t table) const {
    const auto found = fQueryLeaves.find(table);
    return found != fQueryLeaves.end() ? std::optional<uint32_t>(found->second) : std::nullopt;
  }
  int32_t CountTables() const;
  int32_t CountFields(uint16_t table) const;
  // The numbers of a field by its table's and its own name; nothing when
  // there is no such field.
  std::optional<std::pair<uint16_t, uint16_t>> FindField(const std::string& table, const std::string& field) const;

  // Variables by scope (1 process, 2 interprocess) and name: the host type
  // and the value's bytes in the host's own form of that type.
  struct Variable {
    int16_t type = 0;
    std::vector<uint8_t> bytes;
  };
  // The named document store: bytes under a name.
  std::optional<std::vector<uint8_t>> GetDocument(const std::string& name) const;
  bool SetDocument(const std::string& name, const std::vector<uint8_t>& bytes);

  std::optional<Variable> GetVariable(int32_t scope, const std::string& name) const;
  bool SetVariable(int32_t scope, const std::string& name, const Variable& variable);

  // The resource file the host keeps for the module: resources by type and
  // id, each with a name and its bytes.
  struct Resource {
    uint32_t type = 0;
    int16_t id = 0;
    std::string name;
    std::vector<uint8_t> data;
  };
  // Adds or replaces.
  bool AddResource(const Resource& resource);
  std::optional<Resource> GetResource(uint32_t type, int16_t id) const;
  // The one of lowest id with that name.
  std::optional<Resource> GetNamedResource(uint32_t type, const std::string& name) const;
  // False when there is no such resource.
  bool RemoveResource(uint32_t type, int16_t id);
  bool SetResourceData(uint32_t type, int16_t id, const std::vector<uint8_t>& data);
  bool SetResourceName(uint32_t type, int16_t id, const std::string& name);
  // In the order of their ids.
  std::vector<Resource> ResourcesOfType(uint32_t type) const;
  std::vector<uint32_t> ResourceTypes() const;

  // The field's value in the current record; nothing when it has none.
  std::optional<Value> Get(uint16_t table, uint16_t field) const;
  bool Set(uint16_t table, uint16_t field, const Value& value);

 private:
  bool Exec(const char* sql) const;
  // Opens the database and makes its tables; on failure fDb stays null and
  // fError says why.
  void Open() const;
  // The open database, opened now when it was not yet; null when it cannot be.
  sqlite3* Db() const;

  std::string fPath;
  // Opened on first use, also from the answers that only read.
  mutable bool fTried = false;  // Open has run
  mutable sqlite3* fDb = nullptr;
  mutable std::string fError;
  std::map<uint16_t, uint32_t> fQueryLeaves;
};
