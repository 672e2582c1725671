#include "platform/LargeMemory.h"

#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

#if defined(__linux__)
constexpr size_t kMapFrom = size_t{1} << 20;
constexpr size_t kHugePage = size_t{2} << 20;
#endif

}  // namespace

LargeMemory::LargeMemory(size_t bytes) : size_(bytes) {
#if defined(__linux__)
  if (bytes >= kMapFrom) {
    // Huge pages only cover whole aligned 2 MB: the mapping is rounded up to them.
    const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    (void)::madvise(p, length, MADV_HUGEPAGE);  // a hint: without it the pages are ordinary
    data_ = p;
    mapped_ = length;
    return;
  }
#endif
  data_ = std::calloc(bytes > 0 ? bytes : 1, 1);
  if (!data_) throw std::bad_alloc();
}

LargeMemory::~LargeMemory() {
  Release();
}

LargeMemory::LargeMemory(LargeMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

LargeMemory& LargeMemory::operator=(LargeMemory&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

void LargeMemory::Release() {
#if defined(__linux__)
  if (mapped_ > 0) {
    ::munmap(data_, mapped_);
    data_ = nullptr;
    return;
  }
#endif
  std::free(data_);
  data_ = nullptr;
}
