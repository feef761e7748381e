#pragma once
// Byte-order and text helpers of the data model. Text in images and files is 8-bit and held in
// std::string as stored.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kvr::model {

std::uint16_t Swap16(std::uint16_t value);
std::uint32_t Swap32(std::uint32_t value);
// The big-endian 32-bit number held by the first four bytes (zero-extended when fewer).
std::uint32_t ReadBigEndian32(std::span<const std::uint8_t> bytes);

// The text with "0" put in front until it has at least width characters.
std::string ZeroPad(std::string_view text, std::size_t width);
std::string ZeroPad(long long value, std::size_t width);

// 1 when value is one of the first count entries of list, else 0.
int IsInList(int value, std::span<const int> list, int count);

// Zero-padded text field of width bytes at offset: the characters up to the first zero byte.
std::string ReadFixedText(std::span<const std::uint8_t> data, std::size_t offset, std::size_t width);
// Clears the field and writes at most maxChars characters of text into it.
void WriteFixedText(std::span<std::uint8_t> data, std::size_t offset, std::size_t width, std::string_view text,
                    std::size_t maxChars);

} // namespace kvr::model
