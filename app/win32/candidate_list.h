// CCandidateList: a grid of candidate characters. A press picks the cell
// under the pen; choosing replaces the selected cell's code or enters a new
// cell. It is the main frame's candidate and phrase rows and the content of
// the strip's popup.
#pragma once

#include <cstdint>
#include <span>

#include "app/core/candidate_grid.h"
#include "app/core/recognition_driver.h"
#include "app/core/user_map.h"
#include "app/framework/wnd.h"
#include "app/win32/bubble.h"

namespace wrendle::app {

class CCandidateList : public framework::CWnd {
 public:
  static constexpr UINT_PTR kBubbleTimer = 119;
  static constexpr UINT kBubbleCheckMs = 200;

  CCandidateList(RecognitionDriver& driver, const CUserMap& user_map, int rows, int columns,
                 std::uint32_t style);

  bool Create(const RECT& rect, HWND parent, UINT id);

  void SetCodes(std::span<const std::uint8_t> bytes);
  void SetGrid(int rows, int columns);
  void SetColor(COLORREF colour);
  int HitTest(POINT point) const { return grid_.HitTest({point.x, point.y}); }
  RECT CellRect(int i) const;
  void Choose();

  const CandidateGrid& grid() const { return grid_; }
  int hot() const { return grid_.hot(); }
  void set_hot(int i) { grid_.set_hot(i); }
  const CBubble& bubble() const { return bubble_; }

  // The candidate text colour of every list, set with the pen settings.
  static void SetProgramColor(COLORREF colour);

 protected:
  int OnCreate(CREATESTRUCTA* create) override;
  void OnDestroy() override;
  void OnSize(UINT type, int cx, int cy) override;
  bool OnEraseBkgnd(HDC dc) override;
  void OnPaint() override;
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonDblClk(UINT flags, POINT point) override { OnLButtonDown(flags, point); }
  void OnMouseMove(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnCancelMode() override;
  void OnTimer(UINT_PTR id) override;

 private:
  void DrawCell(HDC dc, int i, bool hot);
  void RedrawCell(int i, bool hot);
  void HideParent();
  void HideBubble();
  bool HasCapture() const { return GetCapture() == hwnd(); }

  RecognitionDriver& driver_;
  const CUserMap& user_map_;
  CandidateGrid grid_;
  CBubble bubble_;
  bool bubble_timer_ = false;
};

}  // namespace wrendle::app
