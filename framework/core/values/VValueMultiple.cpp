// The multiple-value base.
#include "framework/core/values/VValueMultiple.h"

VValueMultiple::VValueMultiple(int16_t tag) : fTag(tag) {}
VValueMultiple::~VValueMultiple() = default;

VValue* VValueMultiple::Clone() const { return nullptr; }
bool VValueMultiple::IsSingle() const { return false; }
int32_t VValueMultiple::GetKind() const { return kValueEmpty; }
int32_t VValueMultiple::Compare(const VValue&, int32_t, int32_t) const { return -1000; }
int32_t VValueMultiple::CountAll() const { return Count(); }
