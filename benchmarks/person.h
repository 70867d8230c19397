// The person record of the list test: a name and an address as fixed-size
// 8-bit short strings (a length byte and the characters), nothing else.
//
// A record holds no resources; its operations only copy the two strings.
// Records are created one by one on the heap with Create. Lists that carry a
// record reference it; they never release it (see TPersonPool).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "benchmarks/strings.h"
#include "platform/errors.h"

namespace vt {

// A short string of capacity N: a length byte (0 to N) and N characters.
template <std::size_t N>
struct TShortString {
    static_assert(N <= 255, "a short string holds at most 255 characters");
    std::uint8_t Length = 0;
    char Chars[N] = {};

    static constexpr std::size_t Capacity = N;

    // Keeps the first N characters of `text`.
    void Assign(std::string_view text)
    {
        const std::size_t n = text.size() < N ? text.size() : N;
        std::memcpy(Chars, text.data(), n);
        Length = static_cast<std::uint8_t>(n);
    }
    std::string_view View() const { return {Chars, Length}; }
    std::string Str() const { return std::string(Chars, Length); }
};

// An attached object that is not the kind the code expects.
class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};

class TPerson final : public TObject {
public:
    ~TPerson() override { --liveCount_; }

    // A new record on the heap with the first 15 characters of AName as its
    // name and an empty address.
    static TPerson* Create(std::string_view AName);

    // Stores the first 35 characters of AAddress, but only while the address
    // is empty: the first address set stays.
    void SetAddress(std::string_view AAddress);

    TShortString<15> GetName() const { return Name; }
    TShortString<35> GetAddress() const { return Address; }

    // The text of the record's message box: "Фамилия: " Name CR " Адрес: "
    // Address, in Windows-1251.
    std::string ShowText() const;

    // The object attached to a list entry as a record; EInvalidCast for any
    // other object (or none).
    static TPerson& From(TObject* object);

    // Records alive in this process.
    static std::int64_t LiveCount() { return liveCount_; }

    TShortString<15> Name;
    TShortString<35> Address;

private:
    TPerson() { ++liveCount_; }
    static inline std::int64_t liveCount_ = 0;
};

}  // namespace vt
