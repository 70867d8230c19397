// Linux only: the layout from a topology hwloc did not read from this
// machine, so that the layout of a machine with many packages, NUMA nodes or
// kinds of core can be checked on any machine.
#pragma once

#include <string>
#include <vector>

#include "platform/cpu_layout.h"

namespace vt {

// The layout of hwloc's synthetic topology `description` (such as
// "pack:2 core:8 pu:2"), restricted to `allowed`. Raises Exception when hwloc
// does not take the description.
TCpuLayout CpuLayoutFromSynthetic(const std::string& description, const std::vector<int>& allowed);

// The layout of a topology exported by hwloc as XML (lstopo's --of xml),
// restricted to `allowed`. Raises Exception when the file cannot be read.
TCpuLayout CpuLayoutFromXml(const std::string& path, const std::vector<int>& allowed);

// Every logical CPU of the topology in `description`, for `allowed` above.
std::vector<int> AllCpusOfSynthetic(const std::string& description);

}  // namespace vt
