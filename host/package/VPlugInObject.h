// VPlugInObject: what the package needs of a plug-in object (an area of a
// host form, a design-mode placeholder, an output or a printing object) to
// route area events to it. The plug-in classes of the view framework
// implement it beside their VObject base, so their memory stays the
// framework heap's, and deleting one through this interface is sound.
#pragma once

class VPlugInObject {
 public:
  virtual ~VPlugInObject();

  // Delivery of an area event; `params` is the host's parameter array
  // (entry 0 the event record, entry 3 the area's object cell). Each kind of
  // object answers its own: a form area HandleEvent, a design placeholder
  // DrawPicture, an output object DrawOutput, a printing object PrintPage.
  // Nothing by default.
  virtual void HandleEvent(void** params);
  virtual void DrawPicture(void** params);
  virtual void DrawOutput(void** params);
  virtual void PrintPage(void** params);

  // Closes the object's views before it is deleted. Nothing by default.
  virtual void Close();
  // Set by a form area once it accepted the host's request to close; only
  // then does a delete event remove it.
  virtual bool IsClosed() const;
};
