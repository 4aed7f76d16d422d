// The editor's File > Import… and File > Export…: a vocabulary file, spreadsheet
// or flashcard export opened as a new, unsaved quiz, and the quiz written out as
// KVTML, CSV or TSV, or as a web page that plays it. The window's own members for these live in
// quiz_transfer.cpp.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

class CQuestionSet;

struct CImportedQuiz {
    bool ok = false;
    QString text;       // the quiz text, UTF-8 as the editor holds it
    QStringList report; // what the conversion left out and why, then its count
    QString error;      // why nothing could be imported
};

// Converts the file at path; a quiz file is refused (it opens with File > Open).
CImportedQuiz ConvertForEditor(const QString& path);

// Writes bytes to path as the editor writes a user's file: a new file renamed
// over the old one, keeping its owner, group, mode and attributes, and a link
// to it still a link to it; a file with several names is written in place
// after a copy into backupFolder. notes receives, in words that begin with
// done ("Saved", "Written"), where that copy went and what of the old file
// could not be kept; false, with error, when nothing was written.
bool WriteUserFile(const QString& path, std::string_view bytes, const std::string& backupFolder,
                   const QString& done, QStringList& notes, QString& error);

// Writes set, as the file name's ending says (.kvtml, .tsv or .tab, else CSV),
// through a new file renamed into place (a file with several names is written
// in place after a copy into backupFolder, as a save does). notes receives
// what the format could not hold; false, with error, when nothing was written.
bool ExportQuiz(const CQuestionSet& set, const QString& path, QStringList& notes, QString& error,
                const std::string& backupFolder = {});
