#pragma once
// The one game window with its double-buffered OpenGL context, windowed or full screen.
namespace tb {

// Opens the window "Trundlebay" of the settings' Width x Height (the desktop size, stored back
// into the settings, when UseScreenRes is 3) and makes its context current. Full screen needs a
// display mode of exactly that size; without one nothing is opened. False on any failure.
bool createGameWindow();
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
