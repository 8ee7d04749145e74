// The pending recognition requests, one list per recognizer kind ordered by
// falling priority, and the delivery thread that runs them one by one and
// posts each result to the client with notification 111.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>

#include "engine/api/notifier.h"
#include "engine/api/recognizer.h"
#include "engine/api/result_records.h"
#include "engine/api/worker_thread.h"

namespace vok::api {

// Posts the empty answer for a sequence number: a hypotheses record and an
// alternatives record of count 0; frees both when the post reports no window.
void PostEmptyPair(CNotifier& notifier, ResultRecords& records, std::uint32_t sequence,
                   std::uint32_t second_word);

class CResultQueue {
 public:
  CResultQueue(CNotifier& notifier, ResultRecords& records);
  // Stops the thread and frees what is still pending.
  ~CResultQueue();
  CResultQueue(const CResultQueue&) = delete;
  CResultQueue& operator=(const CResultQueue&) = delete;

  // False when the delivery thread cannot be started.
  bool Start();
  // Ends the delivery thread (after the request it runs) and frees every
  // pending request through its owner.
  void Stop();

  // Takes the request. A per-key keyboard request that still waits where
  // the new one goes is dropped unprocessed and replaced.
  void Insert(VokRequest* request);
  // Frees every pending request unprocessed.
  void Clear();
  std::uint32_t pending_count() const;
  bool busy() const;

 private:
  void DeliveryLoop();
  void Deliver(VokRequest* request);
  void FreeRequest(VokRequest* request);

  CNotifier& notifier_;
  ResultRecords& records_;
  mutable std::mutex mutex_;
  std::condition_variable pending_signal_;
  std::list<VokRequest*> lists_[3];  // by RecognizerKind
  std::uint32_t pending_count_ = 0;
  bool stop_ = false;
  bool busy_ = false;
  std::unique_ptr<WorkerThread> thread_;
};

}  // namespace vok::api
