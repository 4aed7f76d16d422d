// The quiz reported to a learning platform through its SCORM run-time API:
// each question judged becomes an interaction, the end of a quiz the score and
// the status, and leaving the page an attempt to resume. The values are made
// here to fit their data-model types; the page's script only carries them to
// the platform's API object.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/quiz_listener.h"

// SCORM 1.2, or SCORM 2004 4th Edition.
enum class EScormVersion { Scorm12, Scorm2004 };

// The platform's API, whatever its version calls the functions. A call that
// the platform refuses returns false; nothing here stops the quiz for it.
class CLmsApi {
public:
    virtual bool Initialize() = 0;
    virtual std::string GetValue(const std::string& element) = 0;
    virtual bool SetValue(const std::string& element, const std::string& value) = 0;
    virtual bool Commit() = 0;
    virtual bool Finish() = 0;

protected:
    ~CLmsApi() = default;
};

// The passing percentage in the units SCORM 1.2's mastery score is compared
// with: the raw score, which counts questions right for a quiz of up to 100
// questions and is a percentage for a bigger one (1.2 scores stay within 0 to 100).
std::string Scorm12MasteryScore(int passingPercent, int questions);

// Times as each version writes them: a length of time (1.2 "HHHH:MM:SS.SS",
// 2004 "PT#H#M#S") and a moment (1.2 the time of day "HH:MM:SS" where the
// learner is, 2004 a UTC timestamp).
std::string LmsTimespan(EScormVersion version, int64_t milliseconds);
std::string LmsMoment(EScormVersion version, int64_t unixMilliseconds, int utcOffsetMinutes);

// The text cut to at most units UTF-16 code units (as the platform's script
// counts a string's length), never inside a character.
std::string CutToUtf16Units(const std::string& utf8, size_t units);

class CLmsClock {
public:
    // Milliseconds since 1970 (UTC), and the learner's offset from UTC.
    virtual int64_t NowMilliseconds() = 0;
    virtual int UtcOffsetMinutes() = 0;

protected:
    ~CLmsClock() = default;
};

class CLmsReporter final : public CQuizListener {
public:
    // passingPercent (0 to 100), when given, turns a finished quiz into passed
    // or failed; without it the quiz is completed with its score.
    CLmsReporter(CLmsApi& api, EScormVersion version, std::optional<int> passingPercent,
                 CLmsClock& clock);

    // Opens the session with the platform; false, and nothing more is sent,
    // when no platform answers.
    bool Start();
    // The page is going away: the session ends, once.
    void End();
    bool IsConnected() const { return m_bConnected; }

    void OnQuizStarted(int questions) override;
    void OnQuestionAsked(int number) override;
    void OnQuestionJudged(const CJudgedQuestion& question) override;
    void OnQuizFinished(const CQuizScore& score) override;
    void OnQuizLeft(const CQuizScore& scoreSoFar) override;

private:
    void Set(const std::string& element, const std::string& value);
    // The score and the status: status12 for 1.2, completion and success for 2004.
    void SetOutcome(const CQuizScore& score, const char* status12, const char* completion,
                    const char* success, const char* exit);
    void SetSessionTime();
    // The learner's answers or the expected ones as one response value.
    std::string ResponseOf(const std::vector<std::string>& texts, bool unique) const;

    CLmsApi& m_api;
    EScormVersion m_version;
    std::optional<int> m_passingPercent;
    CLmsClock& m_clock;
    bool m_bConnected = false;
    bool m_bEnded = false;
    int64_t m_nSessionStart = 0;
    int64_t m_nAskedAt = 0;
    int m_nInteractions = 0;
};
