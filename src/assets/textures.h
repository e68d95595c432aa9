#pragma once
// Textures from ".jpg" and ".bmp" files, uploaded once per file name.
#include <cstdint>

namespace tb {

constexpr int TextureRegistrySize = 255;

// The texture object for the file, loading and uploading it the first time; 0 on failure.
std::uint32_t loadTexture(const char* fileName, int alphaMode);
// Distinct files uploaded so far.
int registeredTextureCount();
// Empties the registry without deleting anything and stores the quality flag.
void resetTextureRegistry(bool highQuality);
// Deletes every registered texture object and empties the registry.
void releaseTextures();

} // namespace tb
