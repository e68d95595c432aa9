#include "memory/allocation_counter.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

// What one loaded object (the program or a shared library, known by its load address) asked
// for. A slot is claimed when the object first asks, so counting itself never allocates.
struct Tally {
    std::atomic<const void*> base{nullptr};
    std::atomic<const char*> path{nullptr};
    std::atomic<std::size_t> calls{0};
    std::atomic<std::size_t> bytes{0};
};

std::array<Tally, 256> tallies;
// Code generated at run time, such as the GL driver's, lies in no loaded object.
Tally unknownCode;
const void* programCode = nullptr;
const void* programBase = nullptr;
std::atomic<bool> counting{false};
thread_local bool walking = false;

const void* objectOf(const void* code, const char** path = nullptr) {
    Dl_info info;
    if (dladdr(code, &info) == 0) {
        return nullptr;
    }
    if (path != nullptr) {
        *path = info.dli_fname;
    }
    return info.dli_fbase;
}

const char* baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool isGameOrRuntime(const void* code) {
    const char* path = nullptr;
    const void* base = objectOf(code, &path);
    if (base == nullptr || base == programBase) {
        return base != nullptr;
    }
    for (const char* prefix : {"libc.so", "libstdc++.so", "libm.so", "libgcc_s.so", "ld-linux"}) {
        if (std::strncmp(baseName(path), prefix, std::strlen(prefix)) == 0) {
            return true;
        }
    }
    return false;
}

// An allocation asked for by the game or the C and C++ libraries (operator new included)
// belongs to the game unless a library (cairo, the GL driver, ...) lies between it and the
// game's own frames further out: then that library asked for it.
const void* ownerOf(const void* caller) {
    if (walking || !isGameOrRuntime(caller)) {
        return caller;
    }
    walking = true;
    void* frames[48];
    const int depth = backtrace(frames, 48);
    walking = false;
    for (int i = 0; i < depth; ++i) {
        if (!isGameOrRuntime(frames[i])) {
            return frames[i];
        }
    }
    return programCode;
}

Tally& tallyOf(const void* code) {
    const char* path = nullptr;
    const void* base = objectOf(code, &path);
    if (base == nullptr) {
        return unknownCode;
    }
    for (Tally& tally : tallies) {
        const void* claimed = nullptr;
        if (tally.base.compare_exchange_strong(claimed, base)) {
            tally.path = path;
            return tally;
        }
        if (claimed == base) {
            return tally;
        }
    }
    return unknownCode;
}

void count(const void* caller, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        Tally& tally = tallyOf(ownerOf(caller));
        tally.calls.fetch_add(1, std::memory_order_relaxed);
        tally.bytes.fetch_add(size, std::memory_order_relaxed);
    }
}

} // namespace

namespace tb::test {

void startCountingAllocations() {
    // The first stack walk loads the unwinder, which allocates.
    void* frame[1];
    backtrace(frame, 1);
    programCode = reinterpret_cast<const void*>(&startCountingAllocations);
    programBase = objectOf(programCode);
    for (Tally& tally : tallies) {
        tally.calls = 0;
        tally.bytes = 0;
    }
    unknownCode.calls = 0;
    unknownCode.bytes = 0;
    counting = true;
}

AllocationCounts stopCountingAllocations() {
    counting = false;
    std::vector<const Tally*> busy{&unknownCode};
    for (const Tally& tally : tallies) {
        busy.push_back(&tally);
    }
    std::erase_if(busy, [](const Tally* t) { return t->calls == 0; });
    std::sort(busy.begin(), busy.end(),
              [](const Tally* a, const Tally* b) { return a->calls > b->calls; });
    AllocationCounts counts;
    for (const Tally* tally : busy) {
        const AllocationCount one{tally->calls, tally->bytes};
        const bool game = tally != &unknownCode && tally->base == programBase;
        counts.game = game ? one : counts.game;
        counts.total.calls += one.calls;
        counts.total.bytes += one.bytes;
        const char* name = game                    ? "the program"
                           : tally == &unknownCode ? "unknown code"
                                                   : baseName(tally->path.load());
        counts.byObject += (counts.byObject.empty() ? "" : "; ") + std::string(name) + ": " +
                           std::to_string(one.calls) + " calls, " + std::to_string(one.bytes) +
                           " bytes";
    }
    return counts;
}

} // namespace tb::test

// Defined in the program, these come before the C library's for every shared object too, and
// the C++ library's operator new calls them. Each is counted against the code that called it.
extern "C" {

void* malloc(std::size_t size) {
    count(__builtin_return_address(0), size);
    return __libc_malloc(size);
}

void* calloc(std::size_t n, std::size_t size) {
    count(__builtin_return_address(0), n * size);
    return __libc_calloc(n, size);
}

void* realloc(void* block, std::size_t size) {
    count(__builtin_return_address(0), size);
    return __libc_realloc(block, size);
}

void free(void* block) {
    __libc_free(block);
}

void* memalign(std::size_t alignment, std::size_t size) {
    count(__builtin_return_address(0), size);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    count(__builtin_return_address(0), size);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    count(__builtin_return_address(0), size);
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr && size != 0) {
        return ENOMEM;
    }
    *out = block;
    return 0;
}

} // extern "C"
