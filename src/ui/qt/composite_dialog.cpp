#include "ui/qt/composite_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTableWidget>
#include <cstdlib>

#include "keys/key_codes.h"
#include "platform/text_key_names.h"
#include "platform/utf.h"
#include "skin/language.h"
#include "skin/qt/skin_placement.h"
#include "skin/skin_catalog.h"
#include "store/config_device.h"
#include "ui/composite_osk.h"
#include "ui/composite_placement.h"
#include "ui/key_panel.h"
#include "ui/qt/dialog_support.h"

namespace vorlin {

namespace {

namespace id {
constexpr int kTitle = 1131, kOsk = 1132, kClear = 1032, kHeading = 1199;
constexpr int kKeyTab = 1028, kMacroTab = 1029, kMediaTab = 1030, kFunctionTab = 1031;
constexpr int kPageBack = 1033;
constexpr int kSingleHint = 1201, kMediaHint = 1202, kFunctionHint = 1203;
constexpr int kKeyboardCheck = 1185, kKeyboardLabel = 1134, kKeyEdit = 1127;
constexpr int kMouseCheck = 1186, kMouseLabel = 1135, kMouseCombo = 1187;
constexpr int kNameLabel = 1200, kMacroCombo = 1126, kAdd = 1017, kDelete = 1018;
constexpr int kActionList = 1019, kRecord = 1020, kDeleteAction = 1021, kClearActions = 1022;
constexpr int kTop = 1023, kUp = 1024, kDown = 1025, kBottom = 1026;
constexpr int kDelaysCheck = 1027, kDelaysLabel = 1133, kRepeatLabel = 1130, kRepeat = 1125;
constexpr int kMediaCombo = 1128, kFunctionCombo = 1129;
constexpr int kApply = 1015, kOk = 1, kCancel = 2;
}  // namespace id

struct Caption {
    int id;
    const char* key;
    bool tooltip;  // the text is (also) the tooltip
};
constexpr Caption kButtonTexts[] = {
    {id::kKeyTab, kTextSingleKey, false},
    {id::kMacroTab, kTextMacroSetting, false},
    {id::kMediaTab, kTextMultiMedia, false},
    {id::kFunctionTab, kTextFunctionKey, false},
    {id::kDeleteAction, kTextActionDelete, true},
    {id::kClearActions, kTextActionClear, true},
    {id::kTop, kTextActionTop, true},
    {id::kUp, kTextActionUp, true},
    {id::kDown, kTextActionDown, true},
    {id::kBottom, kTextActionBottom, true},
    {id::kApply, kTextMacroApply, false},
    {id::kOk, kTextMacroOk, false},
    {id::kCancel, kTextMacroCancel, false},
};
constexpr Caption kLabelTexts[] = {
    {id::kSingleHint, kTextSingleStatic, false},
    {id::kMediaHint, kTextMediaEditHint, false},
    {id::kFunctionHint, kTextFunctionHint, false},
    {id::kNameLabel, kTextMacroNameSetting, false},
    {id::kKeyboardLabel, kTextMacroKeyboardKey, false},
    {id::kMouseLabel, kTextMacroMouseKey, false},
    {id::kDelaysLabel, kTextRecordDelay, false},
    {id::kRepeatLabel, kTextMacroCycles, false},
};

// Which controls each page shows; the rest of the page area belongs to the other pages.
constexpr int kMacroPageIds[] = {
    id::kNameLabel,   id::kMacroCombo,  id::kAdd,          id::kDelete,
    id::kActionList,  id::kRecord,      id::kDeleteAction, id::kClearActions,
    id::kTop,         id::kUp,          id::kDown,         id::kBottom,
    id::kDelaysCheck, id::kDelaysLabel, id::kRepeatLabel,  id::kRepeat};
constexpr int kKeyPageIds[] = {id::kKeyboardCheck, id::kKeyboardLabel, id::kKeyEdit,
                               id::kMouseCheck,    id::kMouseLabel,    id::kMouseCombo};
constexpr int kActionButtonIds[] = {id::kRecord, id::kDeleteAction, id::kClearActions, id::kTop,
                                    id::kUp,     id::kDown,         id::kBottom};

constexpr char kLabelStyle[] = "color: #e6e8eb; font-family: 'DejaVu Sans'; font-size: 12px;";
constexpr char kHintStyle[] = "color: #9aa0a8; font-family: 'DejaVu Sans'; font-size: 12px;";
constexpr char kCheckStyle[] =
    "QCheckBox::indicator { width: 16px; height: 16px; border: 1px solid #3a3f48;"
    " border-radius: 8px; background: #2b2f37; }"
    "QCheckBox::indicator:checked { background: #22c1c3; border-color: #22c1c3; }"
    "QCheckBox::indicator:disabled { background: #1f2228; }";
constexpr char kListStyle[] =
    "QTableWidget { background: #1f2228; color: #e6e8eb; gridline-color: #3a3f48;"
    " border: 1px solid #3a3f48; selection-background-color: #22c1c3;"
    " selection-color: #16181d; font-family: 'DejaVu Sans'; font-size: 11px; }"
    "QTableWidget::item { border: none; padding-left: 4px; }"
    "QHeaderView::section { background: #2b2f37; color: #9aa0a8; border: none;"
    " border-right: 1px solid #3a3f48; padding: 3px 6px; font-family: 'DejaVu Sans';"
    " font-size: 11px; }";
constexpr char kKeyEditStyle[] =
    "QLineEdit { color: #e6e8eb; background: #2b2f37; border: 1px solid #3a3f48;"
    " border-radius: 4px; padding: 2px 8px; font-family: 'DejaVu Sans'; font-size: 18px; }"
    "QLineEdit:focus { border-color: #22c1c3; }"
    "QLineEdit:disabled { color: #5c626b; }";
const QColor kRecordedText(0x9a, 0xa0, 0xa8);
const QColor kText(0xe6, 0xe8, 0xeb);

// The combo's edit accepts a little more than a name holds; the editor cuts it.
constexpr int kNameEditLimit = 259;

const char* LookSetOf(CompositePage page, bool macroOnly) {
    if (macroOnly) return "macro2";
    switch (page) {
        case CompositePage::Macro:
            return "macro";
        case CompositePage::Media:
            return "media";
        case CompositePage::Function:
            return "function";
        case CompositePage::Key:
            break;
    }
    return "key";
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void FillCombo(QComboBox& combo, const std::vector<std::string>& names) {
    const QSignalBlocker block(&combo);
    const int keep = combo.currentIndex();
    combo.clear();
    for (const std::string& n : names) combo.addItem(Q(n));
    if (keep >= 0 && keep < combo.count()) combo.setCurrentIndex(keep);
}

bool SameRow(const ActionRow& a, const ActionRow& b) {
    return a.recorded == b.recorded && a.action.delayMs == b.action.delayMs &&
           a.action.keyCode == b.action.keyCode && a.action.release == b.action.release;
}

KeyTransition TransitionOf(const QKeyEvent& e) {
    if (e.isAutoRepeat()) return KeyTransition::AutoRepeat;
    return e.type() == QEvent::KeyRelease ? KeyTransition::Release : KeyTransition::Press;
}

}  // namespace

CVorlin_DlgComposite::CVorlin_DlgComposite(AppCore& core, StoreContext& store, CompositeHost& host,
                                           QWidget* parent)
    : CBaseDialog(core.paths.compositeSkin, core.paths.skinFolder, parent),
      core_(core),
      store_(store),
      editor_(store, host),
      languageIndex_(core.languageIndex),
      openHelp_([this] { OpenHelpPage(core_.paths); }) {
    setObjectName("COMPOSITE");
    setModal(true);
    LoadSkinOrExit();
    Build();
    title_ = MakeDialogTitle(*this);
    ApplyLanguage(languageIndex_);
}

CVorlin_DlgComposite::~CVorlin_DlgComposite() {
    qApp->removeEventFilter(this);
}

void CVorlin_DlgComposite::Build() {
    const WindowSkin& skin = SkinOf(SkinWindow::Composite);
    for (const LookSet& set : skin.lookSets)
        looks_[std::string(set.name)] = LoadLookSet(set, core_.paths.skinFolder);
    const ButtonTextColours white = {Qt::white, Qt::white, Qt::white, QColor(0x9a, 0xa0, 0xa8),
                                     Qt::white};
    for (const SkinControl& c : skin.controls) {
        const QString name = QString::fromUtf8(c.key.data(), static_cast<int>(c.key.size()));
        QWidget* w = nullptr;
        // The background carries the page panel; a button cut from a page picture would show
        // the other pages' controls through the hidden ones.
        if (c.id == id::kPageBack) continue;
        if (c.placement == Placement::ImageButton) {
            auto* b = new CPngButton(this);
            ButtonImageSet set;
            const ButtonImageSet& key = looks_.at("key");
            for (size_t i = 0; i < set.size(); ++i) set[i] = key[static_cast<size_t>(c.looks[i])];
            b->setObjectName(name);
            PlaceImageButton(*b, LayoutFile(), kLayoutSection, c.key, set);
            b->SetTextStyle(true, 10, "DejaVu Sans", white);
            b->setFocusPolicy(Qt::NoFocus);
            const int cid = c.id;
            if (cid == id::kTitle) {
                b->setAttribute(Qt::WA_TransparentForMouseEvents);  // a picture, not a button
            } else {
                connect(b, &QAbstractButton::clicked, this, [this, cid] { OnCommand(cid); });
            }
            buttons_[cid] = b;
            controls_[cid] = b;
            continue;
        }
        switch (c.kind) {
            case ControlKind::Check: {
                auto* box = new QCheckBox(this);
                box->setStyleSheet(kCheckStyle);
                box->setFocusPolicy(Qt::NoFocus);
                const int cid = c.id;
                connect(box, &QCheckBox::clicked, this, [this, cid] { OnCommand(cid); });
                checks_[cid] = box;
                w = box;
                break;
            }
            case ControlKind::Combo: {
                auto* combo = new QComboBox(this);
                combo->setStyleSheet(kComboStyle);
                combo->setMaxVisibleItems(12);
                const int cid = c.id;
                if (cid == id::kMacroCombo) {
                    macroCombo_ = combo;
                    combo->setEditable(true);
                    combo->setInsertPolicy(QComboBox::NoInsert);
                    combo->lineEdit()->setMaxLength(kNameEditLimit);
                    combo->lineEdit()->setStyleSheet(kEditStyle);
                    connect(combo, &QComboBox::activated, this, [this](int index) {
                        if (syncing_ || index == editor_.selectedMacro()) return;
                        editor_.SelectMacro(index);
                        Sync();
                    });
                    connect(combo->lineEdit(), &QLineEdit::editingFinished, this, [this] {
                        if (syncing_ || !macroCombo_->lineEdit()->isModified()) return;
                        macroCombo_->lineEdit()->setModified(false);
                        editor_.TypeMacroName(macroCombo_->lineEdit()->text().toStdU16String());
                        Sync();
                    });
                } else {
                    combo->setFocusPolicy(Qt::NoFocus);
                    connect(combo, &QComboBox::activated, this, [this, cid](int index) {
                        if (syncing_) return;
                        if (cid == id::kMouseCombo) editor_.SelectMouse(index);
                        if (cid == id::kMediaCombo) editor_.SelectMedia(index);
                        if (cid == id::kFunctionCombo) editor_.SelectFunction(index);
                        Sync();
                    });
                }
                combos_[cid] = combo;
                w = combo;
                break;
            }
            case ControlKind::Edit: {
                auto* edit = new QLineEdit(this);
                if (c.id == id::kKeyEdit) {
                    keyEdit_ = edit;
                    // Shows the captured key; the key events go to the editor, not the text.
                    edit->setReadOnly(true);
                    edit->setFocusPolicy(Qt::NoFocus);
                    edit->setStyleSheet(kKeyEditStyle);
                    edit->setAlignment(Qt::AlignCenter);
                } else {
                    repeat_ = edit;
                    edit->setStyleSheet(kEditStyle);
                    edit->setMaxLength(8);
                    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
                        const std::string shown = editor_.SetRepeatText(text.toStdString());
                        if (Q(shown) != text) repeat_->setText(Q(shown));
                        Sync();
                    });
                }
                w = edit;
                break;
            }
            case ControlKind::List: {
                actions_ = new QTableWidget(0, 3, this);
                w = actions_;
                break;
            }
            default: {
                auto* label = new QLabel(this);
                const bool hint = c.id == id::kSingleHint || c.id == id::kMediaHint ||
                                  c.id == id::kFunctionHint || c.id == id::kHeading;
                label->setStyleSheet(hint ? kHintStyle : kLabelStyle);
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                label->setWordWrap(false);
                labels_[c.id] = label;
                w = label;
                break;
            }
        }
        w->setObjectName(name);
        PlaceControl(*w, LayoutFile(), kLayoutSection, c.key);
        controls_[c.id] = w;
    }
    if (!actions_) actions_ = new QTableWidget(0, 3, this);
    actions_->setSelectionBehavior(QAbstractItemView::SelectRows);
    actions_->setSelectionMode(QAbstractItemView::SingleSelection);
    actions_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    actions_->verticalHeader()->hide();
    actions_->verticalHeader()->setDefaultSectionSize(20);
    actions_->horizontalHeader()->setHighlightSections(false);
    actions_->horizontalHeader()->setStretchLastSection(true);
    actions_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    actions_->setShowGrid(false);
    actions_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    actions_->setWordWrap(false);
    actions_->setFocusPolicy(Qt::NoFocus);
    actions_->setStyleSheet(kListStyle);
    // The headings' widths are for a small font; key names need more room than the arrows.
    const int room = actions_->width() - 4;
    actions_->setColumnWidth(static_cast<int>(ActionColumn::Key), room * 46 / 100);
    actions_->setColumnWidth(static_cast<int>(ActionColumn::State), room * 22 / 100);
    connect(actions_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (syncing_) return;
        editor_.SelectAction(row);
    });
    connect(actions_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { EditCell(row, column); });
}

