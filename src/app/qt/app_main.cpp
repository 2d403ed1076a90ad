// vorlin: the desktop application.
#include <QApplication>
#include <vector>

#include "app/app_arguments.h"
#include "app/qt/vorlin_app.h"

#if defined(__SANITIZE_ADDRESS__)
// Under the sanitizer builds only: fontconfig keeps its font cache for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName("vorlin");
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    int exitCode = 0;
    auto app = vorlin::CVorlinApp::Start(vorlin::ParseAppArguments(args), &exitCode);
    if (!app) return exitCode;
    return app->Run();
}
