// The worker of the web build, which has no threads: the job waits until the backend runs it
// between frames (RunPendingWork) or until Join runs it.
#include <algorithm>
#include <vector>

#include "platform/Worker.h"
#include "platform/web/Pending.h"

struct Worker::Impl {
  std::function<void()> job;
};

namespace {
std::vector<Worker::Impl*>& Queue() {
  static std::vector<Worker::Impl*> queue;
  return queue;
}
void RunJob(Worker::Impl* impl) {
  auto& q = Queue();
  q.erase(std::remove(q.begin(), q.end(), impl), q.end());
  if (!impl->job) return;
  std::function<void()> job = std::move(impl->job);
  impl->job = nullptr;
  job();
}
}  // namespace

Worker::Worker() : impl_(std::make_unique<Impl>()) {}
Worker::~Worker() {
  Join();
}

void Worker::Start(std::function<void()> job) {
  Join();
  impl_->job = std::move(job);
  Queue().push_back(impl_.get());
}

void Worker::Join() {
  RunJob(impl_.get());
}

bool HasPendingWork() {
  return !Queue().empty();
}

void RunPendingWork() {
  while (!Queue().empty()) RunJob(Queue().front());
}