CPngButton* CVorlin_DlgComposite::Button(int cid) const {
    auto it = buttons_.find(cid);
    return it == buttons_.end() ? nullptr : it->second;
}

QComboBox* CVorlin_DlgComposite::Combo(int cid) const {
    auto it = combos_.find(cid);
    return it == combos_.end() ? nullptr : it->second;
}

QCheckBox* CVorlin_DlgComposite::Check(int cid) const {
    auto it = checks_.find(cid);
    return it == checks_.end() ? nullptr : it->second;
}

QString CVorlin_DlgComposite::Text(const char* key) const {
    return Q(LookupText(core_.texts, key, languageIndex_));
}

void CVorlin_DlgComposite::ApplyLanguage(int languageIndex) {
    languageIndex_ = languageIndex;
    for (const Caption& c : kButtonTexts)
        if (CPngButton* b = Button(c.id)) {
            b->SetCaption(Text(c.key));
            if (c.tooltip) b->SetTooltip(Text(c.key));
        }
    if (CPngButton* b = Button(id::kRecord)) b->SetTooltip(Text(kTextActionRecord));
    if (CPngButton* b = Button(id::kClear)) b->SetTooltip(Text(kTextCompositePromptClear));
    if (CPngButton* b = Button(id::kOsk)) b->SetTooltip(Text(kTextCompositePromptOsk));
    for (const Caption& c : kLabelTexts)
        if (auto it = labels_.find(c.id); it != labels_.end()) it->second->setText(Text(c.key));
    // The check boxes carry no text of their own: their labels stand beside them.
    for (auto [box, label] : {std::pair{id::kKeyboardCheck, kTextMacroKeyboardKey},
                              std::pair{id::kMouseCheck, kTextMacroMouseKey},
                              std::pair{id::kDelaysCheck, kTextRecordDelay}})
        if (QCheckBox* b = Check(box)) b->setAccessibleName(Text(label));
    if (repeat_) repeat_->setAccessibleName(Text(kTextMacroCycles));
    if (macroCombo_) macroCombo_->setAccessibleName(Text(kTextMacroNameSetting));
    if (keyEdit_) keyEdit_->setAccessibleName(Text(kTextSingleKey));
    shownRows_.clear();  // the key names are the language's
    QStringList titles;
    for (const ActionColumnHeading& h : ActionColumnHeadings()) titles << Text(h.textKey);
    actions_->setHorizontalHeaderLabels(titles);
    if (QComboBox* c = Combo(id::kMouseCombo)) {
        FillCombo(*c, MouseChoiceNames(core_.texts, languageIndex_));
        c->setAccessibleName(Text(kTextMacroMouseKey));
    }
    if (QComboBox* c = Combo(id::kMediaCombo)) {
        FillCombo(*c, MediaChoiceNames(core_.texts, languageIndex_));
        c->setAccessibleName(Text(kTextMultiMedia));
    }
    if (QComboBox* c = Combo(id::kFunctionCombo)) {
        FillCombo(*c, FunctionChoiceNames(core_.texts, languageIndex_));
        c->setAccessibleName(Text(kTextFunctionKey));
    }
    setWindowTitle(Text(kTextMainCaption));
    title_->setText(windowTitle());
    Sync();
}

