// Where the template loader's messages go: a message box titled "MESSAGE"
// in the DLL, a recorder in tests.
#pragma once

#include <string>

namespace letters {

class LoaderMessageSink {
 public:
  virtual ~LoaderMessageSink() = default;
  virtual void Show(const std::string& text) = 0;
};

// The platform's own sink: a message box on Windows, standard error elsewhere.
LoaderMessageSink& SystemMessageSink();

}  // namespace letters
