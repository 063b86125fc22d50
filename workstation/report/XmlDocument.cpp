#include "report/XmlDocument.h"

#include <cstdint>

namespace vantor {

namespace {

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, std::size_t size) override { out.append(static_cast<const char*>(data), size); }
};

} // namespace

bool XmlDocument::parse(std::string_view text, std::string& error)
{
    const pugi::xml_parse_result result =
        load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8);
    if (!result) {
        error = std::string(result.description()) + " at byte " + std::to_string(result.offset);
        return false;
    }
    if (!document_element()) {
        error = "no root element";
        return false;
    }
    return true;
}

std::string XmlDocument::toText() const
{
    StringWriter writer;
    writer.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.out);
}

std::string xmlOf(pugi::xml_node element)
{
    StringWriter writer;
    element.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(writer.out);
}

std::string_view localName(pugi::xml_node node)
{
    const std::string_view full = node.name();
    const std::size_t colon = full.find(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

pugi::xml_node childNamed(pugi::xml_node parent, std::string_view local)
{
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && localName(child) == local)
            return child;
    return {};
}

std::string textOf(pugi::xml_node element)
{
    std::string text;
    for (pugi::xml_node child : element.children())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
    return text;
}

std::string xmlSafeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        // A well-formed sequence of a character XML allows is copied; anything else becomes U+FFFD.
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        std::uint32_t code = length == 4 ? c & 0x07U : length == 3 ? c & 0x0FU : c & 0x1FU;
        bool valid = length != 0 && c <= 0xF4 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3FU);
        }
        if (valid) {
            const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
            valid = code >= smallest && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE &&
                    code != 0xFFFF;
        }
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

} // namespace vantor
