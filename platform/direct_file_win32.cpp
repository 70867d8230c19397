#include <malloc.h>
#include <windows.h>

#include <atomic>
#include <cerrno>

#include "platform/direct_file.h"
#include "platform/errors.h"
#include "platform/system_error_win32.h"

namespace vt {

namespace {
std::atomic<int> liveBuffers{0};

std::size_t PageSize()
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwPageSize > 0 ? info.dwPageSize : 4096u;
}

// The sector size of the volume holding `name`; 0 when unknown.
std::size_t SectorSize(const std::string& name)
{
    char root[MAX_PATH + 1] = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetVolumePathNameA(name.c_str(), root, sizeof root) ||
        !GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return bytesPerSector;
}

// Uncached requests on a volume of `sector`-byte sectors (0: unknown).
TDirectAlignment AlignmentFor(std::size_t sector)
{
    TDirectAlignment alignment;
    alignment.Buffer = PageSize();
    // Sector sizes are powers of two; anything else is not trusted.
    if (sector > 0 && (sector & (sector - 1)) == 0) {
        if (sector > alignment.Buffer) alignment.Buffer = sector;
        alignment.Offset = sector;
    }
    return alignment;
}
}  // namespace

int TDirectFile::Open(const std::string& name)
{
    Close();
    const HANDLE h =
        CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrno();
    handle_ = h;
    sectorSize_ = SectorSize(name);
    return 0;
}

bool TDirectFile::IsOpen() const
{
    return handle_ != nullptr;
}

void TDirectFile::Close()
{
    if (handle_) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

std::int64_t TDirectFile::Size() const
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) throw EInOutError(LastErrno());
    return static_cast<std::int64_t>(size.QuadPart);
}

std::size_t TDirectFile::BufferAlignment() const
{
    return AlignmentFor(sectorSize_).Buffer;
}

std::int64_t TDirectFile::Read(void* buffer, std::size_t count)
{
    if (BeforeRead) BeforeRead();
    DWORD got = 0;
    const DWORD asked = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    if (!ReadFile(handle_, buffer, asked, &got, nullptr)) {
        // The end of the file is an empty read, as on Linux.
        if (GetLastError() == ERROR_HANDLE_EOF) return 0;
        errno = LastErrno();
        return -1;
    }
    return got;
}

bool TAlignedBuffer::Allocate(std::size_t size, std::size_t alignment)
{
    Release();
    if (alignment < sizeof(void*)) alignment = sizeof(void*);
    void* p = _aligned_malloc(size, alignment);
    if (!p) return false;
    data_ = p;
    size_ = size;
    ++liveBuffers;
    return true;
}

void TAlignedBuffer::Release()
{
    if (data_) {
        _aligned_free(data_);
        data_ = nullptr;
        size_ = 0;
        --liveBuffers;
    }
}

int TAlignedBuffer::LiveCount()
{
    return liveBuffers.load();
}

std::int64_t DirectoryEntrySize(const std::string& name)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (name.empty() || !GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

TDirectAlignment DirectAlignment(const std::string& name)
{
    return AlignmentFor(SectorSize(name));
}

bool FileExists(const std::string& name)
{
    const DWORD attributes =
        name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace vt
