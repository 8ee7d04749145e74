// The training dialog: the user writes a character in its ink box, checks
// what the recognizer makes of it and teaches it the character of the edit
// box (a text of more than one character through a user code of the user
// code map, which Close saves).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/core/recognition_dispatcher.h"
#include "app/core/settings.h"
#include "app/core/user_map.h"
#include "app/framework/dialog.h"
#include "app/win32/ink_box.h"
#include "common/stroke_list.h"

namespace wrendle::app {

class CTrainingDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplate = 104;
  static constexpr UINT kInkBoxId = 1019;

  // `text` and `strokes` (a StrokeList, may be empty) are shown at the
  // start: the pad's selected cell.
  CTrainingDlg(const Settings& settings, RecognitionDispatcher& dispatcher, CUserMap& user_map,
               std::string text, std::vector<StrokeEntry> strokes, HWND parent = nullptr);

 protected:
  bool OnInitDialog() override;
  // Button 1 is Train: the dialog stays open.
  void OnOK() override;
  // Close: saves the user code map.
  void OnCancel() override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;

 private:
  std::string EditText() const;
  bool HasInk();
  void Enable(int control, bool enabled);
  // Recognize, Rewrite and the second Train button follow the edit's text
  // and the box's ink.
  void UpdateButtons();
  void Recognize();
  void Train();
  std::string String(unsigned id, const char* fallback) const;
  void ShowMessage(const std::string& text);

  const Settings& settings_;
  RecognitionDispatcher& dispatcher_;
  CUserMap& user_map_;
  std::string text_;
  std::vector<StrokeEntry> strokes_;
  CInkBox ink_box_;
};

}  // namespace wrendle::app
