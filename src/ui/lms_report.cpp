#include "ui/lms_report.h"

#include <cstdio>
#include <cstdlib>

// The values are put together in small buffers with snprintf, which the
// browser player has anyway: a SCORM package's page stays about as small as
// the plain one.
namespace {
bool Is12(EScormVersion version) {
    return version == EScormVersion::Scorm12;
}

std::string Integer(int64_t number) {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(number));
    return text;
}

// part / whole as a decimal of at most four places, with no exponent and no
// trailing zeros, as CMIDecimal wants it.
std::string Fraction(int64_t part, int64_t whole) {
    const int64_t tenThousandths = (part * 10'000 + whole / 2) / whole;
    char text[40];
    int end = std::snprintf(text, sizeof text, "%lld.%04d",
                            static_cast<long long>(tenThousandths / 10'000),
                            static_cast<int>(tenThousandths % 10'000));
    while (text[end - 1] == '0')
        --end;
    if (text[end - 1] == '.')
        --end;
    return std::string(text, static_cast<size_t>(end));
}

// One text as a response's part: on one line (a line end would end the value
// for the platform's checks), free of the "[,]" between parts, and not
// opening with "{", which would read as a delimiter of language or case.
std::string ResponsePart(const std::string& text, bool cut) {
    std::string part;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // U+2028 and U+2029 end a line in the platform's script too.
        const bool separator = c == '\xE2' && text.size() - i >= 3 && text[i + 1] == '\x80' &&
                               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9');
        if (c == '\r' || c == '\n' || separator) {
            part += ' ';
            i += separator ? 2 : 0;
        } else if (c == '[' && text.compare(i, 3, "[,]") == 0) {
            part += ',';
            i += 2;
        } else {
            part += c;
        }
    }
    if (!part.empty() && part[0] == '{')
        part.insert(part.begin(), ' ');
    return cut ? CutToUtf16Units(part, 250) : part;
}
} // namespace

std::string CutToUtf16Units(const std::string& utf8, size_t units) {
    size_t used = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(utf8[i]);
        // Continuation bytes take no unit; a four-byte character takes two.
        const size_t more = (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
        if (more > 0 && used + more > units)
            return utf8.substr(0, i);
        used += more;
    }
    return utf8;
}

std::string Scorm12MasteryScore(int passingPercent, int questions) {
    if (questions > 100 || questions <= 0)
        return Integer(passingPercent);
    // Passed when right * 100 >= passing * questions: the least such count.
    return Integer((passingPercent * questions + 99) / 100);
}

std::string LmsTimespan(EScormVersion version, int64_t milliseconds) {
    if (milliseconds < 0)
        milliseconds = 0;
    long long hours = milliseconds / 3'600'000;
    const int minutes = static_cast<int>(milliseconds / 60'000 % 60);
    const int seconds = static_cast<int>(milliseconds / 1000 % 60);
    const int hundredths = static_cast<int>(milliseconds / 10 % 100);
    char text[48];
    if (Is12(version))
        // Four digits of hours at most.
        std::snprintf(text, sizeof text, "%02lld:%02d:%02d.%02d", hours > 9999 ? 9999 : hours,
                      minutes, seconds, hundredths);
    else
        std::snprintf(text, sizeof text, "PT%lldH%dM%d.%02dS", hours, minutes, seconds,
                      hundredths);
    return text;
}

std::string LmsMoment(EScormVersion version, int64_t unixMilliseconds, int utcOffsetMinutes) {
    char text[48];
    if (Is12(version)) {
        int64_t second = unixMilliseconds / 1000 + int64_t{utcOffsetMinutes} * 60;
        second = (second % 86400 + 86400) % 86400;
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(second / 3600),
                      static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
        return text;
    }
    // The civil date of a day count from 1970, in the proleptic Gregorian
    // calendar (eras of 400 years from 1 March 0000).
    const int64_t milliseconds = unixMilliseconds < 0 ? 0 : unixMilliseconds;
    const int64_t second = milliseconds / 1000 % 86400;
    const int64_t z = milliseconds / 86'400'000 + 719'468;
    const int64_t era = z / 146'097;
    const int64_t dayOfEra = z - era * 146'097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const int month =
        static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    // A zone is written only after a fraction of a second.
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%dZ", year, month, day,
                  static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                  static_cast<int>(second % 60), static_cast<int>(milliseconds % 1000 / 100));
    return text;
}

CLmsReporter::CLmsReporter(CLmsApi& api, EScormVersion version, std::optional<int> passingPercent,
                           CLmsClock& clock)
    : m_api(api), m_version(version), m_passingPercent(passingPercent), m_clock(clock) {}

bool CLmsReporter::Start() {
    if (m_bConnected || m_bEnded || !m_api.Initialize())
        return false;
    m_bConnected = true;
    m_nSessionStart = m_clock.NowMilliseconds();
    // A resumed attempt keeps the interactions it had; new ones follow them.
    const std::string count = m_api.GetValue("cmi.interactions._count");
    if (!count.empty() && count.size() < 7 &&
        count.find_first_not_of("0123456789") == std::string::npos)
        m_nInteractions = std::atoi(count.c_str());
    // The platform learns that the quiz was begun, unless an earlier visit
    // already said how it went.
    const char* status = Is12(m_version) ? "cmi.core.lesson_status" : "cmi.completion_status";
    const std::string now = m_api.GetValue(status);
    if (now.empty() || now == "not attempted" || now == "unknown")
        Set(status, "incomplete");
    return true;
}

void CLmsReporter::End() {
    if (!m_bConnected || m_bEnded)
        return;
    m_bEnded = true;
    SetSessionTime();
    m_api.Commit();
    m_api.Finish();
    m_bConnected = false;
}

void CLmsReporter::OnQuizStarted(int) {}

void CLmsReporter::OnQuestionAsked(int) {
    m_nAskedAt = m_clock.NowMilliseconds();
}

void CLmsReporter::OnQuestionJudged(const CJudgedQuestion& question) {
    if (!m_bConnected)
        return;
    const bool is12 = Is12(m_version);
    const int n = m_nInteractions++;
    const std::string latency = LmsTimespan(m_version, m_clock.NowMilliseconds() - m_nAskedAt);
    const std::string asked =
        LmsMoment(m_version, m_nAskedAt, is12 ? m_clock.UtcOffsetMinutes() : 0);
    // Letters and digits alone: an identifier every version and platform takes.
    const std::pair<const char*, std::string> values[] = {
        {"id", "question" + Integer(question.number)},
        {"type", "fill-in"},
        {is12 ? "time" : "timestamp", asked},
        {"correct_responses.0.pattern", ResponseOf(question.expected, true)},
        {is12 ? "student_response" : "learner_response", ResponseOf(question.typed, false)},
        {"result", question.correct ? "correct" : is12 ? "wrong" : "incorrect"},
        {"latency", latency},
    };
    for (const auto& [field, value] : values) {
        char element[64];
        std::snprintf(element, sizeof element, "cmi.interactions.%d.%s", n, field);
        Set(element, value);
    }
    // Each answer is kept at once: a page closed by a crash loses nothing judged.
    m_api.Commit();
}

void CLmsReporter::OnQuizFinished(const CQuizScore& score) {
    if (!m_bConnected)
        return;
    const char* success = "unknown";
    if (m_passingPercent)
        success = int64_t{score.right} * 100 >= int64_t{*m_passingPercent} * score.total
                      ? "passed"
                      : "failed";
    SetOutcome(score, m_passingPercent ? success : "completed", "completed", success,
               Is12(m_version) ? "" : "normal");
    SetSessionTime();
    m_api.Commit();
}

void CLmsReporter::OnQuizLeft(const CQuizScore& scoreSoFar) {
    if (m_bConnected)
        SetOutcome(scoreSoFar, "incomplete", "incomplete", "unknown", "suspend");
}

void CLmsReporter::Set(const std::string& element, const std::string& value) {
    m_api.SetValue(element, value);
}

void CLmsReporter::SetOutcome(const CQuizScore& score, const char* status12,
                              const char* completion, const char* success, const char* exit) {
    const bool is12 = Is12(m_version);
    const int64_t total = score.total > 0 ? score.total : 1;
    // 1.2 keeps a score within 0 to 100: a quiz of more questions reports its
    // percentage.
    const bool percent = is12 && total > 100;
    const char* prefix = is12 ? "cmi.core.score." : "cmi.score.";
    Set(std::string(prefix) + "min", "0");
    Set(std::string(prefix) + "max", percent ? "100" : Integer(total));
    Set(std::string(prefix) + "raw",
        percent ? Fraction(int64_t{score.right} * 100, total) : Integer(score.right));
    if (is12) {
        Set("cmi.core.lesson_status", status12);
        Set("cmi.core.exit", exit);
    } else {
        Set("cmi.score.scaled", Fraction(score.right, total));
        Set("cmi.completion_status", completion);
        Set("cmi.success_status", success);
        Set("cmi.exit", exit);
    }
}

void CLmsReporter::SetSessionTime() {
    Set(Is12(m_version) ? "cmi.core.session_time" : "cmi.session_time",
        LmsTimespan(m_version, m_clock.NowMilliseconds() - m_nSessionStart));
}

std::string CLmsReporter::ResponseOf(const std::vector<std::string>& texts, bool unique) const {
    const bool is12 = Is12(m_version);
    // Between delimiters, so that a part is found whole or not at all.
    std::string response = "[,]";
    for (const std::string& text : texts) {
        const std::string part = ResponsePart(text, !is12) + "[,]";
        // A pattern names each expected answer once.
        if (!unique || response.find("[,]" + part) == std::string::npos)
            response += part;
    }
    response = response.substr(3, response.size() > 3 ? response.size() - 6 : 0);
    // 1.2 holds a response in 255 characters.
    return is12 ? CutToUtf16Units(response, 255) : response;
}
