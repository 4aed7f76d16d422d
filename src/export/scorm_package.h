// A quiz as a SCORM package for a learning platform: one zip with the
// manifest at its root and the quiz's web page as the one SCO, which reports
// the learner's answers and score to the platform's gradebook.
#pragma once

#include <optional>
#include <string>

#include "ui/lms_report.h"

struct CScormOptions {
    EScormVersion version = EScormVersion::Scorm12;
    // 0 to 100: the share of questions right that passes. Without it the
    // platform is told the quiz was completed, and its score.
    std::optional<int> passingPercent;
};

// The launch page's name in the package.
inline constexpr char kScormLaunchFile[] = "index.html";

// The package's imsmanifest.xml for a quiz of the given title (UTF-8) and
// number of questions; identifier tells this quiz's packages from others'.
std::string ScormManifest(const std::string& title, int questions, const std::string& identifier,
                          const CScormOptions& options);

// The whole package: the manifest and the page. False with a message for the
// user when the zip cannot be made.
bool MakeScormPackage(const std::string& page, const std::string& title, int questions,
                      const CScormOptions& options, std::string& zip, std::string& error);
