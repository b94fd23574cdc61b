#include "frontend/pictures/bus_error_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace sensor::frontend {
namespace {

// A batch keeps two pictures at most, a test a few more.
constexpr int kSlots = 32;

struct Slot {
  std::atomic<std::uintptr_t> Begin{0};  // 0: free
  std::atomic<std::uintptr_t> End{0};
  std::atomic<bool> Lost{false};
};

std::array<Slot, kSlots> slots;
std::mutex slotsMutex;  // taking and freeing slots; the handler only reads them
struct sigaction previous {};
std::uintptr_t pageSize = 4096;

void ForwardToPrevious(int signal, siginfo_t* info, void* context) {
  if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
    previous.sa_sigaction(signal, info, context);
    return;
  }
  if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  // The default action: with it back in place, a fault repeats when the
  // access is retried and ends the process as before; a signal that was sent
  // is sent again and arrives once the handler returns.
  struct sigaction fallback {};
  fallback.sa_handler = previous.sa_handler;
  sigemptyset(&fallback.sa_mask);
  sigaction(SIGBUS, &fallback, nullptr);
  if (info->si_code <= 0) raise(SIGBUS);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  if (info->si_code > 0) {  // raised by an access, not sent
    for (Slot& slot : slots) {
      const std::uintptr_t begin = slot.Begin.load(std::memory_order_acquire);
      const std::uintptr_t end = slot.End.load(std::memory_order_acquire);
      if (begin == 0 || address < begin || address >= end) continue;
      const std::uintptr_t page = address & ~(pageSize - 1);
      // mmap is a plain system call here, safe in a handler. Pages the
      // process wrote itself lie in the range too and become zeros as well;
      // the run fails on the lost note whatever they held.
      void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
      if (zeros != MAP_FAILED) {
        slot.Lost.store(true, std::memory_order_release);
        return;
      }
      break;
    }
  }
  ForwardToPrevious(signal, info, context);
}

bool InstallHandler() {
  static const bool installed = [] {
    const long size = sysconf(_SC_PAGESIZE);
    if (size > 0) pageSize = static_cast<std::uintptr_t>(size);
    struct sigaction action {};
    action.sa_sigaction = &OnBusError;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, &previous) == 0;
  }();
  return installed;
}

}  // namespace

int GuardMappedRange(void* begin, std::size_t size) {
  if (begin == nullptr || size == 0 || !InstallHandler()) return -1;
  const std::lock_guard<std::mutex> lock(slotsMutex);
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = slots[static_cast<std::size_t>(i)];
    if (slot.Begin.load(std::memory_order_relaxed) != 0) continue;
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    slot.Lost.store(false, std::memory_order_relaxed);
    slot.End.store(first + size, std::memory_order_release);
    slot.Begin.store(first, std::memory_order_release);
    return i;
  }
  return -1;
}

void UnguardMappedRange(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  const std::lock_guard<std::mutex> lock(slotsMutex);
  slots[static_cast<std::size_t>(slot)].Begin.store(0, std::memory_order_release);
}

bool MappedRangeLost(int slot) {
  return slot >= 0 && slot < kSlots && slots[static_cast<std::size_t>(slot)].Lost.load(std::memory_order_acquire);
}

}  // namespace sensor::frontend
