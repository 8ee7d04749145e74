// The loader's messages in a message box titled "MESSAGE".
#include <windows.h>

#include "shapes/letters/loader_messages.h"

namespace letters {
namespace {

class MessageBoxSink : public LoaderMessageSink {
 public:
  void Show(const std::string& text) override {
    MessageBoxA(nullptr, text.c_str(), "MESSAGE", MB_OK | MB_ICONINFORMATION);
  }
};

}  // namespace

LoaderMessageSink& SystemMessageSink() {
  static MessageBoxSink sink;
  return sink;
}

}  // namespace letters
