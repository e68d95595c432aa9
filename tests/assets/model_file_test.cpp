#include "assets/model_file.h"
#include "support/temp_media.h"

#include <gtest/gtest.h>

#include <string>

namespace tb {
namespace {

using test::Report;

// One triangle with a material, in the shape a writer produces.
constexpr const char* Triangle = R"(A3F
VERSION { 1.0 }
VERTICES { POSITION_NORMAL_TEXCOORDS 3
  0 0 0  0 0 1  0 0
  2 0 0  0 0 1  1 0
  0 3 -1  0 0 1  0 1
}
FACES { 1
  0 1 2 0
}
MATERIALS { 1
  {
    NAME red
    DIFFUSE 0.5 0.25 0.125 1
    SHININESS 12
    TEXTURE { FILE skin.jpg ALPHA BLACK_MASK }
  }
}
)";

class ModelFileTest : public ::testing::Test {
  protected:
    void SetUp() override { setGraphicsEnabled(false); }
    void TearDown() override { setGraphicsEnabled(true); }

    bool load(const std::string& text, const char* name = "m.a3f") {
        media.write(name, text);
        model = Model{};
        notes = ModelFileNotes{};
        return loadModelFile(name, model, &notes);
    }

    std::vector<Report> reports() const { return capture.reports(); }

    test::TempMedia media;
    test::ReportCapture capture;
    Model model;
    ModelFileNotes notes;
};

std::string withSections(const std::string& vertices, const std::string& faces,
                         const std::string& extra = "") {
    return "A3F\n" + vertices + "\n" + faces + "\n" + extra + "\n";
}

const std::string OneFace = "FACES { 1 0 1 2 0 }";
const std::string ThreeVertices = "VERTICES { POSITION_TEXCOORDS 3 0 0 0 0 0 1 0 0 1 0 0 1 0 0 1 }";

TEST_F(ModelFileTest, ReadsEveryFieldOfAWellFormedFileWithoutGraphics) {
    media.write("m.a3f", Triangle);
    model.transform[12] = 5.0f;
    model.position = {1, 2, 3};
    model.rotation = {0.1f, 0.2f, 0.3f};
    buildModel("m.a3f", model);
    EXPECT_TRUE(reports().empty()) << "graphics are off: the texture is named, not decoded";
    EXPECT_EQ(model.loaded, 1);
    EXPECT_EQ(model.displayList, 0u);
    EXPECT_EQ(model.vertexCount, 3u);
    EXPECT_EQ(model.faceCount, 1u);
    EXPECT_TRUE(model.hasNormals);
    EXPECT_EQ(model.faceIndices[0], 0u);
    EXPECT_EQ(model.faceIndices[2], 2u);
    EXPECT_FLOAT_EQ(model.vertices[2].position[1], 3.0f);
    EXPECT_FLOAT_EQ(model.vertices[1].texcoord[0], 1.0f);
    EXPECT_FLOAT_EQ(model.vertices[0].normal[2], 1.0f);
    EXPECT_FLOAT_EQ(model.boundsMin.z, -1.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.x, 2.0f);
    EXPECT_FLOAT_EQ(model.boundsMax.y, 3.0f);
    // max corner (2, 3, 0) is further out than the min corner (0, 0, -1)
    EXPECT_FLOAT_EQ(model.radiusSquared, 13.0f);
    EXPECT_EQ(model.materialName, "red");
    EXPECT_FLOAT_EQ(model.diffuse[1], 0.25f);
    EXPECT_EQ(model.shininess, 12u);
    EXPECT_EQ(model.textureFile, "skin.jpg");
    EXPECT_EQ(model.alphaMode, 3);
    EXPECT_EQ(model.textureId, 0u);
    EXPECT_EQ(model.transform, identityMatrix());
    EXPECT_FLOAT_EQ(model.position.x, 0.0f);
    EXPECT_FLOAT_EQ(model.rotation.yaw, 0.0f);
}

TEST_F(ModelFileTest, SkipsCommentsAndUnknownSections) {
    // A comment that mentions FACES is skipped whole, up to a token that is exactly "}".
    EXPECT_TRUE(load(withSections(ThreeVertices, "COMMENT { no FACES here a} {} } " + OneFace)));
    EXPECT_EQ(model.faceCount, 1u);

    // A comment swallowing the only FACES section leaves none.
    EXPECT_FALSE(load(withSections(ThreeVertices, "COMMENT { " + OneFace)));
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].message, "Failed to find section FACES:");

    // An unknown section is passed over token by token, so a section name inside it starts
    // that section.
    capture.clear();
    EXPECT_TRUE(load(withSections("EXTRA { 1 2 " + ThreeVertices, "junk " + OneFace)));
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(model.vertexCount, 3u);
    EXPECT_EQ(notes.warnings.size(), 2u) << "one warning for each unknown section";

    // Keywords match whole tokens with exact case; the brace may hug a number.
    EXPECT_FALSE(load(withSections("vertices { POSITION_TEXCOORDS 0 }", OneFace)));
    EXPECT_EQ(reports().back().message, "Failed to find section VERTICES:");
    EXPECT_TRUE(load("A3F VERSION {2.5} " + ThreeVertices + " FACES { 1 0 1 2 0}"));
}