bool CVorlin_DlgComposite::Begin(KeyIndex entry, int controlId, bool macroOnly,
                                 const QRect& button) {
    if (!editor_.Open(entry, controlId, macroOnly, PanelTable(GetActiveProfile(store_))))
        return false;
    recordToggled_ = false;
    lastInputMs_ = 0;
    qApp->installEventFilter(this);
    Sync();
    const QRect screen = screen_ ? screen_(button) : [&] {
        QScreen* s = QGuiApplication::screenAt(button.center());
        if (!s) s = QGuiApplication::primaryScreen();
        return s ? s->availableGeometry() : QRect(0, 0, 1366, 768);
    }();
    const ScreenPoint at = PlaceCompositeDialog(
        {button.x(), button.y(), button.width(), button.height()}, width(), height(),
        {screen.x(), screen.y(), screen.width(), screen.height()}, controlId == kMacroEditButtonId);
    move(at.x, at.y);
    return true;
}

int CVorlin_DlgComposite::OpenFor(KeyIndex entry, int controlId, bool macroOnly,
                                  const QRect& button) {
    if (!Begin(entry, controlId, macroOnly, button)) return QDialog::Rejected;
    return exec();
}

void CVorlin_DlgComposite::CloseIfOpen() {
    if (isVisible())
        reject();
    else
        done(QDialog::Rejected);
}

