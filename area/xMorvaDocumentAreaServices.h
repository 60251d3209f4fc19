// The editing area's answers to the document model (xMorvaAreaServices) and
// to the text engine (xMorvaEngineHost): the items of the package's string
// lists, addressed from its resource base, and its alerts shown by the host.
// The module installs them at start and removes them at stop. Also the
// progress status an area makes for its document on its status bar.
#pragma once

#include "document/xMorvaAreaServices.h"
#include "engine/xMorvaEngineHost.h"
#include "framework/core/streams/VStreamProgress.h"
#include "views/VWindowUtilities.h"

class VPackage;
class VToolBar;

class xMorvaDocumentAreaServices : public xMorvaAreaServices {
 public:
  // The package whose lists are read; null reads those of the current
  // package at each call.
  explicit xMorvaDocumentAreaServices(VPackage* package = nullptr) : fPackage(package) {}

  // Nothing is shown without a package or for an empty item.
  void ShowAlert(int16_t listOffset, int16_t item) override;
  void GetListString(VString& text, int16_t listOffset, int16_t item) override;
  // From the package's resource file, as it reads it (its own types
  // converted to native order); 0 without a package.
  VMemHandle CopyPackageResource(uint32_t type) override;

 private:
  VPackage* Package() const;

  VPackage* fPackage;
};

class xMorvaEngineHostServices : public xMorvaEngineHost {
 public:
  explicit xMorvaEngineHostServices(VPackage* package = nullptr) : fLists(package) {}

  void GetPackageString(int16_t offset, int16_t item, VString& out) override;
  // Item 1 of the package's alert list, the out-of-memory text.
  void ShowMemoryAlert() override;
  // A reference's stored bytes are read as the host's reference record:
  // its value, or its table, field, option and format names through the
  // host. Bytes that hold no reference give no value and no names.
  VValue* EvaluateReference(const uint8_t* reference, uint32_t size) override;
  bool GetReferenceNames(const uint8_t* reference, uint32_t size, VString& table, VString& field,
                         VString& option, VString& format) override;

 private:
  xMorvaDocumentAreaServices fLists;
};

// The document's progress status on an area's status bar: the amounts a
// long read, write or composition reports are only counted until the
// operation has lasted kDelayTicks; then the bar's gauge shows their sum
// and follows. Deleting the status removes a gauge it showed. It never
// cancels the transfer.
class xMorvaProgressStatus : public VStreamProgress {
 public:
  static constexpr uint32_t kDelayTicks = 120;

  // The bar outlives the status. Nothing is ever shown on a bar that is
  // hidden when the status is made.
  xMorvaProgressStatus(VToolBar* bar, VResourceFile* file, int16_t listId, int16_t messageIndex,
                       uint32_t total)
      : fTarget(bar), fGauge(&fTarget, file, listId, messageIndex, total, kDelayTicks) {}

  bool Progress(uint32_t bytes) override { return fGauge.Advance(bytes); }
  bool IsGaugeShown() const { return fGauge.IsGaugeShown(); }

 private:
  // The gauge's calls, made on the status bar.
  class BarTarget : public VProgressTarget {
   public:
    explicit BarTarget(VToolBar* bar) : fBar(bar) {}
    bool IsShown() const override;
    void BeginProgress(VResourceFile* file, int16_t listId, int16_t messageIndex,
                       uint32_t total) override;
    void SetProgress(uint32_t value) override;
    void EndProgress() override;

   private:
    VToolBar* fBar;
  };

  // Before the gauge: the gauge's destructor still reaches the bar.
  BarTarget fTarget;
  VDelayedProgress fGauge;
};
