#include "skin/skin_catalog.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "ui/keyboard_layout.h"

namespace vorlin {
namespace {

using enum Look;
using P = Placement;
using K = ControlKind;

constexpr LookSlots kPlain = {Normal, Normal, Normal, Normal, Normal};
constexpr LookSlots kPush = {Normal, Over, Down, Normal, Normal};
// Buttons that can be marked (a profile, a report rate, an assigned key) show it in the fifth
// slot with the disabled window image.
constexpr LookSlots kMarkable = {Normal, Over, Down, Normal, Disabled};
constexpr LookSlots kApply = {Normal, Over, Down, Disabled, Normal};
constexpr LookSlots kLink = {Normal, Over, Disabled, Normal, Normal};
constexpr LookSlots kLock = {Normal, Normal, Normal, Normal, Over};
constexpr LookSlots kFlipIndicator = {Normal, Normal, Normal, Normal, Disabled};
// The dialogs: pressed again as selected.
constexpr LookSlots kDialog = {Normal, Over, Down, Disabled, Down};
constexpr LookSlots kProfileDialog = {Normal, Over, Down, Disabled, Normal};
constexpr LookSlots kUpdateDialog = {Normal, Over, Over, Over, Over};

SkinControl Button(std::string_view key, int id, ControlKind kind, LookSlots looks,
                   bool hidden = false) {
    return {key, id, P::ImageButton, kind, looks, hidden};
}
SkinControl Control(std::string_view key, int id, ControlKind kind, bool hidden = false) {
    return {key, id, P::Control, kind, {}, hidden};
}
SkinControl Moved(std::string_view key, int id, ControlKind kind) {
    return {key, id, P::Move, kind, {}};
}

constexpr LookSet kMainLooks[] = {
    {"main", {"main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg"}}};
// The editor's page sets; key, media and function have no disabled image of their own.
constexpr LookSet kCompositeLooks[] = {
    {"key", {"key_normal.jpg", "key_over.jpg", "key_down.jpg", "key_normal.jpg"}},
    {"macro", {"macro_normal.jpg", "macro_over.jpg", "macro_down.jpg", "macro_disable.jpg"}},
    {"macro2", {"macro2_normal.jpg", "macro2_over.jpg", "macro2_down.jpg", "macro2_disable.jpg"}},
    {"media", {"media_normal.jpg", "media_over.jpg", "media_down.jpg", "media_normal.jpg"}},
    {"function",
     {"function_normal.jpg", "function_over.jpg", "function_down.jpg", "function_normal.jpg"}},
};
constexpr LookSet kProfileLooks[] = {
    {"Profile",
     {"Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg", "Profile_down.jpg"}}};
constexpr LookSet kUpdateLooks[] = {
    {"update", {"update_normal.jpg", "update_over.jpg", "update_over.jpg", "update_over.jpg"}}};

std::vector<SkinControl> MainControls() {
    std::vector<SkinControl> c = {
        Button("KOLVEN_LINK", 1121, K::Flat, kLink),
        Button("KOLVEN_VER", 1134, K::Flat, kPlain),
        Button("CONTROL_HELP", 1122, K::Icon, kPush),
        Button("CONTROL_MENU", 1139, K::Icon, kPush),
        Button("CONTROL_MINIMIZE", 1123, K::Icon, kPush),
        Button("CONTROL_CLOSE", 1124, K::Icon, kPush),
        Button("FUNC_PROFILE1", 1135, K::Button, kMarkable),
        Button("FUNC_PROFILE2", 1136, K::Button, kMarkable),
        Button("FUNC_PROFILE3", 1137, K::Button, kMarkable),
        Button("FUNC_DEFAULT", 1138, K::Button, kMarkable),
        Button("FUNC_PROFILES", 1005, K::Button, kPush),
        Button("FUNC_MACRO", 1007, K::Button, kPush),
        Button("FUNC_SWITCH", 1144, K::Button, kMarkable),
        Button("FLIP_0", 1129, K::Indicator, kFlipIndicator),
        Button("FLIP_1", 1130, K::Icon, kMarkable),
        Button("FLIP_2", 1131, K::Icon, kMarkable),
        {"LEFT_ARROW", 1132, P::Arrow, K::Arrow, {}, false, "UP_ARROW_LEFT1", "DOWN_ARROW_LEFT1"},
        {"RIGHT_ARROW",
         1133,
         P::Arrow,
         K::Arrow,
         {},
         false,
         "UP_ARROW_RIGHT1",
         "DOWN_ARROW_RIGHT1"},
        Button("LOCK_NUM", 1126, K::Indicator, kLock),
        Button("LOCK_CAPS", 1125, K::Indicator, kLock),
        Button("LOCK_SCROLL", 1127, K::Indicator, kLock),
        Button("LOCK_AB", 1128, K::Indicator, kLock, true),
    };
    // The six keys the flip setting swaps in for F1..F4; they stand for no key.
    static constexpr std::string_view kFlipKeys[] = {"FLIP_KEY1", "FLIP_KEY2", "FLIP_KEY3",
                                                     "FLIP_KEY4", "FLIP_KEY5", "FLIP_KEY6"};
    for (int i = 0; i < 6; ++i) c.push_back(Button(kFlipKeys[i], 1016 + i, K::Key, kMarkable));
    // The keyboard picture, named by the picture's own table.
    static const std::deque<std::string> keyNames = [] {
        std::deque<std::string> names;
        for (const PictureKey& k : KeyboardPicture()) names.push_back(PictureLayoutKey(k));
        return names;
    }();
    auto picture = KeyboardPicture();
    for (size_t i = 0; i < picture.size(); ++i)
        c.push_back(Button(keyNames[i], picture[i].controlId, K::Key, kMarkable));

    const SkinControl lighting[] = {
        Control("CONTROL_DengStatic", 1171, K::Text),
        Control("CONTROL_DengStaPic", 1167, K::Picture),
        Control("CONTROL_XGcombox", 1146, K::Combo),
        Control("CONTROL_LightStatic", 1172, K::Text),
        Control("CONTROL_LightSlider", 1178, K::Slider),
        Control("CONTROL_SpeedStatic", 1166, K::Text),
        Control("CONTROL_SpeedSlider", 1179, K::Slider),
        Control("CONTROL_BLFXStatic", 1148, K::Text),
        Control("CONTROL_BLFXLStaPic", 1149, K::Picture),
        Control("CONTROL_BLFXRStaPic", 1150, K::Picture),
        Moved("CONTROL_BLFXStatic2", 1148, K::Text),
        Moved("CONTROL_BLFXLStaPic2", 1149, K::Picture),
        Moved("CONTROL_BLFXRStaPic2", 1150, K::Picture),
        Moved("CONTROL_BLFXStatic3", 1148, K::Text),
        Moved("CONTROL_BLFXLStaPic3", 1149, K::Picture),
        Moved("CONTROL_BLFXRStaPic3", 1150, K::Picture),
        Control("CONTROL_FYYSStatic", 1151, K::Text),
        Control("CONTROL_FYYSButton", 1152, K::ColourButton),
        Control("CONTROL_FYSJSStaPic", 1175, K::Picture),
        Control("CONTROL_FYSJSStatic", 1176, K::Text),
        Control("CONTROL_HXysStatic", 1154, K::Text),
        Control("CONTROL_HXysButton", 1155, K::ColourButton),
        Control("CONTROL_HXsjsStaPic", 1156, K::Picture),
        Control("CONTROL_HXsjsStatic", 1173, K::Text),
        Control("CONTROL_HONGPIC", 1194, K::Picture),
        Control("CONTROL_HUANGPIC", 1195, K::Picture),
        Control("CONTROL_LVPIC", 1196, K::Picture),
        Control("CONTROL_LANPIC", 1197, K::Picture),
        Control("CONTROL_USERysStatic", 1159, K::Text),
        Control("CONTROL_USERysButton", 1160, K::ColourButton),
        Control("CONTROL_USERjsStatic", 1161, K::Text),
        Control("CONTROL_USERjsButton", 1162, K::ColourButton),
        Control("CONTROL_USERgjStatic", 1163, K::Text),
        Control("CONTROL_USERgjStaPic1", 1164, K::Picture),
        Control("CONTROL_USERgjStaPic2", 1165, K::Picture),
        Control("CONTROL_umCombo", 1198, K::Combo),
        Control("CONTROL_UsbStatic", 1204, K::Text),
        Button("FUNC_REPORT1", 1147, K::Button, kMarkable),
        Button("FUNC_REPORT2", 1168, K::Button, kMarkable),
        Button("FUNC_REPORT3", 1169, K::Button, kMarkable),
        Button("FUNC_REPORT4", 1170, K::Button, kMarkable),
        Control("CONTROL_RGBStatic", 1207, K::Text, true),
        Control("COLOR_R", 1208, K::Edit),
        Control("COLOR_G", 1209, K::Edit),
        Control("COLOR_B", 1210, K::Edit),
        Control("CONTROL_JDTStatic", 1177, K::Picture),
        Control("CONTROL_FYCFStatic", 0, K::Text, true),
        Control("CONTROL_FYdjcfStatic", 0, K::Text, true),
        Control("CONTROL_FYggcfStatc", 0, K::Text, true),
        Control("CONTROL_FYdjcfStaPic", 0, K::Picture, true),
        Control("CONTROL_FYggcfStaPic", 0, K::Picture, true),
        Control("CONTROL_JTysStatic", 0, K::Text, true),
        Control("CONTROL_JTysButton", 0, K::ColourButton, true),
        Control("CONTROL_TSysStatic", 0, K::Text, true),
        Control("CONTROL_TSysButton", 0, K::ColourButton, true),
        Control("CONTROL_TSsjsStatic", 0, K::Text, true),
        Control("CONTROL_TSsjsStaPic", 0, K::Picture, true),
        Control("CONTROL_CDysStatic", 0, K::Text, true),
        Control("CONTROL_CDysButton", 0, K::ColourButton, true),
        Control("CONTROL_CDsjsStatic", 0, K::Text, true),
        Control("CONTROL_CDsjsStaPic", 0, K::Picture, true),
        Control("CONTROL_Network", 1219, K::Button),
        Control("CONTROL_Facebook", 1220, K::Button),
        Control("CONTROL_twitter", 1221, K::Button),
        Button("CONTROL2_APPLY", 1006, K::Button, kApply),
        Button("CONTROL_OK", 1, K::Button, kPush),
        Button("CONTROL_CANCEL", 2, K::Button, kPush),
    };
    c.insert(c.end(), std::begin(lighting), std::end(lighting));
    static constexpr std::string_view kPresets[] = {
        "CONTROL_Color1", "CONTROL_Color2", "CONTROL_Color3", "CONTROL_Color4",
        "CONTROL_Color5", "CONTROL_Color6", "CONTROL_Color7", "CONTROL_Color8"};
    for (int i = 0; i < 8; ++i) c.push_back(Control(kPresets[i], 1211 + i, K::Picture, true));
    return c;
}

const SkinControl kCompositeControls[] = {
    Button("CONTROL_TITLE", 1131, K::Flat, kDialog),
    Button("CONTROL_OSK", 1132, K::Icon, kDialog),
    Button("CONTROL_CLEAR", 1032, K::Icon, kDialog),
    Control("KEY_SETTING", 1199, K::Text),
    Button("CONTROL_KEY", 1028, K::Tab, kDialog),
    Button("CONTROL_MACRO", 1029, K::Tab, kDialog),
    Button("CONTROL_MEDIA", 1030, K::Tab, kDialog),
    Button("CONTROL_FUNCTION", 1031, K::Tab, kDialog),
    Button("CONTROL_MASK", 1033, K::Page, kDialog),
    Control("TISHI_SINGLE_STATIC", 1201, K::Text),
    Control("FUNC_KEY_RADIO_KB", 1185, K::Check),
    Control("FUNC_KEY_RADIO_KB_STATIC", 1134, K::Text),
    Control("FUNC_KEY_INPUT", 1127, K::Edit),
    Control("FUNC_KEY_RADIO_MOU", 1186, K::Check),
    Control("FUNC_KEY_RADIO_MOU_STATIC", 1135, K::Text),
    Control("FUNC_KEY_COMBO_MOU", 1187, K::Combo),
    Control("MARCO_NAME_SETTING", 1200, K::Text),
    Control("FUNC_MACRO_LIST", 1126, K::Combo),
    Button("FUNC_MACRO_ADD", 1017, K::Icon, kDialog),
    Button("FUNC_MACRO_DELETE", 1018, K::Icon, kDialog),
    Control("FUNC_MACRO_LIST2", 1019, K::List),
    Button("FUNC_MACRO_RECORD", 1020, K::Button, kDialog),
    Button("FUNC_MACRO_DELETE2", 1021, K::Button, kDialog),
    Button("FUNC_MACRO_CLEAR", 1022, K::Button, kDialog),
    Button("FUNC_MACRO_UP_TOP", 1023, K::Button, kDialog),
    Button("FUNC_MACRO_UP", 1024, K::Button, kDialog),
    Button("FUNC_MACRO_DOWN", 1025, K::Button, kDialog),
    Button("FUNC_MACRO_DOWN_BOTTOM", 1026, K::Button, kDialog),
    Control("FUNC_MACRO_RECORD_DELAY", 1027, K::Check),
    Control("FUNC_MACRO_RECORD_DELAY2", 1133, K::Text),
    Control("FUNC_MACRO_CYCLES_PROMPT", 1130, K::Text),
    Control("FUNC_MACRO_CYCLES", 1125, K::Edit),
    Control("MEDIA_SETTING_TISHI", 1202, K::Text),
    Control("FUNC_MEDIA_SELECT", 1128, K::Combo),
    Control("FUNCTION_KEY_SETTING_TISHI", 1203, K::Text),
    Control("FUNC_FUNCTION_SELECT", 1129, K::Combo),
    Button("CONTROL_APPLY", 1015, K::Button, kDialog),
    Button("CONTROL_OK", 1, K::Button, kDialog),
    Button("CONTROL_CANCEL", 2, K::Button, kDialog),
};

const SkinControl kProfileControls[] = {
    Control("PROGRAM_LIST", 1007, K::List),
    Button("FUNC_ADD", 1010, K::Button, kProfileDialog),
    Button("FUNC_LOAD", 1008, K::Button, kProfileDialog),
    Button("FUNC_DELETE", 1011, K::Button, kProfileDialog),
    Button("CONTROL2_APPLY", 1012, K::Button, kProfileDialog),
    Button("CONTROL_OK", 1, K::Button, kProfileDialog),
    Button("CONTROL_CANCEL", 2, K::Button, kProfileDialog),
};

const SkinControl kUpdateControls[] = {
    Control("CONTROL_UPStatic", 1179, K::Text),
    Control("CONTROL_UPCombox", 1178, K::Combo, true),
    Button("CONTROL_OPENButton", 1181, K::Button, kUpdateDialog),
    Button("CONTROL_UPButton", 1147, K::Button, kUpdateDialog),
    Button("CONTROL_CUPButton", 1180, K::Button, kUpdateDialog),
    Button("CONTROL_BACKUPButton", 1182, K::Button, kUpdateDialog),
};

constexpr std::string_view kDirectionPictures[] = {
    "leftup.bmp", "leftdown.bmp", "rightup.bmp", "rightdown.bmp",  "upup.bmp",   "updown.bmp",
    "downup.bmp", "downdown.bmp", "kuosan.bmp",  "kuosandown.bmp", "julong.bmp", "julongdown.bmp",
};

std::vector<SkinPicture> MainImages() {
    std::vector<SkinPicture> images;
    for (std::string_view f : kMainLooks[0].files) images.push_back({f, ImageRole::Look});
    images.push_back({"main_color0.jpg", ImageRole::Switch});
    images.push_back({"main_color1.jpg", ImageRole::Switch});
    images.push_back({"Arrow.jpg", ImageRole::ArrowSheet, {}, 120, 26});
    images.push_back({"main_back.jpg", ImageRole::Background});
    images.push_back({"main_mask.bmp", ImageRole::Mask});
    auto picture = [&](std::string_view f, std::string_view sizeKey) {
        images.push_back({f, ImageRole::Picture, sizeKey});
    };
    picture(kLightingViewOffImage, "CONTROL_DengStaPic");
    picture(kLightingViewOnImage, "CONTROL_DengStaPic");
    picture(kMulticolourOffImage, "CONTROL_HXsjsStaPic");
    picture(kMulticolourOnImage, "CONTROL_HXsjsStaPic");
    static constexpr std::string_view kChoiceKeys[] = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC",
                                                       "CONTROL_LVPIC", "CONTROL_LANPIC"};
    for (int i = 0; i < 4; ++i) {
        picture(kColourChoiceImages[i], kChoiceKeys[i]);
        picture(kColourChoiceChosenImages[i], kChoiceKeys[i]);
    }
    static constexpr std::string_view kToolKeys[] = {"CONTROL_USERgjStaPic1",
                                                     "CONTROL_USERgjStaPic2"};
    for (int i = 0; i < 2; ++i) {
        picture(kToolImages[i], kToolKeys[i]);
        picture(kToolChosenImages[i], kToolKeys[i]);
    }
    for (std::string_view f : kDirectionPictures) picture(f, "CONTROL_BLFXLStaPic");
    static const std::deque<std::string> numbered = [] {
        std::deque<std::string> names;
        for (int p = 0; p < kSliderPositions; ++p) names.push_back(BrightnessTrackImage(p));
        for (int p = 0; p < kSliderPositions; ++p) names.push_back(SpeedTrackImage(p));
        for (int n = 1; n <= kBusyFrames; ++n) names.push_back(BusyFrameImage(n));
        return names;
    }();
    for (int i = 0; i < 2 * kSliderPositions; ++i)
        picture(numbered[i], i < kSliderPositions ? "CONTROL_LightSlider" : "CONTROL_SpeedSlider");
    for (int n = 0; n < kBusyFrames; ++n)
        picture(numbered[2 * kSliderPositions + n], "CONTROL_JDTStatic");
    images.push_back({kTrayDisconnectedIcon, ImageRole::Icon, {}, 32, 32});
    images.push_back({kTrayConnectedIcon, ImageRole::Icon, {}, 32, 32});
    images.push_back({kTrayIndicatorIcon, ImageRole::Icon, {}, 32, 32});
    images.push_back({kAppIcon, ImageRole::Icon, {}, 64, 64});
    return images;
}

std::vector<SkinPicture> DialogImages(std::span<const LookSet> sets, std::string_view background,
                                      std::string_view mask) {
    std::vector<SkinPicture> images;
    for (const LookSet& set : sets)
        for (std::string_view f : set.files) {
            bool known = false;
            for (const SkinPicture& i : images) known = known || i.file == f;
            if (!known) images.push_back({f, ImageRole::Look});
        }
    images.push_back({background, ImageRole::Background});
    images.push_back({mask, ImageRole::Mask});
    return images;
}

struct Catalog {
    std::vector<SkinControl> mainControls = MainControls();
    std::vector<SkinPicture> mainImages = MainImages();
    std::vector<SkinPicture> compositeImages =
        DialogImages(kCompositeLooks, "composite_back.jpg", "composite_mask.bmp");
    std::vector<SkinPicture> profileImages =
        DialogImages(kProfileLooks, "Profile_back.jpg", "Profile_mask.bmp");
    std::vector<SkinPicture> updateImages =
        DialogImages(kUpdateLooks, "update_back.jpg", "update_mask.bmp");
    WindowSkin skins[4] = {
        {SkinWindow::Main, "Main.ini", 1180, 640, kMainLooks, mainControls, mainImages},
        {SkinWindow::Composite, "Composite.ini", 560, 456, kCompositeLooks, kCompositeControls,
         compositeImages},
        {SkinWindow::Profile, "Profile.ini", 480, 372, kProfileLooks, kProfileControls,
         profileImages},
        {SkinWindow::Update, "UpdateDlg.ini", 460, 152, kUpdateLooks, kUpdateControls,
         updateImages},
    };
};

const Catalog& TheCatalog() {
    static const Catalog catalog;
    return catalog;
}

constexpr SkinWindow kWindows[] = {SkinWindow::Main, SkinWindow::Composite, SkinWindow::Profile,
                                   SkinWindow::Update};

}  // namespace

