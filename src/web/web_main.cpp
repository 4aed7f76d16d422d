// The browser player's entry points. The page's script hands over the files
// the page carries, starts the quiz, and passes on each key and click; all
// of it goes to one CTorviDlg, as the desktop window's events do.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

#include "file/file_write.h"
#include "quiz/random_source.h"
#include "ui/program_paths.h"
#include "ui/torvi_dlg.h"
#include "web/web_audio_player.h"
#include "web/web_window.h"

namespace {
// The in-memory folders: the program's support files (cues, ignore list),
// the quiz, and the pages the dialog writes.
constexpr char kProgramFolder[] = "/torvi/";
constexpr char kQuizFolder[] = "/quiz/";
constexpr char kPageFolder[] = "/pages/";

struct CPlayer {
    CWebWindow window;
    CWebAudioPlayer audio;
    CTorviDlg dlg{window, &audio, kProgramFolder, std::string(kPageFolder)};
};
std::unique_ptr<CPlayer> g_player;
std::string g_strQuizName;

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
    if (!MakeDirectories(folder))
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
    MakeDirectories(kPageFolder);
    // The quiz is opened by its bare name, which the title then shows.
    if (chdir(kQuizFolder) != 0)
        return;
    g_player = std::make_unique<CPlayer>();
    // The seed as the address gives it, read as torvi-cli run --seed reads it.
    if (uint64_t number = 0; seed && ParseSeed(seed, number))
        SeedRandomFrom(number);
    CTorviDlg& dlg = g_player->dlg;
    dlg.OnInitDialog();
    if (jumbled)
        dlg.OnOrderJumbledUp();
    dlg.OnPaint();
    g_player->window.SetOpenFilePath(g_strQuizName);
    dlg.OnFileOpen();
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
