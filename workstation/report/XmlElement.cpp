#include "report/XmlElement.h"

#include <algorithm>
#include <cstdint>

namespace vantor {

std::string_view XmlElement::localName() const
{
    const std::string_view full = name;
    const std::size_t colon = full.find(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

const std::string* XmlElement::attribute(std::string_view attributeName) const
{
    for (const auto& [key, value] : attributes)
        if (key == attributeName)
            return &value;
    return nullptr;
}

std::string XmlElement::attributeOr(std::string_view attributeName, std::string fallback) const
{
    const std::string* value = attribute(attributeName);
    return value ? *value : std::move(fallback);
}

void XmlElement::setAttribute(std::string_view attributeName, std::string value)
{
    for (auto& [key, existing] : attributes) {
        if (key == attributeName) {
            existing = std::move(value);
            return;
        }
    }
    attributes.emplace_back(std::string(attributeName), std::move(value));
}

void XmlElement::removeAttribute(std::string_view attributeName)
{
    std::erase_if(attributes, [&](const auto& pair) { return pair.first == attributeName; });
}

XmlElement* XmlElement::child(std::string_view local)
{
    for (XmlElement& c : children)
        if (c.localName() == local)
            return &c;
    return nullptr;
}

const XmlElement* XmlElement::child(std::string_view local) const
{
    for (const XmlElement& c : children)
        if (c.localName() == local)
            return &c;
    return nullptr;
}

XmlElement& XmlElement::append(XmlElement element)
{
    children.push_back(std::move(element));
    return children.back();
}

namespace {

constexpr int MaximumDepth = 200;

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool isNameCharacter(char c)
{
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '/' && c != '>' && c != '=' && c != '<';
}

class Parser {
public:
    explicit Parser(std::string_view input) : in_(input) {}

    bool document(XmlElement& root, std::string& error)
    {
        if (!skipMisc() || !at('<')) {
            error = error_.empty() ? "no root element" : error_;
            return false;
        }
        if (!element(root, 0) || !skipMisc() || pos_ != in_.size()) {
            error = error_.empty() ? "content after the root element" : error_;
            return false;
        }
        return true;
    }

private:
    bool at(char c) const { return pos_ < in_.size() && in_[pos_] == c; }
    bool startsWith(std::string_view s) const { return in_.substr(pos_, s.size()) == s; }

    bool fail(std::string message)
    {
        if (error_.empty())
            error_ = std::move(message) + " at byte " + std::to_string(pos_);
        return false;
    }

    void skipSpace()
    {
        while (pos_ < in_.size() && (in_[pos_] == ' ' || in_[pos_] == '\t' || in_[pos_] == '\r' || in_[pos_] == '\n'))
            ++pos_;
    }

    bool skipPast(std::string_view terminator)
    {
        const std::size_t found = in_.find(terminator, pos_);
        if (found == std::string_view::npos)
            return fail("unterminated markup");
        pos_ = found + terminator.size();
        return true;
    }

    // Declarations, processing instructions, comments and a document type
    // before or after the root element.
    bool skipMisc()
    {
        for (;;) {
            skipSpace();
            if (startsWith("\xEF\xBB\xBF"))
                pos_ += 3;
            else if (startsWith("<?")) {
                if (!skipPast("?>"))
                    return false;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return false;
            } else if (startsWith("<!DOCTYPE")) {
                // Entity definitions are not honoured; the declaration is skipped whole.
                int depth = 0;
                while (pos_ < in_.size()) {
                    const char c = in_[pos_++];
                    if (c == '[')
                        ++depth;
                    else if (c == ']')
                        --depth;
                    else if (c == '>' && depth <= 0)
                        break;
                }
            } else
                return true;
        }
    }

    std::string name()
    {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && isNameCharacter(in_[pos_]))
            ++pos_;
        return std::string(in_.substr(start, pos_ - start));
    }

    // Decodes character data up to the end of text (stop is '<' or a quote).
    bool characters(std::string& out, char stop)
    {
        while (pos_ < in_.size() && in_[pos_] != stop) {
            const char c = in_[pos_];
            if (c == '<')
                return fail("'<' inside an attribute value");
            if (c != '&') {
                out.push_back(c);
                ++pos_;
                continue;
            }
            // References are short; looking no further keeps a run of stray '&' linear.
            const std::size_t semicolon = in_.substr(0, std::min(in_.size(), pos_ + 14)).find(';', pos_);
            if (semicolon == std::string_view::npos)
                return fail("malformed entity reference");
            const std::string_view entity = in_.substr(pos_ + 1, semicolon - pos_ - 1);
            if (entity == "lt")
                out.push_back('<');
            else if (entity == "gt")
                out.push_back('>');
            else if (entity == "amp")
                out.push_back('&');
            else if (entity == "quot")
                out.push_back('"');
            else if (entity == "apos")
                out.push_back('\'');
            else if (entity.size() > 1 && entity[0] == '#') {
                std::uint32_t code = 0;
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                const std::string_view digits = entity.substr(hex ? 2 : 1);
                if (digits.empty())
                    return fail("malformed character reference");
                for (char d : digits) {
                    int value = -1;
                    if (d >= '0' && d <= '9')
                        value = d - '0';
                    else if (hex && d >= 'a' && d <= 'f')
                        value = d - 'a' + 10;
                    else if (hex && d >= 'A' && d <= 'F')
                        value = d - 'A' + 10;
                    if (value < 0)
                        return fail("malformed character reference");
                    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
                    if (code > 0x10FFFF)
                        return fail("character reference out of range");
                }
                appendUtf8(out, code);
            } else
                return fail("unknown entity &" + std::string(entity) + ";");
            pos_ = semicolon + 1;
        }
        return true;
    }

    bool element(XmlElement& e, int depth)
    {
        if (depth > MaximumDepth)
            return fail("elements nested too deeply");
        ++pos_; // '<'
        e.name = name();
        if (e.name.empty())
            return fail("element without a name");
        for (;;) {
            skipSpace();
            if (startsWith("/>")) {
                pos_ += 2;
                return true;
            }
            if (at('>')) {
                ++pos_;
                break;
            }
            std::string key = name();
            if (key.empty())
                return fail("malformed attribute");
            skipSpace();
            if (!at('='))
                return fail("attribute without a value");
            ++pos_;
            skipSpace();
            if (!at('"') && !at('\''))
                return fail("attribute value without quotes");
            const char quote = in_[pos_++];
            std::string value;
            if (!characters(value, quote))
                return false;
            if (!at(quote))
                return fail("unterminated attribute value");
            ++pos_;
            e.attributes.emplace_back(std::move(key), std::move(value));
        }
        std::string text;
        for (;;) {
            if (pos_ >= in_.size())
                return fail("unterminated element <" + e.name + ">");
            if (startsWith("</")) {
                pos_ += 2;
                const std::string closing = name();
                if (closing != e.name)
                    return fail("</" + closing + "> closes <" + e.name + ">");
                skipSpace();
                if (!at('>'))
                    return fail("malformed end tag");
                ++pos_;
                break;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return false;
            } else if (startsWith("<![CDATA[")) {
                pos_ += 9;
                const std::size_t end = in_.find("]]>", pos_);
                if (end == std::string_view::npos)
                    return fail("unterminated CDATA section");
                text.append(in_.substr(pos_, end - pos_));
                pos_ = end + 3;
            } else if (startsWith("<?")) {
                if (!skipPast("?>"))
                    return false;
            } else if (at('<')) {
                XmlElement c;
                if (!element(c, depth + 1))
                    return false;
                e.children.push_back(std::move(c));
            } else {
                std::string run;
                const std::size_t start = pos_;
                while (pos_ < in_.size() && in_[pos_] != '<') {
                    if (in_[pos_] == '&') {
                        pos_ = start;
                        run.clear();
                        break;
                    }
                    ++pos_;
                }
                if (pos_ == start) {
                    // The run holds entity references: decode it properly.
                    if (!characters(run, '<'))
                        return false;
                } else
                    run.assign(in_.substr(start, pos_ - start));
                text += run;
            }
        }
        const bool blank = std::all_of(text.begin(), text.end(),
                                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
        if (!(blank && !e.children.empty()))
            e.text = std::move(text);
        return true;
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::string error_;
};

void write(const XmlElement& e, std::string& out)
{
    out += '<';
    out += e.name;
    for (const auto& [key, value] : e.attributes) {
        out += ' ';
        out += key;
        out += "=\"";
        out += escapeXml(value);
        out += '"';
    }
    if (e.children.empty() && e.text.empty()) {
        out += "/>";
        return;
    }
    out += '>';
    out += escapeXml(e.text);
    for (const XmlElement& c : e.children)
        write(c, out);
    out += "</";
    out += e.name;
    out += '>';
}

} // namespace

bool parseXml(std::string_view document, XmlElement& root, std::string& error)
{
    root = XmlElement();
    Parser parser(document);
    return parser.document(root, error);
}

void appendXml(const XmlElement& element, std::string& out)
{
    write(element, out);
}

std::string serializeXml(const XmlElement& root)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    write(root, out);
    return out;
}

std::string escapeXml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\r': out += "&#13;"; break; // kept through attribute and text normalisation
            case '\t':
            case '\n': out.push_back(static_cast<char>(c)); break;
            default:
                if (c >= 0x20)
                    out.push_back(static_cast<char>(c));
                break; // other control characters are not allowed in XML 1.0
            }
            ++i;
            continue;
        }
        // A well-formed UTF-8 sequence of a character XML allows is copied; anything else becomes U+FFFD.
        std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
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
