#include "app/program/symbol_pane.h"

#include "app/program/key_metrics.h"
#include "app/program/resource_text.h"
#include "app/win32/draw_routines.h"

namespace wrendle::app {

namespace {

constexpr DWORD kKeyStyle = WS_CHILD | WS_VISIBLE;

}  // namespace

CSymbolPane::CSymbolPane(PaneHost& host) : CPopupDlg(host, kPaneSymbols) {}

bool CSymbolPane::OnInitDialog() {
  const KeyMetrics key = KeyMetrics::Of(TextMetrics());
  const auto rect = [&key](int column) {
    const int left = key.margin + column * key.width;
    return RECT{left, key.margin, left + key.width, key.margin + key.height};
  };
  for (int k = 0; k < kSymbolKeys; ++k)
    keys_[static_cast<std::size_t>(k)].Create("", kKeyStyle, rect(k), hwnd(),
                                              kFirstKey + static_cast<UINT>(k));
  const RECT menu = rect(kSymbolKeys);
  menu_.Create("", kKeyStyle, menu, hwnd(), kMenuKey);
  menu_.SetBitmaps(kMenuBitmap, kMenuPressedBitmap, 0);
  MoveWindow(menu_.hwnd(), menu.left, menu.top, menu.right - menu.left, menu.bottom - menu.top, FALSE);
  exit_.Create("X", kKeyStyle, rect(kSymbolKeys + 1), hwnd(), IDOK);
  Relabel(host_.settings().symbol_group);
  const int border_x = GetSystemMetrics(SM_CXBORDER), border_y = GetSystemMetrics(SM_CYBORDER);
  PlaceAtStoredPosition((kSymbolKeys + 2) * key.width + 2 * (border_x + key.margin),
                        key.height + 2 * (border_y + key.margin), false);
  return false;
}

void CSymbolPane::UpdateLanguage() { Relabel(host_.settings().symbol_group); }

void CSymbolPane::Relabel(int group) {
  group = ClampSymbolGroup(group);
  host_.settings().symbol_group = group;
  const std::string symbols =
      LoadResString(kFirstSymbolString + static_cast<unsigned>(group / kSymbolPagesPerCategory),
                    RecognizerLanguage())
          .value_or("");
  const auto labels = SymbolKeys(symbols, group % kSymbolPagesPerCategory);
  for (std::size_t k = 0; k < labels.size(); ++k) {
    SetWindowTextA(keys_[k].hwnd(), labels[k].text.c_str());
    keys_[k].SetEnabledLook(labels[k].enabled);
  }
}

HMENU CSymbolPane::BuildGroupMenu() {
  HMENU const menu = CreatePopupMenu();
  for (int category = 0; category < kSymbolCategories; ++category) {
    const std::string symbols =
        LoadResString(kFirstSymbolString + static_cast<unsigned>(category), RecognizerLanguage())
            .value_or("");
    if (symbols.empty()) continue;
    HMENU const pages = CreatePopupMenu();
    for (int page = 0; page < SymbolPageCount(symbols); ++page)
      AppendMenuA(pages, MF_STRING, static_cast<UINT_PTR>(SymbolGroupCommand(category, page)),
                  SymbolPageMenuText(symbols, page).c_str());
    const std::string name =
        LoadResString(kFirstSymbolCategoryName + static_cast<unsigned>(category), DisplayLanguage())
            .value_or("");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(pages), name.c_str());
  }
  return menu;
}

void CSymbolPane::TrackGroupMenu() {
  HMENU const menu = BuildGroupMenu();
  RECT key{};
  GetWindowRect(menu_.hwnd(), &key);
  RememberForeground();
  // The menu closes on a click elsewhere only while its owner is in front.
  SetForegroundWindow(hwnd());
  const UINT command =
      static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                       key.left, key.bottom, 0, hwnd(), nullptr));
  RestoreForeground();
  DestroyMenu(menu);
  SwallowClickOn(menu_.hwnd());
  if (command != 0) OnCommand(command, 0, nullptr);
}

bool CSymbolPane::OnCommand(UINT id, UINT notify_code, HWND control) {
  if (id >= kFirstKey && id < kFirstKey + kSymbolKeys) {
    char text[3] = {};
    GetWindowTextA(keys_[id - kFirstKey].hwnd(), text, sizeof text);
    if (text[0] != '\0') host_.InsertText(text, 2);
    return true;
  }
  if (id == kMenuKey) {
    TrackGroupMenu();
    return true;
  }
  if (const auto group = SymbolGroupOfCommand(static_cast<int>(id))) {
    Relabel(*group);
    return true;
  }
  return CPopupDlg::OnCommand(id, notify_code, control);
}

}  // namespace wrendle::app
