#include "engine/api/result_queue.h"

#include <exception>

namespace vok::api {

void PostEmptyPair(CNotifier& notifier, ResultRecords& records, std::uint32_t sequence,
                   std::uint32_t second_word) {
  VokResult* hypotheses =
      records.MakeWordIds(kKindWordIdHypotheses | kKindFlagged, sequence, second_word, {});
  VokResult* alternatives =
      records.MakeWordIds(kKindWordIdAlternatives | kKindFlagged, sequence, second_word, {});
  if (hypotheses == nullptr || alternatives == nullptr ||
      notifier.Post(kNotifyResult, reinterpret_cast<std::uintptr_t>(hypotheses),
                    reinterpret_cast<std::intptr_t>(alternatives), true) != kVokOk) {
    records.Delete(hypotheses);
    records.Delete(alternatives);
  }
}

CResultQueue::CResultQueue(CNotifier& notifier, ResultRecords& records)
    : notifier_(notifier), records_(records) {}

CResultQueue::~CResultQueue() { Stop(); }

bool CResultQueue::Start() {
  thread_ = StartWorkerThread([this] { DeliveryLoop(); }, true);
  return thread_ != nullptr;
}

void CResultQueue::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  pending_signal_.notify_all();
  if (thread_) {
    thread_->WaitDone();
    thread_.reset();
  }
  Clear();
}

void CResultQueue::FreeRequest(VokRequest* request) {
  if (request->owner != nullptr) {
    request->owner->FreeRequest(request);
  } else {
    delete request;
  }
}

void CResultQueue::Insert(VokRequest* request) {
  VokRequest* dropped = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& list = lists_[request->kind % 3];
    auto point = list.begin();
    while (point != list.end() && ((*point)->priority > request->priority ||
                                   ((*point)->priority == request->priority && (*point)->option != 0))) {
      ++point;
    }
    if (point != list.end() && (*point)->option == 0) {
      dropped = *point;
      *point = request;
    } else {
      list.insert(point, request);
      ++pending_count_;
    }
  }
  pending_signal_.notify_one();
  if (dropped != nullptr) FreeRequest(dropped);
}

void CResultQueue::Clear() {
  std::list<VokRequest*> freed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& list : lists_) freed.splice(freed.end(), list);
    pending_count_ = 0;
  }
  for (VokRequest* request : freed) FreeRequest(request);
}

std::uint32_t CResultQueue::pending_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_count_;
}

bool CResultQueue::busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return busy_;
}

void CResultQueue::DeliveryLoop() {
  for (;;) {
    VokRequest* request = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (pending_count_ == 0) busy_ = false;
      // Only the stop flag ends the thread: an empty list is a wait.
      pending_signal_.wait(lock, [this] { return stop_ || pending_count_ > 0; });
      if (stop_) return;
      busy_ = true;
      std::list<VokRequest*>* best = nullptr;
      for (auto& list : lists_) {
        if (!list.empty() && (best == nullptr || list.front()->priority > best->front()->priority))
          best = &list;
      }
      request = best->front();
      best->pop_front();
      --pending_count_;
    }
    Deliver(request);
    FreeRequest(request);
  }
}

void CResultQueue::Deliver(VokRequest* request) {
  VokResult* first = nullptr;
  VokResult* second = nullptr;
  try {
    request->owner->Recognize(*request);
    request->owner->TakeResults(&first, &second);
  } catch (...) {
    // The controller failed; what it made is not handed out.
    request->owner->TakeResults(&first, &second);
    records_.Delete(first);
    records_.Delete(second);
    first = second = nullptr;
  }
  if (first == nullptr) {
    // Every accepted request gets one answer, so a client waiting for it
    // never hangs.
    records_.Delete(second);
    if (!request->answered) PostEmptyPair(notifier_, records_, request->sequence, request->second_word);
    return;
  }
  if (notifier_.Post(kNotifyResult, reinterpret_cast<std::uintptr_t>(first),
                     reinterpret_cast<std::intptr_t>(second), true) != kVokOk) {
    records_.Delete(first);
    records_.Delete(second);
  }
}

}  // namespace vok::api
