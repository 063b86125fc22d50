#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// A text of exactly N bytes as the reading records keep it: UTF-8, blank-padded
// when assigned, cut when longer (never inside a multi-byte character), and all
// NUL bytes while it was never assigned. The bytes are stored as they go to file.
template <std::size_t N>
class FixedText {
public:
    static constexpr std::size_t Length = N;

    FixedText() { bytes_.fill('\0'); }
    explicit FixedText(std::string_view text) { assign(text); }

    FixedText& operator=(std::string_view text)
    {
        assign(text);
        return *this;
    }

    void assign(std::string_view text)
    {
        std::size_t count = std::min(text.size(), N);
        if (count < text.size()) {
            // Step back over continuation bytes so that a cut character is dropped whole.
            while (count > 0 && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80)
                --count;
        }
        std::copy_n(text.data(), count, bytes_.data());
        std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(count), bytes_.end(), ' ');
    }

    // Back to the never-assigned state (N NUL bytes).
    void reset() { bytes_.fill('\0'); }

    // All N bytes, padding included.
    std::string str() const { return std::string(bytes_.data(), N); }

    // The text as assigned: cut at the first NUL, trailing blanks removed.
    std::string trimmed() const
    {
        std::size_t end = 0;
        while (end < N && bytes_[end] != '\0')
            ++end;
        while (end > 0 && bytes_[end - 1] == ' ')
            --end;
        return std::string(bytes_.data(), end);
    }

    // True when nothing but blanks and NUL bytes is held.
    bool isBlank() const
    {
        return std::all_of(bytes_.begin(), bytes_.end(), [](char c) { return c == ' ' || c == '\0'; });
    }

    char* data() { return bytes_.data(); }
    const char* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return N; }

    bool operator==(const FixedText&) const = default;

private:
    std::array<char, N> bytes_;
};

} // namespace vantor
