// Error objects raised by the program. Every failure inside a handler is one
// of these; the main window's general error handler shows its message.
// Messages are 8-bit Windows-1251 texts, like every text of the core.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace vt {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

// A silent abort: ends the handler without a message box.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// Text that is not a number: "'%s' is not a valid integer value" and the like.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EZeroDivide : public Exception {
public:
    EZeroDivide() : Exception("Floating point division by zero") {}
};

class EInvalidOp : public Exception {
public:
    EInvalidOp() : Exception("Invalid floating point operation") {}
};

class EOverflow : public Exception {
public:
    EOverflow() : Exception("Floating point overflow") {}
};

class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}
    explicit EOutOfMemory(std::string message) : Exception(std::move(message)) {}
};

// A failed file operation, with the operating system's error code (errno)
// and, where the failing call knows it, the file it was working on. The
// message is the same either way; a caller that can say more than the error
// box does adds the file and ErrnoText.
class EInOutError : public Exception {
public:
    explicit EInOutError(int code, std::string path = {})
        : Exception("I/O error " + std::to_string(code)), code_(code), path_(std::move(path))
    {
    }
    int ErrorCode() const noexcept { return code_; }
    // File-system bytes; empty when not known.
    const std::string& Path() const noexcept { return path_; }

private:
    int code_;
    std::string path_;
};

// The system's text for an errno code ("No such file or directory").
std::string ErrnoText(int code);

class EListError : public Exception {
public:
    explicit EListError(std::int64_t index)
        : Exception("List index out of bounds (" + std::to_string(index) + ")")
    {
    }
};

// Extended-precision division that fails as the floating-point unit does:
// x / 0 raises EZeroDivide, 0 / 0 EInvalidOp, a result beyond the range
// EOverflow. C++ arithmetic raises none of these by itself.
long double Divide(long double numerator, long double denominator);

// Multiplication that reports overflow the same way.
long double Multiply(long double a, long double b);

}  // namespace vt
