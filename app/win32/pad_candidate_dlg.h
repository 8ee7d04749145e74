// CPadCandidateDlg: the popup (template 102) that the result strip opens
// under a cell, holding a candidate list of 5 rows of 2 columns as child
// 1021; created hidden at (-400, -400).
#pragma once

#include "app/framework/dialog.h"
#include "app/win32/candidate_list.h"

namespace wrendle::app {

class CPadCandidateDlg : public framework::CDialog {
 public:
  static constexpr UINT kTemplateId = 102;
  static constexpr UINT kListId = 1021;
  static constexpr int kRows = 5;
  static constexpr int kColumns = 2;
  static constexpr int kCellSize = 28;
  static constexpr int kMargin = 2;

  CPadCandidateDlg(RecognitionDriver& driver, const CUserMap& user_map, HWND parent);

  CCandidateList& list() { return list_; }

 protected:
  bool OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy) override;
  int OnMouseActivate(HWND, UINT, UINT) override { return MA_NOACTIVATE; }

 private:
  CCandidateList list_;
};

}  // namespace wrendle::app
