// The fixed-point value: a scaled 12-byte integer.
#include "framework/core/values/VFixedPoint.h"

#include <cmath>

VFixedPoint::VFixedPoint() = default;

VFixedPoint::VFixedPoint(const VFixedPoint& other) : fInteger(other.fInteger) { fNull = other.fNull; }

VFixedPoint& VFixedPoint::operator=(const VFixedPoint& other) {
  fInteger = other.fInteger;
  fNull = other.fNull;
  return *this;
}

VValue* VFixedPoint::Clone() const { return new VFixedPoint(*this); }

bool VFixedPoint::IsInteger() const { return true; }

void VFixedPoint::Clear() {
  fInteger.Clear();
  SetNull(false, kWholeValue);
}

int32_t VFixedPoint::GetKind() const { return kValueFixedPoint; }

void VFixedPoint::SetLong(int32_t value, int32_t range) {
  fInteger.SetLong(value, range);
  fInteger.MultiplyInPlace(VBigInteger(kFixedPointBytes, kScale));
}

void VFixedPoint::SetReal(double value, int32_t range) {
  fInteger.SetReal(std::trunc(value), range);
  fInteger.MultiplyInPlace(VBigInteger(kFixedPointBytes, kScale));
}

void VFixedPoint::SetLongLong(int64_t value, int32_t range) { fInteger.SetLongLong(value, range); }

void VFixedPoint::SetString(const VString& source, int32_t range) { fInteger.SetString(source, range); }

void VFixedPoint::FormatTo(VString& destination, const VString* format, int32_t range) const {
  fInteger.FormatTo(destination, format, range);
}

int32_t VFixedPoint::Compare(const VValue& other, int32_t arg1, int32_t arg2) const {
  return fInteger.Compare(other, arg1, arg2);
}

const uint8_t* VFixedPoint::FromData(const uint8_t* data, int32_t range) {
  return fInteger.FromData(data, range);
}

uint8_t* VFixedPoint::ToData(uint8_t* data, int32_t range) const { return fInteger.ToData(data, range); }

uint32_t VFixedPoint::GetDataSize() const { return fInteger.GetDataSize(); }
