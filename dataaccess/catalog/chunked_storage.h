// Append-only storage for the many small records of a large catalog.
//
// Both containers grow in chunks that are allocated once and never move: what was handed out
// stays valid while more is added, and growing copies nothing. Filling a large catalog page by
// page costs a page fault per 4 KB, which on a virtual machine took a quarter of a reading
// client's time; a transparent huge page costs one fault per 2 MB. A huge page is resident as a
// whole as soon as any of it is touched, though, so huge pages back only what is sure to be
// filled (a reserved count) or what is allowed to waste up to 2 MB (storage of a read that is
// dropped when the read ends).
#ifndef VANTREL_DATAACCESS_CATALOG_CHUNKED_STORAGE_H_
#define VANTREL_DATAACCESS_CATALOG_CHUNKED_STORAGE_H_

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

inline constexpr size_t kHugePageBytes = size_t{2} << 20;

// Whether chunks past the first may be backed by huge pages. Without them chunks stay small
// enough for the allocator to place among memory that other work gave back, instead of each
// taking fresh pages of its own.
enum class HugePages { kNever, kPastFirstChunk };

constexpr size_t ChunkBytes(HugePages huge) {
  return huge == HugePages::kNever ? size_t{64} << 10 : kHugePageBytes;
}
constexpr size_t FirstChunkBytes(HugePages huge) {
  return huge == HugePages::kNever ? size_t{64} << 10 : size_t{1} << 20;
}

// One chunk of raw memory, released when it goes.
class DATAACCESS_EXPORT StorageChunk {
 public:
  // The first `huge_bytes` (a multiple of 2 MB, at most `bytes`) are asked to be backed by huge
  // pages; the rest is backed page by page as it is touched.
  StorageChunk(size_t bytes, size_t huge_bytes);
  ~StorageChunk();
  StorageChunk(StorageChunk&& other) noexcept
      : at_(std::exchange(other.at_, nullptr)), bytes_(other.bytes_), mapped_(other.mapped_) {}
  StorageChunk(const StorageChunk&) = delete;
  StorageChunk& operator=(const StorageChunk&) = delete;
  StorageChunk& operator=(StorageChunk&&) = delete;

  void* get() const { return at_; }

 private:
  void* at_;
  size_t bytes_;
  bool mapped_;
};

// Records addressed by their number, in the order they were added.
template <class T, HugePages kHuge>
class ChunkedVector {
 public:
  static constexpr size_t kPerChunk = ChunkBytes(kHuge) / sizeof(T);

  ChunkedVector() = default;
  ChunkedVector(const ChunkedVector&) = delete;
  ChunkedVector& operator=(const ChunkedVector&) = delete;
  ~ChunkedVector() {
    for (size_t i = 0; i < size_; ++i) (*this)[i].~T();
  }

  // Makes the first chunk hold exactly `count` records, in huge pages as far as they fill whole
  // ones. Only before anything is added; ignored after.
  void Reserve(size_t count) {
    if (!chunks_.empty() || count == 0) return;
    in_first_ = count;
    const size_t bytes = count * sizeof(T);
    chunks_.emplace_back(bytes, bytes / kHugePageBytes * kHugePageBytes);
  }

  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (chunks_.empty()) {
      chunks_.emplace_back(in_first_ * sizeof(T), 0);
    } else if (size_ >= in_first_ && (size_ - in_first_) % kPerChunk == 0) {
      const size_t bytes = kPerChunk * sizeof(T);
      chunks_.emplace_back(bytes, kHuge == HugePages::kNever ? 0 : kHugePageBytes);
    }
    T* at = Slot(size_);
    new (at) T(std::forward<Args>(args)...);
    ++size_;
    return *at;
  }
  T& operator[](size_t index) { return *Slot(index); }
  const T& operator[](size_t index) const { return *Slot(index); }
  size_t size() const { return size_; }
  // Drops every record and gives back the memory that held them.
  void Clear() {
    for (size_t i = 0; i < size_; ++i) (*this)[i].~T();
    chunks_.clear();
    size_ = 0;
    in_first_ = FirstChunkBytes(kHuge) / sizeof(T);
  }

 private:
  T* Slot(size_t index) const {
    if (index < in_first_) return static_cast<T*>(chunks_[0].get()) + index;
    index -= in_first_;
    return static_cast<T*>(chunks_[1 + index / kPerChunk].get()) + index % kPerChunk;
  }

  size_t in_first_ = FirstChunkBytes(kHuge) / sizeof(T);
  std::vector<StorageChunk> chunks_;
  size_t size_ = 0;
};

// Runs of units (the characters of names) handed out one run at a time. A run longer than a
// chunk gets a chunk of its own.
template <class Unit, HugePages kHuge>
class ChunkedArena {
 public:
  static constexpr size_t kInFirst = FirstChunkBytes(kHuge) / sizeof(Unit);
  static constexpr size_t kPerChunk = ChunkBytes(kHuge) / sizeof(Unit);

  Unit* Allocate(size_t units) {
    if (chunks_.empty() || used_ + units > capacity_) {
      const bool huge = kHuge != HugePages::kNever && !chunks_.empty() && units <= kPerChunk;
      capacity_ = std::max(units, chunks_.empty() ? kInFirst : kPerChunk);
      chunks_.emplace_back(capacity_ * sizeof(Unit), huge ? kHugePageBytes : 0);
      used_ = 0;
    }
    Unit* at = static_cast<Unit*>(chunks_.back().get()) + used_;
    used_ += units;
    return at;
  }
  // Gives back every run handed out.
  void Clear() {
    chunks_.clear();
    used_ = 0;
    capacity_ = 0;
  }

 private:
  std::vector<StorageChunk> chunks_;
  size_t used_ = 0;
  size_t capacity_ = 0;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_CHUNKED_STORAGE_H_
