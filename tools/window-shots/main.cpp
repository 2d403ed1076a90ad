// Renders the application's windows into PNG files, offscreen, with the simulated keyboard: the
// main window in both languages, at the device pixel ratio the environment sets
// (QT_SCALE_FACTOR=2 for the 2x pictures). Used by tools/screenshots.
// Usage: window-shots OUTPUT_DIR SUFFIX
#include <QApplication>
#include <QImage>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/app_core.h"
#include "app/qt/gui_bridge.h"
#include "app/qt/main_window.h"
#include "platform/app_paths.h"
#include "platform/prompter.h"
#include "store/lighting_view.h"
#include "store/profile_file.h"
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

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
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
        if (!window.grab().toImage().save(QString::fromStdString(file.string()))) {
            std::cerr << "window-shots: cannot write " << file << "\n";
            return 1;
        }
        std::cout << file.string() << "\n";
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
                dialog->grab().toImage().save(QString::fromStdString(file.string()));
                dialog->hide();
                std::cout << file.string() << "\n";
            }
        }
    }
    window.ExitApplication();
    return 0;
}
