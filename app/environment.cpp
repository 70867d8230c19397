#include "app/environment.h"

#include <QCoreApplication>

#include "benchmarks/empty_loop.h"
#include "platform/memory_available.h"
#include "platform/random.h"
#include "sysinfo/probes.h"

namespace vt {

TEnvironment TEnvironment::System()
{
    TEnvironment env;
    env.ExeDir = QCoreApplication::applicationDirPath().toStdString() + "/";
    env.Format = SystemFormatSettings();
    env.Ticks = SystemTicks();
    env.ReadTotalPhysMem = [] { return vt::ReadTotalPhysMem(); };
    env.GetCPUInfo = [] { return vt::GetCPUInfo(); };
    env.MeasureCpuMHz = [] { return vt::MeasureCpuMHz(); };
    env.TotalDiskSizeText = [](const FormatSettings& fs, bool grouped) {
        return vt::TotalDiskSizeText(fs, grouped);
    };
    env.Today = [] { return QDate::currentDate(); };
    env.EmptyLoop = [](std::int32_t count) { vt::EmptyLoop(count); };
    env.AvailableMemory = [] { return vt::AvailableMemory(); };
    env.SeedRandom = [] { vt::Randomize(); };
    env.ConditionSampler = [] { return std::make_unique<TConditionSampler>(); };
    return env;
}

TTestMachine TestMachine(const TEnvironment& env, std::int64_t totalPhysMem)
{
    return {env.Ticks, env.EmptyLoop, env.AvailableMemory, env.SeedRandom, totalPhysMem};
}

}  // namespace vt