void CVorlin_DlgComposite::done(int result) {
    EndCellEdit();
    editor_.CloseIfOpen();  // OK has applied and closed already; anything else cancels
    qApp->removeEventFilter(this);
    UpdateGrab();
    if (isVisible()) CBaseDialog::done(result);
}

void CVorlin_DlgComposite::showEvent(QShowEvent* event) {
    CBaseDialog::showEvent(event);
    UpdateGrab();  // the single-key page captures from the moment the editor shows
}

void CVorlin_DlgComposite::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return;  // only the buttons close the editor
        case Qt::Key_F1:
            if (!editor_.recording() && openHelp_) openHelp_();
            return;
        default:
            CBaseDialog::keyPressEvent(event);
    }
}

bool CVorlin_DlgComposite::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool pointer = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease;
    const bool shortcut = type == QEvent::ShortcutOverride;
    if (!key && !pointer && !shortcut) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget))) return false;
    auto* input = static_cast<QInputEvent*>(event);
    if (input->timestamp() != 0) lastInputMs_ = input->timestamp();
    const bool listening = editor_.captureActive() || editor_.recording();
    if (!listening || pointer) return false;
    // No shortcut takes a key the editor wants.
    if (shortcut) {
        event->accept();
        return false;
    }
    // A key event that is passed on reaches this filter again for each parent it travels to:
    // only its first receiver counts.
    auto* e = static_cast<QKeyEvent*>(event);
    const uint32_t scan = e->nativeScanCode();
    const PassedKey seen{e, static_cast<int>(type), scan, e->timestamp()};
    if (seen == passed_) return false;
    const KeyInput in{scan >= 8 ? scan - 8 : 0, TransitionOf(*e), e->timestamp()};
    const bool wasRecording = editor_.recording();
    const KeyVerdict verdict = editor_.OnKey(in);
    if (verdict == KeyVerdict::Pass) {
        passed_ = seen;
        return false;
    }
    passed_ = {};
    if (wasRecording)
        ShowActions();
    else
        Sync();
    return true;
}

