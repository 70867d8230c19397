// Where the results log lives.
#pragma once

#include <string>

namespace vt {

// The results log's full path for a program whose executable lies in
// `exeDir` (with its trailing separator).
std::string ResultsLogPath(const std::string& exeDir);

}  // namespace vt
