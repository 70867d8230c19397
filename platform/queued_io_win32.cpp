// The test file and its queue on Windows: FILE_FLAG_NO_BUFFERING and
// overlapped requests completing on an I/O completion port.
#include <windows.h>

#include <cerrno>

#include "platform/direct_file.h"
#include "platform/errors.h"
#include "platform/queued_io.h"
#include "platform/system_error_win32.h"

namespace vt {

namespace {

class TPortQueue : public TIoQueue {
public:
    TPortQueue(HANDLE file, int depth) : file_(file), slots_(static_cast<std::size_t>(depth))
    {
        port_ = CreateIoCompletionPort(file, nullptr, 0, 1);
        if (!port_) throw EInOutError(LastErrno());
        for (std::size_t i = 0; i < slots_.size(); ++i) free_.push_back(i);
    }

    // Requests still in flight are waited for before their OVERLAPPED
    // records and buffers go.
    ~TPortQueue() override
    {
        std::vector<TIoCompletion> done;
        for (int tries = 0; inFlight_ > 0 && tries < 600; ++tries) {
            Wait(done, 100);
            done.clear();
        }
        CloseHandle(port_);
    }

    void Submit(TIoKind kind, std::int64_t offset, void* buffer, std::size_t bytes,
                std::uint64_t tag) override
    {
        if (free_.empty()) throw EInOutError(EBUSY);
        const std::size_t index = free_.back();
        free_.pop_back();
        TSlot& slot = slots_[index];
        slot = TSlot{};
        slot.Overlapped.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
        slot.Overlapped.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
        slot.Tag = tag;
        const DWORD count = static_cast<DWORD>(bytes);
        const BOOL started = kind == TIoKind::Read
                                 ? ReadFile(file_, buffer, count, nullptr, &slot.Overlapped)
                                 : WriteFile(file_, buffer, count, nullptr, &slot.Overlapped);
        if (!started && GetLastError() != ERROR_IO_PENDING) {
            // Failed at once: no completion will be posted for it.
            failed_.push_back({tag, -static_cast<std::int64_t>(LastErrno())});
            free_.push_back(index);
            return;
        }
        ++inFlight_;
    }

    void Wait(std::vector<TIoCompletion>& done, std::uint32_t timeoutMs) override
    {
        if (!failed_.empty()) {
            done.insert(done.end(), failed_.begin(), failed_.end());
            failed_.clear();
            return;
        }
        OVERLAPPED_ENTRY entries[64];
        ULONG got = 0;
        if (!GetQueuedCompletionStatusEx(port_, entries, 64, &got, timeoutMs, FALSE)) {
            if (GetLastError() == WAIT_TIMEOUT) return;
            throw EInOutError(LastErrno());
        }
        for (ULONG i = 0; i < got; ++i) {
            auto* slot = reinterpret_cast<TSlot*>(entries[i].lpOverlapped);
            DWORD transferred = 0;
            std::int64_t result = 0;
            if (GetOverlappedResult(file_, &slot->Overlapped, &transferred, FALSE))
                result = transferred;
            else
                result = -static_cast<std::int64_t>(LastErrno());
            done.push_back({slot->Tag, result});
            free_.push_back(static_cast<std::size_t>(slot - slots_.data()));
            --inFlight_;
        }
    }

private:
    // The OVERLAPPED record first, so that a completion's record is its slot.
    struct TSlot {
        OVERLAPPED Overlapped{};
        std::uint64_t Tag = 0;
    };

    HANDLE file_;
    HANDLE port_ = nullptr;
    std::vector<TSlot> slots_;
    std::vector<std::size_t> free_;
    std::vector<TIoCompletion> failed_;
    int inFlight_ = 0;
};

}  // namespace

int TTestFile::Create(const std::string& path)
{
    Remove();
    // CREATE_NEW never opens an existing file. The system removes the file
    // when its last handle closes, also when the process is killed.
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING |
                                     FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastErrno();
    handle_ = h;
    path_ = path;
    return 0;
}

bool TTestFile::IsOpen() const
{
    return handle_ != nullptr;
}

int TTestFile::Resize(std::int64_t bytes)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = bytes;
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end))
        return LastErrno();
    return 0;
}

std::size_t TTestFile::BufferAlignment() const
{
    return DirectAlignment(path_).Buffer;
}

std::size_t TTestFile::OffsetAlignment() const
{
    return DirectAlignment(path_).Offset;
}

std::unique_ptr<TIoQueue> TTestFile::OpenQueue(int depth)
{
    return std::make_unique<TPortQueue>(handle_, depth);
}

int TTestFile::Remove()
{
    if (!handle_) return 0;
    CloseHandle(handle_);
    handle_ = nullptr;
    // Normally gone with the handle; a file system that ignores the flag
    // leaves it for this.
    int result = 0;
    if (!DeleteFileA(path_.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) result = LastErrno();
    path_.clear();
    return result;
}

}  // namespace vt
