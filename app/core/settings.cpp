#include "app/core/settings.h"

namespace wrendle::app {

int SystemLanguageCode(unsigned language_id) {
  if (language_id == 2052) return kLanguageSimplifiedChinese;
  switch (language_id & 0xFF) {
    case 4:
      return kLanguageTraditionalChinese;
    case 17:
      return kLanguageJapanese;
    case 18:
      return kLanguageKorean;
    default:
      return kNoSystemLanguage;
  }
}

int CodePageOf(int recognizer_language) {
  switch (recognizer_language) {
    case kLanguageTraditionalChinese:
      return 950;
    case kLanguageSimplifiedChinese:
      return 936;
    default:
      return 1252;
  }
}

}  // namespace wrendle::app
