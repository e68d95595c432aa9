#pragma once
// Writes ".a3f" model files: the game's own text format of one mesh and one material.
#include "mesh.h"

#include <string>

namespace tb::media {

// Which of the format's three vertex layouts a file uses. Without texture coordinates the
// game makes them itself by a flat projection over the model's bounds.
enum class VertexLayout { PositionNormalTexcoords, PositionTexcoords, PositionNormal };

struct Material {
    std::string name;
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    unsigned shininess = 8;
    std::string textureFile;    // empty: untextured
    std::string alpha = "NONE"; // how the texture's colours become transparency
};

struct ModelFile {
    std::string comment;
    VertexLayout layout = VertexLayout::PositionNormalTexcoords;
    Mesh mesh;
    Material material;
};

// The file's whole text.
std::string modelFileText(const ModelFile& model);
// Writes the text to `path`; false when the file cannot be written.
bool writeModelFile(const std::string& path, const ModelFile& model);

} // namespace tb::media
