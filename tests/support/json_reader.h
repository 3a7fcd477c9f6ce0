#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A strict reader of JSON for tests: the text must be exactly one value with only white space
// around it, strings valid UTF-8 with valid escapes, and no key twice in an object.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::string text;                                        // a string decoded; a literal as written
    std::vector<JsonValue> items;                            // of an array
    std::vector<std::pair<std::string, JsonValue>> members;  // of an object, in order

    const JsonValue* Find(const std::string& key) const {
        for (const auto& [name, value] : members) {
            if (name == key) {
                return &value;
            }
        }
        return nullptr;
    }
};

class JsonReader {
public:
    static std::optional<JsonValue> Read(std::string_view text) {
        JsonReader reader;
        reader.text = text;
        JsonValue value;
        if (!reader.Value(value) || (reader.Space(), reader.at != text.size())) {
            return std::nullopt;
        }
        return value;
    }

private:
    using Kind = JsonValue::Kind;

    bool Value(JsonValue& value) {
        Space();
        const char c = at < text.size() ? text[at] : '\0';
        if (c == '{' || c == '[') {
            ++at;
            value.kind = c == '{' ? Kind::Object : Kind::Array;
            Space();
            if (Take(c == '{' ? '}' : ']')) {
                return true;
            }
            do {
                if (c == '[') {
                    value.items.emplace_back();
                    if (!Value(value.items.back())) {
                        return false;
                    }
                } else {
                    JsonValue key;
                    if (!Value(key) || key.kind != Kind::String || value.Find(key.text) || (Space(), !Take(':'))) {
                        return false;
                    }
                    value.members.emplace_back(key.text, JsonValue{});
                    if (!Value(value.members.back().second)) {
                        return false;
                    }
                }
                Space();
            } while (Take(','));
            return Take(c == '{' ? '}' : ']');
        }
        if (c == '"') {
            value.kind = Kind::String;
            return String(value.text);
        }
        for (const char* word : {"true", "false", "null"}) {
            if (text.substr(at, std::string_view(word).size()) == word) {
                value.kind = word[0] == 'n' ? Kind::Null : Kind::Bool;
                value.text = word;
                at += value.text.size();
                return true;
            }
        }
        // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
        const size_t start = at;
        Take('-');
        const bool integer = Take('0') || Digits();
        const bool fraction = !Take('.') || Digits();
        bool exponent = true;
        if (Take('e') || Take('E')) {
            if (!Take('+')) {
                Take('-');
            }
            exponent = Digits();
        }
        value.kind = Kind::Number;
        value.text = text.substr(start, at - start);
        return integer && fraction && exponent;
    }

    bool String(std::string& into) {
        for (++at; at < text.size();) {
            const auto c = static_cast<unsigned char>(text[at++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\') {
                const size_t simple = at < text.size() ? std::string_view("\"\\/bfnrt").find(text[at]) : 0;
                if (simple != std::string_view::npos) {
                    into += "\"\\/\b\f\n\r\t"[simple];
                    ++at;
                } else if (!Take('u') || !Escaped(into)) {
                    return false;
                }
            } else if (c >= 0x80) {
                // A sequence must be the shortest form of a scalar value.
                const size_t length = c >= 0xF8 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
                unsigned code = c & (0x7F >> length);
                for (size_t k = 1; k < length; ++k) {
                    const auto next = static_cast<unsigned char>(at < text.size() ? text[at++] : 0);
                    code = (next & 0xC0) == 0x80 ? code << 6 | (next & 0x3F) : 0;
                }
                const unsigned shortest[] = {0x110000, 0, 0x80, 0x800, 0x10000};
                if (code < shortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
                    return false;
                }
                into.append(text.substr(at - length, length));
            } else {
                into += static_cast<char>(c);
            }
        }
        return false;
    }

    // \uXXXX of the Basic Multilingual Plane (the writer needs no surrogate pairs), as UTF-8.
    bool Escaped(std::string& into) {
        const std::string digits(text.substr(at, 4));
        if (digits.size() < 4 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return false;
        }
        at += 4;
        const auto code = static_cast<unsigned>(std::stoul(digits, nullptr, 16));
        if (code >= 0xD800 && code <= 0xDFFF) {
            return false;
        }
        if (code < 0x80) {
            into += static_cast<char>(code);
        } else if (code < 0x800) {
            into += {static_cast<char>(0xC0 | code >> 6), static_cast<char>(0x80 | (code & 0x3F))};
        } else {
            into += {static_cast<char>(0xE0 | code >> 12), static_cast<char>(0x80 | (code >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (code & 0x3F))};
        }
        return true;
    }

    bool Digits() {
        const size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            ++at;
        }
        return at > start;
    }

    bool Take(char c) {
        const bool taken = at < text.size() && text[at] == c;
        at += taken ? 1 : 0;
        return taken;
    }

    void Space() {
        while (at < text.size() && std::string_view(" \t\n\r").find(text[at]) != std::string_view::npos) {
            ++at;
        }
    }

    std::string_view text;
    size_t at = 0;
};
