#include <windows.h>
#include <winioctl.h>

#include <vector>

#include "platform/storage_device.h"

namespace vt {

namespace {

std::string Trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<std::string> StorageDeviceModel(const std::string& folder)
{
    char root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameA(folder.c_str(), root, sizeof root) || root[0] == '\\')
        return std::nullopt;
    // "C:\" -> "\\.\C:": the volume itself, opened without access rights,
    // which is enough to ask it a question.
    const std::string volume = std::string("\\\\.\\") + root[0] + ":";
    const HANDLE h = CreateFileA(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<char> answer(4096);
    DWORD got = 0;
    const BOOL ok =
        DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer.data(),
                        static_cast<DWORD>(answer.size()), &got, nullptr);
    CloseHandle(h);
    if (!ok || got < sizeof(STORAGE_DEVICE_DESCRIPTOR)) return std::nullopt;
    const auto* d = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer.data());
    const auto text = [&](DWORD offset) -> std::string {
        if (offset == 0 || offset >= got) return {};
        const char* start = answer.data() + offset;
        std::size_t length = 0;
        while (offset + length < got && start[length] != '\0') ++length;
        return Trimmed(std::string(start, length));
    };
    std::string model = Trimmed(text(d->VendorIdOffset) + " " + text(d->ProductIdOffset));
    if (model.empty()) return std::nullopt;
    return model;
}

}  // namespace vt