TEST_F(ModelFileTest, FacesConsumeFourNumbersEach) {
    const std::string vertices =
        "VERTICES { POSITION_TEXCOORDS 4 0 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 1 0 0 }";
    ASSERT_TRUE(load(withSections(vertices, "FACES { 2 0 1 2 3 1 2 3 0 }")));
    EXPECT_EQ(model.faceIndices[3], 1u);
    EXPECT_EQ(model.faceIndices[5], 3u);
    // A face that names a vertex twice draws nothing, and the modeller is told so.
    for (const char* face : {"0 0 1 2", "0 1 1 2", "0 1 0 2"}) {
        ASSERT_TRUE(load(withSections(vertices, std::string("FACES { 1\n") + face + "\n}")));
        ASSERT_EQ(notes.warnings.size(), 1u) << face;
        EXPECT_NE(notes.warnings[0].text.find("names a vertex twice"), std::string::npos);
    }

    // A face written with three numbers shifts every later face by one...
    ASSERT_TRUE(load(withSections(vertices, "FACES { 2 0 1 2 1 2 3 0 0 }")));
    EXPECT_EQ(model.faceIndices[3], 2u);
    EXPECT_EQ(model.faceIndices[4], 3u);
    EXPECT_EQ(model.faceIndices[5], 0u);
    // ...and where nothing makes up for it, the closing brace is not a number.
    EXPECT_FALSE(load(withSections(vertices, "FACES { 2 0 1 2 3 1 2 3 }")));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "}"}));
}

TEST_F(ModelFileTest, LayoutsDecideNormalsAndTextureCoordinates) {
    ASSERT_TRUE(load(withSections(ThreeVertices, OneFace)));
    EXPECT_FALSE(model.hasNormals);
    EXPECT_FLOAT_EQ(model.vertices[1].texcoord[1], 0.0f);
    EXPECT_FLOAT_EQ(model.vertices[2].position[1], 1.0f);

    // Flat in x-y and centred on x = 0: v runs along y, u from the lowest x.
    ASSERT_TRUE(load(withSections(
        "VERTICES { POSITION_NORMAL 3 4 0 0 0 0 1  -4 0 0 0 0 1  0 2 0 0 0 1 }", OneFace)));
    EXPECT_TRUE(model.hasNormals);
    EXPECT_FLOAT_EQ(model.vertices[0].texcoord[0], 1.0f);
    EXPECT_FLOAT_EQ(model.vertices[2].texcoord[0], 0.5f);
    EXPECT_FLOAT_EQ(model.vertices[2].texcoord[1], 1.0f);

    // Equal y and z extents: v runs along z.
    ASSERT_TRUE(load(withSections(
        "VERTICES { POSITION_NORMAL 3 0 0 0 0 1 0  2 2 1 0 1 0  1 1 2 0 1 0 }", OneFace)));
    EXPECT_FLOAT_EQ(model.vertices[1].texcoord[1], 0.5f);
    EXPECT_FLOAT_EQ(model.vertices[2].texcoord[1], 1.0f);

    // No extent along x: no projection, the coordinates stay zero.
    ASSERT_TRUE(load(withSections(
        "VERTICES { POSITION_NORMAL 3 1 0 0 1 0 0  1 2 0 1 0 0  1 0 5 1 0 0 }", OneFace)));
    EXPECT_FLOAT_EQ(model.vertices[2].texcoord[0], 0.0f);
    EXPECT_FLOAT_EQ(model.vertices[2].texcoord[1], 0.0f);

    // Extent along x only cannot be projected.
    EXPECT_FALSE(
        load(withSections("VERTICES { POSITION_NORMAL 2 0 1 1 0 1 0  3 1 1 0 1 0 }", OneFace)));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "1 dimensional"}));
}

