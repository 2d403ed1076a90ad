#include "app/qt/vorlin_app.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>

#include "app/daemon_launch.h"
#include "app/instance_start.h"

namespace vorlin {

namespace fs = std::filesystem;

namespace {

// The write end of the pipe that turns a termination signal into an orderly exit on the GUI
// thread (a handler may only write a byte).
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

std::unique_ptr<CVorlinApp> CVorlinApp::Start(const AppArguments& args, int* exitCode) {
    *exitCode = 0;
    for (const std::string& a : args.unknown)
        std::cerr << "vorlin: ignoring the unknown argument \"" << a << "\"\n";
    const fs::path exeFolder = ExecutableFolder();
    std::string why;
    std::unique_ptr<AppCore> core =
        AppCore::Create(args, FindDataFolder(exeFolder), exeFolder, &why);
    if (!core) {
        std::cerr << "vorlin: " << why << "\n";
        *exitCode = 2;
        return nullptr;
    }
    const std::optional<fs::path> folder = InstanceFolder(core->paths.runtimeFolder);
    if (!folder) {
        std::cerr << "vorlin: the private runtime folder " << core->paths.runtimeFolder.string()
                  << "/vorlin cannot be used\n";
        *exitCode = 1;
        return nullptr;
    }
    InstanceStart start = StartInstance(*folder, args.kill);
    if (!start.server) {
        if (!start.message.empty()) std::cerr << "vorlin: " << start.message << "\n";
        *exitCode = start.exitCode;
        return nullptr;
    }
    // Once per first copy; nothing is said when it is missing or does not start.
    LaunchDaemon(core->paths.daemonFile);

    std::unique_ptr<CVorlinApp> app(new CVorlinApp());
    app->core_ = std::move(core);
    app->bridge_ = std::make_unique<GuiBridge>();
    app->prompter_ =
        std::make_unique<GuiPrompter>(*app->bridge_, app->core_->texts, app->core_->languageIndex);
    MainWindowOptions options;
    options.startHidden = args.start;
    app->window_ =
        std::make_unique<CVorlinDlg>(*app->core_, *app->bridge_, *app->prompter_, options);
    QObject::connect(app->window_.get(), &CVorlinDlg::exited, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    app->window_->Initialise(std::move(start.server));
    // A log-out or kill ends the program as its Exit item does: state saved, events removed.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
        CVorlinDlg* window = app->window_.get();
        QObject::connect(notifier, &QSocketNotifier::activated, window,
                         [window] { window->ExitApplication(); });
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, OnTerminationSignal);
    }
    return app;
}

int CVorlinApp::Run() {
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}

}  // namespace vorlin
