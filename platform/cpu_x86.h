// The processor instructions the program reads the machine with: the
// identification instruction (CPUID) behind the ID-flag test, and the
// time-stamp counter (RDTSC).
//
// This header is the one place that knows which processor the build is for:
// it defines VESKTEST_X86_64 to 1 on x86-64 and to 0 elsewhere, and code that
// needs an instruction of its own (the empty loop) dispatches on that macro.
// On another processor there is no identification instruction
// (CpuidPresent() is false) and the time-stamp counter is replaced by the
// monotonic clock in nanoseconds (TimeStampIsNanoseconds is true), so the
// clock probe then reports 1000 MHz.
#pragma once

#include <cstdint>

#if defined(__x86_64__)
#define VESKTEST_X86_64 1
#else
#define VESKTEST_X86_64 0
#endif

namespace vt {

inline constexpr bool TimeStampIsNanoseconds = !VESKTEST_X86_64;

struct TCpuidResult {
    std::uint32_t Eax = 0;
    std::uint32_t Ebx = 0;
    std::uint32_t Ecx = 0;
    std::uint32_t Edx = 0;
};

// The ID-flag test: reads the flags register, writes it back with bit 21
// (mask 0x200000) inverted, reads it again and compares the two readings.
// True when the bit changed, that is, when the identification instruction
// exists. The flags are put back as they were.
bool CpuidPresent();

// The identification instruction with EAX = leaf and ECX = 0. Call it only
// when CpuidPresent(); on a build without the instruction it returns zeros.
TCpuidResult Cpuid(std::uint32_t leaf);

// The 64-bit time-stamp counter, read without a serialising instruction
// before it. The counter is not promised to tick at the core clock: on
// current processors it runs at a constant nominal rate whatever the core's
// actual speed, and under a hypervisor it may be scaled or offset. It is read
// on whatever core the thread happens to run on.
std::uint64_t ReadTimeStampCounter();

}  // namespace vt
