// The main window with the simulated keyboard, offscreen (a desktop without a tray).
#include <gtest/gtest.h>
#include <semaphore.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "app/app_core.h"
#include "app/instance_start.h"
#include "app/named_events.h"
#include "app/qt/main_window.h"
#include "platform/settings.h"
#include "platform/text_key_names.h"
#include "store/config_device.h"
#include "store/config_image.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"
#include "ui/keyboard_layout.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::WaitFor;

bool SemaphoreExists(const std::string& name) {
    sem_t* s = ::sem_open(("/" + name).c_str(), 0);
    if (s == SEM_FAILED) return false;
    ::sem_close(s);
    return true;
}

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        test::App();
        // Every user folder of the run inside the test's own.
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            ::setenv(v, (home_.path() / v).c_str(), 1);
        fs::create_directories(home_.path() / "XDG_RUNTIME_DIR");
        fs::permissions(home_.path() / "XDG_RUNTIME_DIR", fs::perms::owner_all);
        AppArguments args;
        args.simulate = true;
        std::string why;
        core_ = AppCore::Create(args, test::BuildFolder(), home_.path(), &why);
        EXPECT_TRUE(core_) << why;
        instanceFolder_ = *InstanceFolder(core_->paths.runtimeFolder);
    }
    ~MainWindowTest() override {
        window_.reset();
        QCoreApplication::processEvents();
    }

    void Start(bool startHidden = false) {
        MainWindowOptions options;
        options.startHidden = startHidden;
        options.timings.searchPoll = 20ms;
        options.timings.connectedPoll = 20ms;
        options.eventPrefix = eventPrefix_;
        options.accessNotice = [this] { return accessNotice_; };
        window_ = std::make_unique<CVorlinDlg>(*core_, bridge_, prompter_, options);
        InstanceStart start = StartInstance(instanceFolder_, false);
        ASSERT_TRUE(start.server) << start.message;
        window_->Initialise(std::move(start.server));
    }
    bool Connected() { return core_->state.connectionState.load() == 1; }
    // The key editor is modal: what a test does while it is open runs from the event loop.
    void WhileEditorOpen(std::function<void(CVorlin_DlgComposite&)> act) {
        QTimer::singleShot(0, [this, act] {
            CVorlin_DlgComposite* editor = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                editor = window_->CompositeDialog();
                return editor && editor->isVisible();
            }));
            act(*editor);
            editor->CloseIfOpen();  // whatever the test left open
        });
    }
    // Shown and not minimised: what the user sees as an open window.
    bool Shown() { return window_->isVisible() && !window_->isMinimized(); }

    test::TempFolder home_;
    std::unique_ptr<AppCore> core_;
    fs::path instanceFolder_;
    GuiBridge bridge_;
    test::ScriptedPrompter prompter_{true};
    std::string eventPrefix_ = "VorlinTest" + std::to_string(::getpid()) + "_Event_";
    std::unique_ptr<CVorlinDlg> window_;
    std::optional<AccessNotice> accessNotice_;  // what the machine says of the keyboard's nodes
};

TEST_F(MainWindowTest, FirstConnectionShowsTheWindowAndASecondStartAsksItToShow) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    EXPECT_TRUE(WaitFor([&] { return Shown(); }));
    // No tray here: every hide minimises to the taskbar instead.
    window_->OnCommand(1);
    EXPECT_TRUE(WaitFor([&] { return window_->isMinimized(); }));

    InstanceStart second = StartInstance(instanceFolder_, false);
    EXPECT_FALSE(second.server);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(WaitFor([&] { return Shown(); }));
}

TEST_F(MainWindowTest, StartFlagKeepsTheWindowHiddenAtTheFirstConnection) {
    Start(/*startHidden=*/true);
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    WaitFor([] { return false; }, 200ms);
    EXPECT_FALSE(Shown());
}

TEST_F(MainWindowTest, ShowingWithoutAKeyboardSaysSoAndLeavesTheWindowAlone) {
    core_->sim->Vanish();
    Start();
    WaitFor([] { return false; }, 100ms);
    window_->OnCommand(32771);
    EXPECT_EQ(prompter_.Keys(), std::vector<std::string>{"MAIN_NO_DEVICE_PROMPT"});
    EXPECT_FALSE(Shown());
}

