#include "engine/BpsDeltaIndex.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace q64::bpsdelta {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
} // namespace

Table::Table(std::size_t count) {
    const std::size_t bytes = count * sizeof(std::uint32_t);
    if (bytes < kHugePage) { // small: from the heap, zeroed
        data_ = static_cast<std::uint32_t*>(std::calloc(count == 0 ? 1 : count, sizeof(std::uint32_t)));
        if (!data_) throw std::bad_alloc();
        return;
    }
    // Room to start on a huge page boundary; anonymous pages come zeroed.
    mappingSize_ = bytes + kHugePage;
    mapping_ = ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(mapping_);
    data_ = reinterpret_cast<std::uint32_t*>((address + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1});
    ::madvise(data_, bytes, MADV_HUGEPAGE); // a hint: without it all works the same, only slower
}

Table::~Table() {
    if (mapping_)
        ::munmap(mapping_, mappingSize_);
    else
        std::free(data_);
}

} // namespace q64::bpsdelta
