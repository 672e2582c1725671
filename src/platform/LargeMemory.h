// Memory for the game's largest buffers (the sheets' surfaces, "graph.dat" read whole): zero until
// written. A buffer of a megabyte or more comes from the system page by page as it is first
// touched, in huge pages where the system gives them on request: the start touches tens of
// megabytes, and a fault for every 4 KB of them was most of its time. Smaller ones come from
// calloc, which knows fresh memory is zero too.
#pragma once
#include <cstddef>

class LargeMemory {
 public:
  LargeMemory() = default;
  // Throws std::bad_alloc when the memory cannot be had.
  explicit LargeMemory(size_t bytes);
  ~LargeMemory();
  LargeMemory(LargeMemory&& other) noexcept;
  LargeMemory& operator=(LargeMemory&& other) noexcept;
  LargeMemory(const LargeMemory&) = delete;
  LargeMemory& operator=(const LargeMemory&) = delete;

  void* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Release();

  void* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;  // bytes mapped from the system; 0 when calloc gave them
};