void CVorlin_DlgComposite::UpdateGrab() {
    const bool want = isVisible() && (editor_.captureActive() || editor_.recording());
    if (want == grabbing_) return;
    grabbing_ = want;
    if (want)
        grabKeyboard();
    else
        releaseKeyboard();
}

void CVorlin_DlgComposite::OnCommand(int cid) {
    // A name typed and not yet committed belongs to the macro before anything else happens.
    if (macroCombo_ && macroCombo_->lineEdit()->isModified() && cid != id::kCancel) {
        macroCombo_->lineEdit()->setModified(false);
        editor_.TypeMacroName(macroCombo_->lineEdit()->text().toStdU16String());
    }
    if (cid != id::kApply && cid != id::kOk) EndCellEdit();
    switch (cid) {
        case id::kKeyTab:
            editor_.PressPageButton(CompositePage::Key);
            break;
        case id::kMacroTab:
            editor_.PressPageButton(CompositePage::Macro);
            break;
        case id::kMediaTab:
            editor_.PressPageButton(CompositePage::Media);
            break;
        case id::kFunctionTab:
            editor_.PressPageButton(CompositePage::Function);
            break;
        case id::kClear:
            editor_.Clear();
            break;
        case id::kOsk:
            StartOnScreenKeyboard();
            break;
        case id::kKeyboardCheck:
            editor_.Choose(KeyChoice::Keyboard);
            break;
        case id::kMouseCheck:
            editor_.Choose(KeyChoice::Mouse);
            break;
        case id::kDelaysCheck:
            editor_.ToggleRecordDelays();
            break;
        case id::kAdd:
            editor_.AddMacro();
            break;
        case id::kDelete:
            editor_.DeleteMacro();
            break;
        case id::kRecord:
            editor_.ToggleRecord(lastInputMs_);
            recordToggled_ = true;
            break;
        case id::kDeleteAction:
            editor_.DeleteAction();
            break;
        case id::kClearActions:
            editor_.ClearActions();
            break;
        case id::kTop:
            editor_.MoveAction(ActionMove::Top);
            break;
        case id::kUp:
            editor_.MoveAction(ActionMove::Up);
            break;
        case id::kDown:
            editor_.MoveAction(ActionMove::Down);
            break;
        case id::kBottom:
            editor_.MoveAction(ActionMove::Bottom);
            break;
        case id::kApply:
            EndCellEdit();
            editor_.Apply();
            break;
        case id::kOk:
            EndCellEdit();
            editor_.Ok();
            accept();
            return;
        case id::kCancel:
            reject();
            return;
        default:
            break;
    }
    Sync();
}