TEST_F(MainWindowTest, AKeyboardRefusedToThisUserIsToldAndOpensOnceAccessIsGranted) {
    core_->sim->Vanish();
    accessNotice_ = AccessNotice{"MAIN_NO_ACCESS_PROMPT", "\n\n/dev/hidraw9  crw------- root:root"};
    Start();
    // The first search finds nothing usable: the user who started it is told at once.
    ASSERT_TRUE(WaitFor([&] { return !prompter_.Keys().empty(); }));
    EXPECT_EQ(prompter_.Questions().front().argument, accessNotice_->argument);
    window_->OnCommand(32771);
    EXPECT_EQ(prompter_.Keys(),
              (std::vector<std::string>{"MAIN_NO_ACCESS_PROMPT", "MAIN_NO_ACCESS_PROMPT"}));
    EXPECT_FALSE(Shown());
    // Access granted: the monitor finds the keyboard and the window the user asked for opens.
    accessNotice_.reset();
    core_->sim->Reappear();
    EXPECT_TRUE(WaitFor([&] { return Connected() && Shown(); }));
}

TEST_F(MainWindowTest, StartedHiddenNothingIsToldUntilTheWindowIsAskedFor) {
    core_->sim->Vanish();
    accessNotice_ = AccessNotice{"MAIN_NO_ACCESS_APPLY_PROMPT", "\n\n/dev/hidraw9"};
    Start(/*startHidden=*/true);
    WaitFor([] { return false; }, 300ms);
    EXPECT_TRUE(prompter_.Keys().empty());
    window_->OnCommand(32771);
    EXPECT_EQ(prompter_.Keys(), std::vector<std::string>{"MAIN_NO_ACCESS_APPLY_PROMPT"});
}

TEST_F(MainWindowTest, UnplugHidesTheWindowAndClosesTheAboutBoxReplugDoesNotShowIt) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Shown(); }));
    window_->OnCommand(32773);
    ASSERT_TRUE(window_->AboutBox() && window_->AboutBox()->isVisible());
    core_->sim->Vanish();
    EXPECT_TRUE(WaitFor([&] { return !Shown() && !window_->AboutBox()->isVisible(); }));
    EXPECT_EQ(window_->Tray().State(), TrayState::NotConnected);
    core_->sim->Reappear();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    EXPECT_TRUE(WaitFor([&] { return window_->Tray().State() == TrayState::Connected; }));
    WaitFor([] { return false; }, 150ms);
    EXPECT_FALSE(Shown());
}

TEST_F(MainWindowTest, NamedEventsLiveFromStartToExitAndKillEndsTheRunningCopy) {
    Start();
    for (int n : {1, 99, 100, 208})
        EXPECT_TRUE(SemaphoreExists(NamedEventName(n, eventPrefix_))) << n;
    InstanceStart kill = StartInstance(instanceFolder_, true);
    EXPECT_FALSE(kill.server);
    EXPECT_EQ(kill.exitCode, 0);
    ASSERT_TRUE(WaitFor([&] { return window_->Exited(); }));
    for (int n : {1, 208}) EXPECT_FALSE(SemaphoreExists(NamedEventName(n, eventPrefix_))) << n;
    EXPECT_FALSE(InstanceRunning(instanceFolder_));
}

TEST_F(MainWindowTest, MenusAndCaptionsFollowTheLanguage) {
    Start();
    const struct {
        int language;
        const char* show;
        const char* profile1;
    } cases[] = {{0, "Show Window", "Profile 1"}, {1, "Mostrar Janela", "Perfil 1"}};
    for (const auto& c : cases) {
        window_->ApplyLanguage(c.language);
        window_->Tray().Relabel();
        EXPECT_EQ(window_->Tray().Menu().actions().front()->text().toStdString(), c.show);
        ASSERT_NE(window_->Button(1135), nullptr);
        EXPECT_EQ(window_->Button(1135)->accessibleName().toStdString(), c.profile1);
    }
}

TEST_F(MainWindowTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntry) {
    ::setenv("XDG_CONFIG_DIRS", (home_.path() / "xdg").c_str(), 1);
    const fs::path entry = home_.path() / "XDG_CONFIG_HOME/autostart/vorlin.desktop";
    Start();
    window_->OnCommand(1139);
    auto* item = window_->findChild<QAction*>("autostart");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text().toStdString(), "Start with the desktop");
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_NE(test::ReadBytes(entry).find(" /Start\n"), std::string::npos);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(fs::exists(entry));

    // A failure is told, and the tick shows what is really there.
    fs::create_directories(entry / "in-the-way");
    item->trigger();
    EXPECT_EQ(prompter_.Keys(), std::vector<std::string>{"MAIN_AUTOSTART_FAILED"});
    EXPECT_FALSE(item->isChecked());
    ::unsetenv("XDG_CONFIG_DIRS");
}

