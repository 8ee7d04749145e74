// CTabPane: a pane that shows a related-character provider as a grid of
// cells under a tab control, one tab per group (and continuation tabs for a
// group larger than the grid). CAssocPhrasePane (pane 0) shows the main
// frame's associated-phrase provider, CHomophonePane (pane 3) a homophone
// provider of its own. Choosing a cell sends the item through the frame and
// lets the providers follow the choice.
#pragma once

#include <memory>
#include <string>

#include "app/core/char_provider.h"
#include "app/core/homophone_provider.h"
#include "app/core/tab_layout.h"
#include "app/program/popup_dlg.h"
#include "app/win32/jeb_button.h"

namespace wrendle::app {

// Provider to pane: a new key character in wParam.
inline constexpr UINT WM_LISTNOTIFY = WM_USER + 0x200;
// Pane to itself: select the tab in wParam.
inline constexpr UINT WM_LISTSELECT = WM_USER + 0x201;

class CTabPane;

// A tab control of the pane: the pane's cells are drawn over its display
// area after it painted itself, and the arrows of the single-line control
// move the pane's selection.
class CTabStrip : public framework::CWnd {
 public:
  explicit CTabStrip(CTabPane& pane) : pane_(pane) {}

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  CTabPane& pane_;
};

class CTabPane : public CPopupDlg, public ProviderSink {
 public:
  static constexpr UINT kCloseId = 1057;
  static constexpr UINT kTabControlId = 18;
  static constexpr UINT kCloseBitmap = 155;
  static constexpr UINT kClosePressedBitmap = 156;

  CTabPane(PaneHost& host, int pane_index, UINT caption_id);
  ~CTabPane() override;

  // Shows the groups and items of key character `key` (0 clears).
  void Refresh(std::uint16_t key);
  void UpdateLanguage() override;

  // ProviderSink: WM_LISTNOTIFY to the pane.
  void OnListNotify(std::uint32_t wparam, std::int32_t lparam) override;
  void OnProviderDestroyed(const CCharProvider* provider) override;

  // For the tests and the screenshots.
  HWND tab_control() const { return tabs_[in_use_]; }
  bool single_line() const { return in_use_ == 1; }
  int hovered_cell() const { return hover_; }
  // The cell's rectangle in client pixels.
  RECT CellRect(int cell) const;
  CCharProvider* provider() const { return provider_; }

  // The cells in pane coordinates on `dc`; the tab strip calls it.
  void PaintCells(HDC dc);
  // The arrows of the single-line control moved by `delta` tabs.
  void MoveSelection(int delta);

 protected:
  bool OnInitDialog() override;
  bool OnEraseBkgnd(HDC dc) override;
  void OnMouseMove(UINT flags, POINT point) override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnCaptureChanged(HWND gaining) override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  bool OnOwnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnDestroy() override;

  // The cell of one item.
  virtual SIZE GetCellSize();
  virtual void DrawCell(HDC dc, int x, int y, int item);
  // Item `item` of the current group was chosen.
  virtual void Choose(int item) = 0;

  void AttachProvider(CCharProvider* provider);
  // Size for the groups, then fill the tabs.
  void SizeAndFill();
  void ClearHover();
  void InvalidateCaption();
  int char_width() const { return char_width_; }

  int group_count_ = 0;
  int offset_ = 0;

 private:
  void Fill();
  void SelectCurrentTab();
  GridSize Grid() const;
  RECT GridArea() const;
  void SetHover(int cell);
  void InvalidateCell(int cell);
  int CaptionHeight() const { return char_height_ + 12; }
  SIZE FullSize() const;

  UINT caption_id_;
  std::string caption_;
  CCharProvider* provider_ = nullptr;
  CJebBitmapButton close_{false};
  CTabStrip strips_[2] = {CTabStrip(*this), CTabStrip(*this)};
  HWND tabs_[2] = {nullptr, nullptr};
  int in_use_ = 0;
  int group_ = 0;
  int item_count_ = 0;
  int hover_ = -1;
  bool captured_ = false;
  int char_width_ = 16;
  int char_height_ = 16;
};

class CAssocPhrasePane : public CTabPane {
 public:
  static constexpr UINT kCaptionId = 1121;
  explicit CAssocPhrasePane(PaneHost& host);
  // Re-attaches to the frame's provider (a new one after the recognizer
  // language changed) and clears the key.
  void Reload() override;

 protected:
  bool OnInitDialog() override;
  SIZE GetCellSize() override;
  void Choose(int item) override;
};

class CHomophonePane : public CTabPane {
 public:
  static constexpr UINT kCaptionId = 1122;
  explicit CHomophonePane(PaneHost& host);
  // A new provider for the recognizer language in force; the key cleared.
  void Reload() override;

 protected:
  bool OnInitDialog() override;
  void Choose(int item) override;

 private:
  std::unique_ptr<CHomophoneProvider> own_provider_;
};

}  // namespace wrendle::app
