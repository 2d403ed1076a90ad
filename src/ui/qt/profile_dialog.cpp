#include "ui/qt/profile_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTableWidget>

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
    {1010, kTextProfileAdd},   {1008, kTextProfileLoad}, {1011, kTextProfileDelete},
    {1012, kTextProfileApply}, {1, kTextProfileOk},      {2, kTextProfileCancel},
};
constexpr int kColumnWidths[] = {60, 120, 230};
constexpr const char* kColumnTitles[] = {kTextProfileListActive, kTextProfileListName,
                                         kTextProfileListFolder};
const QStringList kProfileFilters = {"(*.fwc)", "(*.*)"};

constexpr char kListStyle[] =
    "QTableWidget { background: #1f2228; color: #e6e8eb; gridline-color: #3a3f48;"
    " border: none; selection-background-color: #22c1c3;"
    " selection-color: #16181d; font-family: 'DejaVu Sans'; font-size: 12px; }"
    "QTableWidget::item { border: none; padding-left: 4px; }"
    "QHeaderView::section { background: #2b2f37; color: #9aa0a8; border: none;"
    " border-right: 1px solid #3a3f48; padding: 3px 6px; font-family: 'DejaVu Sans';"
    " font-size: 12px; }";

}  // namespace

CVorlin_DlgProfile::CVorlin_DlgProfile(AppCore& core, StoreContext& store, QWidget* parent)
    : CBaseDialog(core.paths.profileSkin, core.paths.skinFolder, parent),
      core_(core),
      storeUi_(store.ui, *this),
      store_{store.work,
             store.apply,
             store.link,
             store.connection,
             store.writeAllProfiles,
             store.prompter,
             store.paths,
             store.languageIndex,
             storeUi_,
             store.texts,
             store.iniLock},
      manager_(store_, core.iniLock),
      chooser_([this](const FileRequest& r) { return ChooseWithFileDialog(this, r); }),
      openHelp_([this] { OpenHelpPage(core_.paths); }),
      languageIndex_(core.languageIndex) {
    setObjectName("PROFILE");
    setModal(true);
    LoadSkinOrExit();
    const WindowSkin& skin = SkinOf(SkinWindow::Profile);
    looks_ = LoadLookSet(skin.lookSets.front(), core_.paths.skinFolder);

    const ButtonTextColours white = {Qt::white, Qt::white, Qt::white, QColor(0x9a, 0xa0, 0xa8),
                                     Qt::white};
    for (const SkinControl& c : skin.controls) {
        const QString name = QString::fromUtf8(c.key.data(), static_cast<int>(c.key.size()));
        if (c.kind == ControlKind::List) {
            list_ = new QTableWidget(0, 3, this);
            list_->setObjectName(name);
            PlaceControl(*list_, LayoutFile(), kLayoutSection, c.key);
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
    if (!list_) list_ = new QTableWidget(0, 3, this);  // a layout without one still works
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setHighlightSections(false);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setWordWrap(false);
    list_->setFocusPolicy(Qt::NoFocus);  // rows are shown selected; no focus frame in a cell
    list_->setTextElideMode(Qt::ElideMiddle);
    for (int c = 0; c < 3; ++c) list_->setColumnWidth(c, kColumnWidths[c]);
    list_->setStyleSheet(kListStyle);
    connect(list_, &QTableWidget::itemChanged, this, &CVorlin_DlgProfile::OnItemChanged);

    title_ = MakeDialogTitle(*this);
    ApplyLanguage(languageIndex_);
    if (CPngButton* apply = Button(1012)) apply->setEnabled(false);
}

CVorlin_DlgProfile::~CVorlin_DlgProfile() {
    if (worker_.joinable()) worker_.join();
}

CPngButton* CVorlin_DlgProfile::Button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QString CVorlin_DlgProfile::Text(const char* key) const {
    return QString::fromStdString(LookupText(core_.texts, key, languageIndex_));
}

void CVorlin_DlgProfile::ApplyLanguage(int languageIndex) {
    languageIndex_ = languageIndex;
    for (const Caption& c : kCaptions)
        if (CPngButton* b = Button(c.id)) b->SetCaption(Text(c.key));
    QStringList titles;
    for (const char* key : kColumnTitles) titles << Text(key);
    list_->setHorizontalHeaderLabels(titles);
    setWindowTitle(Text(kTextProfileManagerCaption));
    title_->setText(windowTitle());
}

void CVorlin_DlgProfile::showEvent(QShowEvent* event) {
    CBaseDialog::showEvent(event);
    if (event->spontaneous() || showing_) return;
    showing_ = true;
    manager_.Open();
    ShowRows();
}

void CVorlin_DlgProfile::done(int result) {
    if (showing_) {
        showing_ = false;
        manager_.Close();
    }
    CBaseDialog::done(result);
}

void CVorlin_DlgProfile::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        if (openHelp_) openHelp_();
        return;
    }
    // Enter would press OK while the list has the focus; only the buttons close the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    if (Busy() && event->key() == Qt::Key_Escape) return;
    CBaseDialog::keyPressEvent(event);
}

