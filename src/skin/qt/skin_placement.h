// Placing a window's controls from its layout file. Every call reads the file again: layout
// files are small and the windows place their controls once.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <string_view>

#include "skin/qt/png_button.h"
#include "skin/skin_catalog.h"

namespace vorlin {

// The full-window pictures of a window's look set (normal, over, down, disabled) in the order of
// Look, each 1x or 2x as the screen wants; a missing one ends the program as any skin image does.
ButtonImageSet LoadLookSet(const LookSet& looks, const std::filesystem::path& skinFolder);

// Moves button to the key's rectangle and gives it images cut at that position; a button at
// (1, 1), as a missing key gives, is also disabled.
void PlaceImageButton(CPngButton& button, const std::filesystem::path& layoutFile,
                      std::string_view section, std::string_view key, const ButtonImageSet& images);

// Moves control to the key's rectangle; nothing else.
void PlaceControl(QWidget& control, const std::filesystem::path& layoutFile,
                  std::string_view section, std::string_view key);

// Moves control to the key's position, keeping its size.
void MoveControlTo(QWidget& control, const std::filesystem::path& layoutFile,
                   std::string_view section, std::string_view key);

// Places button by key, then shows image in all five looks cut at key2's position (from
// section2): the arrow pictures take their look from elsewhere in the picture.
void PlaceArrowButton(CPngButton& button, const std::filesystem::path& layoutFile,
                      std::string_view section, std::string_view key, std::string_view section2,
                      std::string_view key2, const QPixmap& image);

}  // namespace vorlin
