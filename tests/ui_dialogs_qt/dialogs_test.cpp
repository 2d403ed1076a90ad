// The profile manager and the firmware dialog over the generated skin, offscreen, with the
// simulated keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "app/app_core.h"
#include "device/protocol.h"
#include "platform/text_key_names.h"
#include "skin/skin_layout.h"
#include "store/config_image.h"
#include "store/profile_file.h"
#include "support/connect.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"
#include "support/sim_core.h"
#include "support/temp_folder.h"
#include "ui/qt/profile_dialog.h"
#include "ui/qt/update_dialog.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::App;
using test::WaitFor;

class CountingUi final : public StoreUi {
  public:
    int changedOff = 0;
    void SetChanged(bool changed) override {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        if (!changed) ++changedOff;
    }
    void ResetKeyButton(int, KeyIndex) override {}
    void RefreshKeyButtons(int) override { EXPECT_EQ(QThread::currentThread(), qApp->thread()); }
};

class DialogsTest : public ::testing::Test {
  protected:
    DialogsTest() {
        core_ = test::MakeSimCore(home_);
        core_->paths.packageFolder = home_.path() / "Package";
        store_ = test::MakeConnectedStore(*core_, prompter_, ui_);
    }
    void OnProfile(int p) {
        core_->sim->EditMemory([&](SimMemory& m) { m.state[kStateActiveProfile] = p; });
        core_->state.activeProfileCache = -1;
    }
    int KeyboardProfile() {
        int p = -1;
        core_->sim->EditMemory([&](SimMemory& m) { p = m.state[kStateActiveProfile]; });
        return p;
    }
    QRect Layout(const fs::path& file, const char* key) {
        const LayoutRect r = ReadLayoutRect(file, kLayoutSection, key);
        return QRect(r.x, r.y, r.w, r.h);
    }

    test::TempFolder home_;
    std::unique_ptr<AppCore> core_;
    test::ScriptedPrompter prompter_{true};
    CountingUi ui_;
    std::unique_ptr<StoreContext> store_;
};

QString Cell(QTableWidget* list, int row, int column) {
    QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString("<none>");
}

