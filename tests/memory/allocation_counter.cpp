#include "memory/allocation_counter.h"

#include <execinfo.h>
#include <link.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
void __libc_free(void* block);
}

namespace {

constexpr int ObjectCapacity = 256;
constexpr std::size_t NameCapacity = 64;

// A loaded object's address range and what it asked for. Filled before counting starts, so
// the allocation hooks only read the ranges.
struct LoadedObject {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    char name[NameCapacity] = {};
    std::atomic<std::size_t> calls{0};
    std::atomic<std::size_t> bytes{0};
};

std::array<LoadedObject, ObjectCapacity> objects;
int objectCount = 0;
// Callers found in no known object (code generated at run time, such as the GL driver's).
LoadedObject unknownObject;
std::atomic<bool> counting{false};

const char* baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

int noteObject(dl_phdr_info* info, std::size_t, void*) {
    if (objectCount == ObjectCapacity) {
        return 1;
    }
    LoadedObject& object = objects[objectCount];
    object.begin = UINTPTR_MAX;
    object.end = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) != 0) {
            const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
            object.begin = std::min(object.begin, start);
            object.end = std::max(object.end, start + segment.p_memsz);
        }
    }
    if (object.end == 0) {
        return 0;
    }
    // The program itself comes first, with an empty name.
    const char* name = objectCount == 0 ? "the program" : baseName(info->dlpi_name);
    std::strncpy(object.name, name, NameCapacity - 1);
    ++objectCount;
    return 0;
}

LoadedObject& objectAt(std::uintptr_t address) {
    for (int i = 0; i < objectCount; ++i) {
        if (address >= objects[i].begin && address < objects[i].end) {
            return objects[i];
        }
    }
    return unknownObject;
}

bool isRuntime(const LoadedObject& object) {
    for (const char* prefix : {"libc.so", "libstdc++.so", "libm.so", "libgcc_s.so", "ld-linux"}) {
        if (std::strncmp(object.name, prefix, std::strlen(prefix)) == 0) {
            return true;
        }
    }
    return false;
}

bool isGameOrRuntime(const LoadedObject& object) {
    return &object == &objects[0] || isRuntime(object);
}

thread_local bool walking = false;

// An allocation asked for by the game or the C and C++ libraries belongs to the game unless a
// library (cairo, the GL driver, ...) lies between it and the game's own frames further out:
// then that library asked for it, through the runtime or through template code that the
// program happens to hold.
LoadedObject& ownerOf(const void* caller) {
    LoadedObject& direct = objectAt(reinterpret_cast<std::uintptr_t>(caller));
    if (!isGameOrRuntime(direct) || walking) {
        return direct;
    }
    walking = true;
    constexpr int Depth = 48;
    void* frames[Depth];
    const int depth = backtrace(frames, Depth);
    walking = false;
    for (int i = 0; i < depth; ++i) {
        LoadedObject& object = objectAt(reinterpret_cast<std::uintptr_t>(frames[i]));
        if (!isGameOrRuntime(object)) {
            return object;
        }
    }
    return objects[0];
}

void count(const void* caller, std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        LoadedObject& object = ownerOf(caller);
        object.calls.fetch_add(1, std::memory_order_relaxed);
        object.bytes.fetch_add(size, std::memory_order_relaxed);
    }
}

tb::test::AllocationCount countOf(const LoadedObject& object) {
    return {object.calls.load(), object.bytes.load()};
}

std::string describe(const LoadedObject& object) {
    return std::string(object.name) + ": " + std::to_string(object.calls.load()) + " calls, " +
           std::to_string(object.bytes.load()) + " bytes";
}

std::string describeObjects() {
    std::array<const LoadedObject*, ObjectCapacity + 1> busy{};
    int n = 0;
    for (int i = 0; i < objectCount; ++i) {
        if (objects[i].calls > 0) {
            busy[n++] = &objects[i];
        }
    }
    if (unknownObject.calls > 0) {
        busy[n++] = &unknownObject;
    }
    std::sort(busy.begin(), busy.begin() + n,
              [](const LoadedObject* a, const LoadedObject* b) { return a->calls > b->calls; });
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += (i > 0 ? "; " : "") + describe(*busy[i]);
    }
    return text;
}

void* allocateForNew(const void* caller, std::size_t size) {
    count(caller, size);
    void* block = __libc_malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

} // namespace

namespace tb::test {

void startCountingAllocations() {
    // The first stack walk loads the unwinder, which allocates.
    void* frame[1];
    backtrace(frame, 1);
    objectCount = 0;
    dl_iterate_phdr(noteObject, nullptr);
    std::strncpy(unknownObject.name, "unknown code", NameCapacity - 1);
    for (LoadedObject* object = objects.data(); object != objects.data() + objectCount; ++object) {
        object->calls = 0;
        object->bytes = 0;
    }
    unknownObject.calls = 0;
    unknownObject.bytes = 0;
    counting = true;
}

AllocationCounts stopCountingAllocations() {
    counting = false;
    AllocationCounts counts;
    counts.game = objectCount > 0 ? countOf(objects[0]) : AllocationCount{};
    for (int i = 0; i < objectCount; ++i) {
        counts.total.calls += objects[i].calls;
        counts.total.bytes += objects[i].bytes;
    }
    counts.total.calls += unknownObject.calls;
    counts.total.bytes += unknownObject.bytes;
    counts.byObject = describeObjects();
    return counts;
}

} // namespace tb::test

// Defined in the program, these come before the C library's for every shared object too.
// Each is counted against the code that called it.
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

void* valloc(std::size_t size) {
    count(__builtin_return_address(0), size);
    return __libc_valloc(size);
}

void* pvalloc(std::size_t size) {
    count(__builtin_return_address(0), size);
    return __libc_pvalloc(size);
}

} // extern "C"

// operator new is replaced too: the C++ library's own would hide its caller behind itself.
void* operator new(std::size_t size) {
    return allocateForNew(__builtin_return_address(0), size);
}

void* operator new[](std::size_t size) {
    return allocateForNew(__builtin_return_address(0), size);
}

void operator delete(void* block) noexcept {
    __libc_free(block);
}

void operator delete[](void* block) noexcept {
    __libc_free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    __libc_free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    __libc_free(block);
}
