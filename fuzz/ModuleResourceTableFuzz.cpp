// Fuzz target of the module resource table: a table made from the input (the
// types, names, numbers and data a resource script can give, in the order the
// resource compiler writes them) exported by this program under the name a
// library exports its own, and walked through VModuleResourceFile on the
// program's handle.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/system/resources/VModuleResourceFile.h"
#include "fuzz/FuzzSupport.h"
#include "platform/win32/WinModuleResources.h"

// The table the program's handle answers; rebuilt for every input.
extern "C" {
__attribute__((visibility("default"))) WinModuleResourceTable QvModuleResourceTable = {
    kWinModuleResourceMagic, 0, nullptr};
}

namespace {

struct Key {
  bool isText = false;
  std::string text;
  uint16_t number = 0;
};

struct Entry {
  Key type;
  Key name;
  std::vector<uint8_t> data;
};

Key TakeKey(FuzzInput& input, bool isNumber, uint8_t longest) {
  Key key;
  if (isNumber) {
    const uint8_t high = input.TakeByte();
    key.number = uint16_t((high << 8) | input.TakeByte());
    return key;
  }
  key.isText = true;
  const uint8_t length = uint8_t(input.TakeByte() % (longest + 1));
  for (uint8_t i = 0; i < length; ++i) {
    const char c = char(input.TakeByte());
    if (c == '\0') break;
    key.text.push_back(c);
  }
  return key;
}

std::string Upper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
  return upper;
}

// The resource compiler's order: texts before numbers, texts by their
// upper-case form, numbers ascending.
bool Before(const Key& a, const Key& b) {
  if (a.isText != b.isText) return a.isText;
  if (a.isText) return Upper(a.text) < Upper(b.text);
  return a.number < b.number;
}

WinModuleResource ResourceOf(const Entry& entry) {
  WinModuleResource resource{};
  resource.typeName = entry.type.isText ? entry.type.text.c_str() : nullptr;
  resource.typeId = entry.type.number;
  resource.name = entry.name.isText ? entry.name.text.c_str() : nullptr;
  resource.id = entry.name.number;
  resource.size = uint32_t(entry.data.size());
  resource.data = entry.data.empty() ? nullptr : entry.data.data();
  return resource;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  static void* const program = dlopen(nullptr, RTLD_NOW);
  if (program == nullptr) return 0;

  FuzzInput input(data, size);
  std::vector<Entry> entries(input.TakeByte() % 33);
  for (Entry& entry : entries) {
    const uint8_t flags = input.TakeByte();
    entry.type = TakeKey(input, flags & 1, 8);
    entry.name = TakeKey(input, flags & 2, 40);
    const uint8_t claimed = input.TakeByte();
    const size_t length = std::min<size_t>(claimed, input.RestSize());
    entry.data.assign(input.Rest(), input.Rest() + length);
    for (size_t i = 0; i < length; ++i) input.TakeByte();
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (Before(a.type, b.type)) return true;
    if (Before(b.type, a.type)) return false;
    return Before(a.name, b.name);
  });
  std::vector<WinModuleResource> resources;
  for (const Entry& entry : entries) resources.push_back(ResourceOf(entry));

  QvModuleResourceTable.count = uint32_t(resources.size());
  QvModuleResourceTable.resources = resources.empty() ? nullptr : resources.data();
  {
    VModuleResourceFile file(static_cast<HINSTANCE__*>(program));
    WalkResourceFile(file);
  }
  QvModuleResourceTable.count = 0;
  QvModuleResourceTable.resources = nullptr;
  return 0;
}
