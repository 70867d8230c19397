// What names the machine a run measured: its host name, operating system
// and kernel, how many logical processors it has online, and how busy it was
// (the load average). Read from the system each time; nothing is kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt {

// The host name (gethostname; on Windows the DNS host name).
std::string HostName();

// The operating system's name and version as it names itself: on Linux
// PRETTY_NAME of os-release ("Debian GNU/Linux 12 (bookworm)"), on Windows
// the product name and its display version ("Windows 10 Pro 22H2").
std::string OperatingSystemName();

// The kernel: "Linux 6.1.0-21-amd64" (uname's system name and release), or
// on Windows "Windows NT 10.0.19045" (RtlGetVersion).
std::string KernelName();

// Logical processors online on the whole machine, whatever this process's
// affinity (Linux _SC_NPROCESSORS_ONLN; Windows GetActiveProcessorCount over
// every processor group).
int LogicalProcessors();

// The load average over the last minute. Windows keeps none: nothing there.
std::optional<double> LoadAverage();

#if !defined(_WIN32)
// The name os-release's text gives: PRETTY_NAME, else NAME and VERSION,
// else NAME; empty when it has none. Values may be quoted with double or
// single quotes; a backslash in double quotes takes the next character as
// it is.
std::string OsReleaseName(std::string_view text);
#endif

}  // namespace vt
