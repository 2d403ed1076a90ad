// What the two maintenance dialogs share: the file chooser they ask (a seam for tests), the
// store side that carries a worker's calls to the window's thread, and their look.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>

#include "store/store_context.h"

class QLabel;
class QWidget;

namespace vorlin {

struct FileRequest {
    enum class Kind { Open, Save } kind = Kind::Open;
    QString title;
    QString startIn;        // folder or suggested file
    QStringList filters;    // "(*.fwc)", ...
    QString defaultSuffix;  // added to a saved name without one
};
// The chosen file, or nullopt when the chooser was cancelled.
using FileChooser = std::function<std::optional<std::filesystem::path>(const FileRequest&)>;
// QFileDialog, modal over parent; a save asks before replacing a file.
std::optional<std::filesystem::path> ChooseWithFileDialog(QWidget* parent,
                                                          const FileRequest& request);

// The window's store side for work that runs on another thread: each call reaches target on
// the thread of context, at once when made there.
class GuiThreadStoreUi final : public StoreUi {
  public:
    GuiThreadStoreUi(StoreUi& target, QObject& context) : target_(target), context_(context) {}
    void SetChanged(bool changed) override;
    void ResetKeyButton(int table, KeyIndex entry) override;
    void RefreshKeyButtons(int profile) override;

  private:
    void Run(std::function<void()> call);
    StoreUi& target_;
    QObject& context_;
};

// The help page, in the browser (F1 and the help button of every window).
void OpenHelpPage(const AppPaths& paths);

// The dialogs' caption beside the skin's logo.
QLabel* MakeDialogTitle(QWidget& dialog);
inline constexpr char kDialogTextColour[] = "#e6e8eb";
// The drop-down lists and edits of the panels and dialogs.
inline constexpr char kComboStyle[] =
    "QComboBox { color: #e6e8eb; background: #2b2f37; border: 1px solid #3a3f48;"
    " border-radius: 3px; padding: 2px 6px; font-family: 'DejaVu Sans'; font-size: 12px; }"
    "QComboBox:focus { border-color: #22c1c3; }"
    "QComboBox:disabled { color: #5c626b; }"
    "QComboBox QAbstractItemView { color: #e6e8eb; background: #1f2228;"
    " selection-background-color: #22c1c3; }";
inline constexpr char kEditStyle[] =
    "QLineEdit { color: #e6e8eb; background: #2b2f37; border: 1px solid #3a3f48;"
    " border-radius: 3px; padding: 2px 6px; font-family: 'DejaVu Sans'; font-size: 12px; }"
    "QLineEdit:focus { border-color: #22c1c3; }"
    "QLineEdit:disabled { color: #5c626b; }";

}  // namespace vorlin
