#pragma once
// Value members of block objects: bounded strings and numbers that present themselves to a
// filter as a run of bytes in stream order.

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "diagnostics/kvrassert.h"

namespace Kvrdata_ns {

class TBlockValue {
public:
    virtual ~TBlockValue() = default;

    virtual std::string GetTypeName() const = 0;
    virtual void Clear() = 0;
    // Lock, transfer GetIOSize bytes (or a length byte and that many bytes for -1), unlock.
    virtual unsigned char* LockIOBuffer() = 0;
    virtual void UnlockIOBuffer() = 0;
    virtual int GetIOSize() const = 0;
    virtual std::string AsString() = 0;
    virtual void FromString(const std::string& Text) = 0;
};

// At most N characters and no NUL, after every operation but printf.
template <int N>
class TBBaseString : public TBlockValue {
    static_assert(N > 0, "a block string holds at least one character");

public:
    TBBaseString() { FixLength(); }
    TBBaseString(const TBBaseString& Other) : TBlockValue(), Str(Other.Str) { FixLength(); }
    TBBaseString(const std::string& Text) : Str(Text) { FixLength(); }
    TBBaseString(const char* Text) : Str(Text ? Text : "") { FixLength(); }

    std::string GetTypeName() const override { return "TBBaseString<" + std::to_string(N) + ">"; }
    void Clear() override { Str.clear(); }
    std::string AsString() override
    {
        FixLength();
        return Str;
    }
    void FromString(const std::string& Text) override
    {
        Str = Text;
        FixLength();
    }

    // Gives Text back as stored (cut); false when nothing changed.
    bool Update(std::string& Text)
    {
        if (Str == Text)
            return false;
        Str = Text;
        FixLength();
        Text = Str;
        return true;
    }
    void AssignChars(const char* Chars, int MaxCount)
    {
        Str.clear();
        for (int i = 0; Chars && i < MaxCount && Chars[i] != '\0'; ++i)
            Str.push_back(Chars[i]);
        FixLength();
    }
    TBBaseString& operator=(const std::string& Text)
    {
        Str = Text;
        FixLength();
        return *this;
    }
    TBBaseString& operator=(const TBBaseString& Other)
    {
        Str = Other.Str;
        return *this;
    }
    const char* c_str() const { return Str.c_str(); }
    TBBaseString& printf(const char* Format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, Format);
        va_list copy;
        va_copy(copy, args);
        const int n = std::vsnprintf(nullptr, 0, Format, copy);
        va_end(copy);
        if (n >= 0) {
            std::string text(static_cast<std::size_t>(n) + 1, '\0');
            std::vsnprintf(text.data(), text.size(), Format, args);
            text.resize(static_cast<std::size_t>(n));
            Str = std::move(text);
        }
        va_end(args);
        return *this;
    }
    int Length() const { return static_cast<int>(Str.size()); }
    void FixLength()
    {
        if (Str.size() <= static_cast<std::size_t>(N)) {
            const auto nul = Str.find('\0');
            if (nul != std::string::npos)
                Str.resize(nul);
        } else {
            Str.resize(static_cast<std::size_t>(N));
        }
    }

    bool operator==(const TBBaseString& Other) const { return Str == Other.Str; }

protected:
    std::string Str;
};

// Stored as exactly N bytes, NUL-padded; a text of N characters has no terminating NUL.
template <int N>
class TBString : public TBBaseString<N> {
public:
    using TBBaseString<N>::TBBaseString;
    TBString() = default;
    TBString(const TBString&) = default;

    std::string GetTypeName() const override { return "TBString<" + std::to_string(N) + ">"; }
    unsigned char* LockIOBuffer() override
    {
        SetLength(N);
        return reinterpret_cast<unsigned char*>(this->Str.data());
    }
    // A read text ends at its first NUL byte.
    void UnlockIOBuffer() override { this->FixLength(); }
    int GetIOSize() const override { return N; }

    TBString& operator=(const std::string& Text)
    {
        TBBaseString<N>::operator=(Text);
        return *this;
    }
    TBString& operator=(const char* Text) { return *this = std::string(Text ? Text : ""); }
    TBString& operator=(const TBString& Other) = default;

    void SetLength(int length)
    {
        KVR_ASSERT_IN("TBString<N>::SetLength", length <= N);
        length = std::clamp(length, 0, N);
        this->Str.resize(static_cast<std::size_t>(length), '\0');
    }
};

// Stored as a length byte and that many characters. The length byte counts at most 255, so a
// longer text travels cut to 255 characters.
template <int N>
class TBVarString : public TBBaseString<N> {
public:
    static constexpr int MaxTransfer = N < 255 ? N : 255;

