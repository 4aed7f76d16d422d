// Texts cross the window services as UTF-8 and answer-box positions count
// characters; Qt keeps QString in UTF-16. These helpers convert at that edge.
#pragma once

#include <QString>
#include <string>

inline QString QStringFromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string Utf8FromQString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Number of characters in the first utf16Index code units of text; a surrogate
// pair counts as one character.
int CharacterIndexFromUtf16(const QString& text, int utf16Index);
// The code-unit index at which character number characterIndex starts; an index
// past the end gives the length of the text.
int Utf16IndexFromCharacter(const QString& text, int characterIndex);