TEST_F(ModelFileTest, MaterialBlocksShareOneMaterial) {
    const std::string geometry = ThreeVertices + "\n" + OneFace + "\n";
    // Only the last block's texture counts; fields it does not name keep earlier values.
    ASSERT_TRUE(load("A3F " + geometry + R"(MATERIALS { 2
        { NAME first DIFFUSE 1 0 0 1 SHININESS 7 TEXTURE { FILE a.jpg ALPHA LUMINANCE } }
        { DIFFUSE 0 1 0 1 } })"));
    EXPECT_EQ(model.textureFile, "");
    EXPECT_EQ(model.materialName, "first");
    EXPECT_EQ(model.shininess, 7u);
    EXPECT_FLOAT_EQ(model.diffuse[0], 0.0f);
    // The alpha mode is set once per file, so the ALPHA of the first block survives.
    EXPECT_EQ(model.alphaMode, 1);

    // An empty block, a texture block in the last block, and an ALPHA that is a number.
    ASSERT_TRUE(load("A3F " + geometry + R"(MATERIALS { 2 } { SPECULAR 1 1 1 1 UNKNOWN
        TEXTURE { { FILE b.bmp ALPHA 3 } AMBIENT 0.2 0.2 0.2 1 } })"));
    EXPECT_EQ(model.textureFile, "b.bmp");
    EXPECT_EQ(model.alphaMode, 10);
    EXPECT_FLOAT_EQ(model.ambient[0], 0.2f);
    EXPECT_FLOAT_EQ(model.specular[3], 1.0f);

    for (const auto& [word, code] : {std::pair{"NONE", 0},
                                     {"ILLUMINANCE", 2},
                                     {"RED", 4},
                                     {"GREEN_MASK", 8},
                                     {"BLUE_MASK", 9},
                                     {"green", 10}}) {
        ASSERT_TRUE(load("A3F " + geometry + "MATERIALS { 1 { TEXTURE { ALPHA " + word + " } } }"));
        EXPECT_EQ(model.alphaMode, code) << word;
        ASSERT_EQ(notes.warnings.size(), code == 10 ? 1u : 0u) << word;
    }
    EXPECT_EQ(notes.warnings[0].line, 3) << "the line of the unknown word";
}

TEST_F(ModelFileTest, ReportsEachFailureWithItsSubject) {
    model = Model{};
    EXPECT_FALSE(loadModelFile("missing.a3f", model));
    EXPECT_EQ(reports().back(), (Report{"Could not open file:", media.path("missing.a3f")}));

    EXPECT_FALSE(load("A3G VERTICES", "odd.a3f"));
    EXPECT_EQ(reports().back(), (Report{"Not an .a3f file:", "odd.a3f"}));
    EXPECT_FALSE(load(""));
    EXPECT_EQ(reports().back().message, "Not an .a3f file:");

    EXPECT_FALSE(load("A3F", "bare.a3f"));
    EXPECT_EQ(reports().back(), (Report{"Failed to find section VERTICES:", "bare.a3f"}));

    EXPECT_FALSE(load("A3F " + ThreeVertices, "nofaces.a3f"));
    EXPECT_EQ(reports().back(), (Report{"Failed to find section FACES:", "nofaces.a3f"}));

    EXPECT_FALSE(load(withSections("VERTICES { POSITION_COLOUR 0 }", OneFace)));
    EXPECT_EQ(reports().back(), (Report{"Bad vertex format:", "POSITION_COLOUR"}));

    EXPECT_EQ(reports().size(), 6u); // one report per failure
    EXPECT_EQ(model.loaded, 0);
}

