#include "assets/model_file.h"

#include "assets/textures.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace tb {
namespace {

constexpr std::size_t MaxTokenLength = 259;
constexpr float BoundsStartMin = 100000.0f;
constexpr float BoundsStartMax = -100000.0f;
constexpr const char* BadModel = "Bad model:";
constexpr const char* EndOfFile = "Unexpected end of file:";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether a decimal number that does not fit a float is too small for one rather than too
// large: the power of ten of its first significant digit is negative.
bool belowFloatRange(std::string_view number) {
    long power = -1;
    bool significant = false;
    bool fraction = false;
    std::size_t at = 0;
    for (; at < number.size() && number[at] != 'e' && number[at] != 'E'; ++at) {
        const char c = number[at];
        if (c == '.') {
            fraction = true;
        } else if (isDigit(c) && !fraction && (significant || c != '0')) {
            significant = true;
            ++power;
        } else if (isDigit(c) && fraction && !significant) {
            significant = c != '0';
            power -= significant ? 0 : 1;
        }
    }
    long exponent = 0;
    if (at + 1 < number.size()) {
        const char* first = number.data() + at + 1;
        first += *first == '+' ? 1 : 0;
        if (std::from_chars(first, number.data() + number.size(), exponent).ec != std::errc()) {
            exponent = *first == '-' ? -1000000 : 1000000;
        }
    }
    return power + exponent < 0;
}

// The file as a stream of white-space separated tokens. Numbers are read the way formatted
// input reads them: the longest prefix that is a number, the rest stays for the next read.
class TokenStream {
  public:
    explicit TokenStream(std::string text) : text_(std::move(text)) {}

    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }

    // The next token; empty at end of file.
    std::string_view token() {
        skipBlanks();
        const std::size_t start = pos_;
        mark_ = start;
        while (pos_ < text_.size() && !isBlank(text_[pos_])) {
            ++pos_;
        }
        return std::string_view(text_).substr(start, pos_ - start);
    }

