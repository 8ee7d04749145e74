#include "app/core/char_provider.h"

namespace wrendle::app {

namespace {

CCharProvider* g_first_provider = nullptr;
int g_keep_flag = 0;

}  // namespace

CCharProvider::CCharProvider() : next_(g_first_provider) { g_first_provider = this; }

CCharProvider::~CCharProvider() {
  if (sink_ != nullptr) sink_->OnProviderDestroyed(this);
  for (CCharProvider** link = &g_first_provider; *link != nullptr; link = &(*link)->next_) {
    if (*link == this) {
      *link = next_;
      break;
    }
  }
}

void CCharProvider::NotifyList(std::uint16_t) {}
int CCharProvider::SetKey(std::uint16_t) { return 0; }
int CCharProvider::SelectGroup(int) { return 0; }
const char* CCharProvider::GetGroupLabel(int, int) { return nullptr; }
const char* CCharProvider::GetItem(int, int) { return nullptr; }
int CCharProvider::AppendItem(int) { return 0; }
const char* CCharProvider::GetKey() { return nullptr; }

CCharProvider* CCharProvider::First() { return g_first_provider; }

void CCharProvider::NotifyOthers(const CCharProvider* self, std::uint16_t code) {
  for (CCharProvider* provider = g_first_provider; provider != nullptr;) {
    // The next link first: a notice may not remove this provider, but keep
    // the walk independent of what the pane does with it.
    CCharProvider* const next = provider->next_;
    if (provider != self) provider->NotifyList(code);
    provider = next;
  }
}

bool CCharProvider::KeepFlag() { return g_keep_flag != 0; }
void CCharProvider::SetKeepFlag(int keep) { g_keep_flag = keep; }

void CCharProvider::Notify(std::uint32_t wparam, std::int32_t lparam) const {
  if (sink_ != nullptr) sink_->OnListNotify(wparam, lparam);
}

}  // namespace wrendle::app
