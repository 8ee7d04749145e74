// The numbered utterance files of the current user's "\WAVE" folder:
// utterance n is "%sSD%05x.wav" of the folder. The capture side writes one
// utterance at a time; the searches read them back, also the one still being
// written.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/api/vok_status.h"
#include "engine/api/wave_file.h"

namespace vok::api {

class CUtteranceStore {
 public:
  // Appends the separator when the folder does not end with one.
  void SetFolder(const std::string& folder);
  const std::string& folder() const { return folder_; }
  std::string PathOf(std::uint32_t number) const;

  // Capture side.
  bool BeginUtterance();
  bool WriteFrames(std::span<const std::int16_t> samples);
  void EndUtterance();
  bool writing() const { return writer_.is_open(); }
  std::uint32_t next_number() const { return next_; }

  // Reading side. Select fails for a number above the next one to write, for
  // the next one while nothing is being written, and for a file that does
  // not open.
  bool Select(std::uint32_t number);
  std::uint32_t selected() const { return reading_; }
  // Reads up to out.size() samples of the selected utterance from where the
  // last read stopped.
  std::size_t Read(std::span<std::int16_t> out);
  // True when the selected utterance is used up. The one being written is not
  // while its file is open; a finished one is, once every sample was read,
  // and the store then counts it as read.
  bool AtEnd();
  // Utterances captured (the one being written too) and not yet read up.
  std::uint32_t UnreadCount() const;
  // The first utterance not yet read up.
  std::uint32_t first_unread() const { return first_unread_; }
  // Counts utterance n and those before it as read.
  void MarkRead(std::uint32_t number) {
    if (first_unread_ <= number) first_unread_ = number + 1;
  }
  // Counts every captured utterance as read, the one being written too.
  void SkipUnread() { first_unread_ = writing() ? next_ + 1 : next_; }

  // Every sample of utterance n, up to out.size(); false when it cannot be
  // read.
  bool ReadWhole(std::uint32_t number, std::span<std::int16_t> out, std::size_t* count) const;
  // n >= 0: removes that file. -1: removes every file of the folder; while an
  // utterance is being written its file stays, the others go and the result
  // is kFileMissing (the numbering goes on either way).
  VokStatus Delete(std::int32_t number);

 private:
  std::string folder_;
  CWaveFile writer_;
  std::uint32_t next_ = 0;
  std::uint32_t reading_ = 0;
  std::uint32_t first_unread_ = 0;
  std::uint32_t offset_ = 0;  // samples read of the selected utterance
  bool exhausted_ = true;
};

}  // namespace vok::api
