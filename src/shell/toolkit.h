#pragma once
// GTK, started once for the two windows the game draws with it: the launcher and the "ERROR"
// box.
namespace tb {

// Starts GTK on the player's display the first time it is called, without switching the
// process's locale; later calls return the first answer. False when there is no display.
bool startGtk();

} // namespace tb
