#include "ui/qt/dialog_support.h"

#include <QUrl>

#include <QDesktopServices>

#include <QFileDialog>
#include <QLabel>
#include <QThread>

namespace vorlin {

void OpenHelpPage(const AppPaths& paths) {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromStdString((paths.helpFolder / "index.html").string())));
}

std::optional<std::filesystem::path> ChooseWithFileDialog(QWidget* parent,
                                                          const FileRequest& request) {
    QFileDialog dialog(parent, request.title);
    const bool save = request.kind == FileRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    const QFileInfo start(request.startIn);
    if (start.isDir()) {
        dialog.setDirectory(request.startIn);
    } else {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

void GuiThreadStoreUi::Run(std::function<void()> call) {
    if (QThread::currentThread() == context_.thread())
        call();
    else
        QMetaObject::invokeMethod(&context_, std::move(call), Qt::QueuedConnection);
}

void GuiThreadStoreUi::SetChanged(bool changed) {
    Run([&target = target_, changed] { target.SetChanged(changed); });
}

void GuiThreadStoreUi::ResetKeyButton(int table, KeyIndex entry) {
    Run([&target = target_, table, entry] { target.ResetKeyButton(table, entry); });
}

void GuiThreadStoreUi::RefreshKeyButtons(int profile) {
    Run([&target = target_, profile] { target.RefreshKeyButtons(profile); });
}

QLabel* MakeDialogTitle(QWidget& dialog) {
    auto* title = new QLabel(&dialog);
    // Between the logo and the right edge of the title band.
    title->setGeometry(56, 10, dialog.width() - 72, 24);
    title->setStyleSheet(
        QString("color: %1; font-family: 'DejaVu Sans'; font-size: 13px;").arg(kDialogTextColour));
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    return title;
}

}  // namespace vorlin
