#include "ui/qt/qt_text.h"

int CharacterIndexFromUtf16(const QString& text, int utf16Index) {
    int characters = 0;
    const int limit = qBound(0, utf16Index, static_cast<int>(text.size()));
    for (int i = 0; i < limit; ++i) {
        // The low half of a pair belongs to the character its high half began.
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate()) {
            ++characters;
        }
    }
    return characters;
}

int Utf16IndexFromCharacter(const QString& text, int characterIndex) {
    int characters = 0;
    int i = 0;
    const int size = static_cast<int>(text.size());
    while (i < size && characters < characterIndex) {
        if (text.at(i).isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            i += 2;
        } else {
            ++i;
        }
        ++characters;
    }
    return i;
}
