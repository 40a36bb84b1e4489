#pragma once
// The design layout shared by the four full-size windows, in pixels (15 twips each).
#include "logic/twips.h"

#include <QColor>
#include <QRect>

namespace design {

constexpr int px(int length) { return twips::toPixels(length); }

constexpr QSize kClientSize{968, 741};  // 14520 x 11115 twips
constexpr QPoint kWindowPos{px(1560), px(1950)};
constexpr QPoint kOffscreenRescue{px(1500), px(1500)};  // where a window dragged off to the left jumps

// Command bar: ten buttons, 975 x 280 twips, 990 twips apart from left 45, top 30.
constexpr int kButtonCount = 10;
constexpr QRect button(int slot) {  // slot 0..9
  return {3 + 66 * slot, 2, 65, 19};
}

// Main window.
constexpr QRect kWeb1{0, 24, 1024, 768};
constexpr QRect kPicAVI{0, 0, 81, 33};
constexpr QRect kMainHelp{40, 48, 821, 695};
constexpr QSize kMainHelpImage{820, 692};

// Side windows (search, index, history).
constexpr QRect kSideHelp{40, 48, 809, 649};
constexpr QSize kSideHelpImage{800, 640};
inline const QColor kSideBackground{0xC0, 0xC0, 0xC0};
constexpr QRect kTxtInput{24, 40, 569, 24};
constexpr QRect kCmdFTS{616, 40, 89, 25};
constexpr QRect kLblSearch{24, 88, 137, 17};
constexpr QRect kLblFound{512, 88, 145, 25};
constexpr QRect kLbResults{24, 112, 681, 160};
constexpr QRect kHistResults{24, 32, 681, 238};

// The splash shown while search data loads: 4785 x 1365 twips, its label at 600, 360.
constexpr QSize kSplashClient{319, 91};
constexpr QRect kSplashLabel{40, 24, 249, 41};

}  // namespace design
