// The lighting panel of the main window: its controls, laid out from "Main.ini", forwarding every
// event to the panel's decisions and showing the model, and the preview painted on the key
// buttons of the keyboard picture.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/qt/png_button.h"
#include "ui/lighting_panel_logic.h"
#include "ui/preview_engine.h"

class QComboBox;
class QLabel;
class QWidget;

namespace vorlin {

class CBitmapSlider;
class CSkinColorBtn;
class LanguageCache;

class LightingPanel : public QObject {
    Q_OBJECT
  public:
    struct Context {
        DeviceLink& link;
        const AppPaths& paths;  // skinFolder, mainSkin, the user files
        const LanguageCache& texts;
        IniLock& iniLock;
        LightingModel& model;
        int languageIndex = 0;
    };
    struct Hooks {
        // Asked before the view is turned on; false keeps it off. None: always allowed.
        std::function<bool()> showKeyboardProfile;
        // The view went off: the keyboard picture shows the key assignments again.
        std::function<void()> showKeyAssignments;
    };
    // The window's image buttons by control id (the key buttons, the report-rate buttons);
    // nullptr for an id the window lacks.
    using ButtonLookup = std::function<CPngButton*(int controlId)>;

    // Creates and places every control on window; the pictures are loaded here, and a missing
    // one ends the program as every skin image does. keyIds: the key buttons of the picture
    // (every frame of the preview follows this order); random: the twinkling effects' numbers,
    // a clock-seeded generator when none is given.
    LightingPanel(QWidget* window, Context ctx, ButtonLookup buttons, Hooks hooks = {},
                  std::vector<int> keyIds = {}, PreviewRandom* random = nullptr);
    ~LightingPanel() override;

    // Every control from the model (after each load of the lighting).
    void Refresh();
    void ApplyLanguage(int languageIndex);
    // One tick of the preview timer. Nothing is painted while the window is hidden or
    // minimised, or the view is off.
    void PreviewStep();
    // A key button clicked; false when the view is off and the click is the key editor's.
    bool OnKeyClick(int controlId);
    // A command of the window's buttons; true for the report-rate buttons, handled here.
    bool OnCommand(int id);
    bool ViewOn() const;
    // The view off, as profile switching and the keyboard's user-colour reset need it.
    void SetLightingViewOff();
    // A profile button's lighting part, before the keyboard switches to that profile.
    void ShowProfileLighting(int profile);
    // The default command's lighting part, after the user confirmed.
    void DefaultReset();

    // For the window's tests and screenshots.
    QWidget* Control(int id) const;
    PreviewEngine& Engine() { return *engine_; }
    LightingPanelLogic& Logic() { return logic_; }
    // The event handlers, also for tests.
    void ClickPicture(int id);
    void SliderNotified(int id, int position);
    void ColourChosen(int id, int rgb);
    void ModeChosen(int position);
    void UserModeChosen(int entry);
    void UserModeEdited(const QString& text);

  private:
    const QPixmap& Picture(std::string_view name);
    void Create(QWidget* window);
    void Apply(const PanelOutcome& outcome);
    void ShowState();
    void FillLists();
    void ResetKeyButtons();
    void PaintUserColours();
    void Paint(int id, Rgb colour);

    Context ctx_;
    ButtonLookup buttons_;
    Hooks hooks_;
    LightingPanelLogic logic_;
    std::vector<int> keyIds_;
    std::vector<CPngButton*> keyButtons_;  // by keyIds_ position, resolved at the first use
    std::unique_ptr<PreviewRandom> ownRandom_;
    std::unique_ptr<PreviewEngine> engine_;
    QPointer<QWidget> window_;
    std::map<std::string, QPixmap, std::less<>> pictures_;
    std::map<int, QWidget*> controls_;
    QComboBox* modeList_ = nullptr;
    QComboBox* userModes_ = nullptr;
    CBitmapSlider* brightness_ = nullptr;
    CBitmapSlider* speed_ = nullptr;
    bool filling_ = false;
};

}  // namespace vorlin