void CVorlin_DlgProfile::ShowRows() {
    const QSignalBlocker block(list_);
    const auto& rows = manager_.Rows();
    list_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ProfileRow& row = rows[static_cast<size_t>(r)];
        auto* tick = new QTableWidgetItem();
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        tick->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
        list_->setItem(r, 0, tick);
        const QString name = QString::fromStdString(row.name);
        const QString folder = QString::fromStdString(row.folder);
        auto* nameItem = new QTableWidgetItem(name);
        nameItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        nameItem->setToolTip(folder + name);
        list_->setItem(r, 1, nameItem);
        auto* folderItem = new QTableWidgetItem(folder);
        folderItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        folderItem->setToolTip(folder);
        list_->setItem(r, 2, folderItem);
    }
    if (CPngButton* apply = Button(1012)) apply->setEnabled(manager_.ApplyEnabled() && !Busy());
}

void CVorlin_DlgProfile::OnItemChanged(QTableWidgetItem* item) {
    if (!item || item->column() != 0) return;
    manager_.SetTicked(item->row(), item->checkState() == Qt::Checked);
    ShowRows();
}

void CVorlin_DlgProfile::SwitchProfile(int n) {
    if (!showing_) return;
    manager_.SwitchProfile(n);
    ShowRows();
}

void CVorlin_DlgProfile::OnCommand(int id) {
    if (Busy()) return;
    switch (id) {
        case 1010: {
            FileRequest r{FileRequest::Kind::Save, Text(kTextProfileAdd),
                          QString::fromStdString(manager_.SuggestedNewFile().string()),
                          kProfileFilters, "fwc"};
            if (auto file = chooser_(r)) {
                manager_.Add(*file);
                ShowRows();
            }
            break;
        }
        case 1008: {
            FileRequest r{FileRequest::Kind::Open, Text(kTextProfileLoad),
                          QString::fromStdString(manager_.UserFolder().string()), kProfileFilters,
                          "fwc"};
            if (auto file = chooser_(r)) {
                manager_.Load(*file);
                ShowRows();
            }
            break;
        }
        case 1011: {
            const QList<QTableWidgetItem*> selected = list_->selectedItems();
            if (selected.isEmpty()) break;
            manager_.Delete(selected.front()->row());
            ShowRows();
            break;
        }
        case 1012:
            StartApply(false);
            break;
        case 1:
            StartApply(true);
            break;
        case 2:
            reject();
            break;
        default:
            break;
    }
}

void CVorlin_DlgProfile::SetControlsEnabled(bool on) {
    for (auto& [id, b] : buttons_) b->setEnabled(on && (id != 1012 || manager_.ApplyEnabled()));
    list_->setEnabled(on);
    if (on)
        unsetCursor();
    else
        setCursor(Qt::BusyCursor);
}

void CVorlin_DlgProfile::StartApply(bool thenClose) {
    // The settings and the question about a later row here; the keyboard on the worker.
    const ProfileApplyPlan plan = manager_.BeginApply();
    SetControlsEnabled(false);
    if (worker_.joinable()) worker_.join();
    worker_ = std::thread([this, plan, thenClose] {
        manager_.RunApply(plan);
        QMetaObject::invokeMethod(
            this, [this, thenClose] { ApplyEnded(thenClose); }, Qt::QueuedConnection);
    });
}

void CVorlin_DlgProfile::ApplyEnded(bool thenClose) {
    worker_.join();
    manager_.FinishApply();
    SetControlsEnabled(true);
    emit applied();
    if (thenClose && showing_) accept();
}

}  // namespace vorlin
