// The one application object of the widget tests in this folder.
#pragma once

#include <QApplication>

namespace vorlin::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_app_qt";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace vorlin::test
