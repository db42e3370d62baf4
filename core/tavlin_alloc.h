// The allocator of the core buffers and containers.
//
// StringBuffer, DataBuffer, ExtPtrArray and ExtIntArray get their memory
// here, so a failed allocation is a null result they can report as false
// instead of an exception. Memory handed to DataBuffer::takeOwned must come
// from tavlinAlloc/tavlinRealloc, because the buffer releases it with
// tavlinFree.
#pragma once

#include <cstddef>

void* tavlinAlloc(size_t n);                 // null on failure (or n == 0)
void* tavlinAllocZeroed(size_t n);           // as tavlinAlloc, bytes zeroed
void* tavlinRealloc(void* p, size_t n);      // null on failure; p untouched
void tavlinFree(void* p);                    // null is fine

// Test hook: the next `count` allocations after `skip` successful ones fail
// as if memory were exhausted. Process-wide; 0 switches it off.
void tavlinFailAllocations(int count, int skip = 0);

// Allocations still set to fail (0 when the hook has been used up).
int tavlinPendingAllocationFailures();
