// The one allocator and its free routine. Every table is allocated here at start-up and freed at
// teardown; nothing allocates while frames run. A failed request is reported to the user by the
// allocator itself, naming the byte count, and the caller only returns a negative code.
#pragma once

#include <cstdint>

// A zero-filled block of size bytes, or null after showing the "Error" box with the byte count.
void* mem_alloc(int32_t size);

// Gives a block back; null is ignored.
void mem_free(void* block);

// Accounting, for the tests and tools that prove the allocation rules: how often mem_alloc was
// called and how many of its blocks are still live.
struct MemStats {
    uint32_t calls;
    int32_t live_blocks;
};
MemStats mem_stats();

// Makes the call-th call of mem_alloc from now on fail as if the heap were exhausted (1 is the
// next call); 0 turns the injected failure off.
void mem_fail_call(uint32_t call);
