// Renders the application's windows into PNG files, offscreen, with the simulated keyboard: the
// main window in both languages, at the device pixel ratio the environment sets
// (QT_SCALE_FACTOR=2 for the 2x pictures). Used by tools/screenshots.
// Usage: window-shots OUTPUT_DIR SUFFIX, or window-shots --screen FILE
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QScreen>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/app_core.h"
#include "app/qt/gui_bridge.h"
#include "app/qt/main_window.h"
#include "keys/key_codes.h"
#include "platform/app_paths.h"
#include "platform/prompter.h"
#include "store/lighting_view.h"
#include "store/profile_file.h"
#include "ui/qt/composite_dialog.h"
#include "ui/qt/profile_dialog.h"
#include "ui/qt/update_dialog.h"

namespace {

class QuietPrompter final : public vorlin::Prompter {
  public:
    bool Ask(const std::string&, vorlin::PromptButtons, const std::string&) override {
        return false;
    }
};

void Settle(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

// A key event as X11 delivers it (Linux input code + 8), at a time stamp in ms.
void Key(QWidget& to, QEvent::Type type, uint32_t inputCode, Qt::Key key, uint64_t ms) {
    QKeyEvent e(type, key, Qt::NoModifier, inputCode + 8, 0, 0, QString());
    e.setTimestamp(ms);
    QApplication::sendEvent(&to, &e);
}

void Tap(QWidget& to, uint32_t inputCode, Qt::Key key, uint64_t downMs, uint64_t upMs) {
    Key(to, QEvent::KeyPress, inputCode, key, downMs);
    Key(to, QEvent::KeyRelease, inputCode, key, upMs);
}

bool Save(QWidget& w, const std::filesystem::path& file) {
    if (!w.grab().toImage().save(QString::fromStdString(file.string()))) {
        std::cerr << "window-shots: cannot write " << file << "\n";
        return false;
    }
    std::cout << file.string() << "\n";
    return true;
}

// The key editor's four pages, opened on the A key: a captured key, a macro recorded with its
// delays, the multimedia and the function lists.
bool ShootKeyEditor(vorlin::AppCore& core, vorlin::CVorlinDlg& window,
                    const std::filesystem::path& out, const std::string& suffix) {
    const char* languages[] = {"en", "pt"};
    for (int language = 0; language < 2; ++language) {
        window.ApplyLanguage(language);  // the key names come from the store's language
        vorlin::CVorlin_DlgComposite editor(core, window.Store(), window.Keys(), &window);
        editor.ApplyLanguage(language);
        if (!editor.Begin(vorlin::KeyIndexOf(0x1E), 1066, false, QRect(100, 100, 40, 40)))
            return false;
        editor.show();
        Settle(200);
        Tap(editor, 57, Qt::Key_Space, 10, 20);  // captures Space
        const std::string tail = std::string("-") + languages[language] + suffix + ".png";
        if (!Save(editor, out / ("key-editor-key" + tail))) return false;
        editor.Button(1029)->click();
        editor.Button(1017)->click();  // a new macro
        editor.Button(1020)->click();  // record: Ctrl+C, then 1
        Key(editor, QEvent::KeyPress, 29, Qt::Key_Control, 1000);
        Tap(editor, 46, Qt::Key_C, 1120, 1210);
        Key(editor, QEvent::KeyRelease, 29, Qt::Key_Control, 1400);
        Tap(editor, 2, Qt::Key_1, 1600, 1650);
        editor.Button(1020)->click();  // stop
        Settle(100);
        if (!Save(editor, out / ("key-editor-macro" + tail))) return false;
        editor.Button(1030)->click();
        Settle(100);
        if (!Save(editor, out / ("key-editor-media" + tail))) return false;
        editor.Button(1031)->click();
        Settle(100);
        if (!Save(editor, out / ("key-editor-function" + tail))) return false;
        editor.CloseIfOpen();
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    // window-shots --screen FILE: the whole screen of $DISPLAY (the desktop runs under Xvfb).
    if (argc == 3 && std::string(argv[1]) == "--screen") {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen || !screen->grabWindow(0).save(argv[2])) {
            std::cerr << "window-shots: cannot capture the screen into " << argv[2] << "\n";
            return 1;
        }
        return 0;
    }
    if (argc != 3) {
        std::cerr << "usage: window-shots OUTPUT_DIR SUFFIX\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::string suffix = argv[2];
    std::filesystem::create_directories(out);
    vorlin::AppArguments args;
    args.simulate = true;
    args.start = true;
    std::string why;
    const auto exeFolder = vorlin::ExecutableFolder();
    auto core = vorlin::AppCore::Create(args, vorlin::FindDataFolder(exeFolder), exeFolder, &why);
    if (!core) {
        std::cerr << "window-shots: " << why << "\n";
        return 1;
    }
    // A second pass shows the lighting panel: its view is switched on in the user's settings
    // before the window reads them.
    const bool lightingView = std::getenv("WINDOW_SHOTS_LIGHTING") != nullptr;
    if (lightingView) {
        vorlin::EnsureUserFolder(core->paths);
        vorlin::WriteLightingView(core->iniLock, core->paths.userSettings, true);
    }
    vorlin::GuiBridge bridge;
    QuietPrompter prompter;
    vorlin::MainWindowOptions options;
    options.startHidden = true;
    options.eventPrefix = "VorlinShots_Event_";
    vorlin::CVorlinDlg window(*core, bridge, prompter, options);
    window.Initialise(std::nullopt);
    Settle(800);
    const char* languages[] = {"en", "pt"};
    for (int language = 0; language < 2; ++language) {
        window.ApplyLanguage(language);
        window.showNormal();
        Settle(300);
        const auto file = out / ((lightingView ? "main-lighting-" : "main-") +
                                 std::string(languages[language]) + suffix + ".png");
        if (!Save(window, file)) return 1;
    }
    if (lightingView) {
        // The lighting view in two more modes, one of them the per-key colours.
        window.ApplyLanguage(0);
        auto* modes = window.findChild<QComboBox*>("CONTROL_XGcombox");
        for (const auto& [text, name] :
             {std::pair{"Breathing", "breathing"}, std::pair{"Custom", "per-key"}}) {
            const int at = modes ? modes->findText(text, Qt::MatchContains) : -1;
            if (at < 0) {
                std::cerr << "window-shots: no mode named like " << text << "\n";
                return 1;
            }
            modes->setCurrentIndex(at);
            Settle(400);
            if (!Save(window,
                      out / ("main-lighting-" + std::string(name) + "-en" + suffix + ".png")))
                return 1;
        }
    } else {
        // The switch view and the About box, in both languages.
        for (int language = 0; language < 2; ++language) {
            const std::string tail = std::string("-") + languages[language] + suffix + ".png";
            window.ApplyLanguage(language);
            window.OnCommand(1144);
            Settle(300);
            if (!Save(window, out / ("main-switch" + tail))) return 1;
            window.OnCommand(1144);
            window.OnCommand(32773);
            Settle(300);
            if (!window.AboutBox() || !Save(*window.AboutBox(), out / ("about" + tail))) return 1;
            window.AboutBox()->hide();
        }
    }
    // The two dialogs as the main window opens them.
    if (!lightingView) {
        vorlin::CVorlin_DlgProfile profiles(*core, window.Store(), &window);
        vorlin::CVorlin_DlgUpdate update(*core, prompter, &window);
        for (int language = 0; language < 2; ++language) {
            const std::pair<QWidget*, const char*> dialogs[] = {{&profiles, "profile-manager"},
                                                                {&update, "firmware-update"}};
            profiles.ApplyLanguage(language);
            update.ApplyLanguage(language);
            for (const auto& [dialog, name] : dialogs) {
                dialog->show();
                Settle(300);
                const auto file =
                    out / (std::string(name) + "-" + languages[language] + suffix + ".png");
                if (!Save(*dialog, file)) return 1;
                dialog->hide();
            }
        }
        if (!ShootKeyEditor(*core, window, out, suffix)) return 1;
    }
    window.ExitApplication();
    return 0;
}
