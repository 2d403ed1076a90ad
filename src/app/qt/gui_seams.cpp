#include "app/qt/gui_seams.h"

#include <QMessageBox>

#include "app/qt/main_window.h"
#include "platform/text_format.h"
#include "skin/language.h"

namespace vorlin {

void GuiSink::SendKeyboardLost() {
    bridge_.Send([this] { window_.CloseSecondaryWindows(); });
}

void GuiSink::SendReloadProfile() {
    bridge_.Send([this] { window_.ReloadFromKeyboard(); });
}

void GuiSink::PostOpen() {
    bridge_.Post([this] { window_.ShowMainWindow(); });
}

void GuiSink::HideMainWindow() {
    bridge_.Post([this] { window_.HideMainWindow(); });
}

void GuiSink::ScheduleLightingReload() {
    bridge_.Post([this] { window_.ReloadLighting(false); });
}

void GuiSink::ScheduleUserColourReset() {
    bridge_.Post([this] { window_.ReloadLighting(true); });
}

void GuiSink::ShowTrayState(TrayState state) {
    bridge_.Post([this, state] { window_.ShowTrayState(state); });
}

bool GuiPrompter::Ask(const std::string& textKey, PromptButtons buttons,
                      const std::string& argument) {
    std::string text = LookupText(texts_, textKey, languageIndex_);
    if (!argument.empty()) text = FormatPromptText(text, argument);
    bool answer = false;
    bridge_.Send([&] {
        QMessageBox box(QMessageBox::NoIcon, QString(), QString::fromStdString(text));
        // Some texts carry commands to copy into a terminal.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (buttons == PromptButtons::Ok) {
            box.setStandardButtons(QMessageBox::Ok);
            box.exec();
            answer = true;
        } else {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            answer = box.exec() == QMessageBox::Yes;
        }
    });
    return answer;
}

}  // namespace vorlin
