#include "engine/BpsDeltaIndex.h"

#include <new>
#include <sys/mman.h>

namespace q64::bpsdelta {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
} // namespace

Table::Table(std::size_t count) {
    const std::size_t bytes = count * sizeof(std::uint32_t);
    // Room to start on a huge page boundary; anonymous pages come zeroed.
    mappingSize_ = bytes + kHugePage;
    mapping_ = ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(mapping_);
    const std::uintptr_t aligned = (address + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
    data_ = reinterpret_cast<std::uint32_t*>(aligned);
    if (bytes >= kHugePage) ::madvise(data_, bytes, MADV_HUGEPAGE); // a hint: without it all still works
}

Table::~Table() { ::munmap(mapping_, mappingSize_); }

} // namespace q64::bpsdelta
