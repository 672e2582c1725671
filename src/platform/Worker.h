// One job run beside the main loop: on a thread where the platform has threads. The web build has
// none; there the job runs on the main thread at a point where the page has shown a frame (see
// web/SystemWeb.cpp), so the loop that waits for it still draws before it.
#pragma once
#include <functional>
#include <memory>

class Worker {
 public:
  Worker();
  ~Worker();  // joins
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void Start(std::function<void()> job);
  // Waits until the job has run (runs it now where there are no threads).
  void Join();

  // Each platform's source defines it.
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
