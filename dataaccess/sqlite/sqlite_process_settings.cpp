#include "dataaccess/sqlite/sqlite_process_settings.h"

#include <malloc.h>
#include <sqlite3.h>

#include <cstdlib>

namespace dataaccess {
namespace {

// SQLite's system allocator, as SQLite builds it where it knows the C library can tell an
// allocation's size. Debian's SQLite is not built so: it puts its own 8-byte size before each of
// the million small allocations of a large schema, which moves many of them up a size class
// of the C library's allocator. At 10,000 tables this came to 4 MB of the peak of a comparison
// of two files.
void* Allocate(int bytes) { return std::malloc(static_cast<size_t>(bytes)); }
void Free(void* at) { std::free(at); }
void* Reallocate(void* at, int bytes) { return std::realloc(at, static_cast<size_t>(bytes)); }
int SizeOf(void* at) { return at == nullptr ? 0 : static_cast<int>(malloc_usable_size(at)); }
int RoundUp(int bytes) { return (bytes + 7) & ~7; }
int Init(void* /*data*/) { return SQLITE_OK; }
void Shutdown(void* /*data*/) {}

bool Apply() {
  // SQLite counts every allocation under one process-wide mutex unless told not to; two
  // catalogs read at the same time would spend a fifth of their time waiting on it.
  sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  static const sqlite3_mem_methods kAllocator{Allocate, Free, Reallocate, SizeOf,
                                              RoundUp,  Init, Shutdown,   nullptr};
  sqlite3_config(SQLITE_CONFIG_MALLOC, &kAllocator);
  return true;
}

}  // namespace

void ApplySqliteProcessSettings() noexcept {
  static const bool kApplied = Apply();
  (void)kApplied;
}

}  // namespace dataaccess
