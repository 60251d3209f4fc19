// Writing compiled resources with the Toolbox resource manager: into a new
// file beside the target, which takes the target's place once it is whole.
#include "tools/rescomp/ResourceWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/toolbox/TbxResources.h"

namespace {

// Resource manager paths are length-prefixed, so at most 255 bytes long.
bool PascalPath(const std::string& path, uint8_t (&out)[256]) {
  if (path.empty() || path.size() > 255) return false;
  out[0] = static_cast<uint8_t>(path.size());
  std::memcpy(out + 1, path.data(), path.size());
  return true;
}

std::string Err(const std::string& what, Tbx::OSErr err) {
  return what + " (error " + std::to_string(err) + ")";
}

// `name` is a file of the current folder; messages call it `shown`.
bool WriteInCurrentFolder(const std::string& name, const std::string& shown,
                          const std::vector<CompiledResource>& resources, std::string* error) {
  const std::string fresh = name + ".new";
  uint8_t path[256];
  if (!PascalPath(fresh, path)) {
    *error = shown + ": file name longer than 251 bytes";
    return false;
  }
  unlink(fresh.c_str());
  Tbx::CreateResFile(path);
  if (Tbx::ResError() != Tbx::noErr) {
    *error = Err(shown + ".new: can not be created", Tbx::ResError());
    return false;
  }
  const int16_t saved = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(path);
  if (ref == -1) {
    *error = Err(shown + ".new: can not be opened", Tbx::ResError());
    unlink(fresh.c_str());
    return false;
  }
  bool ok = true;
  for (const CompiledResource& r : resources) {
    Tbx::Handle h = Tbx::NewHandle(static_cast<int32_t>(r.data.size()));
    if (h == 0) {
      *error = r.where + ": out of memory";
      ok = false;
      break;
    }
    if (!r.data.empty()) {
      std::memcpy(Tbx::HLock(h), r.data.data(), r.data.size());
      Tbx::HUnlock(h);
    }
    uint8_t resName[256];
    resName[0] = static_cast<uint8_t>(r.name.size());
    std::memcpy(resName + 1, r.name.data(), r.name.size());
    Tbx::AddResource(h, r.type, r.id, resName);
    if (Tbx::ResError() == Tbx::noErr && r.attrs != 0) Tbx::SetResAttrs(h, r.attrs);
    if (Tbx::ResError() != Tbx::noErr) {
      *error = Err(r.where + ": can not be added", Tbx::ResError());
      Tbx::DisposeHandle(h);
      ok = false;
      break;
    }
  }
  if (ok) {
    Tbx::UpdateResFile(ref);
    if (Tbx::ResError() != Tbx::noErr) {
      *error = Err(shown + ": can not be written", Tbx::ResError());
      ok = false;
    }
  }
  Tbx::CloseResFile(ref);
  if (saved != -1) Tbx::UseResFile(saved);
  if (ok && std::rename(fresh.c_str(), name.c_str()) != 0) {
    *error = shown + ": " + std::strerror(errno);
    ok = false;
  }
  // After a failure the new file is thrown away and the old one stays.
  if (!ok) unlink(fresh.c_str());
  return ok;
}

}  // namespace

// Works in the output's folder, so that only the file's own name has to fit
// the resource manager's 255 bytes, however deep the folder lies.
bool WriteResourceFile(const std::string& path, const std::vector<CompiledResource>& resources,
                       std::string* error) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return WriteInCurrentFolder(path, path, resources, error);
  const int saved = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (saved < 0 || chdir(path.substr(0, slash + 1).c_str()) != 0) {
    *error = path + ": " + std::strerror(errno);
    if (saved >= 0) close(saved);
    return false;
  }
  bool ok = WriteInCurrentFolder(path.substr(slash + 1), path, resources, error);
  if (fchdir(saved) != 0 && ok) {
    *error = std::string("can not return to the working folder: ") + std::strerror(errno);
    ok = false;
  }
  close(saved);
  return ok;
}
