// The setup dialog: recognition range, pen, timing, segmentation, output
// options and the companion's logon start. It edits a copy of the settings;
// the opener takes settings() back on OK only.
#pragma once

#include <optional>
#include <string>

#include "app/core/settings.h"
#include "app/framework/dialog.h"
#include "platform/registry_store.h"

namespace wrendle::app {

class CSetupDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplate = 103;

  // `program_folder`: the folder of the running program with its trailing
  // separator, nullopt when it is not known whole (the logon start box is
  // then disabled).
  CSetupDlg(const Settings& settings, platform::RegistryStore& registry,
            std::optional<std::string> program_folder, HWND parent = nullptr)
      : CDialog(kTemplate, parent),
        settings_(settings),
        registry_(registry),
        program_folder_(std::move(program_folder)) {}

  const Settings& settings() const { return settings_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool Ticked(int control) const;
  void Tick(int control, bool ticked);
  void ReadTick(int control, bool& setting) const;
  void Show(int control, bool shown);
  int TickedRangeBits() const;
  void UpdateOk();
  void OnHScroll(HWND bar, int request, int thumb);
  void DrawColourButton(const DRAWITEMSTRUCT& item) const;
  void ChooseInkColour();

  Settings settings_;
  platform::RegistryStore& registry_;
  std::optional<std::string> program_folder_;
  int shown_range_bits_ = 0;
};

// The folder of the running program with its trailing backslash; nullopt
// when the path does not fit (a cut path would name another file).
std::optional<std::string> RunningProgramFolder();

}  // namespace wrendle::app
