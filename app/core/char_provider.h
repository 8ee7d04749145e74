// Related-character providers: for one key character (the last character the
// user committed or chose) a list of groups and, per group, the items the
// user may send next. Every provider lives in one program-wide list, so that
// a choice in one pane reaches the panes of the others.
#pragma once

#include <cstdint>

namespace wrendle::app {

class CCharProvider;

// Where a provider's notices go: the pane attached to it. The Win32 sink
// sends WM_LISTNOTIFY (WM_USER + 0x200) with the two words.
class ProviderSink {
 public:
  virtual ~ProviderSink() = default;
  virtual void OnListNotify(std::uint32_t wparam, std::int32_t lparam) = 0;
  // The provider the sink is attached to is going away; the sink must not
  // use it any more.
  virtual void OnProviderDestroyed(const CCharProvider* provider) = 0;
};

class CCharProvider {
 public:
  // Joins the head of the program-wide list.
  CCharProvider();
  // Leaves the list, from wherever it stands in it, and tells the attached
  // sink.
  virtual ~CCharProvider();
  CCharProvider(const CCharProvider&) = delete;
  CCharProvider& operator=(const CCharProvider&) = delete;

  // A character: a double-byte character as it lies in a byte string (lead
  // byte in the low byte). Texts returned stay valid until the next call.
  virtual void NotifyList(std::uint16_t code);
  virtual int SetKey(std::uint16_t character);
  virtual int SelectGroup(int group);
  virtual const char* GetGroupLabel(int group, int keep);
  virtual const char* GetItem(int item, int keep);
  virtual int AppendItem(int item);
  virtual const char* GetKey();

  // The pane to notify; null detaches.
  void Attach(ProviderSink* sink) { sink_ = sink; }
  ProviderSink* attached() const { return sink_; }

  CCharProvider* next() const { return next_; }
  static CCharProvider* First();

  // NotifyList (code) of every provider in the list but `self`.
  static void NotifyOthers(const CCharProvider* self, std::uint16_t code);

  // The keep flag: while it is set, SetKey of every provider returns 0 at
  // once without changing anything, so that the echo of a character a pane
  // is sending does not reload that pane. GetItem and GetGroupLabel store
  // their `keep` argument in it.
  static bool KeepFlag();
  static void SetKeepFlag(int keep);

 protected:
  void Notify(std::uint32_t wparam, std::int32_t lparam) const;

 private:
  CCharProvider* next_ = nullptr;
  ProviderSink* sink_ = nullptr;
};

// Holds the keep flag for the time a pane sends a chosen item, and clears it
// when the send is over, whether or not any echo came.
class KeepWhileSending {
 public:
  KeepWhileSending() { CCharProvider::SetKeepFlag(1); }
  ~KeepWhileSending() { CCharProvider::SetKeepFlag(0); }
  KeepWhileSending(const KeepWhileSending&) = delete;
  KeepWhileSending& operator=(const KeepWhileSending&) = delete;
};

// Whether a character has related items at all: a double-byte character,
// lead byte with bit 7 set.
constexpr bool IsDoubleByteKey(std::uint16_t character) { return (character & 0x80) != 0; }

}  // namespace wrendle::app
