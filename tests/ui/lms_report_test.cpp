// The report to a learning platform: what each version's data model is given,
// in which order, and that every value fits its type.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ui/lms_report.h"

namespace {
class CRecordingApi final : public CLmsApi {
public:
    std::vector<std::string> calls;
    std::map<std::string, std::string> values;
    bool initializes = true;
    bool refusesValues = false;

    bool Initialize() override {
        calls.push_back("initialize");
        return initializes;
    }
    std::string GetValue(const std::string& element) override {
        const auto found = values.find(element);
        return found == values.end() ? "" : found->second;
    }
    bool SetValue(const std::string& element, const std::string& value) override {
        calls.push_back(element + "=" + value);
        values[element] = value;
        return !refusesValues;
    }
    bool Commit() override {
        calls.push_back("commit");
        return true;
    }
    bool Finish() override {
        calls.push_back("finish");
        return true;
    }
};

class CSteppedClock final : public CLmsClock {
public:
    int64_t now = 1796794207250; // 2026-12-09T05:30:07.250Z
    int offset = 60;
    int64_t NowMilliseconds() override { return now; }
    int UtcOffsetMinutes() override { return offset; }
};

class LmsReportTest : public ::testing::Test {
protected:
    CLmsReporter& Reporter(EScormVersion version, std::optional<int> passing = std::nullopt) {
        m_reporter.emplace(m_api, version, passing, m_clock);
        return *m_reporter;
    }
    void Judge(int number, std::vector<std::string> typed, std::vector<std::string> expected,
               bool correct, int64_t milliseconds = 4560) {
        m_reporter->OnQuestionAsked(number);
        m_clock.now += milliseconds;
        m_reporter->OnQuestionJudged({number, std::move(typed), std::move(expected), correct});
    }
    // The calls made since the last look.
    std::vector<std::string> NewCalls() {
        std::vector<std::string> calls(m_api.calls.begin() + static_cast<long>(m_seen),
                                       m_api.calls.end());
        m_seen = m_api.calls.size();
        return calls;
    }

