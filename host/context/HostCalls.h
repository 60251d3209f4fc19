// The further host calls: data exchanged by handle, list entries, a second
// host resource file, calls about host objects (by their host reference),
// picture calls of the positive selectors, and single calls whose answers
// the module does not interpret. Each sends the fields its selector reads
// and reads back what it answers; none raises or shows anything.
#pragma once

#include <cstdint>
#include <initializer_list>

class VMacResourceFile;
class VString;

// Data of the package kept by the host (the package's resource base with
// a and b); only with the host's fourth start-up flag. Reading gives a new
// memory-manager handle the caller owns, or 0; writing hands the host the
// bytes of a Toolbox handle, which stays the caller's.
uint32_t HostGetBlob102(int32_t a, int16_t b);
bool HostSetBlob103(int32_t a, int16_t b, uint32_t handle, int32_t c);
// Sends a copy of the data in a new handle with the text's address; 100
// (no memory) when the handle cannot be made, else 0. The handle is
// disposed after the call unless the host answers kind 3 (it keeps it).
int32_t HostSendBlob106(const uint8_t* pascalText, const void* data, int32_t size);
// The string goes in a handle; when the host answers a nonzero word the
// string becomes the bytes it returned and -82 follows. The word, or 0.
int32_t HostExchangeObjectData(VString& text, int16_t word);
int32_t HostCall402(uint32_t a, uint32_t b, const VString& text);
// The host's text; false when it reports an error.
bool HostCall403(VString& text);
// Entry `index` (1 to the host's count) of the host's list of 32-byte
// names, else "Unknow".
void HostGetListEntry112(int32_t index, VString& text);

// The second host resource file, kept by the host context; null when the
// host gives none.
VMacResourceFile* HostOpenSecondResourceFile();
void HostCloseSecondResourceFile();

// Calls about a host object, given by its host reference.
void HostObjectFlag418(uint32_t reference, uint8_t flag);
bool HostObjectFlag419(uint32_t reference);
void HostObjectCall421(uint32_t reference);
bool HostObjectFlag422(uint32_t reference);
void HostProcessCall92(uint32_t reference, int32_t value);
int32_t HostGetValue90ForObject(uint32_t reference);
int32_t HostGetValue90ByFlag(int32_t flag);

void HostCall354(uint16_t table, const VString& text, bool on);
void HostCall355(const VString& text);
void HostCall356(const VString& text);
bool HostTest149();
void HostFindByName142(const VString& name);
void HostFindByName152(const VString& name);
// Four text buffers of 256 bytes for the host; the byte it answers.
uint8_t HostCall407(uint8_t* a, uint8_t* b, uint8_t* c, uint8_t* d);

// Picture calls (selector 180): an area (left, top, width, height) sent as
// a Macintosh rectangle, or a region handle; 178 bytes of the host's answer
// into `out` when it answers an address.
bool HostPictureCallMREC(int32_t placeX, int32_t placeY, const int32_t area[4], uint32_t a, uint32_t b,
                         uint8_t* out);
bool HostPictureCallHRGN(int32_t placeX, int32_t placeY, uintptr_t region, uint32_t a, uint32_t b, uint8_t* out);
void HostCall524(uint32_t a, uint32_t b);
int32_t HostCall525(uint32_t a);
// Up to 350 32-bit arguments copied into a 1402-byte record.
void HostCallList553(std::initializer_list<uint32_t> arguments);

// Single calls.
int32_t HostGetValue80();
void HostCall147();
void HostCall148();
void HostCall181(uint32_t v);
void HostCall183(uint32_t v);
int32_t HostGetValue426();
int32_t HostGetWord523();
uint32_t HostCall551(uint32_t a, uint32_t b);
int16_t HostGetWord400();
int32_t HostGetValue432();
void HostCall107();
void HostCall108();
void HostMarker443(bool beef);
void HostMarker444(bool beef);
// 36 bytes from the handle the host answers (zeros when it gives none).
void HostGetData137Copy(uint8_t out[36]);
void HostGetData137Text(VString& text);
int32_t HostGetData137Buffer(uint8_t buffer[512]);
