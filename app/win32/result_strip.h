// CResultStrip: the writing pad's row of recognized cells. A press selects a
// cell and drags it (merge, split, move, remove) or, released in place,
// opens the cell's candidates in a popup list under it.
#pragma once

#include <memory>

#include "app/core/recognition_driver.h"
#include "app/core/strip_layout.h"
#include "app/core/user_map.h"
#include "app/framework/wnd.h"
#include "app/win32/pad_candidate_dlg.h"

namespace wrendle::app {

class CResultStrip : public framework::CWnd {
 public:
  static constexpr DWORD kDragTimeoutMs = 131072;
  static constexpr COLORREF kHighlightColour = RGB(0, 128, 128);

  // a, b, c, d: a cell is its text's width + (a - d) wide, cells b apart,
  // at most c (at most 10) shown.
  CResultStrip(RecognitionDriver& driver, const CUserMap& user_map, const StripMetrics& metrics);
  ~CResultStrip() override;

  bool Create(const RECT& rect, HWND parent, UINT id);

  RECT CellRect(int i);
  int HitCell(int x);
  void Highlight(int i);
  int highlighted() const { return highlighted_; }
  void ShowCellCandidates(int i);
  CPadCandidateDlg* popup() const { return popup_.get(); }

  // The strip text colour of the program, set with the pen settings.
  static void SetTextColor(COLORREF colour);

 protected:
  int OnCreate(CREATESTRUCTA* create) override;
  bool OnEraseBkgnd(HDC dc) override;
  void OnPaint() override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonDblClk(UINT, POINT) override {}
  void OnMouseMove(UINT, POINT) override {}
  void OnRButtonDown(UINT flags, POINT point) override;
  bool OnCommand(UINT id, UINT notify_code, HWND control) override;
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }

 private:
  StripLayout Layout();
  void PaintCells(HDC dc);

  RecognitionDriver& driver_;
  const CUserMap& user_map_;
  StripMetrics metrics_;
  int highlighted_ = -1;
  std::unique_ptr<CPadCandidateDlg> popup_;
};

}  // namespace wrendle::app