    // Consumes `c` if it is the next character after white space.
    void skipOptional(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
        }
    }

    std::optional<float> number() {
        skipBlanks();
        mark_ = pos_;
        const std::size_t length = floatLength();
        float value = 0.0f;
        if (length == 0 || !parseFloat(value, length)) {
            return std::nullopt;
        }
        return value;
    }

    std::optional<std::uint32_t> count() {
        skipBlanks();
        mark_ = pos_;
        std::size_t length = pos_ < text_.size() && text_[pos_] == '+' ? 1 : 0;
        while (pos_ + length < text_.size() && isDigit(text_[pos_ + length])) {
            ++length;
        }
        std::uint32_t value = 0;
        if (length == 0 || !parseCount(value, length)) {
            return std::nullopt;
        }
        return value;
    }

    // The whole token at the read position, for reporting a number that is not one.
    std::string_view tokenHere() const {
        std::size_t start = pos_;
        while (start > 0 && !isBlank(text_[start - 1])) {
            --start;
        }
        std::size_t end = pos_;
        while (end < text_.size() && !isBlank(text_[end])) {
            ++end;
        }
        return std::string_view(text_).substr(start, end - start);
    }

    std::size_t remaining() const { return text_.size() - pos_; }

    // The line (from 1) of the last token or number read; the reader only moves forwards.
    int line() {
        for (; counted_ < mark_ && counted_ < text_.size(); ++counted_) {
            lines_ += text_[counted_] == '\n' ? 1 : 0;
        }
        return lines_;
    }

    // Whether the current line holds another token before its end, other than a "}".
    bool moreOnLine() const {
        std::size_t at = pos_;
        while (at < text_.size() && (text_[at] == ' ' || text_[at] == '\t' || text_[at] == '\r')) {
            ++at;
        }
        return at < text_.size() && text_[at] != '\n' && text_[at] != '}';
    }

  private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            ++pos_;
        }
    }

    std::size_t digitsFrom(std::size_t at) const {
        std::size_t n = 0;
        while (at + n < text_.size() && isDigit(text_[at + n])) {
            ++n;
        }
        return n;
    }

    // Sign, digits, fraction, exponent; 0 when no number starts here.
    std::size_t floatLength() const {
        std::size_t at = pos_;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            ++at;
        }
        std::size_t mantissa = digitsFrom(at);
        at += mantissa;
        if (at < text_.size() && text_[at] == '.') {
            const std::size_t fraction = digitsFrom(at + 1);
            mantissa += fraction;
            at += 1 + fraction;
        }
        if (mantissa == 0) {
            return 0;
        }
        if (at < text_.size() && (text_[at] == 'e' || text_[at] == 'E')) {
            std::size_t exponentAt = at + 1;
            if (exponentAt < text_.size() &&
                (text_[exponentAt] == '+' || text_[exponentAt] == '-')) {
                ++exponentAt;
            }
            const std::size_t exponent = digitsFrom(exponentAt);
            if (exponent > 0) {
                at = exponentAt + exponent;
            }
        }
        return at - pos_;
    }

    // Accepts the number only when all `length` characters form it.
    bool accept(std::from_chars_result result, const char* last, std::size_t length) {
        if (result.ec != std::errc() || result.ptr != last) {
            return false;
        }
        pos_ += length;
        return true;
    }

    bool parseFloat(float& value, std::size_t length) {
        const char* first = text_.data() + pos_;
        const char* last = first + length;
        if (*first == '+') {
            ++first;
        }
        const std::from_chars_result result = std::from_chars(first, last, value);
        // Formatted input reads a number too small for a float as zero.
        if (result.ec == std::errc::result_out_of_range && result.ptr == last &&
            belowFloatRange(std::string_view(first, static_cast<std::size_t>(last - first)))) {
            value = *first == '-' ? -0.0f : 0.0f;
            return accept({last, std::errc()}, last, length);
        }
        return accept(result, last, length);
    }

    bool parseCount(std::uint32_t& value, std::size_t length) {
        const char* first = text_.data() + pos_;
        const char* last = first + length;
        if (*first == '+') {
            ++first;
        }
        return accept(std::from_chars(first, last, value), last, length);
    }

    std::string text_;
    std::size_t pos_ = 0;
    std::size_t mark_ = 0;
    std::size_t counted_ = 0;
    int lines_ = 1;
};

enum class Layout { PositionNormalTexcoords, PositionTexcoords, PositionNormal };

std::optional<Layout> layoutFromToken(std::string_view token) {
    if (token == "POSITION_NORMAL_TEXCOORDS") {
        return Layout::PositionNormalTexcoords;
    }
    if (token == "POSITION_TEXCOORDS") {
        return Layout::PositionTexcoords;
    }
    if (token == "POSITION_NORMAL") {
        return Layout::PositionNormal;
    }
    return std::nullopt;
}

constexpr int UnknownAlphaWord = 10;
constexpr float WrittenVersion = 1.0f;

int alphaModeFromWord(std::string_view word) {
    constexpr std::string_view Words[] = {"NONE",       "LUMINANCE", "ILLUMINANCE", "BLACK_MASK",
                                          "RED",        "GREEN",     "BLUE",        "RED_MASK",
                                          "GREEN_MASK", "BLUE_MASK"};
    const auto found = std::find(std::begin(Words), std::end(Words), word);
    return static_cast<int>(found - std::begin(Words));
}

