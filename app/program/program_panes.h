// The main frame's five popup panes, made by index: associated phrases,
// on-screen keyboard, symbols, homophones and predefined strings. Each is a
// popup dialog that deletes itself once its window is gone.
#pragma once

#include <cstdint>
#include <memory>

#include "app/program/frame_services.h"

namespace wrendle::app {

class CPopupDlg;

// A created pane dialog as the frame holds it; destroying the holder
// destroys the pane's window.
class PopupPane final : public FramePane {
 public:
  explicit PopupPane(CPopupDlg& dialog);
  ~PopupPane() override;
  PopupPane(const PopupPane&) = delete;
  PopupPane& operator=(const PopupPane&) = delete;

  HWND hwnd() const override { return window_; }
  // The phrase and homophone panes show the key's groups; the others have
  // no key.
  void Refresh(std::uint16_t key) override;
  void UpdateLanguage() override;
  void Reload() override;

 private:
  // The dialog while its window lives, else null.
  CPopupDlg* Live() const;

  CPopupDlg* dialog_;
  HWND window_;
};

class ProgramPanes final : public PaneFactory {
 public:
  bool Provides(int index) const override;
  std::unique_ptr<FramePane> Create(int index, PaneHost& host) override;
};

}  // namespace wrendle::app
