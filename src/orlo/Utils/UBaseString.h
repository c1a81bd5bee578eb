#pragma once

#include <cstdint>
#include <cstring>

#include "orlo/Utils/UArray.h"
#include "orlo/Utils/UShortCopy.h"

namespace orlo {

// A zero-terminated 8-bit string: an array of its characters followed by one
// zero, so an assigned string counts its terminator. A default string has no
// storage and count 0; it reads as the empty text but is not an assigned one.
template <class T>
class UBaseString : public UArray<T> {
    static_assert(sizeof(T) == 1, "8-bit text only");

public:
    UBaseString() = default;
    UBaseString(const char* text) { Construct(text); }
    UBaseString(const T* text) requires(!std::is_same_v<T, char>) { Construct(reinterpret_cast<const char*>(text)); }
    // The decimal text of the number: radix 10, no sign, no leading zeros.
    explicit UBaseString(uint32_t number) {
        char digits[16];
        Construct(FormatUnsigned(number, digits));
    }
    UBaseString(const UBaseString& other) = default;
    UBaseString(UBaseString&& other) noexcept = default;
    ~UBaseString() noexcept(false) override = default;

    // The text; a default string reads as "".
    const char* c_str() const { return this->m_arrayNum > 0 ? reinterpret_cast<const char*>(this->GetData()) : ""; }
    int32_t Length() const { return this->m_arrayNum > 0 ? this->m_arrayNum - 1 : 0; }
    bool IsEmpty() const { return Length() == 0; }

    // Null, or this string's own text, leaves the string unchanged.
    UBaseString& operator=(const char* text) {
        if (text == nullptr || (this->m_arrayNum > 0 && text == c_str()))
            return *this;
        if (PointsInside(text)) {
            UBaseString copy(text);
            return *this = copy;
        }
        size_t length = strlen(text);
        ResizeTo(CountFor(length));
        memcpy(this->GetData(), text, length + 1);
        return *this;
    }
    UBaseString& operator=(const UBaseString& other) {
        if (this != &other) {
            if (other.m_arrayNum == 0)
                this->Empty();
            else
                *this = other.c_str();
        }
        return *this;
    }
    UBaseString& operator=(UBaseString&& other) noexcept(false) {
        UArray<T>::operator=(static_cast<UArray<T>&&>(other));
        return *this;
    }

    // The text of `length` bytes that need not be terminated, up to a zero
    // byte among them; the storage is reused where it suffices.
    UBaseString& AssignBytes(const void* bytes, size_t length) {
        if (const void* zero = UShortCopy::FindZero(bytes, length))
            length = size_t(static_cast<const char*>(zero) - static_cast<const char*>(bytes));
        if (PointsInside(static_cast<const char*>(bytes))) {
            UBaseString copy;
            copy.AssignBytes(bytes, length);
            return *this = static_cast<UBaseString&&>(copy);
        }
        ResizeTo(CountFor(length));
        UShortCopy::Copy(this->GetData(), bytes, length);
        this->GetData()[length] = 0;
        return *this;
    }
    static UBaseString FromBytes(const void* bytes, size_t length) {
        UBaseString text;
        text.AssignBytes(bytes, length);
        return text;
    }

    // The appended text overwrites the terminator; a string without count
    // becomes the appended text with its terminator.
    UBaseString& operator+=(const char* text) {
        if (text == nullptr)
            return *this;
        if (PointsInside(text)) {
            UBaseString copy(text);
            return *this += copy.c_str();
        }
        size_t length = strlen(text);
        int64_t count = this->m_arrayNum > 0 ? int64_t(this->m_arrayNum) + int64_t(length) : int64_t(length) + 1;
        int32_t at = this->m_arrayNum > 0 ? this->m_arrayNum - 1 : 0;
        ResizeTo(count);
        memcpy(this->GetData() + at, text, length);
        this->GetData()[this->m_arrayNum - 1] = 0;
        return *this;
    }
    UBaseString& operator+=(const UBaseString& other) { return *this += other.c_str(); }
    UBaseString& operator+=(uint32_t number) {
        char digits[16];
        return *this += FormatUnsigned(number, digits);
    }

    friend UBaseString operator+(const UBaseString& left, const char* right) {
        UBaseString result(left);
        result += right;
        return result;
    }
    friend UBaseString operator+(const UBaseString& left, const UBaseString& right) {
        UBaseString result(left);
        result += right;
        return result;
    }
    friend UBaseString operator+(const char* left, const UBaseString& right) {
        UBaseString result(left);
        result += right;
        return result;
    }

    // Byte-wise, as strcmp compares.
    friend bool operator==(const UBaseString& left, const UBaseString& right) {
        return strcmp(left.c_str(), right.c_str()) == 0;
    }
    friend bool operator==(const UBaseString& left, const char* right) {
        return strcmp(left.c_str(), right != nullptr ? right : "") == 0;
    }

    // Writes the decimal digits of `number` into `digits` (16 bytes) and returns them.
    static const char* FormatUnsigned(uint32_t number, char* digits) {
        char* p = digits + 15;
        *p = 0;
        do {
            *--p = char('0' + number % 10);
            number /= 10;
        } while (number != 0);
        return p;
    }

private:
    void Construct(const char* text) {
        if (text == nullptr)
            return;
        size_t length = strlen(text);
        int64_t count = CountFor(length);
        this->Reallocate(UArrayBase::RoundUpCapacity(count), 1);
        memcpy(this->GetData(), text, length + 1);
        this->m_arrayNum = int32_t(count);
    }

    static int64_t CountFor(size_t length) { return int64_t(length) + 1; }

    bool PointsInside(const char* text) const {
        const char* data = reinterpret_cast<const char*>(this->GetData());
        return data != nullptr && text >= data && text < data + this->m_arrayMax;
    }

    // Growing as adding elements grows, shrinking as removal at the end shrinks.
    void ResizeTo(int64_t count) {
        if (count > this->m_arrayMax) {
            this->GrowFor(count, 1);
            this->m_arrayNum = int32_t(count);
        } else if (count < this->m_arrayNum) {
            this->m_arrayNum = int32_t(count);
            this->ShrinkAfterRemoval(1);
        } else {
            this->m_arrayNum = int32_t(count);
        }
    }
};

using UString = UBaseString<unsigned char>;

} // namespace orlo
