#include "script/js/js_heap.h"

#include "script/js/js_engine.h"

#include <duktape.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vorlan::script::js {

namespace {

// ---- heap with a size limit: each block carries its size in front of it

constexpr std::size_t kBlockHeader = 16;

void* limitedAlloc(void* udata, duk_size_t size) {
    auto* engine = static_cast<JsEngine*>(udata);
    if (engine->heapUsed + size > engine->heapLimit) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    engine->heapUsed += size;
    return block + kBlockHeader;
}

void limitedFree(void* udata, void* ptr) {
    if (!ptr) return;
    auto* engine = static_cast<JsEngine*>(udata);
    unsigned char* block = static_cast<unsigned char*>(ptr) - kBlockHeader;
    duk_size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    engine->heapUsed -= size;
    std::free(block);
}

void* limitedRealloc(void* udata, void* ptr, duk_size_t size) {
    if (!ptr) return limitedAlloc(udata, size);
    if (size == 0) {
        limitedFree(udata, ptr);
        return nullptr;
    }
    auto* engine = static_cast<JsEngine*>(udata);
    unsigned char* block = static_cast<unsigned char*>(ptr) - kBlockHeader;
    duk_size_t old = 0;
    std::memcpy(&old, block, sizeof old);
    if (size > old && engine->heapUsed + (size - old) > engine->heapLimit) return nullptr;
    auto* grown = static_cast<unsigned char*>(std::realloc(block, size + kBlockHeader));
    if (!grown) return nullptr;
    std::memcpy(grown, &size, sizeof size);
    engine->heapUsed = engine->heapUsed - old + size;
    return grown + kBlockHeader;
}

// An engine failure outside every protected call. Every entry into the heap is guarded, so this
// only ends the entry that was running; the heap is not touched again.
void fatalHandler(void* udata, const char* message) {
    auto* engine = static_cast<JsEngine*>(udata);
    if (engine && engine->fatalJump) std::longjmp(*engine->fatalJump, 1);
    std::fprintf(stderr, "JavaScript engine failure: %s\n", message ? message : "");
    std::abort();
}

} // namespace

duk_hthread* createHeap(JsEngine& engine, std::size_t limit) {
    return limit ? duk_create_heap(limitedAlloc, limitedRealloc, limitedFree, &engine, fatalHandler)
                 : duk_create_heap(nullptr, nullptr, nullptr, &engine, fatalHandler);
}

} // namespace vorlan::script::js
