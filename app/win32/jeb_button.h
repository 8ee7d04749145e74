// The program's own buttons. CJebButton is a flat 3D text button, or a
// toggle when its style's low word is 2 (BS_CHECKBOX); CJebBitmapButton
// shows bitmaps and, while the mouse rests on it, its text in the tooltip
// bubble. Both are windows of the system class "Button", subclassed and
// painted here, and never take the activation.
#pragma once

#include <cstdint>
#include <string>

#include "app/framework/gdi.h"
#include "app/framework/wnd.h"

namespace wrendle::app {

class CJebButton : public framework::CWnd {
 public:
  static constexpr std::uint8_t kPressed = 0x1;   // pressed, or a ticked toggle
  static constexpr std::uint8_t kDisabled = 0x2;  // drawn disabled, takes no press

  // A style with WS_DISABLED gives an enabled window drawn disabled.
  bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id);

  void SetEnabledLook(bool enabled);
  bool IsTicked() const { return (state_ & kPressed) != 0; }
  void SetTicked(bool ticked);
  std::uint8_t state() const { return state_; }
  bool is_toggle() const;

 protected:
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonDblClk(UINT flags, POINT point) override { OnLButtonDown(flags, point); }
  void OnMouseMove(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnCaptureChanged(HWND gaining) override;
  void OnPaint() override;
  bool OnEraseBkgnd(HDC) override { return true; }
  LRESULT OnSetText(const char* text) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  // The face inside the frame; bitmap buttons draw their picture instead.
  virtual void PaintFace(HDC dc, const RECT& client);
  bool Inside(POINT point) const;
  void SetState(std::uint8_t state);
  bool tracking() const { return tracking_; }

 private:
  void Notify();

  std::uint8_t state_ = 0;
  bool tracking_ = false;  // a plain button follows a press
};

class CJebBitmapButton : public CJebButton {
 public:
  static constexpr DWORD kClickQuietMs = 3000;

  // `tooltip`: show the window text in the bubble while hovering.
  explicit CJebBitmapButton(bool tooltip = true);
  ~CJebBitmapButton() override;

  // Loads the bitmaps from the resource module (0 skips one) and sizes the
  // button to the normal one.
  bool SetBitmaps(UINT normal_id, UINT pressed_id, UINT third_id);
  // Shows `picture` (owned by the caller) in place of the normal bitmap;
  // null goes back to the normal one.
  void ShowPicture(HBITMAP picture);

  bool hovering() const;
  // The button that holds the hover, null when none.
  static CJebBitmapButton* hover_button();
  static int live_count();
  // Ends the hover of whichever button holds it.
  static void EndAnyHover();

 protected:
  void OnMouseMove(UINT flags, POINT point) override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnCancelMode() override;
  void OnCaptureChanged(HWND gaining) override;
  void OnDestroy() override;
  void PaintFace(HDC dc, const RECT& client) override;

 private:
  void StartHover(POINT point);
  void EndHover();

  bool tooltip_;
  framework::CBitmap normal_;
  framework::CBitmap pressed_;
  framework::CBitmap third_;
  HBITMAP shown_ = nullptr;
};

}  // namespace wrendle::app
