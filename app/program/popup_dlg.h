// CPopupDlg: the base of the panes, small modeless popups (template 102,
// no parent) that float beside the pad, never take the activation, paint a
// raised frame and are dragged by their client area.
#pragma once

#include "app/framework/dialog.h"
#include "app/program/pane_host.h"

namespace wrendle::app {

class CPopupDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplateId = 102;
  static constexpr UINT kCursorId = 147;

  CPopupDlg(PaneHost& host, int pane_index);
  ~CPopupDlg() override;

  // `flag` is set when the object is deleted: a creator learns whether a
  // failed creation took the object with it.
  void set_deletion_flag(bool* flag) { deleted_ = flag; }

  // Creates the dialog modeless; the foreground window stays as it was.
  bool Create();

  // The language-dependent texts again; the data again.
  virtual void UpdateLanguage() {}
  virtual void Reload() {}

  POINT Position() const;
  void MoveTo(int x, int y);
  int pane_index() const { return pane_index_; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnEraseBkgnd(HDC dc) override;
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  void OnLButtonDown(UINT flags, POINT point) override;
  // Exit (id 1) hides the pane; the Escape key does nothing.
  void OnOK() override;
  void OnCancel() override {}
  void PostNcDestroy() override;
  // Shows the pane at its stored position with `width` x `height`, without
  // activation; `topmost` puts it above other windows.
  void PlaceAtStoredPosition(int width, int height, bool topmost);
  // The pane's font's metrics.
  TEXTMETRICA TextMetrics() const;
  int DisplayLanguage();
  int RecognizerLanguage();

  PaneHost& host_;

 private:
  int pane_index_;
  bool* deleted_ = nullptr;
};

}  // namespace wrendle::app
