#include "app/core/launch_watch.h"

#include <vector>

namespace wrendle::app {

LaunchWatch::~LaunchWatch() {
  for (const auto& [process, kind] : processes_) waiter_.Close(process);
}

void LaunchWatch::Started(ProcessId process) {
  if (process != 0) processes_.emplace(process, 0);
}

bool LaunchWatch::Wait(int kind, ProcessId process) {
  const auto found = processes_.find(process);
  if (found == processes_.end() || kind < kSignAndDraw || kind > kReading) return false;
  found->second = kind;
  return true;
}

bool LaunchWatch::waiting() const {
  for (const auto& [process, kind] : processes_) {
    if (kind != 0) return true;
  }
  return false;
}

void LaunchWatch::Poll() {
  struct Done {
    ProcessId process;
    int kind;
    bool ended;
  };
  std::vector<Done> done;
  for (const auto& [process, kind] : processes_) {
    if (kind == 0) continue;
    const ProcessWaiter::State state = waiter_.Poll(process);
    if (state != ProcessWaiter::State::kRunning)
      done.push_back({process, kind, state == ProcessWaiter::State::kEnded});
  }
  for (const Done& d : done) {
    processes_.erase(d.process);
    waiter_.Close(d.process);
    host_.ShowAll();
    host_.RequestCaptureOn();
    // The training program may have changed the user's learning files.
    if (d.kind == kTrainingEditor && d.ended) host_.SelectUserAtStartup();
  }
}

}  // namespace wrendle::app
