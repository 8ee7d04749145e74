// Readable names of code-page parameters in test names.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "kernel/code_page.h"

namespace kernel {

inline void PrintTo(CodePage code_page, std::ostream* os) {
  *os << (code_page == CodePage::kBig5 ? "Big5" : "GB2312");
}

inline std::string CodePageName(const ::testing::TestParamInfo<CodePage>& info) {
  return info.param == CodePage::kBig5 ? "Big5" : "Gb2312";
}

}  // namespace kernel