void CVorlin_DlgComposite::StartOnScreenKeyboard() {
    const char* path = std::getenv("PATH");
    const auto osk = FindOnScreenKeyboard(path ? path : "");
    if (!osk || !QProcess::startDetached(QString::fromStdString(osk->string()), {}))
        store_.prompter.Ask(kTextCompositeOskMissing, PromptButtons::Ok);
}

void CVorlin_DlgComposite::ShowMacroList() {
    const auto& macros = editor_.macros();
    const int selected = editor_.selectedMacro();
    bool same = macroCombo_->count() == static_cast<int>(macros.size());
    for (int i = 0; same && i < macroCombo_->count(); ++i)
        same = macroCombo_->itemText(i).toStdU16String() == macros[static_cast<size_t>(i)].Name();
    if (!same) {
        macroCombo_->clear();
        for (const MacroRecord& m : macros) {
            const std::u16string_view name = m.Name();
            macroCombo_->addItem(
                QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())));
        }
    }
    macroCombo_->setCurrentIndex(selected);
    if (selected < 0) macroCombo_->setEditText({});
    macroCombo_->lineEdit()->setModified(false);
}

void CVorlin_DlgComposite::ShowActions() {
    const bool was = syncing_;
    syncing_ = true;
    const auto& rows = editor_.actions().rows();
    actions_->setRowCount(static_cast<int>(rows.size()));
    // Only the rows that changed: a recording shows the list again at every key.
    shownRows_.resize(rows.size());
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ActionRow& row = rows[static_cast<size_t>(r)];
        std::optional<ActionRow>& shown = shownRows_[static_cast<size_t>(r)];
        if (shown && SameRow(*shown, row)) continue;
        shown = row;
        const ActionRowTexts texts = RowTexts(core_.texts, languageIndex_, row);
        const std::string cells[] = {texts.key, texts.state, texts.delay};
        for (int c = 0; c < 3; ++c) {
            QTableWidgetItem* item = actions_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem();
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                actions_->setItem(r, c, item);
            }
            item->setText(Q(cells[c]));
            item->setForeground(row.recorded ? kRecordedText : kText);
        }
    }
    const int selected = editor_.actions().selected();
    if (selected >= 0) {
        actions_->selectRow(selected);
        actions_->scrollToItem(actions_->item(selected, 0));
    } else {
        actions_->clearSelection();
    }
    syncing_ = was;
}

