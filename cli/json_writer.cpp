#include "cli/json_writer.h"

#include <cstdio>

namespace cli {
namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when the byte there starts none
// (overlong forms, surrogates and code points beyond U+10FFFF are not valid).
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80;    // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || text.size() - at < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", byte);
    out += escape;
}

// Appended piece by piece: g++ 12's optimiser warns of a false overlap in "," + text.
void AppendArrayItem(std::string& array, const std::string& item) {
    if (array.size() > 1) {
        array += ',';
    }
    array += item;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x80) {
            const size_t length = Utf8SequenceLength(text, at);
            if (length == 0) {
                AppendEscaped(out, byte);
                ++at;
            } else {
                out.append(text.substr(at, length));
                at += length;
            }
            continue;
        }
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                AppendEscaped(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
        }
        ++at;
    }
    return out + "\"";
}

JsonObject& JsonObject::AddValue(std::string_view key, const std::string& value) {
    if (!members.empty()) {
        members += ',';
    }
    members += JsonString(key);
    members += ':';
    members += value;
    return *this;
}

JsonObject& JsonObject::AddText(std::string_view key, std::string_view text) {
    return AddValue(key, JsonString(text));
}

JsonObject& JsonObject::AddNumber(std::string_view key, int64_t number) {
    return AddValue(key, std::to_string(number));
}

JsonObject& JsonObject::AddFixed(std::string_view key, uint64_t units, unsigned decimals) {
    uint64_t scale = 1;
    for (unsigned k = 0; k < decimals; ++k) {
        scale *= 10;
    }
    std::string number = std::to_string(units / scale);
    if (decimals > 0) {
        const std::string fraction = std::to_string(units % scale);
        number += '.';
        number.append(decimals - fraction.size(), '0');
        number += fraction;
    }
    return AddValue(key, number);
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
    return AddValue(key, value ? "true" : "false");
}

JsonObject& JsonObject::AddNull(std::string_view key) {
    return AddValue(key, "null");
}

JsonObject& JsonObject::AddObject(std::string_view key, const JsonObject& object) {
    return AddValue(key, object.Text());
}

JsonObject& JsonObject::AddArray(std::string_view key, const std::vector<JsonObject>& objects) {
    std::string array = "[";
    for (const JsonObject& object : objects) {
        AppendArrayItem(array, object.Text());
    }
    array += ']';
    return AddValue(key, array);
}

JsonObject& JsonObject::AddTextArray(std::string_view key, const std::vector<std::string>& texts) {
    std::string array = "[";
    for (const std::string& text : texts) {
        AppendArrayItem(array, JsonString(text));
    }
    array += ']';
    return AddValue(key, array);
}

JsonObject& JsonObject::AddMembers(const JsonObject& object) {
    if (!members.empty() && !object.members.empty()) {
        members += ',';
    }
    members += object.members;
    return *this;
}

}  // namespace cli
