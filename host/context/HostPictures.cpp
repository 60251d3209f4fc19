// Pictures between the host and the module.
#include "host/context/HostPictures.h"

#include <climits>
#include <cstring>

#include "host/context/HostProcesses.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

// The bytes after a picture that the host expects.
constexpr int32_t kPictureTrailer = 6;

// The metafile that the host's 32-bit answer stands for.
HENHMETAFILE MetafileOfWord(uint32_t word) {
  return reinterpret_cast<HENHMETAFILE>(static_cast<uintptr_t>(word));
}

}  // namespace

HENHMETAFILE HostPictToEmf(const uint8_t* bytes, uint32_t size) {
  if (bytes == nullptr || size == 0 || size > INT32_MAX) return nullptr;
  const Tbx::Handle handle = Tbx::NewHandle(static_cast<int32_t>(size));
  if (handle == 0) return nullptr;
  {
    Tbx::HandleLocker data(handle);
    if (!data) {
      Tbx::DisposeHandle(handle);
      return nullptr;
    }
    std::memcpy(data.As<uint8_t>(), bytes, size);
  }
  HENHMETAFILE metafile = MetafileOfWord(HostMetafileCallEMF(handle));
  Tbx::DisposeHandle(handle);
  return metafile;
}

VValue* HostPictureToMetafileValue(uint32_t pictureHandle) {
  const HostPictureForms* forms = HostPictureFormsService::Get();
  if (forms == nullptr || pictureHandle == 0) return nullptr;
  HENHMETAFILE metafile = MetafileOfWord(HostMetafileCallEMF(pictureHandle));
  if (metafile == nullptr) return nullptr;
  VValue* value = forms->metafileValue(metafile);
  if (value == nullptr) DeleteEnhMetaFile(metafile);
  return value;
}

VValue* HostPictureToPictValue(uint32_t pictureHandle) {
  const HostPictureForms* forms = HostPictureFormsService::Get();
  if (forms == nullptr || pictureHandle == 0) return nullptr;
  const int32_t size = Tbx::GetHandleSize(pictureHandle);
  if (Tbx::MemError() != Tbx::noErr || size <= 0) return nullptr;
  Tbx::HandleLocker data(pictureHandle);
  if (!data) return nullptr;
  return forms->pictValue(data.As<const uint8_t>(), static_cast<uint32_t>(size));
}

uint32_t HostPictHandleOfValue(const VValue& value) {
  const HostPictureForms* forms = HostPictureFormsService::Get();
  return forms != nullptr ? forms->macPicture(value) : 0;
}

uint32_t HostMacPictureOfValue(const VValue& value) {
  const Tbx::Handle handle = HostPictHandleOfValue(value);
  if (handle == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(handle);
  if (Tbx::MemError() != Tbx::noErr || size > INT32_MAX - kPictureTrailer) {
    Tbx::DisposeHandle(handle);
    return 0;
  }
  Tbx::SetHandleSize(handle, size + kPictureTrailer);
  if (Tbx::MemError() != Tbx::noErr || Tbx::GetHandleSize(handle) != size + kPictureTrailer) {
    Tbx::DisposeHandle(handle);
    return 0;
  }
  Tbx::HandleLocker data(handle);
  if (data) std::memset(data.As<uint8_t>() + size, 0, kPictureTrailer);
  return handle;
}
