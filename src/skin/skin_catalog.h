// What each skinned window takes from the skin folder: the layout keys its code places, how it
// places each one, and every image file it loads. The windows, the image generator and the
// tests all read this one list, so a key or an image cannot be known to one and missing for
// another.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "skin/skin_layout.h"

namespace vorlin {

enum class SkinWindow { Main, Composite, Profile, Update };

// The four looks of a window's full-window images.
enum class Look : uint8_t { Normal, Over, Down, Disabled };
// Which look fills each of an image button's five slots: normal, over, pressed, disabled,
// selected.
using LookSlots = std::array<Look, 5>;

enum class Placement {
    ImageButton,  // moved and sized, given its five images; disabled at (1, 1)
    Control,      // moved and sized
    Move,         // moved, size kept (the alternative places of the direction controls)
    Arrow,        // moved and sized, one image from the arrow sheet at a second key's place
};

enum class ControlKind {
    Button,     // image button whose caption the window draws
    Key,        // key cap of the keyboard picture, caption drawn into the images
    Icon,       // image button showing a symbol, explained by its tooltip
    Indicator,  // lock and flip indicators: lit in their selected look
    Flat,       // image button that is part of the background (link, version, title area)
    Tab,        // page tab of the key editor
    Page,       // the key editor's page area
    Arrow,      // flip arrow picture
    Text,
    Edit,
    Combo,
    List,
    Check,
    Picture,  // shows one of the window's .bmp pictures
    Slider,   // shows one of the slider track pictures
    ColourButton,
};

struct SkinControl {
    std::string_view key;  // in section "BUTTONINFO"
    int id;                // control id; 0 for controls that have none
    Placement placement;
    ControlKind kind;
    LookSlots looks{};  // image buttons only
    // Laid out but never shown, whatever the state.
    bool hidden = false;
    // Arrow placement: the keys in section "BUTTONINFO2" for the up and the down arrow.
    std::string_view upKey = {};
    std::string_view downKey = {};
};

// The file of each look of one set of full-window images. A look without a file of its own
// names another look's file.
struct LookSet {
    std::string_view name;  // "main", "key", "macro", ...
    std::array<std::string_view, 4> files;
};

enum class ImageRole {
    Look,        // a full-window image of a look set
    Switch,      // main_color0/1.jpg: the key caps with their switch flag off / on
    ArrowSheet,  // Arrow.jpg
    Background,
    Mask,
    Picture,  // a lighting panel picture, slider track or busy frame, sized as its control
    Icon,     // tray and application icons, square
};

struct SkinPicture {
    std::string_view file;
    ImageRole role;
    // Picture: the layout key whose width and height the picture has. Others: empty.
    std::string_view sizeKey = {};
    // Icons and the arrow sheet: their size; window images: 0 (the window's size).
    int width = 0;
    int height = 0;
};

struct WindowSkin {
    SkinWindow window;
    std::string_view layoutFile;  // in the skin folder
    int width;                    // logical size: the background's
    int height;
    std::span<const LookSet> lookSets;  // the main window and the dialogs have one, the editor five
    std::span<const SkinControl> controls;
    std::span<const SkinPicture> images;  // every image the window loads, each once
};

std::span<const SkinWindow> SkinWindows();
const WindowSkin& SkinOf(SkinWindow window);

// The control with that layout key, or nullptr.
const SkinControl* FindSkinControl(const WindowSkin& skin, std::string_view key);

// The size an image is drawn at (logical pixels), from the layout file for pictures; nullopt
// when a picture's size key is missing from it.
std::optional<LayoutRect> SkinImageSize(const WindowSkin& skin, const SkinPicture& image,
                                        const std::filesystem::path& skinFolder);

// The main window's picture names.
inline constexpr std::string_view kLightingViewOffImage = "dengup.bmp";
inline constexpr std::string_view kLightingViewOnImage = "dengdown.bmp";
inline constexpr std::string_view kMulticolourOffImage = "sjsup.bmp";
inline constexpr std::string_view kMulticolourOnImage = "sjsdown.bmp";
// Mode 17's colour choice, red, yellow, green, blue: plain and chosen.
inline constexpr std::array<std::string_view, 4> kColourChoiceImages = {"hong.bmp", "huang.bmp",
                                                                        "lv.bmp", "lan.bmp"};
inline constexpr std::array<std::string_view, 4> kColourChoiceChosenImages = {
    "hongok.bmp", "huangok.bmp", "lvok.bmp", "lanok.bmp"};
// The user tools (free colour, base colour): not chosen / chosen.
inline constexpr std::array<std::string_view, 2> kToolImages = {"user1up.bmp", "user2up.bmp"};
inline constexpr std::array<std::string_view, 2> kToolChosenImages = {"user1down.bmp",
                                                                      "user2down.bmp"};
inline constexpr std::string_view kTrayDisconnectedIcon = "tray_disconnected.png";  // 128
inline constexpr std::string_view kTrayConnectedIcon = "tray_connected.png";        // 141
inline constexpr std::string_view kTrayIndicatorIcon = "tray_indicator.png";        // 142
inline constexpr std::string_view kAppIcon = "vorlin.png";
inline constexpr int kBusyFrames = 10;
inline constexpr int kSliderPositions = 6;

// The track picture of the brightness slider at position 0..5 ("0.bmp".."5.bmp") and of the
// speed slider ("6.bmp".."11.bmp"); positions outside 0..5 are clamped.
std::string BrightnessTrackImage(int position);
std::string SpeedTrackImage(int position);
// Busy frame 1..10 ("jdt1.bmp".."jdt10.bmp"); other numbers wrap into 1..10.
std::string BusyFrameImage(int frame);

// The two direction pictures of a mode for a direction (255: the first picture is the chosen
// one, otherwise the second).
struct DirectionImages {
    std::string_view first;
    std::string_view second;
};
DirectionImages DirectionImagesFor(int mode, int direction);

}  // namespace vorlin
