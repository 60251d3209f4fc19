// VPackage: the base of the package object, the one object through which a
// module serves the host. It knows the package's identity in the module's
// resource file (resource base and name), which routine numbers are area
// routines, the live plug-in objects by kind, the preferences file and the
// resource files that plug-in objects share, and it routes every host call
// that the entry point passes on: package events, area events, commands.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "framework/core/VObject.h"
#include "framework/core/containers/VChainListOf.h"
#include "framework/core/strings/VUniString.h"

struct HostStartupRecord;
class VPlugInObject;
class VMacResourceFile;
class VString;
struct VSharedResFile;

// Kinds of plug-in objects, as KindOfPlugIn numbers them.
enum VPlugInKind : int32_t {
  kPlugInNone = 0,       // none of the package's objects
  kPlugInDesign = 1,     // design-mode placeholder
  kPlugInForm = 2,       // area in a host form
  kPlugInOffscreen = 3,  // area without a form
  kPlugInOutput = 4,
  kPlugInPrinting = 5,
};

// The module's resource type of the package's identity, and of its
// preferences layout.
constexpr uint32_t kTypeQBNX = FourCC("QBNX");
constexpr uint32_t kTypeXPRF = FourCC("XPRF");

class VPackage : public VObject {
 public:
  using PlugInList = VChainListOf<VPlugInObject*>;

  // Reads the package's identity and routine list from the module's
  // resource file and, for a host interface of 0x600 or later, writes the
  // module's interface version into the start-up record (which may be null).
  explicit VPackage(HostStartupRecord* startParams);
  // Deletes the preferences and shared files; the plug-in objects are not
  // the package's and are only forgotten.
  ~VPackage() override;
  VPackage(const VPackage&) = delete;
  VPackage& operator=(const VPackage&) = delete;

  // ---- Operations of a concrete package.
  virtual bool Init();
  virtual void DeInit();
  virtual void ExecuteCommand(int32_t selector, void* params, void* result) = 0;
  // The creating operations: a new object that registered itself and stored
  // itself into the area's object cell, or null.
  virtual VPlugInObject* NewPlugIn(int32_t routine, void* params);
  virtual VPlugInObject* NewDesignPlugIn(int32_t routine, void* params);
  virtual VPlugInObject* NewOutputPlugIn(int32_t routine, void* params);
  virtual VPlugInObject* NewPrintingPlugIn(int32_t routine, void* params);
  virtual int16_t GetAreaResourceId(int32_t routine);
  virtual void OffscreenPlugInsDeleted(int32_t count);
  virtual void OnEvent206(uint32_t a, uint16_t b, uint32_t result, uint32_t c);
  virtual bool OnEvent205(uint32_t a, uint16_t b, uint32_t& r, uint32_t& d);
  virtual void OnEvent207(uint32_t a, uint16_t b, uint32_t result, uint32_t c);
  virtual void OnEvent201();
  virtual void OnEvent202();
  virtual void OnEvent3(uint32_t value);
  virtual void OnEvent4(uint32_t value);
  // Converts the package's own resource types in place (1 when it did).
  virtual uint8_t SwapResource(uint8_t direction, uint32_t type, uint32_t size, void* data);

  // ---- Routing.
  // Every host call once the package exists; the current graphics port and
  // device are saved before and restored after.
  void Dispatch(int32_t selector, void* params, void* result);
  void DispatchPackageEvent(int32_t selector, void* params, void* result);
  void HandleAreaEvent(int32_t selector, void* params, void* result);

  // ---- Identity and files.
  int32_t GetResourceBase() const { return fResourceBase; }
  const VStr<255>& GetName() const { return fName; }
  VMacResourceFile* GetResourceFile() const { return fOwnFile; }
  // Opens the preferences file first when none is open (again on each call
  // while it cannot be opened); null without one.
  VMacResourceFile* GetPrefsFile();
  // Opens (or creates) the preferences file in the host's folder and brings
  // its copies of the module's preference resources up to date.
  void OpenPrefsFile();
  // The resource file of `key`, shared by every plug-in object that asks
  // for it, opened on first use from the folder `folderName` of the host's
  // folder; null when it cannot be opened.
  VMacResourceFile* AcquireSharedResourceFile(uint16_t key, const VString& folderName);
  // Drops one use; the last closes the file.
  void ReleaseSharedResourceFile(VMacResourceFile* file);

  // ---- Routine numbers.
  bool IsAreaRoutine(int16_t routine) const;
  // The area routines, ascending and ended by 0; null when there are none.
  const uint16_t* GetAreaRoutines() const { return fAreaRoutines; }

  // ---- Live plug-in objects; the objects register themselves.
  void AddDesignPlugIn(VPlugInObject* object);
  void RemoveDesignPlugIn(VPlugInObject* object);
  void AddFormPlugIn(VPlugInObject* object);
  void RemoveFormPlugIn(VPlugInObject* object);
  void AddOffscreenPlugIn(VPlugInObject* object);
  void RemoveOffscreenPlugIn(VPlugInObject* object);
  void AddOutputPlugIn(VPlugInObject* object);
  void RemoveOutputPlugIn(VPlugInObject* object);
  void AddPrintingPlugIn(VPlugInObject* object);
  void RemovePrintingPlugIn(VPlugInObject* object);
  // 1 to 5 by the first list that holds the object (form, offscreen,
  // output, printing, design), 0 when none does.
  int32_t KindOfPlugIn(const VPlugInObject* object) const;
  int32_t CountPlugIns(int32_t kind) const;
  VPlugInObject* GetCurrentFormArea() const { return fCurrentFormArea; }

  int32_t GetEventDepth() const { return fEventDepth; }

 private:
  void ReadRoutineNames();
  PlugInList* ListOfKind(int32_t kind) const;
  // Into and out of the list of its kind, and of the kinds.
  void Register(int32_t kind, VPlugInObject* object);
  void Unregister(int32_t kind, VPlugInObject* object);
  // Sends a synthetic event (the code, message 0) to a form area through the
  // host's parameter array, putting the array back as it came after.
  void SendFocusEvent(void** params, VPlugInObject* target, uint16_t code);
  void DeliverToForm(void** params, VPlugInObject* area);
  void DeliverByKind(int32_t kind, void** params, VPlugInObject* object);
  // A creating operation run with the current port saved and restored.
  VPlugInObject* Create(VPlugInObject* (VPackage::*make)(int32_t, void*), int32_t routine, void* params);
  VMacResourceFile* OpenSharedResourceFile(const VString& folderName);
  bool UpdatePrefs(VMacResourceFile* prefs);

  int32_t fResourceBase = -1;
  VStr<255> fName;
  VPlugInObject* fCurrentFormArea = nullptr;
  VChainListOf<VSharedResFile*> fSharedFiles;
  PlugInList fFormAreas;
  PlugInList fDesignPlugIns;
  PlugInList fOffscreenAreas;
  PlugInList fOutputPlugIns;
  PlugInList fPrintingPlugIns;
  // The kind of every object the lists hold, kept with them: the kind of
  // an object is asked at each of its events and at its end, and a walk of
  // lists of thousands of areas each time would make them quadratic.
  std::unordered_map<const VPlugInObject*, int32_t> fKinds;
  uint16_t* fAreaRoutines = nullptr;  // a block of the memory manager
  VMacResourceFile* fOwnFile = nullptr;    // not owned
  std::unique_ptr<VMacResourceFile> fPrefsFile;
  int32_t fEventDepth = 0;
};

// The module's package while one exists, for the code that needs it without
// being given it (the editing area, the resource byte-order procedure).
extern VPackage* gCurrentPackage;
