#pragma once
// The course's layouts and the popup's margins are measured in twips; the design has 15 to
// a pixel (96 dots to the inch).
namespace twips {

inline constexpr int kPerPixel = 15;

// Whole pixels in `twips`, the remainder dropped.
constexpr int toPixels(int twips) { return twips / kPerPixel; }

}  // namespace twips