void CVorlin_DlgComposite::Sync() {
    if (syncing_) return;
    syncing_ = true;
    const bool open = editor_.isOpen();
    const CompositePage page = editor_.shownPage();
    const bool macroOnly = editor_.macroOnly();

    const std::string look = LookSetOf(page, macroOnly);
    if (look != lookShown_) {
        lookShown_ = look;
        const ButtonImageSet& set = looks_.at(look);
        for (const SkinControl& c : SkinOf(SkinWindow::Composite).controls) {
            CPngButton* b = Button(c.id);
            if (!b) continue;
            ButtonImageSet images;
            for (size_t i = 0; i < images.size(); ++i)
                images[i] = set[static_cast<size_t>(c.looks[i])];
            b->SetImageSet(images);
        }
    }
    const std::pair<int, CompositePage> tabs[] = {{id::kKeyTab, CompositePage::Key},
                                                  {id::kMacroTab, CompositePage::Macro},
                                                  {id::kMediaTab, CompositePage::Media},
                                                  {id::kFunctionTab, CompositePage::Function}};
    for (const auto& [tab, p] : tabs)
        if (CPngButton* b = Button(tab)) {
            b->SetSelected(open && p == page);
            b->setEnabled(p == CompositePage::Macro || editor_.otherPagesEnabled());
        }
    for (int cid : {id::kTitle, id::kClear})
        if (CPngButton* b = Button(cid)) b->setEnabled(editor_.otherPagesEnabled());
    if (auto it = labels_.find(id::kHeading); it != labels_.end())
        it->second->setText(Text(editor_.headingTextKey()));

    auto show = [this](int cid, bool on) {
        if (auto it = controls_.find(cid); it != controls_.end()) it->second->setVisible(on);
    };
    for (int cid : kMacroPageIds) show(cid, page == CompositePage::Macro);
    for (int cid : kKeyPageIds) show(cid, page == CompositePage::Key);
    const bool hints = editor_.hintsVisible();
    show(id::kSingleHint, hints && page == CompositePage::Key);
    show(id::kMediaHint, hints && page == CompositePage::Media);
    show(id::kFunctionHint, hints && page == CompositePage::Function);
    show(id::kMediaCombo, page == CompositePage::Media);
    show(id::kFunctionCombo, page == CompositePage::Function);

    // Single-key page.
    const bool keyboard = editor_.choice() == KeyChoice::Keyboard;
    if (QCheckBox* c = Check(id::kKeyboardCheck)) c->setChecked(keyboard);
    if (QCheckBox* c = Check(id::kMouseCheck)) c->setChecked(!keyboard);
    if (keyEdit_) {
        keyEdit_->setText(Q(editor_.keyEditText()));
        keyEdit_->setEnabled(keyboard);
    }
    if (QComboBox* c = Combo(id::kMouseCombo)) {
        c->setCurrentIndex(editor_.mouseIndex());
        c->setEnabled(!keyboard);
    }
    if (QComboBox* c = Combo(id::kMediaCombo)) c->setCurrentIndex(editor_.mediaIndex());
    if (QComboBox* c = Combo(id::kFunctionCombo)) c->setCurrentIndex(editor_.functionIndex());

    // Macro page.
    if (macroCombo_) {
        ShowMacroList();
        macroCombo_->setEnabled(editor_.listControlsEnabled());
    }
    for (int cid : {id::kAdd, id::kDelete})
        if (CPngButton* b = Button(cid)) b->setEnabled(editor_.listControlsEnabled());
    for (int cid : kActionButtonIds)
        if (CPngButton* b = Button(cid)) b->setEnabled(editor_.actionButtonsEnabled());
    if (CPngButton* b = Button(id::kRecord)) {
        b->SetCaption(Text(recordToggled_ ? editor_.recordCaptionKey() : kTextActionRecord));
        b->SetSelected(editor_.recording());
    }
    if (QCheckBox* c = Check(id::kDelaysCheck)) c->setChecked(editor_.recordDelays() == 1);
    if (repeat_ && repeat_->text().toStdString() != editor_.repeatText())
        repeat_->setText(Q(editor_.repeatText()));
    if (repeat_) repeat_->setEnabled(editor_.actionButtonsEnabled());
    ShowActions();

    if (CPngButton* b = Button(id::kApply)) b->setEnabled(editor_.dirty());
    syncing_ = false;
    UpdateGrab();
}

