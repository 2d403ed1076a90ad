// The keys of the keyboard picture that carry a light: each key button's control id and its
// lightPosition, the number of its LED in a key-colour page (row x 21 + column of a 6 x 21
// matrix). The nine G keys share position 125.
#pragma once

#include <span>

namespace vorlin {

// Control ids of the key buttons of the keyboard picture.
namespace keyctl {
inline constexpr int kEsc = 1022, kF1 = 1010, kF2 = 1011, kF3 = 1012, kF4 = 1013, kF5 = 1014,
                     kF6 = 1015, kF7 = 1023, kF8 = 1024, kF9 = 1025, kF10 = 1026, kF11 = 1027,
                     kF12 = 1028, kPrintScreen = 1091, kScrollLock = 1092, kPause = 1093;
inline constexpr int kGrave = 1029, k1 = 1030, k2 = 1031, k3 = 1032, k4 = 1033, k5 = 1034,
                     k6 = 1035, k7 = 1036, k8 = 1037, k9 = 1038, k0 = 1039, kMinus = 1040,
                     kEqual = 1041, kBackspace = 1043, kInsert = 1094, kHome = 1095, kPageUp = 1096,
                     kNumLock = 1104, kNumSlash = 1105, kNumStar = 1106, kNumMinus = 1107;
inline constexpr int kTab = 1056, kQ = 1044, kW = 1045, kE = 1046, kR = 1047, kT = 1048, kY = 1049,
                     kU = 1050, kI = 1051, kO = 1052, kP = 1053, kLBracket = 1054, kRBracket = 1055,
                     kBackslash = 1042, kDelete = 1097, kEnd = 1098, kPageDown = 1099, kNum7 = 1108,
                     kNum8 = 1109, kNum9 = 1110, kNumPlus = 1111;
inline constexpr int kCapsLock = 1069, kA = 1058, kS = 1059, kD = 1060, kF = 1061, kG = 1062,
                     kH = 1063, kJ = 1064, kK = 1065, kL = 1066, kSemicolon = 1067, kQuote = 1068,
                     kEnter = 1070, kNum4 = 1112, kNum5 = 1113, kNum6 = 1114;
inline constexpr int kLShift = 1082, kZ = 1071, kX = 1072, kC = 1073, kV = 1074, kB = 1075,
                     kN = 1076, kM = 1077, kComma = 1078, kPeriod = 1079, kSlash = 1080,
                     kRShift = 1081, kUp = 1103, kNum1 = 1115, kNum2 = 1116, kNum3 = 1117,
                     kNumEnter = 1118;
inline constexpr int kLCtrl = 1083, kLWin = 1084, kLAlt = 1085, kSpace = 1090, kRAlt = 1086,
                     kFn = 1174, kApp = 1088, kRWin = 1087, kRCtrl = 1089, kLeft = 1100,
                     kDown = 1101, kRight = 1102, kNum0 = 1120, kNumDot = 1119;
inline constexpr int kG1 = 1000, kG2 = 1001, kG3 = 1002, kG4 = 1003, kG5 = 1004, kG6 = 1140,
                     kG7 = 1141, kG8 = 1142, kG9 = 1143;
// The two extra keys of ISO and ABNT boards (beside Left Shift and Right Shift).
inline constexpr int kK45 = 1222, kK56 = 1223;
}  // namespace keyctl

constexpr int kLightPositions = 126;  // 6 x 21
constexpr int kGKeyLightPosition = 125;
constexpr int kFnLightPosition = 110;

struct LightKey {
    int controlId;
    int lightPosition;
};

// Every key whose colour the user-colour mode keeps: the 104 keys of the position table, Fn,
// and the nine G keys, in that order. Indexes into this list identify a key's base flag.
constexpr int kLightKeyCount = 114;
std::span<const LightKey> LightKeys();

// -1 when the control is not in LightKeys.
int LightKeyIndex(int controlId);
// The light of a key button, or -1. Besides LightKeys this knows K45 (85) and K56 (96), the
// free matrix cells where those keys sit on boards that have them.
int LightPositionOf(int controlId);

}  // namespace vorlin
