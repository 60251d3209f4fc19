// cairo loaded on first need, its functions looked up once.
#include "platform/print/CairoLibrary.h"

#include <dlfcn.h>

namespace {

// cairo's run-time name: its interface has kept major version 2 throughout.
constexpr const char* kCairoLibrary = "libcairo.so.2";

CairoFunctions* Loaded() {
  void* library = dlopen(kCairoLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  static CairoFunctions functions;
  bool complete = true;
#define QV_CAIRO_LOOK_UP(name)                                                            \
  functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(library, "cairo_" #name)); \
  complete = complete && functions.name != nullptr;
  QV_CAIRO_FUNCTIONS(QV_CAIRO_LOOK_UP)
#undef QV_CAIRO_LOOK_UP
  // The library stays loaded: the faces cairo holds call back into it until
  // the process ends.
  return complete ? &functions : nullptr;
}

}  // namespace

const CairoFunctions* LoadCairo() {
  static const CairoFunctions* const functions = Loaded();
  return functions;
}
