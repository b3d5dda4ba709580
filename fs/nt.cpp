#include "fs/nt.h"

#include <atomic>

namespace {

std::atomic<uint64_t> g_calls[static_cast<int>(nt::Call::Kinds)];

}  // namespace

namespace nt {

void Count(Call call) { g_calls[static_cast<int>(call)].fetch_add(1, std::memory_order_relaxed); }

uint64_t CallCount(Call call) { return g_calls[static_cast<int>(call)].load(std::memory_order_relaxed); }

uint64_t CallCountTotal() {
    uint64_t total = 0;
    for (const auto& count : g_calls) total += count.load(std::memory_order_relaxed);
    return total;
}

void ResetCallCounts() {
    for (auto& count : g_calls) count.store(0, std::memory_order_relaxed);
}

}  // namespace nt
