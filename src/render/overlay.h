#pragma once
// The 2-D overlay surface the head-up display is painted into and that is blended over each
// frame. Colours are 0x00BBGGRR; coordinates are surface pixels, origin top-left, y down.
#include <cstdint>

namespace tb {

// Rectangle in a reference frame of referenceWidth x referenceHeight, top-left origin.
bool createOverlay(int left, int top, int right, int bottom, int referenceWidth,
                   int referenceHeight, bool blend);
void destroyOverlay();
void clearOverlay();
void setOverlayColour(std::uint32_t colour);
void setOverlayFont(int height, bool bold, bool italic, bool underline, const char* faceName);
void drawOverlayEllipse(int left, int top, int right, int bottom);
// flags: 0 left-aligned, 1 centred; never clipped to the rectangle.
void drawOverlayText(const char* text, int left, int top, int right, int bottom, int flags);
void drawOverlayGauge(int left, int top, int right, int bottom, float fraction);
void finishOverlay();
void blitOverlay();

constexpr int OverlayTextLeft = 0;
constexpr int OverlayTextCentre = 1;

// For tests and tools: the surface's size and its pixels, 4 bytes each (blue, green, red,
// alpha), stored bottom row first as they reach the graphics library; null without a surface.
int overlayWidth();
int overlayHeight();
const std::uint8_t* overlayPixels();

} // namespace tb
