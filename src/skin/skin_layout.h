// Reading the skin layout files: where a window's controls sit and which images its background
// and shape come from. Qt-free, so the generator, the windows and the tests read them alike.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vorlin {

// A control's rectangle in its window's logical client coordinates.
struct LayoutRect {
    int x = 1;
    int y = 1;
    int w = 1;
    int h = 1;
    bool operator==(const LayoutRect&) const = default;
};

// What a missing key reads as: a 1 x 1 control at (1, 1).
inline constexpr std::string_view kMissingLayoutValue = "1,1,1,1,x";

// "x,y,w,h" read as "%d,%d,%d,%d" reads it: blanks before a number are skipped, anything after
// the fourth number is ignored. Fields the text does not reach keep the missing-key value 1, and
// a number out of int range ends the reading there.
LayoutRect ParseLayoutValue(std::string_view value);

// The value of key in section of the layout file, or the missing-key rectangle. Files are read on
// every call: they are small and never written by the application.
LayoutRect ReadLayoutRect(const std::filesystem::path& layoutFile, std::string_view section,
                          std::string_view key);

// An image button placed at (1, 1) is disabled, whatever its size.
inline bool PlacementDisables(const LayoutRect& r) {
    return r.x == 1 && r.y == 1;
}

// Section names of the layout files.
inline constexpr std::string_view kLayoutSection = "BUTTONINFO";
inline constexpr std::string_view kLayoutSection2 = "BUTTONINFO2";
inline constexpr std::string_view kScreenSection = "SCREEN";

// The "SCREEN" section: background and mask image file names (in the skin folder) and, in
// Main.ini, the web link's address.
struct SkinScreen {
    std::string background;
    std::string mask;  // the background's name when the file gives none
    std::string link;  // kDefaultSkinLink when the file gives none
};

inline constexpr std::string_view kDefaultSkinLink = "https://github.com/morvane-tesslar/vorlin";

SkinScreen ReadSkinScreen(const std::filesystem::path& layoutFile);

}  // namespace vorlin
