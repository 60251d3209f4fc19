// VFormulaDialog: the formula editor on the host's form "EditEngineObject".
// The user chooses what a host reference shows, a field of the structure
// (page 1) or an expression of the host's language (page 2), and its
// display format, typed or picked from the list of the formats that fit.
// The reference changes only when the run is accepted.
#pragma once

#include <cstdint>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VUniString.h"
#include "host/dialog/VDialQv.h"

class VHostRef;

// The host's string lists of display formats, by kind.
constexpr int16_t kFormatListText = 156;
constexpr int16_t kFormatListNumber = 74;
constexpr int16_t kFormatListDate = 73;
constexpr int16_t kFormatListTime = 148;
constexpr int16_t kFormatListPicture = 450;
// The tab labels of the form.
constexpr int16_t kFormulaTabLabels = 11003;

class VFormulaDialog : public VDialQv {
 public:
  VFormulaDialog(VDialQvOwner* owner, VHostRef* reference);
  ~VFormulaDialog() override;

  bool BeforeOpen() override;
  bool AfterOpen() override;
  void ItemHit(const VString& objectName, int16_t page) override;
  void OnEvent13(const VString& objectName, int16_t page, int32_t x, int32_t y) override;
  bool ReadValues() override;

  // What the run has chosen so far.
  const VString& GetFormat() const { return fFormat; }
  int32_t GetTimeFormat() const { return fTimeFormat; }
  int32_t GetDateFormat() const { return fDateFormat; }
  void GetField(int16_t& table, int16_t& field) const {
    table = fTable;
    field = fField;
  }
  uint32_t GetExpression() const { return fExpression; }

 private:
  // Fills "vFormats" with the formats that fit the field's type, or all of
  // them for an expression, and selects the current one.
  void UpdateFormats(bool forExpression);
  // The codes (and format text) that a position in the formats of the page
  // stands for.
  void ApplyPosition(int32_t position, int16_t page);
  void ReadFieldChooser();
  void EditExpression();

  VHostRef* fReference;
  VStringArray fTextFormats;
  VStringArray fNumberFormats;
  VStringArray fDateFormats;
  VStringArray fTimeFormats;
  VStringArray fPictureFormats;
  VStringArray fAllFormats;
  VStr<80> fFormat;
  int32_t fTimeFormat = 0;
  int32_t fDateFormat = 0;
  int16_t fTable = 1;
  int16_t fField = 1;
  uint32_t fExpression = 0;  // Toolbox handle of the expression's data, owned until ReadValues
};

// Runs the formula editor on the reference, with no owner: true when the
// user accepted it.
bool RunFormulaDialog(VHostRef* reference);
