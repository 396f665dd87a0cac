#include "treelist/tree_list_node_pool.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TL_NODE_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TL_NODE_POOL_OFF 1
#endif
#endif

namespace tl_node_pool {
namespace {

constexpr std::size_t kGrain = 16;
constexpr std::size_t kLargestSlot = 512;  // larger node classes use the heap
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::size_t kClasses = kLargestSlot / kGrain;

struct FreeSlot {
  FreeSlot* next;
};

struct SizeClass {
  FreeSlot* free = nullptr;
  char* cursor = nullptr;  // unused end of the newest block of this class
  char* end = nullptr;
};

// Nodes belong to the thread of their tree list: one pool per thread, so
// no locking is needed.
struct Pool {
  std::array<SizeClass, kClasses> classes{};
  std::vector<std::unique_ptr<char[]>> blocks;
  std::size_t live = 0;

  void* Take(std::size_t size) {
    SizeClass& c = classes[(size - 1) / kGrain];
    const std::size_t slot = ((size + kGrain - 1) / kGrain) * kGrain;
    void* p;
    if (c.free) {
      p = c.free;
      c.free = c.free->next;
    } else {
      if (c.cursor == nullptr || static_cast<std::size_t>(c.end - c.cursor) < slot) {
        blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
        c.cursor = blocks.back().get();
        c.end = c.cursor + kBlockBytes;
      }
      p = c.cursor;
      c.cursor += slot;
    }
    ++live;
    return p;
  }

  void Give(void* p, std::size_t size) {
    SizeClass& c = classes[(size - 1) / kGrain];
    auto* slot = static_cast<FreeSlot*>(p);
    slot->next = c.free;
    c.free = slot;
    if (--live == 0) {
      // Nothing of the pool is in use: the whole of it goes back at once.
      classes = {};
      blocks.clear();
    }
  }
};

Pool& ThreadPool() {
  // Never destroyed: a tree list outliving the thread's other objects still
  // hands its nodes back to a pool that exists.
  thread_local Pool* pool = new Pool;
  return *pool;
}

bool Pooled(std::size_t size) {
#ifdef TL_NODE_POOL_OFF
  (void)size;
  return false;
#else
  return size > 0 && size <= kLargestSlot;
#endif
}

}  // namespace

void* Allocate(std::size_t size) {
  if (!Pooled(size)) return ::operator new(size);
  return ThreadPool().Take(size);
}

void Release(void* slot, std::size_t size) {
  if (!slot) return;
  if (!Pooled(size)) {
    ::operator delete(slot);
    return;
  }
  ThreadPool().Give(slot, size);
}

std::size_t BlockCount() { return ThreadPool().blocks.size(); }
std::size_t LiveCount() { return ThreadPool().live; }

}  // namespace tl_node_pool
