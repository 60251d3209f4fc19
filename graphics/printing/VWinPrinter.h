// VWinPrinter: the print settings bound to a Windows printer through its
// device mode and names: the page set-up and print dialogs, the stored
// device mode ('WPRI'), an information device context for page-exact text
// measuring, and the print job whose pages are drawn through a scaled port.
#pragma once

#include <memory>
#include <string>

#include "graphics/VReferencePrinter.h"
#include "graphics/printing/VPrintSettings.h"
#include "platform/win32/WinMemory.h"

class VScaledPort;
struct DEVMODEA;

// The public part of a device mode, the least a stored one must hold.
constexpr uint32_t kStoredDevModeSize = 156;

class VWinPrinter : public VPrintSettings, public VReferencePrinter {
 public:
  // Bound to the default printer when there is one.
  VWinPrinter();
  // The record read from the stream; `error` receives the reading's code.
  VWinPrinter(VStream* stream, int16_t* error);
  ~VWinPrinter() override;

  bool PageSetupDialog() override;
  bool PrintDialog(HWND owner) override;
  // The port to draw the first page into, or null; the job holds one use.
  VPort* BeginDocument(const std::string& name) override;
  // True when the whole job printed; a job one of whose pages failed, or
  // whose end fails (the output's disk full), is given up instead, and
  // leaves nothing printed.
  bool EndDocument() override;
  // The next page: what StartPage answered when a page was started, else
  // what EndPage answered.
  bool NextPage() override;
  // As the base; a record read whole without a device mode of its own (300)
  // is then bound to the held printer, which has taken its paper, so that
  // it holds the printer's answer just as it will when the device mode
  // written with it is read back.
  int16_t ReadFromStream(VStream* stream, uint8_t flag) override;
  int16_t ReadSubRecord(VStream& stream, uint32_t tag, uint32_t version, uint8_t flag) override;
  void WriteSubRecords(VStream& stream) override;
  void SyncWithPrinter() override;
  void SetDefaults() override;
  void BindToPrinter() override;
  void Reset() override;
  // The default printer of the system profile: the device before the first
  // comma, the driver between the first and the second.
  virtual void GetDefaultPrinter(std::string& device, std::string& driver);

  // ---- VReferencePrinter.
  HDC GetInfoDC() override;
  bool RegisterPort(VPort* port) override;

  // Lets the driver merge and check the held device mode.
  void ValidateDevMode();
  HGLOBAL GetDevMode() const { return fDevMode; }
  const std::string& GetDeviceName() const { return fDevice; }
  VScaledPort* GetPrintingPort() const { return fPort.get(); }

 private:
  void FreeDevice();
  void ReleaseInfoDC();
  // Fields the dialogs and the unbound record put into the device mode.
  void PrepareDevMode(DEVMODEA& mode, uint32_t fields) const;
  // After StartPage: the page's mapping and the port's shift to the paper.
  void PreparePage();
  void AbortJob();

  std::unique_ptr<VScaledPort> fPort;
  VPort* fRegisteredPort = nullptr;
  HDC fInfoDC = nullptr;
  HGDIOBJ fInfoDCFont = nullptr;
  HGLOBAL fDevMode = nullptr;
  HGLOBAL fDevNames = nullptr;
  HDC fPrinterDC = nullptr;
  std::string fDevice;
  std::string fDriver;
  std::string fOutput;  // kept empty
  double fRatioX = 1.0;
  double fRatioY = 1.0;
  // A page of the running job failed.
  bool fJobFailed = false;
};
