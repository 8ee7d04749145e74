// The user record that VOKGetUsersP and VOKGetCurrentUserInfoP fill: 352
// bytes in every build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vok::api {

inline constexpr std::uint32_t kUserProfileRead = 0x2;
inline constexpr std::uint32_t kUserProfileFlagged = 0x1;
inline constexpr std::uint32_t kUserSpeechModelPresent = 0x4;

struct VokUserRecord {
  char name[65];   // zero-ended; the name of the user's folder
  char path[263];  // zero-ended; the user's folder
  std::uint32_t dialect;
  std::uint32_t script;
  std::uint32_t counts[3];  // the utterance counts of the user's profile
  std::uint32_t flags;      // kUserProfileRead, kUserProfileFlagged, kUserSpeechModelPresent
};

static_assert(sizeof(VokUserRecord) == 352);
static_assert(offsetof(VokUserRecord, dialect) == 328);
static_assert(offsetof(VokUserRecord, flags) == 348);

}  // namespace vok::api
