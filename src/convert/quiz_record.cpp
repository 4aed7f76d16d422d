#include "convert/quiz_record.h"

#include <string_view>

std::vector<std::string> CConvertReport::Lines() const {
    std::vector<std::string> lines;
    if (Failed()) {
        lines.push_back(error);
        return lines;
    }
    lines.insert(lines.end(), notes.begin(), notes.end());
    for (const CSkipped& s : skipped)
        lines.push_back(s.where + ": skipped: " + s.why);
    std::string summary = std::to_string(converted) +
                          (converted == 1 ? " question converted" : " questions converted");
    if (!skipped.empty())
        summary += ", " + std::to_string(skipped.size()) +
                   (skipped.size() == 1 ? " record skipped" : " records skipped");
    lines.push_back(summary + ".");
    return lines;
}

std::string NormalizeText(std::string_view text, bool trimStart) {
    // Most texts are one line with nothing to drop.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (text.find_first_of("\r\n") == std::string_view::npos &&
        (text.empty() || (!blank(text.back()) && !(trimStart && blank(text.front())))))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::string line;
    auto endLine = [&] {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty())
            return;
        if (!out.empty())
            out += '\n';
        out += line;
        line.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            endLine();
            continue;
        }
        if (trimStart && out.empty() && line.empty() && (c == ' ' || c == '\t'))
            continue;
        line += c;
    }
    endLine();
    return out;
}
