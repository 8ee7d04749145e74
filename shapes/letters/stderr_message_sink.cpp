// Outside Windows the loader's messages go to standard error.
#include <cstdio>

#include "shapes/letters/loader_messages.h"

namespace letters {
namespace {

class StandardErrorSink : public LoaderMessageSink {
 public:
  void Show(const std::string& text) override { std::fputs(text.c_str(), stderr); }
};

}  // namespace

LoaderMessageSink& SystemMessageSink() {
  static StandardErrorSink sink;
  return sink;
}

}  // namespace letters