TEST_F(MainWindowTest, LedMarksTheGKeysTheActiveProfileAssigns) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    const int profile = GetActiveProfile(window_->Store());
    ASSERT_GE(profile, 0);
    {
        std::lock_guard<std::recursive_mutex> guard(core_->work.lock);
        auto& table = core_->work.image->tables[static_cast<size_t>(profile)];
        for (int n = 0; n < 9; ++n) table[static_cast<size_t>(256 + n)].type = 0;
        table[256].type = 1;  // G1
        table[264].type = 2;  // G9
    }
    window_->MarkAssignedGKeys();
    const struct {
        int id;
        bool marked;
    } cases[] = {{1000, true}, {1001, false}, {1004, false}, {1140, false}, {1143, true}};
    for (const auto& c : cases) EXPECT_EQ(window_->Button(c.id)->Selected(), c.marked) << c.id;
}

// The keyboard panel on the window: the switch view flips the flag of the entry the button's
// place gives (p for the list, 256 + n for G(n+1)), not the key's own entry.
TEST_F(MainWindowTest, SwitchViewFlipsTheEntryOfTheButtonsPlace) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    const int profile = GetActiveProfile(window_->Store());
    ASSERT_GE(profile, 0);
    auto flag = [&](int entry) {
        std::lock_guard<std::recursive_mutex> guard(core_->work.lock);
        return core_->work.image->tables[static_cast<size_t>(profile)][static_cast<size_t>(entry)]
            .switchFlag;
    };
    window_->OnCommand(1144);
    EXPECT_EQ(window_->SwitchView(), 1);
    const struct {
        int controlId;
        int entry;
    } cases[] = {{KeyButtonList()[5], 5}, {1140, 261}};  // list position 5; G6
    for (const auto& c : cases) {
        const uint32_t before = flag(c.entry);
        window_->OnCommand(c.controlId);
        EXPECT_NE(flag(c.entry), before) << c.controlId;
    }
    window_->OnCommand(1144);
    EXPECT_EQ(window_->SwitchView(), 0);
}

// Outside the per-key colour view a list key selects itself for the editor and G1..G5, Fn, K45
// and K56 do nothing; inside it no key reaches the editor.
class KeyClickTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KeyClickTest, KeyClicksFollowTheView) {
    const bool colourView = GetParam();
    const int kA = KeyButtonList()[30];
    const struct {
        bool colourView;
        int controlId;
        bool selects;
    } cases[] = {{false, kA, true},    {false, 1000, false}, {false, 1004, false},
                 {false, 1174, false}, {false, 1222, false}, {false, 1223, false},
                 {true, kA, false},    {true, 1000, false}};
    fs::create_directories(core_->paths.userSettings.parent_path());
    test::WriteBytes(core_->paths.userSettings,
                     std::string("[KEYCOLOR]\nDengCheck=") + (colourView ? "1" : "0") + "\n");
    Start();
    ASSERT_TRUE(WaitFor([&] { return window_->LightingControls().ViewOn() == colourView; }));
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));  // the editor opens on the keyboard's keys
    for (const auto& c : cases) {
        if (c.colourView != colourView) continue;
        if (c.selects) WhileEditorOpen([](CVorlin_DlgComposite&) {});
        window_->OnCommand(c.controlId);
        const auto target = window_->Keys().Panel().editorTarget();
        EXPECT_EQ(target.has_value() && target->controlId == c.controlId, c.selects) << c.controlId;
    }
}

INSTANTIATE_TEST_SUITE_P(Views, KeyClickTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                             return i.param ? "ColourView" : "KeyView";
                         });

