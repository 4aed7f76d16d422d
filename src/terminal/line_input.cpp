#include "terminal/line_input.h"

bool ReadBoundedLine(std::istream& in, std::string& line, size_t maxBytes) {
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !in.good()) {
        in.setstate(std::ios::failbit);
        return false;
    }
    bool readAny = false;
    bool cut = false;
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(readAny ? std::ios::eofbit : (std::ios::eofbit | std::ios::failbit));
            break;
        }
        readAny = true;
        if (c == '\n')
            break;
        if (line.size() < maxBytes)
            line += static_cast<char>(c);
        else
            cut = true;
    }
    if (!readAny)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (cut) {
        // Drop a character the cut split in two.
        size_t end = line.size();
        size_t lead = end;
        while (lead > 0 && (static_cast<unsigned char>(line[lead - 1]) & 0xC0) == 0x80 &&
               end - lead < 3)
            --lead;
        if (lead > 0) {
            const auto b = static_cast<unsigned char>(line[lead - 1]);
            const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (b >= 0xC0 && end - (lead - 1) < need)
                line.resize(lead - 1);
        }
    }
    return true;
}
