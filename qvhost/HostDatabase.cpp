// The stand-in host's database over SQLite: one row per field, one per
// table with its current record, one per stored value.
#include "qvhost/HostDatabase.h"

#include <sqlite3.h>

#include <cstring>

namespace {

// A prepared statement finalised at the end of its scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (db != nullptr) sqlite3_prepare_v2(db, sql, -1, &fStmt, nullptr);
  }
  ~Statement() { sqlite3_finalize(fStmt); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return fStmt; }
  explicit operator bool() const { return fStmt != nullptr; }

 private:
  sqlite3_stmt* fStmt = nullptr;
};

// Values of kinds 2, 3 and 30 are bytes; 0 and 24 text; 1 and 28 reals;
// 4 dates; the rest integers.
enum class Storage { kBytes, kText, kReal, kDate, kInteger };

Storage StorageOf(int16_t type) {
  switch (type) {
    case 2:
    case 3:
    case 30:
      return Storage::kBytes;
    case 0:
    case 24:
      return Storage::kText;
    case 1:
    case 28:
      return Storage::kReal;
    case 4:
      return Storage::kDate;
    default:
      return Storage::kInteger;
  }
}

}  // namespace

// A database in memory is opened when it is first asked: a run that never
// asks it (a conversion) does not run SQLite at all, and so keeps the
// memory that SQLite's code and its tables would take. A file is opened at
// once, so that a path that cannot be opened is reported at start.
HostDatabase::HostDatabase(const std::string& path) : fPath(path) {
  if (path != ":memory:") Open();
}

sqlite3* HostDatabase::Db() const {
  if (fDb == nullptr && !fTried) Open();
  return fDb;
}

bool HostDatabase::IsOpen() const { return fDb != nullptr || (!fTried && fPath == ":memory:"); }

void HostDatabase::Open() const {
  fTried = true;
  if (sqlite3_open(fPath.c_str(), &fDb) != SQLITE_OK) {
    fError = fDb != nullptr ? sqlite3_errmsg(fDb) : "cannot open the database";
    sqlite3_close(fDb);
    fDb = nullptr;
    return;
  }
  if (!Exec("CREATE TABLE IF NOT EXISTS host_tables(tbl INTEGER PRIMARY KEY, name TEXT, current "
            "INTEGER "
            "NOT NULL DEFAULT 0, records INTEGER NOT NULL DEFAULT 0);"
            "CREATE TABLE IF NOT EXISTS host_names(number INTEGER PRIMARY KEY, name TEXT UNIQUE);"
            "CREATE TABLE IF NOT EXISTS host_documents(name TEXT PRIMARY KEY, data BLOB);"
            "CREATE TABLE IF NOT EXISTS host_variables(scope INTEGER, name TEXT, type INTEGER, "
            "value BLOB, "
            "PRIMARY KEY(scope, name));"
            "CREATE TABLE IF NOT EXISTS host_fields(tbl INTEGER, fld INTEGER, name TEXT, type "
            "INTEGER, "
            "PRIMARY KEY(tbl, fld));"
            "CREATE TABLE IF NOT EXISTS host_values(tbl INTEGER, fld INTEGER, rec INTEGER, value, "
            "PRIMARY KEY(tbl, fld, rec));"
            "CREATE TABLE IF NOT EXISTS host_resources(type INTEGER, id INTEGER, name TEXT, data "
            "BLOB, "
            "PRIMARY KEY(type, id));")) {
    sqlite3_close(fDb);
    fDb = nullptr;
  }
}

HostDatabase::~HostDatabase() { sqlite3_close(fDb); }

