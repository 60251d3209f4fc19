// The menu item registry.
#include "controls/menus/VMenuItemRef.h"

#include <set>
#include <vector>

namespace {

struct Registry {
  // Element i holds the record of index i + 1, or null.
  std::vector<VMenuItemRef*> records;
  // Freed indexes below the end of `records`, so the lowest is found at once
  // even with tens of thousands held.
  std::set<uint16_t> free;
};

Registry& R() {
  static Registry registry;
  return registry;
}

}  // namespace

VMenuItemRef::VMenuItemRef(VMenuBase* menu, int16_t position) : fMenu(menu), fPosition(position) {
  Registry& r = R();
  if (!r.free.empty()) {
    fIndex = *r.free.begin();
    r.free.erase(r.free.begin());
  } else if (r.records.size() < kMaxMenuItemRef) {
    r.records.push_back(nullptr);
    fIndex = static_cast<uint16_t>(r.records.size());
  } else {
    return;  // full: this item stays unregistered
  }
  r.records[fIndex - 1] = this;
}

VMenuItemRef::~VMenuItemRef() {
  if (fIndex == 0) return;
  Registry& r = R();
  r.records[fIndex - 1] = nullptr;
  r.free.insert(fIndex);
}

VMenuItemRef* LookUpMenuItemRef(uint16_t id) {
  const auto& records = R().records;
  if (id == 0 || id > records.size()) return nullptr;
  return records[id - 1];
}

void RemoveMenuItemRefs(const VMenuBase* menu) {
  // Copy first: each deletion writes into the registry.
  std::vector<VMenuItemRef*> doomed;
  for (VMenuItemRef* record : R().records) {
    if (record != nullptr && record->GetMenu() == menu) doomed.push_back(record);
  }
  for (VMenuItemRef* record : doomed) delete record;
}

void RemoveAllMenuItemRefs() {
  std::vector<VMenuItemRef*> doomed;
  for (VMenuItemRef* record : R().records) {
    if (record != nullptr) doomed.push_back(record);
  }
  for (VMenuItemRef* record : doomed) delete record;
  R().records.clear();
  R().free.clear();
}

size_t CountMenuItemRefs() { return R().records.size() - R().free.size(); }
