#pragma once
// The launcher window shown before the game: the splash picture, the resolution list, the
// option boxes and Start.
namespace tb {

// Reads the settings file, shows the launcher titled `caption` and waits for the player.
// Start copies the choices into `settings` (with `changed` set) and returns true; closing the
// window, or a launcher that cannot be shown, returns false and leaves `settings` as read.
// The window is gone when this returns.
bool runLauncher(const char* caption);

} // namespace tb
