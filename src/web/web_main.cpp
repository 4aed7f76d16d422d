// The browser player's entry points. The page's script hands over the files
// the page carries, starts the quiz, and passes on each key and click; all
// of it goes to one CTorviDlg, as the desktop window's events do.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "file/file_write.h"
#include "quiz/random_source.h"
#include "ui/lms_report.h"
#include "ui/program_paths.h"
#include "ui/torvi_dlg.h"
#include "web/lms_bridge.h"
#include "web/web_audio_player.h"
#include "web/web_window.h"

namespace {
// The in-memory folders: the program's support files (cues, ignore list),
// the quiz, and the pages the dialog writes.
constexpr char kProgramFolder[] = "/torvi/";
constexpr char kQuizFolder[] = "/quiz/";
constexpr char kPageFolder[] = "/pages/";

// The learning platform's API, through the page's script.
class CWebLmsApi final : public CLmsApi {
public:
    bool Initialize() override { return Call(0) == "true"; }
    std::string GetValue(const std::string& element) override { return Call(1, element); }
    bool SetValue(const std::string& element, const std::string& value) override {
        return Call(2, element, value) == "true";
    }
    bool Commit() override { return Call(3) == "true"; }
    bool Finish() override { return Call(4) == "true"; }

private:
    static std::string Call(int call, const std::string& element = "",
                            const std::string& value = "") {
        char* answer = torvi_lms_call(call, element.c_str(), value.c_str());
        std::string text = answer ? answer : "";
        std::free(answer);
        return text;
    }
};

class CBrowserClock final : public CLmsClock {
public:
    int64_t NowMilliseconds() override { return static_cast<int64_t>(emscripten_date_now()); }
    int UtcOffsetMinutes() override { return torvi_lms_utc_offset(); }
};

// A page in a SCORM package reports to the platform that launched it.
struct CLmsLink {
    CLmsLink(EScormVersion version, std::optional<int> passing)
        : reporter(api, version, passing, clock) {
        torvi_lms_find(version == EScormVersion::Scorm12);
    }
    CWebLmsApi api;
    CBrowserClock clock;
    CLmsReporter reporter;
};

struct CPlayer {
    CWebWindow window;
    CWebAudioPlayer audio;
    CTorviDlg dlg{window, &audio, kProgramFolder, std::string(kPageFolder)};
};
// The platform's link lives as long as the page, as the player does.
std::optional<CLmsLink> g_lms;
bool g_bReporting = false;
std::unique_ptr<CPlayer> g_player;
std::string g_strQuizName;

// One level below the root of the in-memory file system: mkdir alone makes
// it, without the path walking of std::filesystem at the page's start.
bool MakeFolder(const char* folder) {
    struct stat info {};
    return (mkdir(folder, 0700) == 0 || errno == EEXIST) && stat(folder, &info) == 0 &&
           S_ISDIR(info.st_mode);
}

// A file name of its own, never a way into another folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.size() < 256;
}

} // namespace

extern "C" {

// Stores a file the page carries: kind 0 is a support file of the program,
// kind 1 the quiz. Returns 1 when the file was stored.
EMSCRIPTEN_KEEPALIVE int torvi_add_file(int kind, const char* name, const unsigned char* data,
                                        uint32_t length) {
    const std::string fileName = name ? name : "";
    if ((kind != 0 && kind != 1) || !IsPlainName(fileName) || g_player)
        return 0;
    const char* folder = kind == 0 ? kProgramFolder : kQuizFolder;
    if (!MakeFolder(folder))
        return 0;
    std::string error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), data ? length : 0);
    if (!WritePrivateFile(std::string(folder) + fileName, bytes, error))
        return 0;
    if (kind == 1)
        g_strQuizName = fileName;
    return 1;
}

// Opens the quiz stored last. A seed (decimal digits) makes the jumbled order
// and the cues repeat from one visit to the next; jumbled starts in jumbled order.
EMSCRIPTEN_KEEPALIVE void torvi_start(const char* seed, int jumbled) {
    if (g_player)
        return;
    MakeFolder(kPageFolder);
    // The quiz is opened by its bare name, which the title then shows.
    if (chdir(kQuizFolder) != 0)
        return;
    g_player = std::make_unique<CPlayer>();
    // Without a platform the page plays as any exported page does.
    g_bReporting = g_lms && g_lms->reporter.Start();
    if (g_bReporting)
        g_player->dlg.SetListener(&g_lms->reporter);
    // The seed as the address gives it, read as torvi-cli run --seed reads it.
    if (uint64_t number = 0; seed && ParseSeed(seed, number))
        SeedRandomFrom(number);
    CTorviDlg& dlg = g_player->dlg;
    dlg.OnInitDialog();
    if (jumbled)
        dlg.OnOrderJumbledUp();
    g_player->window.SetOpenFilePath(g_strQuizName);
    dlg.OnFileOpen();
    // The first paint comes after the quiz is open: it shows the welcome page
    // only when no quiz came up, so the frame is not first sent a page that
    // the question replaces before anyone could see it.
    dlg.OnPaint();
}

// Before torvi_start, in a SCORM package: the version (12 or 2004) and the
// passing percentage (0 to 100; any other number for none).
EMSCRIPTEN_KEEPALIVE void torvi_lms(int version, int passingPercent) {
    if (g_player || (version != 12 && version != 2004))
        return;
    std::optional<int> passing;
    if (passingPercent >= 0 && passingPercent <= 100)
        passing = passingPercent;
    g_lms.emplace(version == 12 ? EScormVersion::Scorm12 : EScormVersion::Scorm2004, passing);
}

// The page is being left (closed, or another address opened in its place).
EMSCRIPTEN_KEEPALIVE void torvi_leave() {
    if (!g_player || !g_bReporting)
        return;
    g_player->dlg.OnLeave();
    g_lms->reporter.End();
}

EMSCRIPTEN_KEEPALIVE void torvi_enter() {
    if (g_player)
        g_player->dlg.OnEnter();
}

// The buttons in EButton's order: Explanation, Quit, Restart, Repeat Question.
EMSCRIPTEN_KEEPALIVE void torvi_button(int button) {
    if (!g_player)
        return;
    CTorviDlg& dlg = g_player->dlg;
    switch (static_cast<EButton>(button)) {
    case EButton::Explanation:
        dlg.OnExplanation();
        break;
    case EButton::Quit:
        dlg.OnQuit();
        break;
    case EButton::Restart:
        dlg.OnRestart();
        break;
    case EButton::Repeat:
        dlg.OnRepeatQuestion();
        break;
    }
}

// The options in EMenuItem's order: In Order, Jumbled Up, Sound.
EMSCRIPTEN_KEEPALIVE void torvi_menu(int item) {
    if (!g_player)
        return;
    CTorviDlg& dlg = g_player->dlg;
    switch (static_cast<EMenuItem>(item)) {
    case EMenuItem::InOrder:
        dlg.OnOrderInOrder();
        break;
    case EMenuItem::JumbledUp:
        dlg.OnOrderJumbledUp();
        break;
    case EMenuItem::Sound:
        dlg.OnOptionsSound();
        break;
    }
}

EMSCRIPTEN_KEEPALIVE void torvi_accent() {
    if (g_player)
        g_player->dlg.OnAccent();
}
}