TEST_F(MainWindowTest, AKeyOpensTheEditorWhichHoldsOffProfileSwitchesAndAssignsOnOk) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    const int profile = GetActiveProfile(window_->Store());
    const int key = KeyButtonList()[30];
    WhileEditorOpen([&](CVorlin_DlgComposite& editor) {
        EXPECT_EQ(editor.OpenCount(), 1);
        window_->OnCommand(1135 + (profile + 1) % 3);  // another profile's button
        EXPECT_TRUE(WaitFor([&] {
            const auto keys = prompter_.Keys();
            return std::find(keys.begin(), keys.end(), kTextProfileSelectPrompt2) != keys.end();
        }));
        QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 48 + 8, 0, 0, "b");
        QApplication::sendEvent(&editor, &b);
        editor.Button(1)->click();
    });
    window_->OnCommand(key);
    EXPECT_EQ(window_->CompositeDialog()->OpenCount(), 0);
    const KeyIndex entry = window_->Keys().Panel().editorTarget()->entry;
    EXPECT_EQ(GetActiveProfile(window_->Store()), profile);
    std::lock_guard guard(core_->work.lock);
    const KeyAction& a = core_->work.image->tables[static_cast<size_t>(profile)][entry];
    EXPECT_EQ(a.type, kActionKey);
    EXPECT_EQ(a.value, 0x30u);
}

TEST_F(MainWindowTest, UnpluggingTheKeyboardClosesTheEditorAndLeavesTheStoreAlone) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    WhileEditorOpen([&](CVorlin_DlgComposite& editor) {
        editor.Button(1029)->click();
        editor.Button(1017)->click();  // an unapplied macro
        core_->sim->Vanish();
        EXPECT_TRUE(WaitFor([&] { return !editor.isVisible(); }));
    });
    window_->OnCommand(1007);  // the macro button: G9
    EXPECT_EQ(window_->CompositeDialog()->OpenCount(), 0);
    std::lock_guard guard(core_->work.lock);
    EXPECT_TRUE(core_->work.macros.empty());
}

TEST_F(MainWindowTest, StoredFlipSwapsTheFunctionKeysAndAFlipButtonClearsIt) {
    ASSERT_TRUE(SettingsWriteString(core_->paths, core_->iniLock, "PROFILES", "Flip", "1"));
    Start();
    for (int id : {1010, 1013}) EXPECT_FALSE(window_->Button(id)->isEnabled()) << id;
    for (int id : {1016, 1021}) EXPECT_TRUE(window_->Button(id)->isEnabled()) << id;
    window_->OnCommand(1130);
    EXPECT_EQ(SettingsReadString(core_->paths, "PROFILES", "Flip", ""), "0");
    EXPECT_TRUE(window_->Button(1010)->isEnabled());
    EXPECT_FALSE(window_->Button(1016)->isEnabled());
}

// Apply talks to a slow keyboard off the GUI thread: the busy picture turns, the window answers,
// and the key map reaches the keyboard.
TEST_F(MainWindowTest, ApplyRunsOffTheWindowWhileTheBusyPictureTurns) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    const int profile = GetActiveProfile(window_->Store());
    ASSERT_GE(profile, 0);
    {
        std::lock_guard<std::recursive_mutex> guard(core_->work.lock);
        auto& a = core_->work.image->tables[static_cast<size_t>(profile)][0x1E];  // A
        a.type = kActionKey;
        a.value = 0x30;  // B
    }
    window_->Keys().SetChanged(true);
    const auto before = core_->sim->Memory().keyMaps;
    core_->sim->SetLinkDelay(std::chrono::milliseconds(15));
    window_->OnCommand(1006);
    ASSERT_TRUE(window_->Keys().Busy());
    EXPECT_FALSE(window_->Button(1135)->isEnabled()) << "store editors wait for the end";
    // The event loop keeps turning while the keyboard is written, and the busy picture shows.
    int turns = 0;
    bool pictureShown = false;
    ASSERT_TRUE(WaitFor(
        [&] {
            ++turns;
            pictureShown = pictureShown || window_->Keys().BusyPictureShown();
            return !window_->Keys().Busy();
        },
        20s));
    core_->sim->SetLinkDelay(std::chrono::microseconds(0));
    EXPECT_GE(turns, 2);  // it turned while the keyboard was written (the picture needs it too)
    EXPECT_TRUE(pictureShown);
    EXPECT_NE(core_->sim->Memory().keyMaps, before);
    EXPECT_TRUE(window_->Button(1135)->isEnabled());
    EXPECT_FALSE(window_->Button(1006)->isEnabled()) << "nothing left to apply";
}

}  // namespace
}  // namespace vorlin
