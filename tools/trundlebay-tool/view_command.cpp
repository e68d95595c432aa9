// trundlebay-tool view FILE.a3f --png OUT.png [--yaw A] [--pitch A] [--size WxH]: renders a
// model through the game's own reader, texture registry and display lists into a picture.
#include "tool_commands.h"

#include "assets/model.h"
#include "assets/textures.h"
#include "shell/media_paths.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cairo.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tb::tool {
namespace {

constexpr const char* Usage =
    "FILE.a3f --png OUT.png [--yaw DEGREES] [--pitch DEGREES] [--size WxH]";
constexpr float DegreesToRadians = 3.14159f / 180.0f;
constexpr float FieldOfViewDegrees = 35.0f;
constexpr int MaxPictureSide = 4096;

struct ViewOptions {
    std::string model;
    std::string png;
    float yawDegrees = 30.0f;
    float pitchDegrees = 20.0f;
    int width = 512;
    int height = 512;
};

std::optional<float> parseAngle(const std::string& text) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool parseSize(const std::string& text, int& width, int& height) {
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2) {
        return false;
    }
    return width >= 16 && height >= 16 && width <= MaxPictureSide && height <= MaxPictureSide;
}

std::optional<ViewOptions> parseOptions(const std::vector<std::string>& args) {
    ViewOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--png" && hasValue) {
            options.png = args[++i];
        } else if ((arg == "--yaw" || arg == "--pitch") && hasValue) {
            const auto angle = parseAngle(args[++i]);
            if (!angle) {
                return std::nullopt;
            }
            (arg == "--yaw" ? options.yawDegrees : options.pitchDegrees) = *angle;
        } else if (arg == "--size" && hasValue) {
            if (!parseSize(args[++i], options.width, options.height)) {
                return std::nullopt;
            }
        } else if (arg.rfind("--", 0) != 0 && options.model.empty()) {
            options.model = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.model.empty() || options.png.empty()) {
        return std::nullopt;
    }
    return options;
}

// A hidden window whose back buffer we draw into and read back.
class HiddenGlWindow {
  public:
    HiddenGlWindow(int width, int height) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            return;
        }
        videoStarted_ = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        window_ = SDL_CreateWindow("trundlebay-tool view", SDL_WINDOWPOS_UNDEFINED,
                                   SDL_WINDOWPOS_UNDEFINED, width, height,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window_ != nullptr) {
            context_ = SDL_GL_CreateContext(window_);
        }
    }
    ~HiddenGlWindow() {
        if (context_ != nullptr) {
            SDL_GL_DeleteContext(context_);
        }
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        if (videoStarted_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    HiddenGlWindow(const HiddenGlWindow&) = delete;
    HiddenGlWindow& operator=(const HiddenGlWindow&) = delete;

    bool ready() const { return context_ != nullptr; }

  private:
    bool videoStarted_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

struct Framing {
    Vec3 centre;
    float radius = 1.0f;
};

Framing frameBounds(const Model& model) {
    const Vec3& a = model.boundsMin;
    const Vec3& b = model.boundsMax;
    if (a.x > b.x || a.y > b.y || a.z > b.z) {
        return {};
    }
    const Vec3 half{(b.x - a.x) / 2, (b.y - a.y) / 2, (b.z - a.z) / 2};
    const float radius = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    return {{a.x + half.x, a.y + half.y, a.z + half.z}, radius > 0 ? radius : 1.0f};
}

Vec3 normalised(Vec3 v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The view goes on the projection stack, as in the game, so the model-view matrix holds only
// the model's own transform.
void setCamera(const ViewOptions& options, const Framing& framing) {
    const float yaw = options.yawDegrees * DegreesToRadians;
    const float pitch = options.pitchDegrees * DegreesToRadians;
    const Vec3 towardsEye{std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                          std::cos(yaw) * std::cos(pitch)};
    const float halfFov = FieldOfViewDegrees * DegreesToRadians / 2;
    const float distance = framing.radius / std::sin(halfFov) * 1.05f;
    const float aspect = static_cast<float>(options.width) / static_cast<float>(options.height);
    const float nearPlane = std::max(distance - 1.5f * framing.radius, distance * 0.01f);
    const float farPlane = distance + 1.5f * framing.radius;
    const float top = nearPlane * std::tan(halfFov) * std::max(1.0f, 1.0f / aspect);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-top * aspect, top * aspect, -top, top, nearPlane, farPlane);

    const Vec3 forward{-towardsEye.x, -towardsEye.y, -towardsEye.z};
    const Vec3 worldUp = std::fabs(towardsEye.y) > 0.999f ? Vec3{0, 0, -1} : Vec3{0, 1, 0};
    const Vec3 side = normalised(cross(forward, worldUp));
    const Vec3 up = cross(side, forward);
    const GLfloat view[16] = {side.x, up.x, -forward.x, 0, side.y, up.y, -forward.y, 0,
                              side.z, up.z, -forward.z, 0, 0,      0,    0,          1};
    glMultMatrixf(view);
    const Vec3& c = framing.centre;
    glTranslatef(-(c.x + towardsEye.x * distance), -(c.y + towardsEye.y * distance),
                 -(c.z + towardsEye.z * distance));
}

// The game's fixed state: depth test, back faces culled, one white light, texturing.
void setSceneState(const ViewOptions& options) {
    glViewport(0, 0, options.width, options.height);
    glClearColor(0.36f, 0.42f, 0.48f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    const float yaw = (options.yawDegrees + 35.0f) * DegreesToRadians;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat direction[4] = {std::sin(yaw), 1.2f, std::cos(yaw), 0.0f};
    const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1.0f};
    const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat specular[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};

bool writePicture(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return false;
    }
    cairo_surface_flush(surface.get());
    std::uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        // The frame's first row is its bottom one.
        const std::uint8_t* in = rgba.data() + static_cast<std::size_t>(height - 1 - y) * width * 4;
        auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            out[x] = 0xff000000u | std::uint32_t{in[4 * x]} << 16 |
                     std::uint32_t{in[4 * x + 1]} << 8 | in[4 * x + 2];
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

int runView(const std::vector<std::string>& args) {
    const auto options = parseOptions(args);
    if (!options) {
        std::fprintf(stderr, "usage: trundlebay-tool view %s\n", Usage);
        return 2;
    }
    const std::filesystem::path file(options->model);
    const std::string folder = file.parent_path().string();
    setMediaFolder(folder.empty() ? "." : folder);

    const HiddenGlWindow window(options->width, options->height);
    if (!window.ready()) {
        std::fprintf(stderr, "trundlebay-tool view: no rendering context: %s\n", SDL_GetError());
        return 1;
    }
    resetTextureRegistry(true);
    Model model;
    buildModel(file.filename().string().c_str(), model);
    if (model.loaded != 1) {
        return 1;
    }
    setSceneState(*options);
    setCamera(*options, frameBounds(model));
    drawModel(model);
    glFinish();
    const bool written = writePicture(options->png, options->width, options->height);
    const bool textured = model.textureId != 0;
    destroyModel(model);
    releaseTextures();
    if (!written) {
        std::fprintf(stderr, "trundlebay-tool view: cannot write %s\n", options->png.c_str());
        return 1;
    }
    const nlohmann::json result = {{"png", options->png},
                                   {"width", options->width},
                                   {"height", options->height},
                                   {"textured", textured}};
    std::printf("%s\n", result.dump().c_str());
    return 0;
}

const ToolCommand command("view", Usage, runView);

} // namespace
} // namespace tb::tool
