// The one application object of a widget test binary (tests/*_qt).
#pragma once

#include <QApplication>

namespace vorlin::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "vorlin-widget-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace vorlin::test
