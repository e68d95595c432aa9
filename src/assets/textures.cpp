#include "assets/textures.h"

#include "assets/gl_errors.h"
#include "assets/image_decode.h"
#include "assets/model.h"
#include "assets/texture_pixels.h"
#include "shell/error_report.h"

#include <GL/gl.h>
#include <string>

namespace tb {
namespace {

constexpr const char* TextureFailure = "Unable to load the texture file:";

struct TextureEntry {
    std::string name;
    GLuint texture = 0;
};

struct TextureRegistry {
    TextureEntry entries[TextureRegistrySize];
    int count = 0;
    bool highQuality = false;
};

TextureRegistry registry;

void emptyEntries() {
    for (TextureEntry& entry : registry.entries) {
        entry.name.clear();
        entry.texture = 0;
    }
    registry.count = 0;
}

// Every entry is searched, including the one a failed load left its name in, so a file that
// failed is reported once and then answered with 0.
const TextureEntry* findEntry(const char* fileName) {
    for (const TextureEntry& entry : registry.entries) {
        if (entry.name == fileName) {
            return &entry;
        }
    }
    return nullptr;
}

GLint internalFormat(int alphaMode) {
    if (alphaModeBlends(alphaMode)) {
        return registry.highQuality ? GL_RGBA : GL_RGBA2;
    }
    return registry.highQuality ? GL_RGB : GL_R3_G3_B2;
}

GLuint uploadTexture(std::uint8_t* pixels, int width, int height, int alphaMode) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    widenPixels(pixels, width, height, alphaMode);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat(alphaMode), width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

} // namespace

std::uint32_t loadTexture(const char* fileName, int alphaMode) {
    if (fileName == nullptr || !graphicsEnabled()) {
        return 0;
    }
    if (const TextureEntry* known = findEntry(fileName)) {
        return known->texture;
    }
    if (registry.count >= TextureRegistrySize) {
        reportError(fileName, TextureFailure);
        return 0;
    }
    TextureEntry& entry = registry.entries[registry.count];
    entry.name = fileName;
    entry.texture = 0;
    int width = 0;
    int height = 0;
    const auto pixels = decodeImage(fileName, width, height);
    if (!pixels) {
        reportError(fileName, TextureFailure);
        return 0;
    }
    entry.texture = uploadTexture(pixels.get(), width, height, alphaMode);
    ++registry.count;
    return entry.texture;
}

int registeredTextureCount() {
    return registry.count;
}

void resetTextureRegistry(bool highQuality) {
    registry.highQuality = highQuality;
    emptyEntries();
    if (graphicsEnabled()) {
        GLint largest = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        setImageSideLimit(largest);
    }
}

void releaseTextures() {
    const bool graphics = graphicsEnabled();
    for (const TextureEntry& entry : registry.entries) {
        if (graphics && entry.texture != 0) {
            glDeleteTextures(1, &entry.texture);
        }
    }
    emptyEntries();
    if (graphics) {
        discardGlErrors();
    }
}

} // namespace tb
