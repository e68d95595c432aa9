#pragma once
// The audio device: 11025 stereo 16-bit frames per second, blocks of 1024 frames, its
// callback thread calling mixNextBlock once per block. Without a device the game is silent.
namespace tb {

// Opens the mixer and the device, once; a missing device is not reported.
void openSoundOutput();
// Stops the device, waits for a running callback, then frees all sound memory. Safe to call
// when the output was never opened: the loaded sounds are freed all the same.
void closeSoundOutput();
// True from openSoundOutput on, whether or not a device was found.
bool mixerReady();

} // namespace tb
