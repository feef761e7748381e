#pragma once
// Fixed-width text fields of stored records: zero-padded, not terminated when the text fills
// the field. Reads stop at the first zero or the field's end, so an unterminated field is safe.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kvr::model {

// Text of a stored field (up to the first zero byte).
inline std::string FieldText(std::span<const std::uint8_t> field)
{
    std::size_t n = 0;
    while (n < field.size() && field[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(field.data()), n);
}

// Writes text into a field, cut to the field's width and zero-padded.
inline void SetFieldText(std::span<std::uint8_t> field, std::string_view text)
{
    for (std::size_t i = 0; i < field.size(); ++i)
        field[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

// Text held in a memory-form label array (same rules as a stored field).
template <std::size_t N>
std::string LabelText(const std::array<char, N>& label)
{
    std::size_t n = 0;
    while (n < N && label[n] != 0)
        ++n;
    return std::string(label.data(), n);
}

template <std::size_t N>
void SetLabel(std::array<char, N>& label, std::string_view text)
{
    for (std::size_t i = 0; i < N; ++i)
        label[i] = i < text.size() ? text[i] : '\0';
}

template <std::size_t N>
void ReadLabel(std::array<char, N>& label, std::span<const std::uint8_t> field)
{
    for (std::size_t i = 0; i < N; ++i)
        label[i] = i < field.size() ? static_cast<char>(field[i]) : '\0';
}

template <std::size_t N>
void WriteLabel(std::span<std::uint8_t> field, const std::array<char, N>& label)
{
    for (std::size_t i = 0; i < field.size(); ++i)
        field[i] = i < N ? static_cast<std::uint8_t>(label[i]) : 0;
}

} // namespace kvr::model
