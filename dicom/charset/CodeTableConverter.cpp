#include "CodeTableConverter.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <iconv.h>

namespace {

constexpr std::size_t kTableCount = static_cast<std::size_t>(CharacterSetDecoder::Table::Gbk) + 1;

const char* iconvName(CharacterSetDecoder::Table table)
{
    using Table = CharacterSetDecoder::Table;
    switch (table) {
    case Table::Latin1: return "ISO-8859-1";
    case Table::Latin2: return "ISO-8859-2";
    case Table::Latin3: return "ISO-8859-3";
    case Table::Latin4: return "ISO-8859-4";
    case Table::Cyrillic: return "ISO-8859-5";
    case Table::Arabic: return "ISO-8859-6";
    case Table::Greek: return "ISO-8859-7";
    case Table::Hebrew: return "ISO-8859-8";
    case Table::Latin5: return "ISO-8859-9";
    case Table::Latin9: return "ISO-8859-15";
    case Table::Thai: return "TIS-620";
    case Table::JisX0208:
    case Table::JisX0212: return "EUC-JP";
    case Table::KsX1001: return "EUC-KR";
    case Table::Gb2312: return "EUC-CN";
    case Table::Gb18030: return "GB18030";
    case Table::Gbk: return "GBK";
    default: return nullptr;
    }
}

const iconv_t kNotOpened = reinterpret_cast<iconv_t>(-1);

// Conversion state is per descriptor, so each thread keeps its own.
class ThreadDescriptors
{
public:
    ThreadDescriptors() { descriptors_.fill(kNotOpened); }
    ~ThreadDescriptors()
    {
        for (iconv_t descriptor : descriptors_)
            if (descriptor != kNotOpened)
                iconv_close(descriptor);
    }
    ThreadDescriptors(const ThreadDescriptors&) = delete;
    ThreadDescriptors& operator=(const ThreadDescriptors&) = delete;

    // kNotOpened when the C library has no such table.
    iconv_t get(CharacterSetDecoder::Table table)
    {
        const auto index = static_cast<std::size_t>(table);
        if (index >= kTableCount || iconvName(table) == nullptr)
            return kNotOpened;
        if (!tried_[index]) {
            tried_[index] = true;
            descriptors_[index] = iconv_open("UTF-8", iconvName(table));
        }
        if (descriptors_[index] != kNotOpened)
            iconv(descriptors_[index], nullptr, nullptr, nullptr, nullptr);
        return descriptors_[index];
    }

private:
    std::array<iconv_t, kTableCount> descriptors_{};
    std::array<bool, kTableCount> tried_{};
};

// The UTF-8 of the 128 upper-half bytes of one single-byte table.
struct UpperHalf
{
    bool built = false;
    std::array<std::array<char, 4>, 128> bytes{};
    std::array<std::uint8_t, 128> lengths{};
};

} // namespace

void CodeTableConverter::appendUpperHalf(Table table, std::uint8_t byte, std::string& out)
{
    thread_local std::array<UpperHalf, kTableCount> halves;
    const auto index = static_cast<std::size_t>(table);
    if (index >= kTableCount || byte < 0x80) {
        appendReplacement(out);
        return;
    }
    UpperHalf& half = halves[index];
    if (!half.built) {
        half.built = true;
        std::string character;
        for (unsigned code = 0x80; code <= 0xFF; ++code) {
            const auto single = static_cast<std::uint8_t>(code);
            character.clear();
            append(table, &single, 1, 1, character);
            if (character.empty() || character.size() > 4)
                character = "\xEF\xBF\xBD";
            std::copy(character.begin(), character.end(), half.bytes[code - 0x80].begin());
            half.lengths[code - 0x80] = static_cast<std::uint8_t>(character.size());
        }
    }
    out.append(half.bytes[byte - 0x80u].data(), half.lengths[byte - 0x80u]);
}

void CodeTableConverter::append(Table table, const std::uint8_t* bytes, std::size_t size, std::size_t unitOnError,
                                std::string& out)
{
    thread_local ThreadDescriptors descriptors;
    const iconv_t descriptor = descriptors.get(table);
    if (descriptor == kNotOpened) {
        for (std::size_t done = 0; done < size; done += unitOnError)
            appendReplacement(out);
        return;
    }
    // iconv takes a non-const input pointer but never writes through it.
    char* input = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    std::size_t inputLeft = size;
    std::array<char, 256> buffer;
    while (inputLeft > 0) {
        char* output = buffer.data();
        std::size_t outputLeft = buffer.size();
        const std::size_t result = iconv(descriptor, &input, &inputLeft, &output, &outputLeft);
        const int error = errno;
        out.append(buffer.data(), buffer.size() - outputLeft);
        if (result != static_cast<std::size_t>(-1))
            break;
        if (error == E2BIG)
            continue;
        appendReplacement(out);
        if (error != EILSEQ) // EINVAL: an incomplete character ends the input
            break;
        const std::size_t skip = unitOnError < inputLeft ? unitOnError : inputLeft;
        input += skip;
        inputLeft -= skip;
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    }
}
