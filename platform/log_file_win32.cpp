#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/errors.h"
#include "platform/log_file.h"
#include "platform/system_error_win32.h"
#include "platform/user_folders.h"

namespace vt {

namespace {

[[noreturn]] void RaiseLastError(const std::string& path = {})
{
    throw EInOutError(LastErrno(), path);
}

// Tries of TAppendFile's open: as many as the links Linux follows.
constexpr int kMaxOpenTries = 40;

// A handle closed on every path.
class THandle {
public:
    explicit THandle(HANDLE h) : h_(h) {}
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    ~THandle()
    {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    HANDLE Get() const { return h_; }
    void Close()
    {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(h)) RaiseLastError();
    }

private:
    HANDLE h_;
};

// Others may read and append to the log while it is open, as on Linux.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool SameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return GetFileInformationByHandle(a, &ia) && GetFileInformationByHandle(b, &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

}  // namespace

TAppendFile::TAppendFile(const std::string& path)
{
    // A name that neither opens nor can be created (a link whose target is
    // missing) is tried a bounded number of times, never forever.
    for (int tries = 0; tries < kMaxOpenTries; ++tries) {
        // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the
        // end of the file, whoever else writes to it.
        HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            path_ = path;
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) throw EInOutError(ErrnoFromSystemError(error), path);
        // CREATE_NEW is the exclusive creation: a log that appeared meanwhile
        // is opened again above, never truncated.
        h = CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            path_ = path;
            created_ = true;
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) RaiseLastError(path);
    }
    throw EInOutError(ELOOP, path);
}

TAppendFile::~TAppendFile()
{
    if (handle_) CloseHandle(handle_);
}

std::optional<std::int64_t> TAppendFile::RegularFileSize() const
{
    LARGE_INTEGER size{};
    if (GetFileType(handle_) != FILE_TYPE_DISK || !GetFileSizeEx(handle_, &size))
        return std::nullopt;
    return static_cast<std::int64_t>(size.QuadPart);
}

std::optional<char> TAppendFile::ByteAt(const std::string& path, std::int64_t offset) const
{
    THandle reader(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (reader.Get() == INVALID_HANDLE_VALUE || !SameFile(reader.Get(), handle_))
        return std::nullopt;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    char byte = 0;
    DWORD got = 0;
    if (!ReadFile(reader.Get(), &byte, 1, &got, &at) || got != 1) return std::nullopt;
    return byte;
}

void TAppendFile::Write(std::string_view bytes)
{
    std::int64_t total = 0;
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        int code = 0;
        if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr))
            code = LastErrno();
        else if (written == 0)
            code = ENOSPC;
        if (code != 0) {
            TakeBack(total);
            throw EInOutError(code);
        }
        bytes.remove_prefix(written);
        total += written;
    }
}

void TAppendFile::TakeBack(std::int64_t written) noexcept
{
    if (written <= 0) return;
    // A handle for appending cannot set the end of the file: one that may
    // write is opened by name, and used only when it is the same file.
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size) || size.QuadPart < written) return;
    THandle cutter(CreateFileA(path_.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (cutter.Get() == INVALID_HANDLE_VALUE || !SameFile(cutter.Get(), handle_)) return;
    LARGE_INTEGER end{};
    end.QuadPart = size.QuadPart - written;
    if (SetFilePointerEx(cutter.Get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(cutter.Get());
}

void TAppendFile::Close()
{
    const HANDLE h = handle_;
    handle_ = nullptr;
    if (!CloseHandle(h)) RaiseLastError();
}

TAppendCheck CheckAppend(const std::string& path)
{
    TAppendCheck check;
    check.Path = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            check.Error = ErrnoFromSystemError(error);
            return check;
        }
        const std::size_t slash = path.find_last_of("\\/");
        check.Error = FolderWriteError(slash == std::string::npos ? "." : path.substr(0, slash + 1));
        return check;
    }
    check.Exists = true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        check.Error = EISDIR;
        return check;
    }
    THandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        check.Error = LastErrno();
    else if (GetFileType(file.Get()) != FILE_TYPE_DISK)
        check.Error = kNotARegularFile;
    return check;
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    return ReadFileStart(path, std::string().max_size());
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        throw EInOutError(ErrnoFromSystemError(error));
    }
    // A directory opens on Windows only with backup semantics; reading one
    // fails as it does on Linux.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw EInOutError(EISDIR);
    THandle file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) RaiseLastError();

    std::string content;
    char buf[65536];
    while (content.size() < limit) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof buf, limit - content.size()));
        if (!ReadFile(file.Get(), buf, want, &got, nullptr)) RaiseLastError();
        if (got == 0) break;
        content.append(buf, got);
    }
    file.Close();
    return content;
}

}  // namespace vt
