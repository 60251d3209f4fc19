// VIntlMgr::TableUse, internal to the international text manager: one use of
// a table through its pointer, locking the handle only when no outer use has.
#pragma once

#include "framework/core/intl/TextTables.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHandleLocker.h"

class VIntlMgr::TableUse {
 public:
  TableUse(VIntlMgr& manager, TableSlot slot);
  ~TableUse();
  TableUse(const TableUse&) = delete;
  TableUse& operator=(const TableUse&) = delete;

  // The table's bytes; no data when the table is missing.
  const TextTables::Table& Table() const { return fTable; }

 private:
  Slot& fSlot;
  // Holds the lock when this use took it; empty under an outer use.
  VHandleLocker fLock;
  TextTables::Table fTable;
};