    using TBBaseString<N>::TBBaseString;
    TBVarString() = default;
    // The transfer buffer exists only during a transfer and is never copied.
    TBVarString(const TBVarString& Other) : TBBaseString<N>(Other) {}
    TBVarString& operator=(const TBVarString& Other)
    {
        TBBaseString<N>::operator=(Other);
        return *this;
    }
    TBVarString& operator=(const std::string& Text)
    {
        TBBaseString<N>::operator=(Text);
        return *this;
    }
    TBVarString& operator=(const char* Text) { return *this = std::string(Text ? Text : ""); }

    std::string GetTypeName() const override { return "TBVarString<" + std::to_string(N) + ">"; }
    unsigned char* LockIOBuffer() override
    {
        this->FixLength();
        KVR_ASSERT_IN("TBVarString<N>::LockIOBuffer", !IOBuffer);
        // Zero-filled: a read that fails half-way leaves NULs, never bytes of an earlier use.
        IOBuffer = std::make_unique<unsigned char[]>(257);
        const std::size_t length = std::min<std::size_t>(this->Str.size(), MaxTransfer);
        IOBuffer[0] = static_cast<unsigned char>(length);
        std::memcpy(IOBuffer.get() + 1, this->Str.data(), length);
        return IOBuffer.get();
    }
    void UnlockIOBuffer() override
    {
        if (!IOBuffer)
            return;
        this->Str.assign(reinterpret_cast<const char*>(IOBuffer.get() + 1), IOBuffer[0]);
        IOBuffer.reset();
        this->FixLength();
    }
    int GetIOSize() const override { return -1; }

private:
    std::unique_ptr<unsigned char[]> IOBuffer;
};

template <typename T>
class TBlockValueTempl : public TBlockValue {
public:
    std::string GetTypeName() const override
    {
        if constexpr (std::is_same_v<T, unsigned>)
            return "uint";
        else if constexpr (std::is_same_v<T, int>)
            return "int";
        else if constexpr (std::is_same_v<T, unsigned short>)
            return "word";
        else if constexpr (std::is_same_v<T, short>)
            return "short";
        else if constexpr (std::is_same_v<T, unsigned char>)
            return "byte";
        else
            return "char";
    }
    T* GetValuePtr() { return &Value; }
    T GetValue() const { return Value; }

protected:
    T Value{};
};

// A number stored big-endian (most significant byte first) and shown in hexadecimal.
template <typename T>
class THexNum : public TBlockValueTempl<T> {
    static_assert(std::is_integral_v<T>, "THexNum holds an integer");

public:
    THexNum() = default;
    THexNum(T V) { this->Value = V; }
    THexNum(const THexNum& Other) : TBlockValueTempl<T>() { this->Value = Other.Value; }
    THexNum& operator=(const THexNum& Other)
    {
        this->Value = Other.Value;
        return *this;
    }
    THexNum& operator=(T V)
    {
        this->Value = V;
        return *this;
    }
    operator T() const { return this->Value; }

    void Clear() override
    {
        this->Value = 0;
        std::memset(IOBuffer, 0, sizeof IOBuffer);
    }
    unsigned char* LockIOBuffer() override
    {
        using U = std::make_unsigned_t<T>;
        U v = static_cast<U>(this->Value);
        for (int i = static_cast<int>(sizeof(T)) - 1; i >= 0; --i) {
            IOBuffer[i] = static_cast<unsigned char>(v & 0xFFU);
            v = static_cast<U>(v >> 4 >> 4);
        }
        return IOBuffer;
    }
    void UnlockIOBuffer() override
    {
        using U = std::make_unsigned_t<T>;
        U v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            v = static_cast<U>((v << 4 << 4) | IOBuffer[i]);
        this->Value = static_cast<T>(v);
    }
    int GetIOSize() const override { return static_cast<int>(sizeof(T)); }
    std::string AsString() override
    {
        char text[2 + 2 * sizeof(T) + 1];
        std::snprintf(text, sizeof text, "0x%0*llx", static_cast<int>(2 * sizeof(T)),
                      static_cast<unsigned long long>(static_cast<std::make_unsigned_t<T>>(this->Value)));
        return text;
    }
    // Skips the two prefix characters, then takes the hexadecimal digits that end the text.
    void FromString(const std::string& Text) override
    {
        using U = std::make_unsigned_t<T>;
        U v = 0;
        unsigned shift = 0;
        for (std::size_t i = Text.size(); i > 2 && shift < 8 * sizeof(T); --i) {
            const char c = Text[i - 1];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                break;
            v = static_cast<U>(v | (static_cast<U>(digit) << shift));
            shift += 4;
        }
        this->Value = static_cast<T>(v);
    }
    bool Set(T NewValue)
    {
        if (this->Value == NewValue)
            return false;
        this->Value = NewValue;
        return true;
    }

private:
    unsigned char IOBuffer[sizeof(T)] = {};
};

} // namespace Kvrdata_ns
