// The worker of platforms with threads: a std::thread.
#include "platform/Worker.h"

#include <thread>

struct Worker::Impl {
  std::thread thread;
};

Worker::Worker() : impl_(std::make_unique<Impl>()) {}
Worker::~Worker() {
  Join();
}

void Worker::Start(std::function<void()> job) {
  Join();
  impl_->thread = std::thread(std::move(job));
}

void Worker::Join() {
  if (impl_->thread.joinable()) impl_->thread.join();
}
