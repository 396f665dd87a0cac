#pragma once
// Storage for tree list nodes. A big tree is built and dropped as a whole
// (every reload, every close of the record set), so nodes come from blocks
// carved into equal slots instead of one heap allocation each: creating a
// node takes a slot from a free list or the end of the newest block, and a
// destroyed node's slot goes back on its free list. The blocks are handed
// back to the heap once no node of the thread is left.
//
// Under AddressSanitizer nodes use the ordinary heap, so a node used after
// its destruction is still reported.

#include <cstddef>

namespace tl_node_pool {

void* Allocate(std::size_t size);
void Release(void* slot, std::size_t size);

// Blocks held now (for tests: all are returned once the last node goes).
std::size_t BlockCount();
// Nodes alive in pooled slots of the calling thread.
std::size_t LiveCount();

}  // namespace tl_node_pool
