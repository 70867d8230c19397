// The layout from the records Windows' GetLogicalProcessorInformationEx
// fills in (SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX), read from their bytes
// so that any buffer of them, a hybrid or many-group machine's included, can
// be checked on any system. A CPU is numbered 64 x its processor group + its
// bit in the group's mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cpu_layout.h"

namespace vt {

// The record kinds (LOGICAL_PROCESSOR_RELATIONSHIP) read here; others are
// stepped over.
enum : std::uint32_t {
    kRelationProcessorCore = 0,
    kRelationNumaNode = 1,
    kRelationProcessorPackage = 3,
};

// The layout in `size` bytes of records at `records`, restricted to
// `allowed`. A core's EfficiencyClass is its kind's rank: where cores differ
// in it the processor is hybrid, the highest class being "performance" and
// the lowest "efficiency". Raises Exception when a record's size does not fit
// the buffer or its own contents (the buffer is damaged or cut short).
TCpuLayout CpuLayoutFromRecords(const std::uint8_t* records, std::size_t size,
                                const std::vector<int>& allowed);

// Builds such records, for tests and for nothing else.
class TProcessorRecords {
public:
    // A core with the CPUs `cpus` (all in one group) and its efficiency class.
    void Core(const std::vector<int>& cpus, std::uint8_t efficiencyClass = 0);
    void Package(const std::vector<int>& cpus);
    void NumaNode(std::uint32_t number, const std::vector<int>& cpus);
    // A record of another kind (a cache, a group), which the reader skips.
    void Other(std::uint32_t relationship, std::uint32_t bodySize);
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
    void Masks(std::uint32_t relationship, std::uint8_t flags, std::uint8_t efficiencyClass,
               std::uint32_t number, const std::vector<int>& cpus);
    std::vector<std::uint8_t> bytes_;
};

}  // namespace vt
