// A stand-in for the main window with the lighting panel on it: the skinned dialog of the real
// generated "Main.ini", the image buttons of the skin (key caps, report-rate buttons) and an
// AppCore over the simulated keyboard, connected and with the lighting loaded.
#pragma once

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/app_core.h"
#include "skin/qt/base_dialog.h"
#include "skin/qt/png_button.h"
#include "skin/qt/skin_placement.h"
#include "skin/skin_catalog.h"
#include "skin/skin_layout.h"
#include "store/profile_file.h"
#include "support/connect.h"
#include "support/qt_app.h"
#include "support/temp_folder.h"
#include "ui/qt/lighting_panel.h"

namespace vorlin::test {

class PanelWindow {
  public:
    // random: the twinkling effects' numbers (a clock-seeded generator when none).
    explicit PanelWindow(PreviewRandom* random = nullptr) {
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            ::setenv(v, (home_.path() / v).c_str(), 1);
        AppArguments args;
        args.simulate = true;
        std::string why;
        core_ = AppCore::Create(args, BuildFolder(), home_.path(), &why);
        if (!core_) throw std::runtime_error(why);
        EnsureUserFolder(core_->paths);
        ConnectLink(*core_->link, LearnEcho::No);

        dialog_ = std::make_unique<CBaseDialog>(core_->paths.mainSkin, core_->paths.skinFolder);
        dialog_->LoadSkinOrExit(1.0);
        ButtonImageSet looks;
        const LookSet& main = SkinOf(SkinWindow::Main).lookSets.front();
        for (size_t i = 0; i < main.files.size(); ++i)
            looks_[i] = SkinImageOrExit(LoadSkinImage(core_->paths.skinFolder, main.files[i]));
        for (const SkinControl& c : SkinOf(SkinWindow::Main).controls) {
            if (c.placement != Placement::ImageButton || c.id == 0 || buttons_.count(c.id))
                continue;
            auto* b = new CPngButton(dialog_.get());
            for (size_t i = 0; i < looks.size(); ++i)
                looks[i] = looks_[static_cast<size_t>(c.looks[i])];
            PlaceImageButton(*b, core_->paths.mainSkin, kLayoutSection, c.key, looks);
            if (c.hidden) b->hide();
            buttons_[c.id] = b;
        }
        LightingContext ctx{*core_->link, core_->paths, core_->iniLock};
        LoadLightingWithUserModes(model_, ctx);
        if (OffersUserColours(model_)) RecomputeBaseFlags(model_);
        panel_ = std::make_unique<LightingPanel>(
            dialog_.get(),
            LightingPanel::Context{*core_->link, core_->paths, core_->texts, core_->iniLock, model_,
                                   0},
            [this](int id) { return Button(id); }, LightingPanel::Hooks{}, std::vector<int>{},
            random);
        panel_->Refresh();
    }
    ~PanelWindow() {
        panel_.reset();
        dialog_.reset();
        QCoreApplication::processEvents();
    }

    CPngButton* Button(int id) const {
        auto it = buttons_.find(id);
        return it == buttons_.end() ? nullptr : it->second;
    }
    LayoutRect Layout(std::string_view key) const {
        return ReadLayoutRect(core_->paths.mainSkin, kLayoutSection, key);
    }

    AppCore& Core() { return *core_; }
    CBaseDialog& Dialog() { return *dialog_; }
    LightingPanel& Panel() { return *panel_; }
    LightingModel& Model() { return model_; }

  private:
    // The application before any pixmap member.
    bool app_ = (App(), true);
    TempFolder home_{"vorlin-panel-qt"};
    std::unique_ptr<AppCore> core_;
    std::unique_ptr<CBaseDialog> dialog_;
    ButtonImageSet looks_;
    std::map<int, CPngButton*> buttons_;
    LightingModel model_;
    std::unique_ptr<LightingPanel> panel_;
};

}  // namespace vorlin::test