bool HostDatabase::Exec(const char* sql) const {
  char* message = nullptr;
  if (sqlite3_exec(Db(), sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  fError = message != nullptr ? message : "SQL error";
  sqlite3_free(message);
  return false;
}

bool HostDatabase::DefineTable(uint16_t table, const std::string& name) {
  Statement s(Db(), "INSERT OR REPLACE INTO host_tables(tbl, name, current, records) VALUES(?, ?, 0, 0)");
  if (!s) return false;
  sqlite3_bind_int(s.get(), 1, table);
  sqlite3_bind_text(s.get(), 2, name.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

bool HostDatabase::DefineField(uint16_t table, uint16_t field, const std::string& name, int16_t type) {
  if (!TableName(table)) return false;
  Statement s(Db(), "INSERT OR REPLACE INTO host_fields(tbl, fld, name, type) VALUES(?, ?, ?, ?)");
  if (!s) return false;
  sqlite3_bind_int(s.get(), 1, table);
  sqlite3_bind_int(s.get(), 2, field);
  sqlite3_bind_text(s.get(), 3, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(s.get(), 4, type);
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

std::optional<int16_t> HostDatabase::FieldType(uint16_t table, uint16_t field) const {
  Statement s(Db(), "SELECT type FROM host_fields WHERE tbl = ? AND fld = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_int(s.get(), 1, table);
  sqlite3_bind_int(s.get(), 2, field);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return static_cast<int16_t>(sqlite3_column_int(s.get(), 0));
}

std::string HostDatabase::FieldName(uint16_t table, uint16_t field) const {
  Statement s(Db(), "SELECT name FROM host_fields WHERE tbl = ? AND fld = ?");
  if (!s) return {};
  sqlite3_bind_int(s.get(), 1, table);
  sqlite3_bind_int(s.get(), 2, field);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return {};
  const unsigned char* text = sqlite3_column_text(s.get(), 0);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

std::optional<std::string> HostDatabase::TableName(uint16_t table) const {
  Statement s(Db(), "SELECT name FROM host_tables WHERE tbl = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_int(s.get(), 1, table);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  const unsigned char* text = sqlite3_column_text(s.get(), 0);
  return std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "");
}

std::optional<uint16_t> HostDatabase::TableNumber(const std::string& name) const {
  Statement s(Db(), "SELECT tbl FROM host_tables WHERE name = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_text(s.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return static_cast<uint16_t>(sqlite3_column_int(s.get(), 0));
}

bool HostDatabase::DefineName(int16_t number, const std::string& name) {
  Statement s(Db(), "INSERT OR REPLACE INTO host_names(number, name) VALUES(?, ?)");
  if (!s) return false;
  sqlite3_bind_int(s.get(), 1, number);
  sqlite3_bind_text(s.get(), 2, name.c_str(), -1, SQLITE_TRANSIENT);
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

std::optional<std::string> HostDatabase::NameOf(int16_t number) const {
  Statement s(Db(), "SELECT name FROM host_names WHERE number = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_int(s.get(), 1, number);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  const unsigned char* text = sqlite3_column_text(s.get(), 0);
  return std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "");
}

std::optional<int16_t> HostDatabase::NumberOfName(const std::string& name) const {
  Statement s(Db(), "SELECT number FROM host_names WHERE name = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_text(s.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return static_cast<int16_t>(sqlite3_column_int(s.get(), 0));
}

uint32_t HostDatabase::CurrentRecord(uint16_t table) const {
  Statement s(Db(), "SELECT current FROM host_tables WHERE tbl = ?");
  if (!s) return 0;
  sqlite3_bind_int(s.get(), 1, table);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return 0;
  return static_cast<uint32_t>(sqlite3_column_int64(s.get(), 0));
}

bool HostDatabase::SetCurrentRecord(uint16_t table, uint32_t record) {
  Statement s(Db(), "UPDATE host_tables SET current = ? WHERE tbl = ?");
  if (!s) return false;
  sqlite3_bind_int64(s.get(), 1, record);
  sqlite3_bind_int(s.get(), 2, table);
  return sqlite3_step(s.get()) == SQLITE_DONE && sqlite3_changes(Db()) == 1;
}

std::optional<HostDatabase::Value> HostDatabase::Get(uint16_t table, uint16_t field) const {
  const std::optional<int16_t> type = FieldType(table, field);
  if (!type) return std::nullopt;
  Statement s(Db(), "SELECT value FROM host_values WHERE tbl = ? AND fld = ? AND rec = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_int(s.get(), 1, table);
  sqlite3_bind_int(s.get(), 2, field);
  sqlite3_bind_int64(s.get(), 3, CurrentRecord(table));
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  Value value;
  sqlite3_stmt* st = s.get();
  switch (StorageOf(*type)) {
    case Storage::kBytes: {
      const void* blob = sqlite3_column_blob(st, 0);
      const int n = sqlite3_column_bytes(st, 0);
      if (blob != nullptr && n > 0) value.bytes.assign(static_cast<const uint8_t*>(blob),
                                                      static_cast<const uint8_t*>(blob) + n);
      break;
    }
    case Storage::kText: {
      const unsigned char* text = sqlite3_column_text(st, 0);
      if (text != nullptr) value.text = reinterpret_cast<const char*>(text);
      break;
    }
    case Storage::kReal:
      value.number = sqlite3_column_double(st, 0);
      break;
    case Storage::kDate: {
      const void* blob = sqlite3_column_blob(st, 0);
      if (blob != nullptr && sqlite3_column_bytes(st, 0) == sizeof value.date)
        std::memcpy(value.date, blob, sizeof value.date);
      break;
    }
    case Storage::kInteger:
      value.integer = sqlite3_column_int64(st, 0);
      break;
  }
  return value;
}

bool HostDatabase::Set(uint16_t table, uint16_t field, const Value& value) {
  const std::optional<int16_t> type = FieldType(table, field);
  if (!type) return false;
  Statement s(Db(), "INSERT OR REPLACE INTO host_values(tbl, fld, rec, value) VALUES(?, ?, ?, ?)");
  if (!s) return false;
  sqlite3_stmt* st = s.get();
  sqlite3_bind_int(st, 1, table);
  sqlite3_bind_int(st, 2, field);
  sqlite3_bind_int64(st, 3, CurrentRecord(table));
  switch (StorageOf(*type)) {
    case Storage::kBytes:
      sqlite3_bind_blob(st, 4, value.bytes.data(), static_cast<int>(value.bytes.size()), SQLITE_TRANSIENT);
      break;
    case Storage::kText:
      sqlite3_bind_text(st, 4, value.text.c_str(), -1, SQLITE_TRANSIENT);
      break;
    case Storage::kReal:
      sqlite3_bind_double(st, 4, value.number);
      break;
    case Storage::kDate:
      sqlite3_bind_blob(st, 4, value.date, sizeof value.date, SQLITE_TRANSIENT);
      break;
    case Storage::kInteger:
      sqlite3_bind_int64(st, 4, value.integer);
      break;
  }
  return sqlite3_step(st) == SQLITE_DONE;
}

uint32_t HostDatabase::RecordCount(uint16_t table) const {
  Statement s(Db(), "SELECT records FROM host_tables WHERE tbl = ?");
  if (!s) return 0;
  sqlite3_bind_int(s.get(), 1, table);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return 0;
  return static_cast<uint32_t>(sqlite3_column_int64(s.get(), 0));
}

bool HostDatabase::SetRecordCount(uint16_t table, uint32_t count) {
  Statement s(Db(), "UPDATE host_tables SET records = ? WHERE tbl = ?");
  if (!s) return false;
  sqlite3_bind_int64(s.get(), 1, count);
  sqlite3_bind_int(s.get(), 2, table);
  return sqlite3_step(s.get()) == SQLITE_DONE && sqlite3_changes(Db()) == 1;
}

int32_t HostDatabase::CountTables() const {
  Statement s(Db(), "SELECT COUNT(*) FROM host_tables");
  if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return 0;
  return sqlite3_column_int(s.get(), 0);
}

int32_t HostDatabase::CountFields(uint16_t table) const {
  Statement s(Db(), "SELECT COUNT(*) FROM host_fields WHERE tbl = ?");
  if (!s) return 0;
  sqlite3_bind_int(s.get(), 1, table);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return 0;
  return sqlite3_column_int(s.get(), 0);
}

std::optional<std::pair<uint16_t, uint16_t>> HostDatabase::FindField(const std::string& table,
                                                                     const std::string& field) const {
  Statement s(Db(),
              "SELECT f.tbl, f.fld FROM host_fields f JOIN host_tables t ON t.tbl = f.tbl "
              "WHERE t.name = ? AND f.name = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_text(s.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s.get(), 2, field.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return std::make_pair(static_cast<uint16_t>(sqlite3_column_int(s.get(), 0)),
                        static_cast<uint16_t>(sqlite3_column_int(s.get(), 1)));
}

std::optional<HostDatabase::Variable> HostDatabase::GetVariable(int32_t scope, const std::string& name) const {
  Statement s(Db(), "SELECT type, value FROM host_variables WHERE scope = ? AND name = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_int(s.get(), 1, scope);
  sqlite3_bind_text(s.get(), 2, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  Variable variable;
  variable.type = static_cast<int16_t>(sqlite3_column_int(s.get(), 0));
  const void* blob = sqlite3_column_blob(s.get(), 1);
  const int n = sqlite3_column_bytes(s.get(), 1);
  if (blob != nullptr && n > 0)
    variable.bytes.assign(static_cast<const uint8_t*>(blob), static_cast<const uint8_t*>(blob) + n);
  return variable;
}

bool HostDatabase::SetVariable(int32_t scope, const std::string& name, const Variable& variable) {
  Statement s(Db(), "INSERT OR REPLACE INTO host_variables(scope, name, type, value) VALUES(?, ?, ?, ?)");
  if (!s) return false;
  sqlite3_bind_int(s.get(), 1, scope);
  sqlite3_bind_text(s.get(), 2, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(s.get(), 3, variable.type);
  sqlite3_bind_blob(s.get(), 4, variable.bytes.data(), static_cast<int>(variable.bytes.size()), SQLITE_TRANSIENT);
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

std::optional<std::vector<uint8_t>> HostDatabase::GetDocument(const std::string& name) const {
  Statement s(Db(), "SELECT data FROM host_documents WHERE name = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_text(s.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  std::vector<uint8_t> bytes;
  const void* blob = sqlite3_column_blob(s.get(), 0);
  const int n = sqlite3_column_bytes(s.get(), 0);
  if (blob != nullptr && n > 0) bytes.assign(static_cast<const uint8_t*>(blob), static_cast<const uint8_t*>(blob) + n);
  return bytes;
}

bool HostDatabase::SetDocument(const std::string& name, const std::vector<uint8_t>& bytes) {
  Statement s(Db(), "INSERT OR REPLACE INTO host_documents(name, data) VALUES(?, ?)");
  if (!s) return false;
  sqlite3_bind_text(s.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_blob(s.get(), 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

// ---- The resource file kept for the module

namespace {

HostDatabase::Resource ResourceOfRow(sqlite3_stmt* s) {
  HostDatabase::Resource r;
  r.type = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
  r.id = static_cast<int16_t>(sqlite3_column_int(s, 1));
  const unsigned char* name = sqlite3_column_text(s, 2);
  if (name != nullptr) r.name = reinterpret_cast<const char*>(name);
  const void* blob = sqlite3_column_blob(s, 3);
  const int n = sqlite3_column_bytes(s, 3);
  if (blob != nullptr && n > 0)
    r.data.assign(static_cast<const uint8_t*>(blob), static_cast<const uint8_t*>(blob) + n);
  return r;
}

}  // namespace

bool HostDatabase::AddResource(const Resource& resource) {
  Statement s(Db(),
              "INSERT OR REPLACE INTO host_resources(type, id, name, data) VALUES(?, ?, ?, ?)");
  if (!s) return false;
  sqlite3_bind_int64(s.get(), 1, resource.type);
  sqlite3_bind_int(s.get(), 2, resource.id);
  sqlite3_bind_text(s.get(), 3, resource.name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_blob(s.get(), 4, resource.data.data(), static_cast<int>(resource.data.size()),
                    SQLITE_TRANSIENT);
  return sqlite3_step(s.get()) == SQLITE_DONE;
}

std::optional<HostDatabase::Resource> HostDatabase::GetResource(uint32_t type, int16_t id) const {
  Statement s(Db(), "SELECT type, id, name, data FROM host_resources WHERE type = ? AND id = ?");
  if (!s) return std::nullopt;
  sqlite3_bind_int64(s.get(), 1, type);
  sqlite3_bind_int(s.get(), 2, id);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return ResourceOfRow(s.get());
}

std::optional<HostDatabase::Resource> HostDatabase::GetNamedResource(
    uint32_t type, const std::string& name) const {
  Statement s(
      Db(),
      "SELECT type, id, name, data FROM host_resources WHERE type = ? AND name = ? ORDER BY id");
  if (!s) return std::nullopt;
  sqlite3_bind_int64(s.get(), 1, type);
  sqlite3_bind_text(s.get(), 2, name.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s.get()) != SQLITE_ROW) return std::nullopt;
  return ResourceOfRow(s.get());
}

bool HostDatabase::RemoveResource(uint32_t type, int16_t id) {
  Statement s(Db(), "DELETE FROM host_resources WHERE type = ? AND id = ?");
  if (!s) return false;
  sqlite3_bind_int64(s.get(), 1, type);
  sqlite3_bind_int(s.get(), 2, id);
  return sqlite3_step(s.get()) == SQLITE_DONE && sqlite3_changes(Db()) == 1;
}

bool HostDatabase::SetResourceData(uint32_t type, int16_t id, const std::vector<uint8_t>& data) {
  Statement s(Db(), "UPDATE host_resources SET data = ? WHERE type = ? AND id = ?");
  if (!s) return false;
  sqlite3_bind_blob(s.get(), 1, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int64(s.get(), 2, type);
  sqlite3_bind_int(s.get(), 3, id);
  return sqlite3_step(s.get()) == SQLITE_DONE && sqlite3_changes(Db()) == 1;
}

bool HostDatabase::SetResourceName(uint32_t type, int16_t id, const std::string& name) {
  Statement s(Db(), "UPDATE host_resources SET name = ? WHERE type = ? AND id = ?");
  if (!s) return false;
  sqlite3_bind_text(s.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(s.get(), 2, type);
  sqlite3_bind_int(s.get(), 3, id);
  return sqlite3_step(s.get()) == SQLITE_DONE && sqlite3_changes(Db()) == 1;
}

std::vector<HostDatabase::Resource> HostDatabase::ResourcesOfType(uint32_t type) const {
  std::vector<Resource> out;
  Statement s(Db(), "SELECT type, id, name, data FROM host_resources WHERE type = ? ORDER BY id");
  if (!s) return out;
  sqlite3_bind_int64(s.get(), 1, type);
  while (sqlite3_step(s.get()) == SQLITE_ROW) out.push_back(ResourceOfRow(s.get()));
  return out;
}

std::vector<uint32_t> HostDatabase::ResourceTypes() const {
  std::vector<uint32_t> out;
  Statement s(Db(), "SELECT DISTINCT type FROM host_resources ORDER BY type");
  if (!s) return out;
  while (sqlite3_step(s.get()) == SQLITE_ROW)
    out.push_back(static_cast<uint32_t>(sqlite3_column_int64(s.get(), 0)));
  return out;
}
