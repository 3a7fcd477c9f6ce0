#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// `text` as a JSON string, quotes included. Valid UTF-8 passes as it is; quotes, backslashes
// and control characters are escaped, and so is every byte that is not part of valid UTF-8
// (as \u00XX, the byte read as Latin-1), so that any file name gives valid JSON.
std::string JsonString(std::string_view text);

// One JSON object, written member by member in the order they are added.
class JsonObject {
public:
    JsonObject& AddText(std::string_view key, std::string_view text);
    JsonObject& AddNumber(std::string_view key, int64_t number);
    // A number given in units of 10^-decimals: AddFixed("volts", 33, 1) gives 3.3.
    JsonObject& AddFixed(std::string_view key, uint64_t units, unsigned decimals);
    JsonObject& AddBool(std::string_view key, bool value);
    JsonObject& AddNull(std::string_view key);
    JsonObject& AddObject(std::string_view key, const JsonObject& object);
    JsonObject& AddArray(std::string_view key, const std::vector<JsonObject>& objects);
    JsonObject& AddTextArray(std::string_view key, const std::vector<std::string>& texts);
    // The members of `object`, after those already here.
    JsonObject& AddMembers(const JsonObject& object);

    // The object on one line.
    std::string Text() const { return "{" + members + "}"; }

private:
    JsonObject& AddValue(std::string_view key, const std::string& value);

    std::string members;   // "key":value pairs joined by commas
};

}  // namespace cli
