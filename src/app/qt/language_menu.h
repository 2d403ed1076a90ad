// The button menu's "Language" submenu: the two languages by their own names; a choice stores
// "LANGUAGE" and applies the texts to every open window.
#pragma once

#include <QMenu>
#include <functional>

namespace vorlin {

class AppCore;

void AddLanguageMenu(QMenu& menu, AppCore& core, std::function<void(int index)> apply);
// Relabels the submenu's title and ticks the current language.
void RelabelLanguageMenu(QMenu& menu, const AppCore& core);

}  // namespace vorlin
