// The lighting panel's widgets: they show what the panel's decisions say and forward events.
#include "ui/qt/lighting_panel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>

#include "skin/language.h"
#include "skin/qt/bitmap_slider.h"
#include "skin/qt/skin_color_button.h"
#include "skin/qt/skin_image.h"
#include "skin/qt/skin_placement.h"
#include "skin/skin_layout.h"
#include "ui/keyboard_layout.h"
#include "ui/qt/dialog_support.h"

namespace vorlin {
namespace {

constexpr int kUserModeNameLimit = 259;
constexpr char kOtherColour[] = "other";

// One of the panel's .bmp pictures, clickable where the panel listens.
class PictureButton : public QAbstractButton {
  public:
    explicit PictureButton(QWidget* parent) : QAbstractButton(parent) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }
    void SetPicture(const QPixmap& picture) {
        if (picture.cacheKey() == picture_.cacheKey()) return;
        picture_ = picture;
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawPixmap(rect(), picture_);
    }

  private:
    QPixmap picture_;
};

QColor ToQColor(Rgb c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
int ToWell(Rgb c) {
    return int(ToQColor(c).rgb() & 0xFFFFFFu);
}
Rgb FromQColor(const QColor& c) {
    return MakeRgb(c.red(), c.green(), c.blue());
}

QString Qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

LightingPanel::LightingPanel(QWidget* window, Context ctx, ButtonLookup buttons, Hooks hooks,
                             std::vector<int> keyIds, PreviewRandom* random)
    : QObject(window),
      ctx_(ctx),
      buttons_(std::move(buttons)),
      hooks_(std::move(hooks)),
      logic_(ctx.model, LightingContext{ctx.link, ctx.paths, ctx.iniLock},
             LightingPanelHooks{hooks_.showKeyboardProfile}),
      keyIds_(keyIds.empty() ? PictureControlIds() : std::move(keyIds)),
      window_(window) {
    if (!random) {
        ownRandom_ = std::make_unique<ClockSeededRandom>();
        random = ownRandom_.get();
    }
    engine_ = std::make_unique<PreviewEngine>(keyIds_, *random);
    Create(window);
    ApplyLanguage(ctx_.languageIndex);
}

LightingPanel::~LightingPanel() = default;

const QPixmap& LightingPanel::Picture(std::string_view name) {
    auto it = pictures_.find(name);
    if (it == pictures_.end())
        it = pictures_
                 .emplace(std::string(name),
                          SkinImageOrExit(
                              LoadSkinImage(ctx_.paths.skinFolder, name, SkinDevicePixelRatio())))
                 .first;
    return it->second;
}

void LightingPanel::Create(QWidget* window) {
    const WindowSkin& skin = SkinOf(SkinWindow::Main);
    const auto& layout = ctx_.paths.mainSkin;
    // Every picture once, at start: a missing one stops the program here, not at a click.
    for (const SkinPicture& p : skin.images)
        if (p.role == ImageRole::Picture) Picture(p.file);

    for (const LightingControl& c : LightingPanelControls()) {
        const SkinControl* s = FindSkinControl(skin, c.key);
        if (!s) continue;
        QWidget* w = nullptr;
        const int id = c.id;
        switch (s->kind) {
            case ControlKind::Picture: {
                auto* p = new PictureButton(window);
                if (id)
                    connect(p, &QAbstractButton::clicked, this, [this, id] { ClickPicture(id); });
                w = p;
                break;
            }
            case ControlKind::Slider: {
                auto* slider = new CBitmapSlider(id, window);
                const bool isBrightness = id == lightctl::kBrightness;
                slider->Init(Picture(isBrightness ? BrightnessTrackImage(0) : SpeedTrackImage(0)));
                slider->SetRange(0, kSliderPositions - 1);
                slider->SetPageSize(10);
                // Queued: a handler that writes to the keyboard must not run inside the
                // slider's own event.
                connect(slider, &CBitmapSlider::notified, this, &LightingPanel::SliderNotified,
                        Qt::QueuedConnection);
                (isBrightness ? brightness_ : speed_) = slider;
                w = slider;
                break;
            }
            case ControlKind::ColourButton: {
                auto* b = new CSkinColorBtn(window);
                b->SetColumnsNumber(10);
                b->SetAutomaticColor(Qt::red);
                b->EnableOtherButton(kOtherColour);
                if (id)
                    connect(b, &CSkinColorBtn::colorChosen, this,
                            [this, id](int rgb) { ColourChosen(id, rgb); });
                w = b;
                break;
            }
            case ControlKind::Combo: {
                auto* combo = new QComboBox(window);
                combo->setStyleSheet(kComboStyle);
                if (id == lightctl::kModeList) {
                    modeList_ = combo;
                    connect(combo, &QComboBox::currentIndexChanged, this,
                            &LightingPanel::ModeChosen);
                } else {
                    userModes_ = combo;
                    combo->setEditable(true);
                    combo->setInsertPolicy(QComboBox::NoInsert);
                    combo->lineEdit()->setMaxLength(kUserModeNameLimit);
                    connect(combo, &QComboBox::currentIndexChanged, this,
                            &LightingPanel::UserModeChosen);
                    connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                            &LightingPanel::UserModeEdited);
                }
                w = combo;
                break;
            }
            default: {
                auto* label = new QLabel(window);
                label->setStyleSheet(
                    "color: #e6e8eb; font-family: 'DejaVu Sans'; font-size: 12px;");
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                if (id == lightctl::kRgbText) label->setText("RGB");
                w = label;
                break;
            }
        }
        w->setObjectName(Qs(c.key));
        PlaceControl(*w, layout, kLayoutSection, c.key);
        w->setVisible(GroupVisible(c.group, 0, false));
        if (id) controls_[id] = w;
    }
}

QWidget* LightingPanel::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

bool LightingPanel::ViewOn() const {
    return ctx_.model.lightingView;
}

void LightingPanel::ApplyLanguage(int languageIndex) {
    ctx_.languageIndex = languageIndex;
    for (const LightingControl& c : LightingPanelControls()) {
        if (!c.caption) continue;
        const QString text =
            QString::fromStdString(LookupLightText(ctx_.texts, c.caption, languageIndex));
        if (auto* label = qobject_cast<QLabel*>(Control(c.id))) {
            label->setText(text);
            label->setAccessibleName(text);
        }
    }
    // The accessible names of the pictures and wells follow their captions.
    const std::pair<int, int> named[] = {
        {lightctl::kViewSwitch, lightctl::kViewCaption},
        {lightctl::kBrightness, lightctl::kBrightnessCaption},
        {lightctl::kSpeed, lightctl::kSpeedCaption},
        {lightctl::kFixedColour, lightctl::kFixedCaption},
        {lightctl::kEffectColour, lightctl::kEffectCaption},
        {lightctl::kFixedMulticolour, lightctl::kFixedMulticolourCaption},
        {lightctl::kEffectMulticolour, lightctl::kEffectMulticolourCaption},
        {lightctl::kFreeColour, lightctl::kFreeCaption},
        {lightctl::kBaseColour, lightctl::kBaseCaption},
    };
    for (auto [id, caption] : named)
        if (QWidget* w = Control(id))
            if (auto* label = qobject_cast<QLabel*>(Control(caption)))
                w->setAccessibleName(label->text());
    if (modeList_ && !ctx_.model.modeIndexTable.empty()) FillLists();
}

void LightingPanel::Refresh() {
    Apply(logic_.Refreshed());
}

void LightingPanel::SetLightingViewOff() {
    Apply(logic_.LightingViewOff());
}

void LightingPanel::ShowProfileLighting(int profile) {
    Apply(logic_.ShowProfileLighting(profile));
}

void LightingPanel::DefaultReset() {
    Apply(logic_.DefaultReset());
}

bool LightingPanel::OnKeyClick(int controlId) {
    if (!ViewOn()) return false;
    Apply(logic_.KeyClicked(controlId));
    return true;
}

bool LightingPanel::OnCommand(int id) {
    for (int report : lightctl::kReport) {
        if (id != report) continue;
        Apply(logic_.ReportRateClicked(id));
        return true;
    }
    return false;
}

void LightingPanel::ClickPicture(int id) {
    if (id == lightctl::kViewSwitch) {
        Apply(logic_.ToggleLightingView());
    } else if (id == lightctl::kDirectionFirst || id == lightctl::kDirectionSecond) {
        Apply(logic_.DirectionClicked(id));
    } else if (id == lightctl::kFixedMulticolour || id == lightctl::kEffectMulticolour) {
        Apply(logic_.MulticolourClicked());
    } else if (id == lightctl::kTool0 || id == lightctl::kTool1) {
        Apply(logic_.ToolClicked(id));
    } else {
        Apply(logic_.ColourChoiceClicked(id));
    }
}

void LightingPanel::SliderNotified(int id, int position) {
    Apply(logic_.SliderMoved(id, position));
}

void LightingPanel::ColourChosen(int id, int rgb) {
    QColor colour;
    if (rgb == CSkinColorBtn::kAutomatic) {
        if (auto* b = qobject_cast<CSkinColorBtn*>(Control(id))) colour = b->AutomaticColor();
    } else {
        colour = QColor::fromRgb(QRgb(rgb));
    }
    const Rgb c = FromQColor(colour);
    if (id == lightctl::kFreeColour)
        Apply(logic_.FreeColourPicked(c));
    else if (id == lightctl::kBaseColour)
        Apply(logic_.BaseColourPicked(c));
    else
        Apply(logic_.ColourPicked(id, c));
}

void LightingPanel::ModeChosen(int position) {
    if (!filling_) Apply(logic_.ChooseMode(position));
}

void LightingPanel::UserModeChosen(int entry) {
    if (!filling_) Apply(logic_.UserModeChosen(entry));
}

void LightingPanel::UserModeEdited(const QString& text) {
    const int entry = ctx_.model.userMode;
    if (!userModes_ || entry < 0 || entry >= userModes_->count()) return;
    const QString stored = QString::fromStdString(logic_.UserModeRenamed(text.toStdString()));
    // The entry takes the name as stored; the caret stays where the user is typing.
    QLineEdit* edit = userModes_->lineEdit();
    const int caret = edit->cursorPosition();
    const QSignalBlocker block(userModes_);
    userModes_->setItemText(entry, stored);
    if (edit->text() != stored) edit->setText(stored);
    edit->setCursorPosition(std::min(caret, int(stored.size())));
}

void LightingPanel::Apply(const PanelOutcome& o) {
    if (!o.changed) return;
    if (o.resetKeys) ResetKeyButtons();
    if (o.refillLists) FillLists();
    ShowState();
    if (o.paintUserColours) PaintUserColours();
    if (o.paintKey) Paint(o.paintKey->controlId, o.paintKey->colour);
    if (o.restartPreview) engine_->SelectMode();
    if (o.keyAssignmentView && hooks_.showKeyAssignments) hooks_.showKeyAssignments();
}

void LightingPanel::FillLists() {
    filling_ = true;
    LightingModel& m = ctx_.model;
    if (modeList_) {
        const QSignalBlocker block(modeList_);
        modeList_->clear();
        for (const std::string& name : ShowModeList(m, ctx_.texts, ctx_.languageIndex))
            modeList_->addItem(QString::fromStdString(name));
    }
    if (userModes_) {
        const QSignalBlocker block(userModes_);
        userModes_->clear();
        for (const std::string& name : m.userModeNames)
            userModes_->addItem(QString::fromStdString(name));
    }
    filling_ = false;
    ShowState();
}

void LightingPanel::ShowState() {
    const LightingModel& m = ctx_.model;
    const LightingPanelState s = DescribeLightingPanel(m);
    auto picture = [&](int id, std::string_view name) {
        if (auto* p = dynamic_cast<PictureButton*>(Control(id))) p->SetPicture(Picture(name));
    };
    auto well = [&](int id, Rgb colour) {
        if (auto* b = qobject_cast<CSkinColorBtn*>(Control(id))) {
            b->SetColor(ToWell(colour));
            b->SetAutomaticColor(ToQColor(colour));
        }
    };
    filling_ = true;
    picture(lightctl::kViewSwitch, s.viewImage);
    if (modeList_) {
        const QSignalBlocker block(modeList_);
        modeList_->setCurrentIndex(s.modePosition);
    }
    if (brightness_) {
        brightness_->SetPos(s.brightnessPosition);
        brightness_->SetTrackImage(Picture(s.brightnessTrack));
    }
    if (speed_) {
        speed_->SetPos(s.speedPosition);
        speed_->SetTrackImage(Picture(s.speedTrack));
    }
    picture(lightctl::kDirectionFirst, s.direction.first);
    picture(lightctl::kDirectionSecond, s.direction.second);
    const int directionIds[] = {lightctl::kDirectionCaption, lightctl::kDirectionFirst,
                                lightctl::kDirectionSecond};
    for (int i = 0; i < 3; ++i)
        if (QWidget* w = Control(directionIds[i]))
            MoveControlTo(*w, ctx_.paths.mainSkin, kLayoutSection, s.directionKeys[size_t(i)]);
    well(lightctl::kFixedColour, s.colour);
    well(lightctl::kEffectColour, s.colour);
    picture(lightctl::kFixedMulticolour, s.multicolourImage);
    picture(lightctl::kEffectMulticolour, s.multicolourImage);
    for (size_t i = 0; i < lightctl::kChoice.size(); ++i)
        picture(lightctl::kChoice[i], s.choiceImages[i]);
    picture(lightctl::kTool0, s.toolImages[0]);
    picture(lightctl::kTool1, s.toolImages[1]);
    well(lightctl::kFreeColour, s.freeColour);
    well(lightctl::kBaseColour, s.baseColour);
    if (userModes_ && userModes_->currentIndex() != s.userMode) {
        const QSignalBlocker block(userModes_);
        userModes_->setCurrentIndex(s.userMode < userModes_->count() ? s.userMode : -1);
    }
    for (size_t i = 0; i < lightctl::kReport.size(); ++i)
        if (CPngButton* b = buttons_(lightctl::kReport[i]))
            if (b->Selected() != (int(i) == s.reportRate)) b->SetSelected(int(i) == s.reportRate);
    for (const LightingControl& c : LightingPanelControls())
        if (QWidget* w = Control(c.id))
            w->setVisible(GroupVisible(c.group, m.mode, m.lightingView));
    filling_ = false;
}

void LightingPanel::ResetKeyButtons() {
    for (int id : keyIds_) {
        CPngButton* b = buttons_(id);
        if (!b) continue;
        const ButtonOutline& o = b->Outline();
        if (!o.on && !b->Selected()) continue;
        b->SetSelected(false, false);
        b->SetOutline(QColor::fromRgb(o.colour), o.strength, false);
    }
}

void LightingPanel::PaintUserColours() {
    for (const KeyPaint& p : UserColourPaints(ctx_.model, keyIds_)) Paint(p.controlId, p.colour);
}

void LightingPanel::Paint(int id, Rgb colour) {
    if (CPngButton* b = buttons_(id)) b->SetOutline(ToQColor(colour), kOutlineStrength, true);
}

void LightingPanel::PreviewStep() {
    if (!engine_->Tick(PreviewSettingsOf(ctx_.model), ctx_.model.lightingView)) return;
    if (!window_ || !window_->isVisible() || window_->isMinimized()) return;
    if (keyButtons_.empty())
        for (int id : keyIds_) keyButtons_.push_back(buttons_(id));
    const auto frame = engine_->Frame();
    for (size_t i = 0; i < frame.size() && i < keyButtons_.size(); ++i) {
        CPngButton* b = keyButtons_[i];
        if (!b) continue;
        const KeyOutline& k = frame[i];
        const ButtonOutline& now = b->Outline();
        if (k.op == KeyOutline::kOutline) {
            const QColor c = ToQColor(k.colour);
            // A button already showing this outline needs no second paint.
            if (now.on && now.strength == kOutlineStrength && now.colour == (c.rgb() & 0xFFFFFFu))
                continue;
            b->SetOutline(c, kOutlineStrength, true);
        } else if (k.op == KeyOutline::kClear && (now.on || b->Selected())) {
            b->SetSelected(false, false);
            b->SetOutline(QColor::fromRgb(now.colour), now.strength, false);
        }
    }
}

}  // namespace vorlin
