#include "app/run_record_facts.h"

#include <QGuiApplication>
#include <filesystem>

#include "platform/cp1251.h"
#include "platform/file_system_type.h"
#include "sysinfo/machine_identity.h"
#include "sysinfo/probes.h"

namespace vt {

void FillMachineFacts(TRunRecord& r, const TEnvironment& env, const TStartupFacts& startup)
{
    r.Vendor = Cp1251ToUtf8(startup.Cpu.Vendor);
    r.Model = Cp1251ToUtf8(startup.Cpu.ModelName);
    r.CpuMHz = startup.CpuMHz;
    r.MemoryMiB = MemorySizeMiB(startup.TotalPhysMem);
    r.DiskGb = env.TotalDiskSizeText(FormatSettings{'.', ','}, /*grouped=*/false);
    r.Date = env.Today().toString(Qt::ISODate).toStdString();
    r.PaintPlatform = QGuiApplication::platformName().toStdString();
    const TMachineIdentity machine = ReadMachineIdentity();
    r.CpuBrand = machine.CpuBrand;
    r.LogicalCpus = machine.LogicalCpus;
    r.CpusAllowed = machine.CpusAllowed;
    r.Hypervisor = machine.Hypervisor;
    r.HypervisorVendor = machine.HypervisorVendor;
    r.Os = machine.Os;
    r.Kernel = machine.Kernel;
    r.Host = machine.Host;
    r.Arch = machine.Arch;
    r.Version = machine.Version;
}

void FillFileFacts(TRunRecord& r, const std::string& file)
{
    r.File = file;
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error)
        r.FileBytes.reset();
    else
        r.FileBytes = static_cast<std::int64_t>(size);
    const std::string type = FileSystemTypeOf(file);
    if (type.empty()) {
        r.FileSystem.reset();
        r.StorageKind.reset();
    } else {
        r.FileSystem = type;
        r.StorageKind = StorageKindName(ClassifyFileSystem(type));
    }
}

}  // namespace vt
