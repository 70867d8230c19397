#include "app/environment.h"

#include <QCoreApplication>

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
        (void)grouped;
        return vt::TotalDiskSizeText(fs);
    };
    env.Today = [] { return QDate::currentDate(); };
    env.SeedRandom = [] { vt::Randomize(); };
    return env;
}

}  // namespace vt
