#pragma once
// The game's one drawable object: a triangle mesh with one material and an optional texture,
// compiled into a display list, with its placement and bounds.
#include "assets/math_types.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tb {

struct ModelVertex {
    float position[3] = {};
    float normal[3] = {};
    float texcoord[2] = {};
};

struct Model {
    Mat4 transform = identityMatrix();
    Vec3 position;
    Angles rotation;
    Vec3 boundsMin;
    Vec3 boundsMax;
    float radiusSquared = 0.0f;
    std::uint32_t displayList = 0;
    std::string materialName;
    float ambient[4] = {};
    float diffuse[4] = {};
    float emission[4] = {};
    float specular[4] = {};
    std::uint32_t shininess = 0;
    std::uint32_t textureId = 0;
    std::string textureFile;
    int alphaMode = 0;
    bool hasNormals = false;
    bool sharesGeometry = false; // arrays and display list belong to the model it was cloned from
    int loaded = 0;
    std::uint32_t vertexCount = 0;
    std::shared_ptr<std::uint32_t[]> faceIndices; // 3 x faceCount vertex indices
    std::shared_ptr<ModelVertex[]> vertices;
    std::uint32_t faceCount = 0;
};

// Reads the model file and compiles its display list; on failure `loaded` stays 0.
void buildModel(const char* fileName, Model& model);
// Makes `destination` share `source`'s geometry and list, optionally with another texture.
void cloneModel(const Model& source, Model& destination, const char* textureFile = nullptr);
// Draws the model with its own transform as the model-view matrix; skips unloaded models.
void drawModel(const Model& model);
// Releases what the model owns; a clone releases nothing.
void destroyModel(Model& model);

// Without graphics (the headless race, the inspection tool) models are read but no display
// list is compiled and no texture is decoded or uploaded.
void setGraphicsEnabled(bool enabled);
bool graphicsEnabled();
// After the rendering context was replaced: the next build reserves a fresh block of names.
void forgetDisplayLists();

} // namespace tb
