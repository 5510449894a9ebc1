#include "textio/csv_text.h"

namespace qf::text {

std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (valid && length == 3) {
            const auto d = static_cast<unsigned char>(text[i + 1]);
            valid = !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0);  // overlong, surrogate
        }
        if (valid && length == 4) {
            const auto d = static_cast<unsigned char>(text[i + 1]);
            valid = !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90);  // overlong, past U+10FFFF
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

std::string csvField(std::string_view raw) {
    const std::string text = validUtf8(raw);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace qf::text
