// What the widget test binaries (tests/*_qt) share: their one application object, the build
// folder with the generated skin and the language files, and waiting on the event loop.
#pragma once

#include <QApplication>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <functional>

namespace vorlin::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "vorlin-widget-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The test binaries live in build/tests; the skin and language files in build/.
inline std::filesystem::path BuildFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

// Turns the event loop until done() or the limit; false on the limit.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace vorlin::test
