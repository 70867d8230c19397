#include "platform/cpu_x86.h"

#if VESKTEST_X86_64
#include <cpuid.h>
#else
#include <chrono>
#endif

namespace vt {

#if VESKTEST_X86_64

namespace {

constexpr std::uint64_t kIdFlag = 0x200000;

// The stack pointer steps over the 128-byte red zone first: the compiler may
// keep a leaf function's locals there, and the push would overwrite them.
std::uint64_t ReadFlags()
{
    std::uint64_t flags;
    asm volatile(
        "subq $128, %%rsp\n\t"
        "pushfq\n\t"
        "popq %0\n\t"
        "addq $128, %%rsp"
        : "=r"(flags)
        :
        : "memory", "cc");
    return flags;
}

void WriteFlags(std::uint64_t flags)
{
    asm volatile(
        "subq $128, %%rsp\n\t"
        "pushq %0\n\t"
        "popfq\n\t"
        "addq $128, %%rsp"
        :
        : "r"(flags)
        : "memory", "cc");
}

}  // namespace

bool CpuidPresent()
{
    const std::uint64_t first = ReadFlags();
    WriteFlags(first ^ kIdFlag);
    const std::uint64_t second = ReadFlags();
    WriteFlags(first);
    return second != first;
}

TCpuidResult Cpuid(std::uint32_t leaf)
{
    TCpuidResult r;
    __cpuid_count(leaf, 0, r.Eax, r.Ebx, r.Ecx, r.Edx);
    return r;
}

std::uint64_t ReadTimeStampCounter()
{
    std::uint32_t lo, hi;
    asm volatile("rdtsc" : "=a"(lo), "=d"(hi));
    return (static_cast<std::uint64_t>(hi) << 32) | lo;
}

#else

bool CpuidPresent()
{
    return false;
}

TCpuidResult Cpuid(std::uint32_t)
{
    return {};
}

std::uint64_t ReadTimeStampCounter()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

#endif

}  // namespace vt
