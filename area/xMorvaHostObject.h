// xMorvaHostObject: what the word processor's four kinds of plug-in objects
// share for the host language: the 32-bit area reference the package handed
// out for the object, the document the object owns or reaches, and what the
// host language keeps with that document (its last command error, its
// callback and command methods).
#pragma once

#include <cstdint>

#include "area/xMorvaUserMethods.h"

class VPlugInObject;
class xMorvaDocument;
class xMorvaMain;
class xMorvaPlugIn;

class xMorvaHostObject {
 public:
  xMorvaHostObject(const xMorvaHostObject&) = delete;
  xMorvaHostObject& operator=(const xMorvaHostObject&) = delete;

  // The reference by which the host names the object in commands; 0 for an
  // object made without a package.
  uint32_t GetReference() const { return fReference; }
  xMorvaMain* GetMorvaPackage() const { return fPackage; }
  // The object's document; null for the design-mode placeholder.
  virtual xMorvaDocument* GetDocument() const { return nullptr; }
  // The editing area; null for the other kinds.
  virtual xMorvaPlugIn* GetEditingArea() { return nullptr; }
  // The area object of the host language's commands: the editing area of
  // a document the host shows. A document made by command for an area
  // without a host window (commands 36 and 47) has none, and the commands
  // that work on the area's window, bars, printing and events do nothing
  // on it and record 0.
  xMorvaPlugIn* GetAreaObject();
  xMorvaCommandState& GetCommandState() { return fCommandState; }

 protected:
  // The package hands the reference to the host with the event that makes
  // the object (16 or 602): in the record's 32-bit field after the message,
  // which the object has read by then. Other events are left alone.
  void HandOutReference(void** params) const;
  // Asked before the event is handled: a closing event may leave no object.
  static bool IsCreatingEvent(void** params);
  // Takes a reference from the package for `object` (this object as the
  // package's lists hold it).
  xMorvaHostObject(xMorvaMain* package, VPlugInObject* object);
  // Gives the reference back, so that it no longer resolves.
  virtual ~xMorvaHostObject();
  // The document goes before the object: the package forgets it first, so
  // that no command left running keeps it as its current document.
  void ForgetDocument();

 private:
  friend class xMorvaMain;
  // The package goes first: the object no longer reaches it.
  void DetachFromPackage() {
    fPackage = nullptr;
    fReference = 0;
  }

  xMorvaMain* fPackage;
  uint32_t fReference = 0;
  xMorvaCommandState fCommandState;
};
