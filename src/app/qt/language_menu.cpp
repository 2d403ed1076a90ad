#include "app/qt/language_menu.h"

#include <QActionGroup>

#include "app/app_core.h"
#include "platform/settings.h"
#include "platform/text_key_names.h"
#include "skin/language.h"

namespace vorlin {

namespace {
constexpr char kLanguageMenuName[] = "languageMenu";
}  // namespace

void AddLanguageMenu(QMenu& menu, AppCore& core, std::function<void(int)> apply) {
    QMenu* languages = menu.addMenu(QString());
    languages->setObjectName(kLanguageMenuName);
    auto* group = new QActionGroup(languages);
    // Each language under its own name, so that a user who cannot read the current one finds it.
    const char* names[] = {"English", "Português (Brasil)"};
    for (int index = 0; index < 2; ++index) {
        QAction* a = languages->addAction(QString::fromUtf8(names[index]));
        a->setCheckable(true);
        a->setData(index);
        group->addAction(a);
        QObject::connect(a, &QAction::triggered, languages, [&core, apply, index] {
            RegistryWriteDword(core.paths, core.iniLock, "LANGUAGE",
                               static_cast<uint32_t>(kLanguageTable[index]));
            apply(index);
        });
    }
}

void RelabelLanguageMenu(QMenu& menu, const AppCore& core) {
    auto* languages = menu.findChild<QMenu*>(kLanguageMenuName);
    if (!languages) return;
    languages->setTitle(
        QString::fromStdString(LookupText(core.texts, kTextMenuLanguage, core.languageIndex)));
    for (QAction* a : languages->actions()) a->setChecked(a->data().toInt() == core.languageIndex);
}

}  // namespace vorlin
