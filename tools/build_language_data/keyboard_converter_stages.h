// The command lines of the keyboard and converter stages:
//   build_language_data keyboard --data DIR --dialect DIR [--dialect DIR ...]
//   build_language_data converter --data DIR --characters STCharacters.txt
//       --phrases STPhrases.txt --reverse TSCharacters.txt --frequencies essay.txt
//       [--words N]
#pragma once

#include <string>
#include <vector>

namespace build_language_data {

// The arguments after the stage's name; the process's exit status.
int RunKeyboardStage(const std::vector<std::string>& arguments);
int RunConverterStage(const std::vector<std::string>& arguments);

}  // namespace build_language_data
