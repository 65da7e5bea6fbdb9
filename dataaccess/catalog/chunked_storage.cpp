#include "dataaccess/catalog/chunked_storage.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace dataaccess {
namespace {

constexpr size_t kPageBytes = 4096;

// A mapping of `bytes` that starts on a 2 MB boundary, as a huge page must, whose first
// `huge_bytes` are asked to be backed by huge pages; null when there is no such mapping to be had.
void* MapAligned(size_t bytes, size_t huge_bytes) {
  bytes = (bytes + kPageBytes - 1) / kPageBytes * kPageBytes;
  const size_t span = bytes + kHugePageBytes;
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto begin = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (begin + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  if (aligned > begin) munmap(raw, aligned - begin);
  const uintptr_t end = aligned + bytes;
  if (begin + span > end) munmap(reinterpret_cast<void*>(end), begin + span - end);
  // Where huge pages are off ("never"), the mapping still serves, page by page.
  madvise(reinterpret_cast<void*>(aligned), huge_bytes, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

}  // namespace

StorageChunk::StorageChunk(size_t bytes, size_t huge_bytes)
    : at_(huge_bytes > 0 ? MapAligned(bytes, huge_bytes) : nullptr),
      bytes_(bytes),
      mapped_(at_ != nullptr) {
  if (!at_) at_ = std::malloc(bytes);
  if (!at_) throw std::bad_alloc();
}

StorageChunk::~StorageChunk() {
  if (!at_) return;
  if (mapped_) {
    munmap(at_, bytes_);
  } else {
    std::free(at_);
  }
}

}  // namespace dataaccess