void CVorlin_DlgComposite::EditCell(int row, int column) {
    EndCellEdit();
    editor_.SelectAction(row);
    const CellEditor kind = editor_.BeginCellEdit(row, column);
    Sync();
    if (kind == CellEditor::None) return;
    const QRect cell = actions_->visualRect(actions_->model()->index(row, column));
    QWidget* parent = actions_->viewport();
    if (kind == CellEditor::DelayEdit) {
        auto* edit = new QLineEdit(parent);
        edit->setStyleSheet(kEditStyle);
        edit->setGeometry(cell);
        edit->setText(actions_->item(row, column)->text());
        edit->selectAll();
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, row] {
            if (cellEditor_ != edit) return;
            cellEditor_ = nullptr;
            editor_.SetActionDelay(row, edit->text().toStdString());
            edit->deleteLater();
            Sync();
        });
        cellEditor_ = edit;
        edit->show();
        edit->setFocus();
        return;
    }
    auto* combo = new QComboBox(parent);
    combo->setStyleSheet(kComboStyle);
    combo->setGeometry(cell.adjusted(0, 0, kind == CellEditor::KeyList ? 60 : 20, 0));
    const MacroAction& action = editor_.actions().rows()[static_cast<size_t>(row)].action;
    if (kind == CellEditor::KeyList) {
        FillCombo(*combo, KeyCellChoices(core_.texts, languageIndex_));
        combo->setCurrentIndex(DisplayIdOf(action.keyCode));
    } else {
        combo->addItem(Q(ActionStateText(0)));
        combo->addItem(Q(ActionStateText(1)));
        combo->setCurrentIndex(action.release ? 1 : 0);
    }
    connect(combo, &QComboBox::activated, this, [this, combo, row, kind](int index) {
        if (cellEditor_ != combo) return;
        cellEditor_ = nullptr;
        if (kind == CellEditor::KeyList)
            editor_.SetActionKey(row, static_cast<uint16_t>(index));
        else
            editor_.SetActionState(row, static_cast<uint16_t>(index));
        combo->deleteLater();
        Sync();
    });
    cellEditor_ = combo;
    combo->show();
    combo->showPopup();
}

void CVorlin_DlgComposite::EndCellEdit() {
    QWidget* w = cellEditor_;
    if (!w) return;
    cellEditor_ = nullptr;
    // A typed delay counts when the edit ends some other way than Enter.
    if (auto* edit = qobject_cast<QLineEdit*>(w); edit && edit->isModified()) {
        const int row = editor_.actions().selected();
        editor_.SetActionDelay(row, edit->text().toStdString());
    }
    w->hide();
    w->deleteLater();
}

}  // namespace vorlin
