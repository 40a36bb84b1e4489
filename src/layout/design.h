#pragma once
// The design layout shared by the four full-size windows, in pixels (15 twips each).
#include "logic/twips.h"

#include <QColor>
#include <QRect>

namespace design {

// Lengths of the design are in twips; on screen they are whole pixels, the remainder dropped.
constexpr int px(int length) { return twips::toPixels(length); }
constexpr QRect rect(int left, int top, int width, int height) { return {px(left), px(top), px(width), px(height)}; }

constexpr QSize kClientSize{px(14520), px(11115)};
constexpr QPoint kWindowPos{px(1560), px(1950)};
constexpr QPoint kOffscreenRescue{px(1500), px(1500)};  // where a window dragged off to the left jumps

// Command bar: ten buttons, 975 x 280 twips, 990 twips apart from left 45, top 30.
constexpr int kButtonCount = 10;
constexpr QRect button(int slot) { return rect(45 + 990 * slot, 30, 975, 280); }  // slot 0..9

// Main window.
constexpr QRect kWeb1 = rect(0, 360, 15360, 11520);
constexpr QRect kPicAVI = rect(0, 0, 1215, 495);
constexpr QRect kMainHelp = rect(600, 720, 12315, 10425);
constexpr QSize kMainHelpImage{820, 692};

// Side windows (search, index, history).
constexpr QRect kSideHelp = rect(600, 720, 12135, 9735);
constexpr QSize kSideHelpImage{800, 640};
inline const QColor kSideBackground{0xC0, 0xC0, 0xC0};
constexpr QRect kTxtInput = rect(360, 600, 8535, 360);
constexpr QRect kCmdFTS = rect(9240, 600, 1335, 375);
constexpr QRect kLblSearch = rect(360, 1320, 2055, 255);
constexpr QRect kLblFound = rect(7680, 1320, 2175, 375);
constexpr QRect kLbResults = rect(360, 1680, 10215, 2400);
constexpr QRect kHistResults = rect(360, 480, 10215, 3570);

// The splash shown while search data loads: 4785 x 1365 twips, its label at 600, 360.
constexpr QSize kSplashClient{px(4785), px(1365)};
constexpr QRect kSplashLabel = rect(600, 360, 3735, 615);

}  // namespace design