float squaredLength(const Vec3& v) {
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

class ModelReader {
  public:
    ModelReader(std::string text, const char* fileName, Model& model, ModelFileNotes* notes)
        : in_(std::move(text)), fileName_(fileName), model_(model), notes_(notes) {}

    bool read() {
        if (in_.token() != "A3F") {
            return fail("Not an .a3f file:", fileName_);
        }
        while (!in_.atEnd()) {
            if (!readSection()) {
                return false;
            }
        }
        if (!sawVertices_) {
            return fail("Failed to find section VERTICES:", fileName_);
        }
        if (!sawFaces_) {
            return fail("Failed to find section FACES:", fileName_);
        }
        return checkFaceIndices();
    }

  private:
    bool fail(std::string_view message, std::string_view subject) {
        if (notes_ != nullptr) {
            notes_->errorLine = in_.line();
        }
        reportError(subject, message);
        return false;
    }

    void warn(std::string text) {
        if (notes_ != nullptr) {
            notes_->warnings.push_back({in_.line(), std::move(text)});
        }
    }

    bool word(std::string_view& out) {
        out = in_.token();
        if (out.size() > MaxTokenLength) {
            return fail(BadModel, out);
        }
        return true;
    }

    // A file cut off has no offending token to show, so the player is told which file it is.
    bool endOfFile() { return fail(EndOfFile, fileName_); }

    bool numberFailure() { return in_.atEnd() ? endOfFile() : fail(BadModel, in_.tokenHere()); }

    bool number(float& out) {
        const auto value = in_.number();
        if (!value) {
            return numberFailure();
        }
        out = *value;
        return true;
    }

    bool count(std::uint32_t& out) {
        const auto value = in_.count();
        if (!value) {
            return numberFailure();
        }
        out = *value;
        return true;
    }

    bool numbers(float* out, int n) {
        for (int i = 0; i < n; ++i) {
            if (!number(out[i])) {
                return false;
            }
        }
        return true;
    }

    // Every item takes at least `minChars` characters of the file, so a count the rest of the
    // file cannot hold is a truncated file, found before anything is allocated for it.
    bool fitsInFile(std::uint32_t items, std::size_t minChars) {
        if (items > (in_.remaining() + 1) / minChars) {
            return endOfFile();
        }
        return true;
    }

    // The closing token, and a second "}" if one follows.
    bool closeSection() {
        std::string_view closing;
        if (!word(closing)) {
            return false;
        }
        in_.skipOptional('}');
        return true;
    }

    bool readSection() {
        std::string_view name;
        if (!word(name)) {
            return false;
        }
        in_.skipOptional('{');
        inUnknownSection_ = inUnknownSection_ && !isSectionName(name);
        if (name == "VERSION") {
            return readVersion();
        }
        if (name == "COMMENT") {
            return readComment();
        }
        if (name == "VERTICES") {
            return readVertices();
        }
        if (name == "FACES") {
            return readFaces();
        }
        if (name == "MATERIALS") {
            return readMaterials();
        }
        // The MATERIALS section's own "}" comes this way; an unknown section is one warning.
        if (name != "}" && !inUnknownSection_) {
            warn("Unknown section \"" + std::string(name) +
                 "\": its words are skipped one by one, and any section name among them "
                 "starts that section.");
        }
        inUnknownSection_ = name != "}";
        return true;
    }

    static bool isSectionName(std::string_view name) {
        return name == "VERSION" || name == "COMMENT" || name == "VERTICES" || name == "FACES" ||
               name == "MATERIALS";
    }

    bool readVersion() {
        float version = 0.0f;
        if (!number(version)) {
            return false;
        }
        if (version != WrittenVersion) {
            char shown[32];
            std::snprintf(shown, sizeof shown, "%g", static_cast<double>(version));
            warn(std::string("Version ") + shown +
                 ": the game knows only version 1.0 and reads the file as that.");
        }
        in_.skipOptional('}');
        return true;
    }

    bool readComment() {
        while (!in_.atEnd()) {
            if (in_.token() == "}") {
                break;
            }
        }
        return true;
    }

    bool readVertices() {
        std::string_view layoutToken;
        if (!word(layoutToken)) {
            return false;
        }
        const auto layout = layoutFromToken(layoutToken);
        if (!layout) {
            return fail("Bad vertex format:", layoutToken);
        }
        const bool normals = *layout != Layout::PositionTexcoords;
        const bool texcoords = *layout != Layout::PositionNormal;
        model_.hasNormals = normals;
        std::uint32_t n = 0;
        const int floatsPerVertex = 3 + (normals ? 3 : 0) + (texcoords ? 2 : 0);
        if (!count(n) || !fitsInFile(n, 2 * static_cast<std::size_t>(floatsPerVertex))) {
            return false;
        }
        model_.vertices = std::shared_ptr<ModelVertex[]>(new ModelVertex[n]);
        model_.vertexCount = n;
        sawVertices_ = true;
        Vec3 low{BoundsStartMin, BoundsStartMin, BoundsStartMin};
        Vec3 high{BoundsStartMax, BoundsStartMax, BoundsStartMax};
        for (std::uint32_t i = 0; i < n; ++i) {
            ModelVertex& v = model_.vertices[i];
            if (!numbers(v.position, 3) || (normals && !numbers(v.normal, 3)) ||
                (texcoords && !numbers(v.texcoord, 2))) {
                return false;
            }
            extendBounds(low, high, v);
        }
        model_.boundsMin = low;
        model_.boundsMax = high;
        model_.radiusSquared = std::max(squaredLength(low), squaredLength(high));
        if (!texcoords && !makeTexcoords()) {
            return false;
        }
        return closeSection();
    }

    static void extendBounds(Vec3& low, Vec3& high, const ModelVertex& v) {
        const float* p = v.position;
        low = {p[0] < low.x ? p[0] : low.x, p[1] < low.y ? p[1] : low.y,
               p[2] < low.z ? p[2] : low.z};
        high = {p[0] > high.x ? p[0] : high.x, p[1] > high.y ? p[1] : high.y,
                p[2] > high.z ? p[2] : high.z};
    }

    // A planar projection over the bounds: u along x, v along the longer of y and z.
    bool makeTexcoords() {
        const Vec3& low = model_.boundsMin;
        const Vec3& high = model_.boundsMax;
        const float extentX = high.x - low.x;
        if (low.x == high.x) {
            return true;
        }
        const float extentY = high.y - low.y;
        const float extentZ = high.z - low.z;
        const bool alongY = extentY > extentZ;
        const float extentS = alongY ? extentY : extentZ;
        const float lowS = alongY ? low.y : low.z;
        if (extentS == 0.0f) {
            return fail(BadModel, "1 dimensional");
        }
        for (std::uint32_t i = 0; i < model_.vertexCount; ++i) {
            ModelVertex& v = model_.vertices[i];
            const float s = alongY ? v.position[1] : v.position[2];
            v.texcoord[0] = (v.position[0] - low.x) / extentX;
            v.texcoord[1] = (s - lowS) / extentS;
        }
        return true;
    }

    bool readFaces() {
        std::uint32_t n = 0;
        if (!count(n) || !fitsInFile(n, 8)) {
            return false;
        }
        model_.faceIndices = std::shared_ptr<std::uint32_t[]>(new std::uint32_t[3 * n]);
        model_.faceCount = n;
        sawFaces_ = true;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint32_t* face = &model_.faceIndices[3 * i];
            std::uint32_t unused = 0;
            if (!count(face[0])) {
                return false;
            }
            const int firstLine = in_.line();
            if (!count(face[1]) || !count(face[2]) || !count(unused)) {
                return false;
            }
            noteFaceShape(i, face, firstLine);
        }
        return closeSection();
    }

    // A face is three vertex indices and an unused number, conventionally alone on a line; a
    // face written as a quad shifts every later face.
    void noteFaceShape(std::uint32_t i, const std::uint32_t* face, int firstLine) {
        if (!faceLineWarned_ && (in_.line() != firstLine || in_.moreOnLine())) {
            faceLineWarned_ = true;
            warn("Face " + std::to_string(i) +
                 " is not four numbers alone on its line: a face is three vertex indices and "
                 "one unused number, so a face of four corners (a quad) shifts every face after "
                 "it. Split quads into two triangles.");
        }
        if (face[0] == face[1] || face[1] == face[2] || face[0] == face[2]) {
            warn("Face " + std::to_string(i) +
                 " names a vertex twice: it is no triangle and "
                 "draws nothing.");
        }
    }

    bool checkFaceIndices() {
        for (std::uint32_t i = 0; i < 3 * model_.faceCount; ++i) {
            const std::uint32_t index = model_.faceIndices[i];
            if (index >= model_.vertexCount) {
                const std::string subject = "face index " + std::to_string(index) + " of " +
                                            std::to_string(model_.vertexCount) + " vertices";
                return fail(BadModel, subject);
            }
        }
        return true;
    }

    bool readMaterials() {
        std::uint32_t n = 0;
        if (!count(n)) {
            return false;
        }
        materialBlocks_ += n;
        if (materialBlocks_ > 1 && !materialsWarned_) {
            materialsWarned_ = true;
            warn("More than one material: the game draws a model with one material, so later "
                 "blocks overwrite the fields they name and only the last block's texture is "
                 "kept.");
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            model_.textureFile.clear();
            if (in_.atEnd()) {
                break;
            }
            if (!readMaterialBlock()) {
                return false;
            }
        }
        return true;
    }

    bool readMaterialBlock() {
        std::string_view opener;
        if (!word(opener)) {
            return false;
        }
        if (opener == "}") {
            return true;
        }
        std::string_view key;
        while (!in_.atEnd()) {
            if (!word(key)) {
                return false;
            }
            if (key == "}") {
                break;
            }
            if (!readMaterialEntry(key)) {
                return false;
            }
        }
        return true;
    }

    bool readMaterialEntry(std::string_view key) {
        std::string_view value;
        if (key == "NAME") {
            if (!word(value)) {
                return false;
            }
            model_.materialName = value;
            return true;
        }
        if (key == "AMBIENT") {
            return numbers(model_.ambient, 4);
        }
        if (key == "DIFFUSE") {
            return numbers(model_.diffuse, 4);
        }
        if (key == "SPECULAR") {
            return numbers(model_.specular, 4);
        }
        if (key == "EMISSION") {
            return numbers(model_.emission, 4);
        }
        if (key == "SHININESS") {
            return count(model_.shininess);
        }
        if (key == "TEXTURE") {
            return readTextureBlock();
        }
        return true;
    }

    bool readTextureBlock() {
        std::string_view key;
        std::string_view value;
        while (!in_.atEnd()) {
            if (!word(key)) {
                return false;
            }
            if (key == "}") {
                break;
            }
            if (key == "FILE") {
                if (!word(value)) {
                    return false;
                }
                model_.textureFile = value;
            } else if (key == "ALPHA") {
                if (!word(value)) {
                    return false;
                }
                model_.alphaMode = alphaModeFromWord(value);
                if (model_.alphaMode == UnknownAlphaWord) {
                    warn("Unknown ALPHA word \"" + std::string(value) +
                         "\": the game reads it as mode 10, unlike any of the ten words.");
                }
            }
        }
        return true;
    }

    TokenStream in_;
    const char* fileName_;
    Model& model_;
    ModelFileNotes* notes_;
    bool sawVertices_ = false;
    bool sawFaces_ = false;
    bool inUnknownSection_ = false;
    bool faceLineWarned_ = false;
    bool materialsWarned_ = false;
    std::uint64_t materialBlocks_ = 0;
};

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void placeAtOrigin(Model& model) {
    model.transform = identityMatrix();
    model.position = {};
    model.rotation = {};
}

} // namespace

bool loadModelFile(const char* fileName, Model& model, ModelFileNotes* notes) {
    model.alphaMode = 0;
    model.loaded = 0;
    const std::string path = mediaPath(fileName);
    auto text = readWholeFile(path);
    if (!text) {
        reportError(path, "Could not open file:");
        return false;
    }
    if (!ModelReader(std::move(*text), fileName, model, notes).read()) {
        return false;
    }
    placeAtOrigin(model);
    model.loaded = 1;
    model.textureId =
        model.textureFile.empty() ? 0 : loadTexture(model.textureFile.c_str(), model.alphaMode);
    return true;
}

} // namespace tb