TEST_F(ModelFileTest, RefusesWhatWouldReadOutsideTheVertices) {
    EXPECT_FALSE(load(withSections(ThreeVertices, "FACES { 1 0 1 3 0 }")));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "face index 3 of 3 vertices"}));

    // Faces before vertices are checked against the vertices finally read.
    EXPECT_TRUE(load("A3F " + OneFace + " " + ThreeVertices));
    EXPECT_FALSE(load("A3F FACES { 1 0 1 2 0 } VERTICES { POSITION_TEXCOORDS 0 }"));
    EXPECT_EQ(reports().back().subject, "face index 0 of 0 vertices");
}

TEST_F(ModelFileTest, RefusesMalformedNumbersAndTokens) {
    EXPECT_FALSE(
        load(withSections("VERTICES { POSITION_TEXCOORDS 3 0 0 0 0 0 1 0 0 1,5 0", OneFace)));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "1,5"}));

    EXPECT_FALSE(load(withSections(ThreeVertices, "FACES { 1 0 -1 2 0 }")));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "-1"}));

    EXPECT_FALSE(load(withSections(ThreeVertices, "FACES { 99999999999 }")));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "99999999999"}));

    EXPECT_FALSE(load("A3F VERSION { x }"));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", "x"}));

    const std::string longName(260, 'n');
    EXPECT_FALSE(load("A3F " + ThreeVertices + " " + OneFace + " MATERIALS { 1 { NAME " + longName +
                      " } }"));
    EXPECT_EQ(reports().back(), (Report{"Bad model:", longName}));
    EXPECT_TRUE(load("A3F " + ThreeVertices + " " + OneFace + " MATERIALS { 1 { NAME " +
                     longName.substr(1) + " } }"));

    // A count the rest of the file cannot hold, and a file cut off inside a section.
    EXPECT_FALSE(load(withSections("VERTICES { POSITION_TEXCOORDS 4000000000 0 0 0 0 0", "")));
    EXPECT_EQ(reports().back(), (Report{"Unexpected end of file:", "m.a3f"}));
    EXPECT_FALSE(load("A3F " + ThreeVertices + " FACES { 2 0 1 2 0 1 2", "cut.a3f"));
    EXPECT_EQ(reports().back(), (Report{"Unexpected end of file:", "cut.a3f"}));
    EXPECT_EQ(model.loaded, 0);
}

TEST_F(ModelFileTest, NumbersTooSmallForAFloatReadAsZeroAndTooLargeOnesFail) {
    const struct {
        const char* number;
        bool loads;
    } cases[] = {
        {"1e-46", true},         {"-1000e-49", true},
        {"0.0000001e-40", true}, {"1e-99999999999999999999", true},
        {"1e39", false},         {"0.01e41", false},
        {"-123456e34", false},   {"1e99999999999999999999", false},
    };
    for (const auto& c : cases) {
        const std::string vertices = std::string("VERTICES { POSITION_TEXCOORDS 3 ") + c.number +
                                     " 0 0 0 0 1 0 0 1 0 0 1 0 0 1 }";
        EXPECT_EQ(load(withSections(vertices, OneFace)), c.loads) << c.number;
        if (c.loads) {
            EXPECT_EQ(model.vertices[0].position[0], 0.0f) << c.number;
        }
    }
}

TEST_F(ModelFileTest, ASecondSectionReplacesTheFirst) {
    ASSERT_TRUE(load(withSections(ThreeVertices, OneFace) +
                     "VERTICES { POSITION_NORMAL_TEXCOORDS 4 0 0 0 0 1 0 0 0 5 0 0 0 1 0 0 0 "
                     "0 5 0 0 1 0 0 0 0 0 5 0 1 0 0 0 } FACES { 2 0 1 2 0 1 2 3 0 }"));
    EXPECT_EQ(model.vertexCount, 4u);
    EXPECT_EQ(model.faceCount, 2u);
    EXPECT_TRUE(model.hasNormals);
    EXPECT_FLOAT_EQ(model.boundsMax.z, 5.0f);
    EXPECT_EQ(model.vertices.use_count(), 1);
}

} // namespace
} // namespace tb
