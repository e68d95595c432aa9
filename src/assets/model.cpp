#include "assets/model.h"

#include "assets/gl_errors.h"
#include "assets/model_file.h"
#include "assets/textures.h"

#include <GL/gl.h>
#include <algorithm>

namespace tb {
namespace {

constexpr GLsizei ListBlockSize = 1000;
// The graphics library refuses larger specular exponents and would drop the whole call.
constexpr GLfloat MaxShininess = 128.0f;

bool graphicsOn = true;

// Display list names are handed out in build order from blocks reserved in one request each.
struct ListBlock {
    GLuint base = 0;
    GLsizei used = 0;
};

ListBlock listBlock;

GLuint nextListName() {
    if (listBlock.base == 0 || listBlock.used == ListBlockSize) {
        listBlock.base = glGenLists(ListBlockSize);
        listBlock.used = 0;
        if (listBlock.base == 0) {
            return 0;
        }
    }
    return listBlock.base + static_cast<GLuint>(listBlock.used++);
}

void sendTriangles(const Model& model) {
    const bool textured = model.textureId != 0;
    glBegin(GL_TRIANGLES);
    for (std::uint32_t i = 0; i < 3 * model.faceCount; ++i) {
        const ModelVertex& v = model.vertices[model.faceIndices[i]];
        if (textured) {
            glTexCoord2fv(v.texcoord);
        }
        if (model.hasNormals) {
            glNormal3fv(v.normal);
        }
        glVertex3fv(v.position);
    }
    glEnd();
}

void compileList(const Model& model) {
    const bool blends = model.alphaMode != 0;
    glNewList(model.displayList, GL_COMPILE);
    glColor4fv(model.diffuse);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, model.diffuse);
    glMaterialf(GL_FRONT, GL_SHININESS,
                std::min(static_cast<GLfloat>(model.shininess), MaxShininess));
    if (blends) {
        glEnable(GL_BLEND);
    }
    sendTriangles(model);
    if (blends) {
        glDisable(GL_BLEND);
    }
    glEndList();
}

void releaseGraphics(const Model& model) {
    if (model.displayList != 0) {
        glDeleteLists(model.displayList, 1);
    }
    if (model.textureId != 0) {
        glDeleteTextures(1, &model.textureId);
    }
    discardGlErrors();
}

} // namespace

void buildModel(const char* fileName, Model& model) {
    if (!loadModelFile(fileName, model) || !graphicsOn) {
        return;
    }
    model.displayList = nextListName();
    if (model.displayList != 0) {
        compileList(model);
    }
}

void cloneModel(const Model& source, Model& destination, const char* textureFile) {
    destination = source;
    destination.sharesGeometry = true;
    if (textureFile != nullptr && *textureFile != '\0') {
        destination.textureId = loadTexture(textureFile, destination.alphaMode);
    }
}

void drawModel(const Model& model) {
    if (model.loaded != 1 || model.displayList == 0 || !graphicsOn) {
        return;
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(model.transform.data());
    glBindTexture(GL_TEXTURE_2D, model.textureId);
    glCallList(model.displayList);
}

void destroyModel(Model& model) {
    if (model.sharesGeometry) {
        return;
    }
    if (graphicsOn) {
        releaseGraphics(model);
    }
    // A released model reads as an empty one, so nothing can draw a deleted list.
    model.vertices.reset();
    model.faceIndices.reset();
    model.vertexCount = 0;
    model.faceCount = 0;
    model.displayList = 0;
    model.textureId = 0;
    model.loaded = 0;
}

void forgetDisplayLists() {
    listBlock = ListBlock{};
}

void setGraphicsEnabled(bool enabled) {
    graphicsOn = enabled;
}

bool graphicsEnabled() {
    return graphicsOn;
}

} // namespace tb