TEST_F(DialogsTest, ProfileManagerListsTicksAppliesOffTheWindowThreadAndCloses) {
    OnProfile(2);
    CVorlin_DlgProfile dialog(*core_, *store_);
    int applied = 0, helps = 0;
    QObject::connect(&dialog, &CVorlin_DlgProfile::applied, [&] { ++applied; });
    dialog.SetHelpOpener([&] { ++helps; });
    const fs::path added = core_->paths.userFolder / "Mine.fwc";
    dialog.SetFileChooser([&](const FileRequest& r) -> std::optional<fs::path> {
        EXPECT_EQ(r.filters.front(), "(*.fwc)");
        if (r.kind == FileRequest::Kind::Save) {
            EXPECT_TRUE(r.startIn.endsWith("/New Profile.fwc")) << r.startIn.toStdString();
            return added;
        }
        return home_.path() / "other" / "loaded.fwc";
    });
    dialog.show();

    // Placed from the layout file.
    EXPECT_EQ(dialog.size(), QSize(480, 372));
    EXPECT_EQ(dialog.List()->geometry(), Layout(core_->paths.profileSkin, "PROGRAM_LIST"));
    EXPECT_EQ(dialog.Button(1010)->geometry(), Layout(core_->paths.profileSkin, "FUNC_ADD"));
    EXPECT_EQ(dialog.Button(2)->geometry(), Layout(core_->paths.profileSkin, "CONTROL_CANCEL"));
    EXPECT_TRUE(dialog.List()->showGrid());
    EXPECT_EQ(dialog.List()->selectionBehavior(), QAbstractItemView::SelectRows);

    QTableWidget* list = dialog.List();
    EXPECT_EQ(dialog.OpenCount(), 1);
    ASSERT_EQ(list->rowCount(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(Cell(list, r, 1), QString("$Profile%1").arg(r));
        EXPECT_EQ(list->item(r, 0)->checkState(), r == 2 ? Qt::Checked : Qt::Unchecked);
    }
    EXPECT_EQ(Cell(list, 0, 2), QString::fromStdString(core_->paths.userFolder.string() + "/"));
    EXPECT_FALSE(dialog.Button(1012)->isEnabled());
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "Active");

    // Ticking row 0 clears row 2 and enables Apply.
    list->item(0, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(list->item(2, 0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(dialog.Button(1012)->isEnabled());
    EXPECT_TRUE(dialog.HasUnappliedChanges());

    dialog.Button(1012)->click();
    EXPECT_TRUE(dialog.Busy());
    EXPECT_FALSE(dialog.Button(1)->isEnabled());
    EXPECT_FALSE(list->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !dialog.Busy(); }));
    EXPECT_EQ(KeyboardProfile(), 0);
    EXPECT_EQ(applied, 1);
    EXPECT_GE(ui_.changedOff, 1);
    EXPECT_FALSE(dialog.Button(1012)->isEnabled());
    EXPECT_TRUE(dialog.Button(1)->isEnabled());
    EXPECT_TRUE(list->isEnabled());

    // Add, Load and Delete through the buttons.
    dialog.Button(1010)->click();
    dialog.Button(1008)->click();
    ASSERT_EQ(list->rowCount(), 5);
    EXPECT_EQ(Cell(list, 3, 1), "Mine");
    EXPECT_EQ(Cell(list, 4, 1), "loaded");
    EXPECT_EQ(ValidateImageFile(added, prompter_), 1);
    list->selectRow(3);
    dialog.Button(1011)->click();
    EXPECT_EQ(list->rowCount(), 4);
    EXPECT_EQ(Cell(list, 3, 1), "loaded");
    EXPECT_TRUE(fs::exists(added));

    // The main window switches profile while it is open.
    dialog.SwitchProfile(1);
    EXPECT_EQ(list->item(1, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(dialog.Button(1012)->isEnabled());

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &f1);
    EXPECT_EQ(helps, 1);

    // OK applies, then closes.
    dialog.Button(1)->click();
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(applied, 2);
    EXPECT_EQ(dialog.OpenCount(), 0);
    EXPECT_EQ(KeyboardProfile(), 1);

    // Reopened: the three backing files again; closed from outside as on a keyboard loss.
    dialog.show();
    EXPECT_EQ(dialog.OpenCount(), 1);
    EXPECT_EQ(list->rowCount(), 3);
    dialog.reject();
    EXPECT_EQ(dialog.OpenCount(), 0);
    EXPECT_TRUE(prompter_.Keys().empty());
}

TEST_F(DialogsTest, ProfileManagerTakesTheLanguageWhileOpen) {
    CVorlin_DlgProfile dialog(*core_, *store_);
    dialog.show();
    EXPECT_EQ(dialog.Button(1010)->accessibleName(), "Add");
    dialog.ApplyLanguage(1);
    EXPECT_EQ(dialog.Button(1010)->accessibleName(), "Adicionar");
    EXPECT_EQ(dialog.Button(2)->accessibleName(), "Cancelar");
    EXPECT_EQ(dialog.List()->horizontalHeaderItem(1)->text(), "Nome");
    EXPECT_EQ(dialog.windowTitle(), "Gerenciador de Perfis");
}

class UpdateDialogTest : public DialogsTest {
  protected:
    fs::path Script() {
        const fs::path script = home_.path() / "updater.sh";
        std::ofstream(script) << "#!/bin/sh\necho ran >> '" << ranFile.string() << "'\n";
        fs::permissions(script, fs::perms::owner_all);
        return script;
    }
    fs::path ranFile = home_.path() / "ran.txt";
};

TEST_F(UpdateDialogTest, UpdateSendsNothingWithoutAProgramAndStartsTheChosenOne) {
    CVorlin_DlgUpdate dialog(*core_, prompter_);
    std::optional<fs::path> answer = Script();
    QString startedIn;
    dialog.SetFileChooser([&](const FileRequest& r) {
        startedIn = r.startIn;
        return answer;
    });
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(460, 152));
    EXPECT_EQ(dialog.PathLabel()->geometry(), Layout(core_->paths.updateSkin, "CONTROL_UPStatic"));
    EXPECT_EQ(dialog.Button(1182)->geometry(),
              Layout(core_->paths.updateSkin, "CONTROL_BACKUPButton"));
    EXPECT_EQ(dialog.PathLabel()->text(), "No update program chosen");
    core_->sim->RecordRequests(true);

    dialog.Button(1147)->click();
    EXPECT_EQ(prompter_.Keys(), std::vector<std::string>{kTextFirmwareNoFile});
    EXPECT_TRUE(dialog.isVisible());

    // Chosen, then the chooser cancelled.
    dialog.Button(1181)->click();
    EXPECT_EQ(startedIn, QDir::homePath());
    EXPECT_EQ(dialog.PathLabel()->text().toStdString(), Script().string());
    answer.reset();
    dialog.Button(1181)->click();
    EXPECT_EQ(dialog.PathLabel()->text(), "No update program chosen");
    dialog.Button(1147)->click();
    EXPECT_EQ(prompter_.Keys(), std::vector<std::string>(2, kTextFirmwareNoFile));
    EXPECT_TRUE(core_->sim->TakeRecordedRequests().empty());

    // The "Package" folder is where the chooser starts once there is one.
    fs::create_directories(core_->paths.packageFolder);
    answer = Script();
    dialog.Button(1181)->click();
    EXPECT_EQ(startedIn.toStdString(), core_->paths.packageFolder.string());
    prompter_.Clear();
    dialog.Button(1147)->click();
    EXPECT_TRUE(prompter_.Keys().empty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(WaitFor([&] { return core_->sim->InBootMode(); }));
    EXPECT_EQ(core_->sim->TakeRecordedRequests().size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return test::ReadBytes(ranFile) == "ran\n"; }));
    EXPECT_TRUE(dialog.Model().UpdaterPath().empty());
}

