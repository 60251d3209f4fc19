// VEntryFilter: the answers of a filter that does not reformat its field.
#include "framework/core/filters/VEntryFilter.h"

#include "framework/core/filters/VEntryField.h"

void VEntryFilter::SetFieldValue(const VString& value, VEntryField& field) { field.SetText(value); }
void VEntryFilter::GetFieldValue(VEntryField& field, VString& value) { field.GetText(value); }
const VString* VEntryFilter::GetTemplate() const { return nullptr; }
void VEntryFilter::NextEditablePosition(int32_t&) const {}
void VEntryFilter::PreviousEditablePosition(int32_t&) const {}
