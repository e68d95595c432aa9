#include "model_writer.h"

#include "file_output.h"

#include <cstdio>
#include <initializer_list>

namespace tb::media {
namespace {

// Shortest text that reads back as the same float, independent of the locale's decimal point.
std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    if (std::string(text) == "-0") {
        return "0";
    }
    return text;
}

std::string colour(const float c[4]) {
    return number(c[0]) + " " + number(c[1]) + " " + number(c[2]) + " " + number(c[3]);
}

const char* layoutKeyword(VertexLayout layout) {
    switch (layout) {
    case VertexLayout::PositionTexcoords:
        return "POSITION_TEXCOORDS";
    case VertexLayout::PositionNormal:
        return "POSITION_NORMAL";
    case VertexLayout::PositionNormalTexcoords:
        break;
    }
    return "POSITION_NORMAL_TEXCOORDS";
}

void appendNumbers(std::string& line, std::initializer_list<float> values) {
    for (const float value : values) {
        line += ' ';
        line += number(value);
    }
}

// Appended piece by piece: GCC 12 at -O3 misreads `" " + std::string` as overlapping copies.
std::string vertexLine(const MeshVertex& v, VertexLayout layout) {
    std::string line = number(v.position.x);
    appendNumbers(line, {v.position.y, v.position.z});
    if (layout != VertexLayout::PositionTexcoords) {
        appendNumbers(line, {v.normal.x, v.normal.y, v.normal.z});
    }
    if (layout != VertexLayout::PositionNormal) {
        appendNumbers(line, {v.uv.u, v.uv.v});
    }
    line += '\n';
    return line;
}

std::string materialText(const Material& m) {
    std::string text = "MATERIALS {\n1\n{\n";
    text += "NAME " + m.name + "\n";
    text += "AMBIENT " + colour(m.ambient) + "\n";
    text += "DIFFUSE " + colour(m.diffuse) + "\n";
    text += "SPECULAR " + colour(m.specular) + "\n";
    text += "EMISSION " + colour(m.emission) + "\n";
    text += "SHININESS " + std::to_string(m.shininess) + "\n";
    if (!m.textureFile.empty()) {
        text += "TEXTURE {\nFILE " + m.textureFile + "\nALPHA " + m.alpha + "\n}\n";
    }
    return text + "}\n}\n";
}

} // namespace

std::string modelFileText(const ModelFile& model) {
    std::string text = "A3F\nVERSION {\n1.0\n}\n";
    if (!model.comment.empty()) {
        text += "COMMENT {\n" + model.comment + "\n}\n";
    }
    const Mesh& mesh = model.mesh;
    text += "VERTICES {\n" + std::string(layoutKeyword(model.layout)) + "\n" +
            std::to_string(mesh.vertices.size()) + "\n";
    for (const MeshVertex& v : mesh.vertices) {
        text += vertexLine(v, model.layout);
    }
    text += "}\nFACES {\n" + std::to_string(mesh.triangles.size()) + "\n";
    // The fourth number of a face is read and not used; 0 names the one material.
    for (const auto& t : mesh.triangles) {
        text +=
            std::to_string(t[0]) + " " + std::to_string(t[1]) + " " + std::to_string(t[2]) + " 0\n";
    }
    text += "}\n";
    return text + materialText(model.material);
}

bool writeModelFile(const std::string& path, const ModelFile& model) {
    return writeWholeFile(path, modelFileText(model));
}

} // namespace tb::media