TEST_F(UpdateDialogTest, BackupRunsOffTheWindowThreadAndTheLanguageRelabels) {
    CVorlin_DlgUpdate dialog(*core_, prompter_);
    const fs::path file = home_.path() / "backup.fwc";
    dialog.SetFileChooser([&](const FileRequest& r) -> std::optional<fs::path> {
        EXPECT_EQ(r.defaultSuffix, "fwc");
        return file;
    });
    dialog.show();
    dialog.Button(1182)->click();
    ASSERT_TRUE(WaitFor([&] { return !dialog.Busy(); }));
    EXPECT_EQ(prompter_.Keys(), std::vector<std::string>{kTextFirmwareBackupDone});
    EXPECT_EQ(ValidateImageFile(file, prompter_), 1);
    EXPECT_TRUE(dialog.Button(1182)->isEnabled());
    EXPECT_TRUE(dialog.isVisible());

    EXPECT_EQ(dialog.Button(1147)->accessibleName(), "Update");
    dialog.ApplyLanguage(1);
    EXPECT_EQ(dialog.Button(1147)->accessibleName(), "Atualizar");
    EXPECT_EQ(dialog.Button(1181)->accessibleName(), "Abrir...");
    EXPECT_EQ(dialog.PathLabel()->text(), "Nenhum programa de atualização escolhido");
    EXPECT_EQ(dialog.windowTitle(), "Atualização de Firmware e Backup");
}

// The pictures of the docs (written where VORLIN_SHOTS_DIR says, with VORLIN_SHOTS_SUFFIX):
// every grab covers the whole window at the screen's pixel ratio.
TEST_F(UpdateDialogTest, BothDialogsRenderWhole) {
    const char* dir = std::getenv("VORLIN_SHOTS_DIR");
    const char* suffix = std::getenv("VORLIN_SHOTS_SUFFIX");
    const fs::path out = dir ? fs::path(dir) : home_.path() / "shots";
    fs::create_directories(out);
    const qreal dpr = qApp->devicePixelRatio();
    auto save = [&](QWidget& w, const std::string& name) {
        WaitFor([] { return false; }, 100ms);
        const QImage image = w.grab().toImage();
        EXPECT_EQ(image.size(), w.size() * dpr) << name;
        EXPECT_TRUE(image.save(
            QString::fromStdString((out / (name + (suffix ? suffix : "") + ".png")).string())));
    };

    OnProfile(1);
    CVorlin_DlgProfile profiles(*core_, *store_);
    profiles.SetFileChooser([&](const FileRequest&) -> std::optional<fs::path> {
        return home_.path() / "Documents" / "Racing setup.fwc";
    });
    profiles.show();
    profiles.Button(1008)->click();
    profiles.List()->selectRow(1);
    save(profiles, "profile-manager");

    fs::create_directories(core_->paths.packageFolder);
    const fs::path updater = core_->paths.packageFolder / "vorlin-firmware-updater";
    fs::copy_file(Script(), updater);
    CVorlin_DlgUpdate update(*core_, prompter_);
    update.SetFileChooser([&](const FileRequest&) { return std::optional<fs::path>(updater); });
    update.show();
    update.Button(1181)->click();
    save(update, "firmware-update");
}

}  // namespace
}  // namespace vorlin
