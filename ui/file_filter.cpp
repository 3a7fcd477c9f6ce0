#include "ui/file_filter.h"

#include <vector>

namespace {

std::vector<std::string> SplitAtBars(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return parts;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string ToQtNameFilters(const std::string& filter) {
    std::vector<std::string> parts = SplitAtBars(filter);
    std::string filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& description = parts[i];
        std::string pattern = parts[i + 1];
        if (description.empty() && pattern.empty()) {
            break;   // the "||" that ends the list
        }
        if (!filters.empty()) {
            filters += ";;";
        }
        // Qt reads the patterns from the parentheses that end each filter.
        std::string shown = description;
        const std::string shownPattern = "(" + pattern + ")";
        if (EndsWith(shown, shownPattern)) {
            shown.erase(shown.size() - shownPattern.size());
            while (!shown.empty() && shown.back() == ' ') {
                shown.pop_back();
            }
        }
        for (char& c : pattern) {
            if (c == ';') {
                c = ' ';
            }
        }
        if (pattern == "*.*") {
            pattern = "*";
        }
        filters += shown + " (" + pattern + ")";
    }
    return filters;
}
