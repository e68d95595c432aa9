#pragma once
// The 2-D overlay surface the head-up display is painted into and that is blended over each
// frame. Colours are 0x00BBGGRR; coordinates are surface pixels, origin top-left, y down.
#include <cstdint>

namespace tb {

// Rectangle in a reference frame of referenceWidth x referenceHeight, top-left origin. The
// surface has that many pixels times the overlay scale.
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

// The HUD's reference height: the overlay is drawn at whole multiples of it, so it stays
// readable on big screens and its text and shapes stay crisp.
constexpr int OverlayReferenceHeight = 480;
// The largest whole number of times the reference height fits in the drawing area, at least 1.
int overlayScaleFor(int drawingAreaHeight);
// Draws every primitive `scale` times larger from now on, remaking an existing surface at the
// new size with the same place, pen colour and font.
void setOverlayScale(int scale);

constexpr int OverlayTextLeft = 0;
constexpr int OverlayTextCentre = 1;

// For tests and tools: the surface's size and its pixels, 4 bytes each (blue, green, red,
// alpha), stored bottom row first as they reach the graphics library; null without a surface.
int overlayWidth();
int overlayHeight();
const std::uint8_t* overlayPixels();

} // namespace tb
