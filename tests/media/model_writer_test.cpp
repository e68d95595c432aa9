// Model files written by the generator, read back by the game's own reader, and the undoing
// of a placement checked against the game's own pose matrices.
#include "mesh.h"
#include "model_writer.h"

#include "assets/model_file.h"
#include "support/temp_media.h"
#include "track/transform.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tb::media {
namespace {

ModelFile boxModel(VertexLayout layout) {
    ModelFile file;
    file.comment = "a test box";
    file.layout = layout;
    addBox(file.mesh, {-1, 0, -2}, {3, 1, 1}, allFaces(TexRect{0.25f, 0.5f, 0.75f, 1.0f}));
    file.material.name = "boxPaint";
    file.material.diffuse[1] = 0.5f;
    file.material.textureFile = "box.bmp";
    file.material.alpha = "BLACK_MASK";
    return file;
}

TEST(ModelWriter, TheGameReadsBackEveryLayoutWithItsMaterial) {
    setGraphicsEnabled(false);
    for (const VertexLayout layout :
         {VertexLayout::PositionNormalTexcoords, VertexLayout::PositionTexcoords,
          VertexLayout::PositionNormal}) {
        test::TempMedia folder;
        test::ReportCapture reports;
        const ModelFile file = boxModel(layout);
        ASSERT_TRUE(writeModelFile(folder.path("box.a3f"), file));
        Model model;
        ASSERT_TRUE(loadModelFile("box.a3f", model));
        EXPECT_TRUE(reports.reports().empty());
        ASSERT_EQ(model.vertexCount, file.mesh.vertices.size());
        ASSERT_EQ(model.faceCount, file.mesh.triangles.size());
        EXPECT_EQ(model.hasNormals, layout != VertexLayout::PositionTexcoords);
        EXPECT_EQ(
            (std::tuple{model.boundsMin.x, model.boundsMin.z, model.boundsMax.x, model.boundsMax.y,
                        model.materialName, model.diffuse[1], model.textureFile, model.alphaMode}),
            (std::tuple{-1.0f, -2.0f, 3.0f, 1.0f, "boxPaint", 0.5f, "box.bmp", 3}));
        for (std::uint32_t f = 0; f < model.faceCount; ++f) {
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(model.faceIndices[3 * f + k], file.mesh.triangles[f][k]);
            }
        }
        const MeshVertex& written = file.mesh.vertices[5];
        const ModelVertex& read = model.vertices[5];
        EXPECT_FLOAT_EQ(read.position[0], written.position.x);
        EXPECT_FLOAT_EQ(read.position[2], written.position.z);
        if (layout == VertexLayout::PositionNormal) {
            // The game projects the texture over x and the larger of the y and z extents.
            EXPECT_FLOAT_EQ(read.texcoord[0], (written.position.x + 1) / 4);
            EXPECT_FLOAT_EQ(read.texcoord[1], (written.position.z + 2) / 3);
        } else {
            EXPECT_FLOAT_EQ(read.texcoord[0], written.uv.u);
            EXPECT_FLOAT_EQ(read.texcoord[1], written.uv.v);
        }
    }
}

TEST(Mesh, FacesWindCounterClockwiseSeenFromOutside) {
    Mesh box;
    addBox(box, {-1, -1, -1}, {1, 1, 1}, allFaces(TexRect{}));
    Mesh tube;
    addTube(tube, {{{0, 0, 0}, 1, 1}, {{0, 0, 2}, 1, 1}}, 8, {0, 1, 0}, TexRect{}, true, true);
    for (const Mesh* m : {&box, &tube}) {
        const Bounds b = boundsOf(*m);
        const V3 centre = (b.min + b.max) * 0.5f;
        for (const auto& t : m->triangles) {
            const V3 a = m->vertices[t[0]].position, p = m->vertices[t[1]].position,
                     q = m->vertices[t[2]].position;
            const V3 facing = cross(p - a, q - a);
            EXPECT_GT(dot(facing, (a + p + q) * (1.0f / 3) - centre), 0.0f);
        }
    }
}

TEST(Unplace, ThePlacementPutsTheModelBackWhereItWasBuilt) {
    Mesh built;
    addBox(built, {-7.8f, 0, -0.5f}, {-6.8f, 10.4f, 0.5f}, allFaces(TexRect{}));
    const Placement placements[] = {
        {{9, 5, 9}, 1.570795f}, {{0.65f, 0.65f, 0.65f}, 0}, {{10.01f, 10, 10.01f}, 0}};
    for (const Placement& placement : placements) {
        const Mesh model = unplace(built, placement);
        Mat4 m;
        composeTransform(m, placement.scale.x, placement.scale.y, placement.scale.z, 0,
                         placement.yaw, 0, 0, 0, 0);
        for (std::size_t i = 0; i < built.vertices.size(); ++i) {
            const V3 p = model.vertices[i].position;
            const Vec3 placed = transformPoint(m, p.x, p.y, p.z);
            EXPECT_NEAR(placed.x, built.vertices[i].position.x, 1e-3f);
            EXPECT_NEAR(placed.y, built.vertices[i].position.y, 1e-3f);
            EXPECT_NEAR(placed.z, built.vertices[i].position.z, 1e-3f);
            // Normals placed by the inverse transpose point the built way again.
            const V3 n = model.vertices[i].normal;
            const Vec3 pn = transformPoint(m, n.x / (placement.scale.x * placement.scale.x),
                                           n.y / (placement.scale.y * placement.scale.y),
                                           n.z / (placement.scale.z * placement.scale.z));
            // ... at unit length, as lighting without renormalising needs them.
            const V3 back{pn.x, pn.y, pn.z};
            EXPECT_NEAR(length(back), 1.0f, 1e-4f);
            EXPECT_GT(dot(back, built.vertices[i].normal), 0.9999f);
        }
    }
}

} // namespace
} // namespace tb::media