std::span<const SkinWindow> SkinWindows() {
    return kWindows;
}

const WindowSkin& SkinOf(SkinWindow window) {
    return TheCatalog().skins[static_cast<int>(window)];
}

const SkinControl* FindSkinControl(const WindowSkin& skin, std::string_view key) {
    for (const SkinControl& c : skin.controls)
        if (c.key == key) return &c;
    return nullptr;
}

std::optional<LayoutRect> SkinImageSize(const WindowSkin& skin, const SkinPicture& image,
                                        const std::filesystem::path& skinFolder) {
    if (!image.sizeKey.empty()) {
        LayoutRect r = ReadLayoutRect(skinFolder / skin.layoutFile, kLayoutSection, image.sizeKey);
        if (r == ParseLayoutValue(kMissingLayoutValue)) return std::nullopt;
        return LayoutRect{0, 0, r.w, r.h};
    }
    if (image.width > 0) return LayoutRect{0, 0, image.width, image.height};
    return LayoutRect{0, 0, skin.width, skin.height};
}

std::string BrightnessTrackImage(int position) {
    position = std::clamp(position, 0, kSliderPositions - 1);
    return std::to_string(position) + ".bmp";
}

std::string SpeedTrackImage(int position) {
    position = std::clamp(position, 0, kSliderPositions - 1);
    return std::to_string(kSliderPositions + position) + ".bmp";
}

std::string BusyFrameImage(int frame) {
    frame = ((frame - 1) % kBusyFrames + kBusyFrames) % kBusyFrames + 1;
    return "jdt" + std::to_string(frame) + ".bmp";
}

DirectionImages DirectionImagesFor(int mode, int direction) {
    // Per group: first plain, first chosen, second plain, second chosen.
    int group = mode == 12 ? 4 : mode == 18 ? 8 : 0;
    const std::string_view* p = kDirectionPictures + group;
    return direction == 255 ? DirectionImages{p[1], p[2]} : DirectionImages{p[0], p[3]};
}

}  // namespace vorlin
