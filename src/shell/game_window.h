#pragma once
// The one game window with its double-buffered OpenGL context, windowed or full screen.
namespace tb {

// The window's drawing area as the window system really gives it: pixels for the graphics
// library, window coordinates for the mouse (the two differ on scaled desktops).
struct DrawingArea {
    int width = 0;
    int height = 0;
    int pointerWidth = 0;
    int pointerHeight = 0;
};

extern DrawingArea drawingArea;

// Opens the window "Trundlebay" and makes its context current. Windowed, the drawing area is
// the settings' Width x Height; with UseScreenRes 3 the window, frame included, fills the
// desktop's usable area. Full screen takes the display mode of that size, else the closest
// one the display offers, else the desktop's own; a refused full screen becomes a window.
// False when no window or context can be had at all.
bool createGameWindow();
// Measures the drawing area again into `drawingArea`; false without a window.
bool measureDrawingArea();
// Raises the window and gives it the keyboard focus, as at its opening; the level's error
// boxes may have taken the focus, and without a window manager nothing gives it back.
void bringGameWindowToFront();
// While the game is in the background the pointer is free and visible; back in front it is
// confined to the window (windowed) or hidden (full screen) again.
void releasePointer();
void takePointer();
// Switches between the window and full screen at the desktop's size, the picture filling it;
// the Windowed setting keeps the choice for the next start. Nothing without a window, or when
// the window system refuses.
void toggleFullScreen();
// Gives the desktop back its mode, cursor and pointer, and closes the context and the window.
// Safe to call again; the second call finds nothing left to release.
void tearDownDisplay();
// Presents the back buffer; nothing when there is no window.
void swapGameWindow();
// Around a dialog shown over the game: the first lets the dialog take the pointer and the
// focus without a full-screen game minimising; the second brings the game window back in
// front with the focus. Nothing when there is no window.
void stepAsideForDialog();
void raiseGameWindow();

} // namespace tb
