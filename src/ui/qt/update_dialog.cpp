#include "ui/qt/update_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>

#include "platform/text_key_names.h"
#include "skin/language.h"
#include "skin/qt/skin_image.h"
#include "skin/qt/skin_placement.h"
#include "skin/skin_catalog.h"

namespace vorlin {

namespace {

struct Caption {
    int id;
    const char* key;
};
constexpr Caption kCaptions[] = {
    {1181, kTextFirmwareOpen},
    {1147, kTextFirmwareUpdate},
    {1180, kTextFirmwareCancelUpdate},
    {1182, kTextFirmwareBackup},
};

// The updater starts in the "Package" folder, where an updater finds the files it ships with.
bool StartUpdater(const std::filesystem::path& program, const std::filesystem::path& package) {
    std::error_code ec;
    const std::filesystem::path folder =
        std::filesystem::is_directory(package, ec) ? package : program.parent_path();
    return QProcess::startDetached(QString::fromStdString(program.string()), {},
                                   QString::fromStdString(folder.string()));
}

}  // namespace

CVorlin_DlgUpdate::CVorlin_DlgUpdate(AppCore& core, Prompter& prompter, QWidget* parent)
    : CBaseDialog(core.paths.updateSkin, core.paths.skinFolder, parent),
      core_(core),
      firmware_(*core.link, core.work, prompter,
                [&core](const std::filesystem::path& program) {
                    return StartUpdater(program, core.paths.packageFolder);
                }),
      chooser_([this](const FileRequest& r) { return ChooseWithFileDialog(this, r); }),
      openHelp_([this] { OpenHelpPage(core_.paths); }),
      languageIndex_(core.languageIndex) {
    setObjectName("UPDATE");
    setModal(true);
    LoadSkinOrExit();
    const WindowSkin& skin = SkinOf(SkinWindow::Update);
    looks_ = LoadLookSet(skin.lookSets.front(), core_.paths.skinFolder);

    const ButtonTextColours white = {Qt::white, Qt::white, Qt::white, QColor(0x9a, 0xa0, 0xa8),
                                     Qt::white};
    for (const SkinControl& c : skin.controls) {
        const QString name = QString::fromUtf8(c.key.data(), static_cast<int>(c.key.size()));
        if (c.kind == ControlKind::Text) {
            path_ = new QLabel(this);
            path_->setObjectName(name);
            PlaceControl(*path_, LayoutFile(), kLayoutSection, c.key);
            continue;
        }
        if (c.kind == ControlKind::Combo) {
            combo_ = new QComboBox(this);  // laid out, never used
            combo_->setObjectName(name);
            PlaceControl(*combo_, LayoutFile(), kLayoutSection, c.key);
            combo_->hide();
            continue;
        }
        if (c.placement != Placement::ImageButton) continue;
        auto* b = new CPngButton(this);
        b->setObjectName(name);
        ButtonImageSet set;
        for (size_t i = 0; i < set.size(); ++i) set[i] = looks_[static_cast<size_t>(c.looks[i])];
        PlaceImageButton(*b, LayoutFile(), kLayoutSection, c.key, set);
        b->SetTextStyle(true, 10, "DejaVu Sans", white);
        const int id = c.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        buttons_[id] = b;
    }
    if (!path_) path_ = new QLabel(this);
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path_->setContentsMargins(8, 0, 8, 0);
    title_ = MakeDialogTitle(*this);
    ApplyLanguage(languageIndex_);
}

CVorlin_DlgUpdate::~CVorlin_DlgUpdate() {
    if (worker_.joinable()) worker_.join();
}

CPngButton* CVorlin_DlgUpdate::Button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QString CVorlin_DlgUpdate::Text(const char* key) const {
    return QString::fromStdString(LookupText(core_.texts, key, languageIndex_));
}

void CVorlin_DlgUpdate::ApplyLanguage(int languageIndex) {
    languageIndex_ = languageIndex;
    for (const Caption& c : kCaptions)
        if (CPngButton* b = Button(c.id)) b->SetCaption(Text(c.key));
    setWindowTitle(Text(kTextFirmwareCaption));
    title_->setText(windowTitle());
    ShowPath();
}

void CVorlin_DlgUpdate::ShowPath() {
    const std::filesystem::path& updater = firmware_.UpdaterPath();
    const bool none = updater.empty();
    const QString shown =
        none ? Text(kTextFirmwareNoUpdater) : QString::fromStdString(updater.string());
    // A long path keeps its end, where the program's name is.
    path_->setText(path_->fontMetrics().elidedText(shown, Qt::ElideLeft, path_->width() - 16));
    path_->setToolTip(none ? QString() : shown);
    path_->setAccessibleName(shown);
    // The skin draws the field; the label only writes into it.
    path_->setStyleSheet(QString("QLabel { background: transparent; border: none; color: %1;"
                                 " font-family: 'DejaVu Sans'; font-size: 12px; }")
                             .arg(none ? "#9aa0a8" : kDialogTextColour));
    path_->repaint();
}

QString CVorlin_DlgUpdate::UpdaterFolder() const {
    std::error_code ec;
    if (std::filesystem::is_directory(core_.paths.packageFolder, ec))
        return QString::fromStdString(core_.paths.packageFolder.string());
    return QDir::homePath();
}

void CVorlin_DlgUpdate::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        if (openHelp_) openHelp_();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    if (Busy() && event->key() == Qt::Key_Escape) return;
    CBaseDialog::keyPressEvent(event);
}

void CVorlin_DlgUpdate::OnCommand(int id) {
    if (Busy()) return;
    switch (id) {
        case 1181: {
            FileRequest r{
                FileRequest::Kind::Open, Text(kTextFirmwareOpen), UpdaterFolder(), {"(*)"}, {}};
            firmware_.Choose(chooser_(r));
            ShowPath();
            break;
        }
        case 1147: {
            const UpdateOutcome outcome = firmware_.Update();
            ShowPath();
            if (outcome == UpdateOutcome::Started) reject();
            break;
        }
        case 1180:
            firmware_.CancelUpdate();
            ShowPath();
            reject();
            break;
        case 1182: {
            FileRequest r{FileRequest::Kind::Save,
                          Text(kTextFirmwareBackup),
                          QDir::homePath() + "/*.fwc",
                          {"(*.fwc)", "(*.*)"},
                          "fwc"};
            if (auto file = chooser_(r)) StartBackup(*file);
            break;
        }
        default:
            break;
    }
}

void CVorlin_DlgUpdate::SetControlsEnabled(bool on) {
    for (auto& [id, b] : buttons_) b->setEnabled(on);
    if (on)
        unsetCursor();
    else
        setCursor(Qt::BusyCursor);
}

void CVorlin_DlgUpdate::StartBackup(const std::filesystem::path& file) {
    SetControlsEnabled(false);
    worker_ = std::thread([this, file] {
        const int result = firmware_.BackupTo(file);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                worker_.join();
                SetControlsEnabled(true);
                firmware_.ReportBackup(result);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace vorlin
