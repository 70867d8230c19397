#include "platform/system_counters.h"

namespace vt {

double TSystemCpuTimes::Busy() const
{
    return User + Nice + System + Irq.value_or(0) + SoftIrq.value_or(0);
}

double TSystemCpuTimes::Total() const
{
    return Busy() + Idle + IoWait.value_or(0) + Steal.value_or(0);
}

}  // namespace vt
