// Helpers shared by the list tests: reading a list into a vector and objects
// that record their own deletion.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"
#include "framework/core/containers/VListOf.h"

template <typename T>
std::vector<T> Items(const VListOf<T>& list) {
  std::vector<T> out;
  for (int32_t i = 1; i <= list.Count(); ++i) out.push_back(list.GetAt(i));
  return out;
}

template <typename T>
void AddAll(VListOf<T>& list, std::initializer_list<T> items) {
  for (const T& item : items) list.Add(&item);
}

// Writes its id into a log when deleted.
class Tracked : public VObject {
 public:
  Tracked(std::vector<int>* log, int id) : fLog(log), fId(id) {}
  ~Tracked() override { fLog->push_back(fId); }
  int Id() const { return fId; }

 private:
  std::vector<int>* fLog;
  int fId;
};