    CRecordingApi m_api;
    CSteppedClock m_clock;
    std::optional<CLmsReporter> m_reporter;
    size_t m_seen = 0;
};

using Calls = std::vector<std::string>;

TEST_F(LmsReportTest, Scorm12SessionReportsEachQuestionThenTheScoreAndEndsOnce) {
    CLmsReporter& reporter = Reporter(EScormVersion::Scorm12, 70);
    m_api.values["cmi.core.lesson_status"] = "not attempted";
    ASSERT_TRUE(reporter.Start());
    EXPECT_EQ(NewCalls(), (Calls{"initialize", "cmi.core.lesson_status=incomplete"}));
    reporter.OnQuizStarted(3);
    Judge(2, {"blue", "red"}, {"red", "green"}, false);
    EXPECT_EQ(NewCalls(), (Calls{"cmi.interactions.0.id=question2", "cmi.interactions.0.type=fill-in",
                              "cmi.interactions.0.time=06:30:07",
                              "cmi.interactions.0.correct_responses.0.pattern=red[,]green",
                              "cmi.interactions.0.student_response=blue[,]red",
                              "cmi.interactions.0.result=wrong",
                              "cmi.interactions.0.latency=00:00:04.56", "commit"}));
    Judge(3, {"c"}, {"c"}, true);
    EXPECT_EQ(m_api.values["cmi.interactions.1.result"], "correct");
    NewCalls();
    m_clock.now += 3'600'000;
    reporter.OnQuizFinished({2, 3});
    EXPECT_EQ(NewCalls(),
              (Calls{"cmi.core.score.min=0", "cmi.core.score.max=3", "cmi.core.score.raw=2",
                     "cmi.core.lesson_status=failed", "cmi.core.exit=",
                     "cmi.core.session_time=01:00:09.12", "commit"}));
    reporter.End();
    reporter.End();
    reporter.OnQuizLeft({0, 3});
    EXPECT_EQ(NewCalls(), (Calls{"cmi.core.session_time=01:00:09.12", "commit", "finish"}));
}

TEST_F(LmsReportTest, Scorm2004ReportsScaledScoresAndLeavingMidwaySuspends) {
    CLmsReporter& reporter = Reporter(EScormVersion::Scorm2004, 50);
    m_api.values["cmi.completion_status"] = "completed";
    m_api.values["cmi.interactions._count"] = "4";
    ASSERT_TRUE(reporter.Start());
    // An earlier visit's status stands; new interactions follow the old ones.
    EXPECT_EQ(NewCalls(), (Calls{"initialize"}));
    Judge(1, {"x"}, {"Paris"}, false, 61'005);
    const Calls judged = NewCalls();
    EXPECT_EQ(judged[0], "cmi.interactions.4.id=question1");
    EXPECT_EQ(judged[2], "cmi.interactions.4.timestamp=2026-12-09T05:30:07.2Z");
    EXPECT_EQ(judged[5], "cmi.interactions.4.result=incorrect");
    EXPECT_EQ(judged[6], "cmi.interactions.4.latency=PT0H1M1.00S");
    reporter.OnQuizFinished({1, 2});
    EXPECT_EQ(NewCalls(), (Calls{"cmi.score.min=0", "cmi.score.max=2", "cmi.score.raw=1",
                              "cmi.score.scaled=0.5", "cmi.completion_status=completed",
                              "cmi.success_status=passed", "cmi.exit=normal",
                              "cmi.session_time=PT0H1M1.00S", "commit"}));
    // A new attempt after Restart, left midway.
    reporter.OnQuizStarted(3);
    reporter.OnQuizLeft({1, 3});
    reporter.End();
    EXPECT_EQ(NewCalls(), (Calls{"cmi.score.min=0", "cmi.score.max=3", "cmi.score.raw=1",
                              "cmi.score.scaled=0.3333", "cmi.completion_status=incomplete",
                              "cmi.success_status=unknown", "cmi.exit=suspend",
                              "cmi.session_time=PT0H1M1.00S", "commit", "finish"}));
}

TEST_F(LmsReportTest, WithoutAPassingScoreTheQuizIsCompletedWithItsScore) {
    CLmsReporter& scorm12 = Reporter(EScormVersion::Scorm12);
    ASSERT_TRUE(scorm12.Start());
    scorm12.OnQuizFinished({0, 4});
    EXPECT_EQ(m_api.values["cmi.core.lesson_status"], "completed");
    CLmsReporter& scorm2004 = Reporter(EScormVersion::Scorm2004);
    ASSERT_TRUE(scorm2004.Start());
    scorm2004.OnQuizFinished({4, 4});
    EXPECT_EQ(m_api.values["cmi.success_status"], "unknown");
    EXPECT_EQ(m_api.values["cmi.score.scaled"], "1");
}

TEST_F(LmsReportTest, NoPlatformMeansNothingIsSentAndRefusedValuesStopNothing) {
    m_api.initializes = false;
    CLmsReporter& absent = Reporter(EScormVersion::Scorm12);
    EXPECT_FALSE(absent.Start());
    Judge(1, {"a"}, {"a"}, true);
    absent.OnQuizFinished({1, 1});
    absent.End();
    EXPECT_EQ(m_api.calls, (Calls{"initialize"}));

    m_api.initializes = true;
    m_api.refusesValues = true;
    CLmsReporter& refusing = Reporter(EScormVersion::Scorm12);
    ASSERT_TRUE(refusing.Start());
    Judge(1, {"a"}, {"a"}, true);
    Judge(2, {"b"}, {"b"}, true);
    EXPECT_EQ(m_api.values["cmi.interactions.1.id"], "question2");
}

TEST_F(LmsReportTest, ResponsesFitTheirTypes) {
    Reporter(EScormVersion::Scorm2004).Start();
    const std::string long300(300, 'a');
    Judge(1, {"one\r\ntwo", "{lang=de}x", "a[,]b", "\xE2\x80\xA8z"}, {"Paris", "Paris", long300},
          false);
    EXPECT_EQ(m_api.values["cmi.interactions.0.learner_response"],
              "one  two[,] {lang=de}x[,]a,b[,] z");
    // Each expected answer once (the platform refuses a pattern that repeats
    // one), each part within 250 characters.
    EXPECT_EQ(m_api.values["cmi.interactions.0.correct_responses.0.pattern"],
              "Paris[,]" + std::string(250, 'a'));

    Reporter(EScormVersion::Scorm12).Start();
    // 127 two-unit characters and one more: cut before the one that does not fit.
    std::string emoji;
    for (int i = 0; i < 128; ++i)
        emoji += "\xF0\x9F\x98\x80";
    Judge(1, {emoji}, {"x"}, false);
    const std::string response = m_api.values["cmi.interactions.0.student_response"];
    EXPECT_EQ(response, emoji.substr(0, 127 * 4));
}

TEST(LmsValues, CutToUtf16UnitsNeverSplitsACharacter) {
    EXPECT_EQ(CutToUtf16Units("abc", 2), "ab");
    EXPECT_EQ(CutToUtf16Units("a\xC3\xA9z", 2), "a\xC3\xA9");
    EXPECT_EQ(CutToUtf16Units("a\xF0\x9F\x98\x80", 2), "a");
    EXPECT_EQ(CutToUtf16Units("a\xF0\x9F\x98\x80", 3), "a\xF0\x9F\x98\x80");
    EXPECT_EQ(CutToUtf16Units("", 0), "");
}

TEST(LmsValues, TimesAreWrittenInEachVersionsFormat) {
    EXPECT_EQ(LmsTimespan(EScormVersion::Scorm12, 3'723'456), "01:02:03.45");
    EXPECT_EQ(LmsTimespan(EScormVersion::Scorm2004, 3'723'456), "PT1H2M3.45S");
    EXPECT_EQ(LmsTimespan(EScormVersion::Scorm12, -5), "00:00:00.00");
    EXPECT_EQ(LmsTimespan(EScormVersion::Scorm12, int64_t{20'000} * 3'600'000), "9999:00:00.00");
    EXPECT_EQ(LmsMoment(EScormVersion::Scorm2004, 1709251199999, 0), "2024-02-29T23:59:59.9Z");
    EXPECT_EQ(LmsMoment(EScormVersion::Scorm2004, 951868800000, 0), "2000-03-01T00:00:00.0Z");
    EXPECT_EQ(LmsMoment(EScormVersion::Scorm2004, 0, 0), "1970-01-01T00:00:00.0Z");
    // The time of day where the learner is, across midnight both ways.
    EXPECT_EQ(LmsMoment(EScormVersion::Scorm12, 1709251199999, 90), "01:29:59");
    EXPECT_EQ(LmsMoment(EScormVersion::Scorm12, 951868800000, -30), "23:30:00");
}

// The platform compares 1.2's raw score with the mastery score in the
// manifest: for every quiz size and passing score, that comparison and the
// player's own verdict agree.
TEST_F(LmsReportTest, TheMasteryScoreAgreesWithThePlayersVerdict) {
    for (const int questions : {1, 3, 7, 12, 99, 100, 101, 250}) {
        for (int passing = 0; passing <= 100; ++passing) {
            const double mastery = std::stod(Scorm12MasteryScore(passing, questions));
            for (int right = 0; right <= questions; ++right) {
                CLmsReporter& reporter = Reporter(EScormVersion::Scorm12, passing);
                reporter.Start();
                reporter.OnQuizFinished({right, questions});
                const double raw = std::stod(m_api.values["cmi.core.score.raw"]);
                ASSERT_LE(raw, 100.0);
                ASSERT_EQ(raw >= mastery, m_api.values["cmi.core.lesson_status"] == "passed")
                    << right << "/" << questions << " at " << passing << "%";
            }
        }
    }
}
} // namespace
