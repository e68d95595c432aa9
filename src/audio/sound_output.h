#pragma once
// The audio device: 11025 stereo 16-bit frames per second, blocks of 1024 frames, its
// callback thread calling mixNextBlock once per block. Without a device the game is silent.
namespace tb {

void openSoundOutput();
// Stops the device, waits for a running callback, then frees all sound memory.
void closeSoundOutput();
bool mixerReady();

} // namespace tb
