#include "platform/mem.h"

#include <cstdlib>

#include "platform/error_box.h"

namespace {

// "%dbyteの領域の確保に失敗しました。" in code page 932: the byte count as a signed decimal
// directly followed by the text.
constexpr char MEM_FAILURE_FORMAT[] =
    "%dbyte\x82\xcc\x97\xcc\x88\xe6\x82\xcc\x8a\x6d\x95\xdb\x82\xc9"
    "\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

struct MemState {
    MemStats stats;
    uint32_t fail_countdown;
};

MemState mem;

bool mem_injected_failure()
{
    if (mem.fail_countdown == 0)
        return false;
    return --mem.fail_countdown == 0;
}

} // namespace

void* mem_alloc(int32_t size)
{
    ++mem.stats.calls;
    // A negative size is a request no heap can meet: report it like any other failure rather
    // than letting it wrap into a huge unsigned size.
    void* block = nullptr;
    if (size >= 0 && !mem_injected_failure())
        block = std::calloc(static_cast<size_t>(size), 1);
    if (!block) {
        app_error_box(MEM_FAILURE_FORMAT, size);
        return nullptr;
    }
    ++mem.stats.live_blocks;
    return block;
}

void mem_free(void* block)
{
    if (!block)
        return;
    --mem.stats.live_blocks;
    std::free(block);
}

MemStats mem_stats()
{
    return mem.stats;
}

void mem_fail_call(uint32_t call)
{
    mem.fail_countdown = call;
}
