#include "render/overlay.h"

#include <GL/gl.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace tb {
namespace {

constexpr std::uint32_t White = 0xFFFFFF;
constexpr std::uint32_t Black = 0x000000;
constexpr double Pi = 3.14159265358979323846;
// Longer lines than this are cut; the surface is far narrower than that many glyphs anyway.
constexpr int LineCapacity = 256;
// The context's own font before the game picks one, like a system font's cell.
constexpr int DefaultFontHeight = 16;
constexpr const char* DefaultFontFace = "sans-serif";

struct SurfaceRelease {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextRelease {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct ScaledFontRelease {
    void operator()(cairo_scaled_font_t* f) const { cairo_scaled_font_destroy(f); }
};
struct GlyphRelease {
    void operator()(cairo_glyph_t* g) const { cairo_glyph_free(g); }
};

struct FontChoice {
    int height = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string face;
    bool operator==(const FontChoice&) const = default;
};

struct SelectedFont {
    std::unique_ptr<cairo_scaled_font_t, ScaledFontRelease> scaled;
    FontChoice choice;
    int cellHeight = 0;
    int ascent = 0;
};

// The HUD switches fonts at every start and finish; fonts once selected are kept, so a switch
// back asks nothing (and takes no memory) of the 2-D library in the middle of play.
constexpr int KeptFontCount = 4;

// Where createOverlay put the surface, kept so that a new scale can make it again.
struct Placement {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int referenceWidth = 0;
    int referenceHeight = 0;
};

struct OverlaySurface {
    std::unique_ptr<std::uint8_t[]> bits; // bottom row first, blue, green, red, alpha
    std::unique_ptr<cairo_surface_t, SurfaceRelease> surface;
    std::unique_ptr<cairo_t, ContextRelease> context;
    std::unique_ptr<std::uint8_t[]> blankCopy;
    std::unique_ptr<cairo_glyph_t, GlyphRelease> glyphs;
    SelectedFont font;
    std::array<SelectedFont, KeptFontCount> keptFonts;
    int nextKeptFont = 0;
    float rasterX = 0.0f;
    float rasterY = 0.0f;
    std::uint32_t foreground = White;
    std::uint32_t background = Black;
    int pixelCount = 0;
    int byteCount = 0;
    bool blend = false;
    int width = 0;
    int height = 0;
    Placement placement;
};

OverlaySurface overlay;
// Overlay pixels per unit of the coordinates the primitives take; outlives the surface.
int overlayScale = 1;

cairo_t* context() {
    return overlay.context.get();
}

// ---- colours and fonts -----------------------------------------------------------------------

void useColour(std::uint32_t colour) {
    cairo_set_source_rgb(context(), (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
}

cairo_font_options_t* crispFontOptions() {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    return options;
}

cairo_scaled_font_t* createScaledFont(cairo_font_face_t* face, double size,
                                      const cairo_font_options_t* options) {
    cairo_matrix_t fontMatrix;
    cairo_matrix_init_scale(&fontMatrix, size, size);
    cairo_matrix_t ctm;
    cairo_get_matrix(context(), &ctm);
    return cairo_scaled_font_create(face, &fontMatrix, &ctm, options);
}

// Ascent plus descent of the face per unit of font size.
double cellHeightPerUnit(cairo_font_face_t* face, const cairo_font_options_t* options) {
    constexpr double ReferenceSize = 100.0;
    cairo_scaled_font_t* reference = createScaledFont(face, ReferenceSize, options);
    cairo_font_extents_t extents{};
    cairo_scaled_font_extents(reference, &extents);
    const bool usable = cairo_scaled_font_status(reference) == CAIRO_STATUS_SUCCESS;
    cairo_scaled_font_destroy(reference);
    const double perUnit = (extents.ascent + extents.descent) / ReferenceSize;
    return usable && perUnit > 0.0 ? perUnit : 0.0;
}

// A positive height is the character cell (ascent plus descent), a negative one the em size;
// zero asks for the default.
bool selectFont(const FontChoice& choice) {
    cairo_font_face_t* face = cairo_toy_font_face_create(
        choice.face.c_str(), choice.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        choice.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_font_options_t* options = crispFontOptions();
    const double perUnit = cellHeightPerUnit(face, options);
    bool selected = false;
    if (cairo_font_face_status(face) == CAIRO_STATUS_SUCCESS && perUnit > 0.0) {
        const int requested = choice.height == 0 ? DefaultFontHeight : choice.height;
        const double size = requested > 0 ? requested / perUnit : -requested;
        const int cellHeight = requested > 0 ? requested : static_cast<int>(size * perUnit + 0.5);
        cairo_scaled_font_t* scaled = createScaledFont(face, size, options);
        cairo_font_extents_t extents{};
        cairo_scaled_font_extents(scaled, &extents);
        if (cairo_scaled_font_status(scaled) == CAIRO_STATUS_SUCCESS) {
            const double unitAscent = extents.ascent / (extents.ascent + extents.descent);
            overlay.font.scaled.reset(scaled);
            overlay.font.choice = choice;
            overlay.font.cellHeight = cellHeight;
            overlay.font.ascent = static_cast<int>(std::lround(unitAscent * cellHeight));
            selected = true;
        } else {
            cairo_scaled_font_destroy(scaled);
        }
    }
    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
    return selected;
}

void keepFont(SelectedFont&& font) {
    if (!font.scaled) {
        return;
    }
    overlay.keptFonts[overlay.nextKeptFont] = std::move(font);
    overlay.nextKeptFont = (overlay.nextKeptFont + 1) % KeptFontCount;
}

bool takeKeptFont(const FontChoice& choice) {
    for (SelectedFont& kept : overlay.keptFonts) {
        if (kept.scaled && kept.choice == choice) {
            std::swap(overlay.font, kept);
            return true;
        }
    }
    return false;
}

// ---- shapes ----------------------------------------------------------------------------------
// Like the 2-D library the overlay imitates, a shape covers the pixels from its left/top edge up
// to but not including its right/bottom edge. Paths run through pixel centres (inset by half a
// pixel) and are filled and outlined one pixel wide, so the outline stays inside the box.

struct Box {
    int left;
    int top;
    int right;
    int bottom;
};

Box normalised(Box b) {
    return {std::min(b.left, b.right), std::min(b.top, b.bottom), std::max(b.left, b.right),
            std::max(b.top, b.bottom)};
}

void fillBox(Box b) {
    const Box n = normalised(b);
    cairo_rectangle(context(), n.left, n.top, n.right - n.left, n.bottom - n.top);
    cairo_fill(context());
}

void fillAndOutlinePath() {
    cairo_fill_preserve(context());
    cairo_set_line_width(context(), 1.0);
    cairo_stroke(context());
}

// A quarter (or any part) of the ellipse of radii rx, ry round (cx, cy), from angle a to b.
void ellipticalArc(double cx, double cy, double rx, double ry, double a, double b) {
    cairo_t* cr = context();
    if (rx <= 0.0 || ry <= 0.0) {
        cairo_line_to(cr, cx, cy);
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0.0, 0.0, 1.0, a, b);
    cairo_restore(cr);
}

// Boxes one pixel thin have no inside for a path through pixel centres: they are a line.
bool drawnAsLine(const Box& n) {
    return n.right - n.left <= 1 || n.bottom - n.top <= 1;
}

bool empty(const Box& n) {
    return n.right <= n.left || n.bottom <= n.top;
}

void drawEllipse(Box b) {
    const Box n = normalised(b);
    if (empty(n)) {
        return;
    }
    if (drawnAsLine(n)) {
        fillBox(n);
        return;
    }
    const double rx = (n.right - n.left - 1) / 2.0;
    const double ry = (n.bottom - n.top - 1) / 2.0;
    cairo_new_path(context());
    ellipticalArc((n.left + n.right) / 2.0, (n.top + n.bottom) / 2.0, rx, ry, 0.0, 2.0 * Pi);
    cairo_close_path(context());
    fillAndOutlinePath();
}

void drawRoundedBox(Box b, int cornerWidth, int cornerHeight) {
    const Box n = normalised(b);
    if (empty(n)) {
        return;
    }
    if (drawnAsLine(n)) {
        fillBox(n);
        return;
    }
    const double x0 = n.left + 0.5, y0 = n.top + 0.5;
    const double x1 = n.right - 0.5, y1 = n.bottom - 0.5;
    const double rx = std::clamp(std::abs(cornerWidth) / 2.0, 0.0, (x1 - x0) / 2.0);
    const double ry = std::clamp(std::abs(cornerHeight) / 2.0, 0.0, (y1 - y0) / 2.0);
    cairo_new_path(context());
    ellipticalArc(x1 - rx, y0 + ry, rx, ry, -Pi / 2.0, 0.0);
    ellipticalArc(x1 - rx, y1 - ry, rx, ry, 0.0, Pi / 2.0);
    ellipticalArc(x0 + rx, y1 - ry, rx, ry, Pi / 2.0, Pi);
    ellipticalArc(x0 + rx, y0 + ry, rx, ry, Pi, 1.5 * Pi);
    cairo_close_path(context());
    fillAndOutlinePath();
}

// A wedge of the ellipse in the box, counter-clockwise on screen from the radial through
// (startX, startY) to the radial through (endX, endY).
void drawPie(Box b, int startX, int startY, int endX, int endY) {
    const Box n = normalised(b);
    if (empty(n) || drawnAsLine(n)) {
        return;
    }
    const double cx = (n.left + n.right) / 2.0, cy = (n.top + n.bottom) / 2.0;
    const double rx = (n.right - n.left - 1) / 2.0, ry = (n.bottom - n.top - 1) / 2.0;
    const double start = std::atan2((startY - cy) / ry, (startX - cx) / rx);
    double end = std::atan2((endY - cy) / ry, (endX - cx) / rx);
    // y grows downwards, so counter-clockwise on screen is decreasing angle.
    if (end >= start) {
        end -= 2.0 * Pi;
    }
    cairo_t* cr = context();
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc_negative(cr, 0.0, 0.0, 1.0, start, end);
    cairo_restore(cr);
    cairo_close_path(cr);
    fillAndOutlinePath();
}

// ---- text ------------------------------------------------------------------------------------

// Texts are single-byte strings; bytes above 127 are taken as Latin-1.
int toUtf8(const char* line, int length, char* out) {
    int n = 0;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x80) {
            out[n++] = static_cast<char>(c);
        } else {
            out[n++] = static_cast<char>(0xC0 | c >> 6);
            out[n++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out[n] = '\0';
    return n;
}

void drawTextLine(const char* line, int length, int left, int right, int top, bool centred) {
    const SelectedFont& font = overlay.font;
    char utf8[2 * LineCapacity + 1];
    const int bytes = toUtf8(line, std::min(length, LineCapacity), utf8);
    cairo_glyph_t* glyphs = overlay.glyphs.get();
    int glyphCount = LineCapacity;
    if (bytes == 0 ||
        cairo_scaled_font_text_to_glyphs(font.scaled.get(), 0.0, 0.0, utf8, bytes, &glyphs,
                                         &glyphCount, nullptr, nullptr,
                                         nullptr) != CAIRO_STATUS_SUCCESS ||
        glyphs != overlay.glyphs.get()) {
        return;
    }
    cairo_text_extents_t extents{};
    cairo_scaled_font_glyph_extents(font.scaled.get(), glyphs, glyphCount, &extents);
    const int advance = static_cast<int>(std::lround(extents.x_advance));
    const int x = centred ? left + (right - left - advance) / 2 : left;
    const int baseline = top + font.ascent;

    // Text cells are painted in the background colour first, as an opaque text background is.
    useColour(overlay.background);
    fillBox({x, top, x + advance, top + font.cellHeight});
    for (int i = 0; i < glyphCount; ++i) {
        glyphs[i].x += x;
        glyphs[i].y += baseline;
    }
    useColour(overlay.foreground);
    cairo_set_scaled_font(context(), font.scaled.get());
    cairo_show_glyphs(context(), glyphs, glyphCount);
    if (font.choice.underline) {
        const int thickness = std::max(1, font.cellHeight / 14);
        fillBox({x, baseline + 1, x + advance, baseline + 1 + thickness});
    }
}

// ---- surface ---------------------------------------------------------------------------------

void flushDrawing() {
    cairo_surface_flush(overlay.surface.get());
}

void prepareContext() {
    cairo_t* cr = context();
    // The surface is stored bottom row first, as the graphics library takes pixel rectangles,
    // while every primitive speaks in top-left coordinates.
    cairo_translate(cr, 0.0, overlay.height);
    cairo_scale(cr, overlayScale, -overlayScale);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* options = crispFontOptions();
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

bool createSurface() {
    const std::size_t bytes = static_cast<std::size_t>(overlay.byteCount);
    overlay.bits = std::make_unique<std::uint8_t[]>(bytes);
    overlay.surface.reset(cairo_image_surface_create_for_data(
        overlay.bits.get(), CAIRO_FORMAT_ARGB32, overlay.width, overlay.height, overlay.width * 4));
    overlay.context.reset(cairo_create(overlay.surface.get()));
    overlay.glyphs.reset(cairo_glyph_allocate(LineCapacity));
    return cairo_surface_status(overlay.surface.get()) == CAIRO_STATUS_SUCCESS &&
           cairo_status(context()) == CAIRO_STATUS_SUCCESS && overlay.glyphs != nullptr;
}

} // namespace

int overlayScaleFor(int drawingAreaHeight) {
    return std::max(1, drawingAreaHeight / OverlayReferenceHeight);
}

void setOverlayScale(int scale) {
    scale = std::max(1, scale);
    if (scale == overlayScale) {
        return;
    }
    overlayScale = scale;
    if (!overlay.context) {
        return;
    }
    // The HUD paints the whole surface every frame, so only the pen and the font carry over.
    const Placement at = overlay.placement;
    const bool blend = overlay.blend;
    const std::uint32_t colour = overlay.foreground;
    const FontChoice font = overlay.font.choice;
    createOverlay(at.left, at.top, at.right, at.bottom, at.referenceWidth, at.referenceHeight,
                  blend);
    setOverlayColour(colour);
    setOverlayFont(font.height, font.bold, font.italic, font.underline, font.face.c_str());
}

bool createOverlay(int left, int top, int right, int bottom, int referenceWidth,
                   int referenceHeight, bool blend) {
    destroyOverlay();
    if (right <= left || bottom <= top || referenceWidth <= 0 || referenceHeight <= 0) {
        return false;
    }
    overlay.placement = {left, top, right, bottom, referenceWidth, referenceHeight};
    overlay.blend = blend;
    overlay.width = (right - left) * overlayScale;
    overlay.height = (bottom - top) * overlayScale;
    overlay.rasterX = static_cast<float>(left) / static_cast<float>(referenceWidth) * 2.0f - 1.0f;
    overlay.rasterY =
        1.0f - static_cast<float>(bottom) / static_cast<float>(referenceHeight) * 2.0f;
    overlay.pixelCount = overlay.width * overlay.height;
    overlay.byteCount = overlay.pixelCount * 4;
    if (!createSurface()) {
        destroyOverlay();
        return false;
    }
    prepareContext();
    overlay.blankCopy =
        std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(overlay.byteCount));
    std::memcpy(overlay.blankCopy.get(), overlay.bits.get(),
                static_cast<std::size_t>(overlay.byteCount));
    overlay.foreground = White;
    overlay.background = Black;
    useColour(overlay.foreground);
    selectFont({DefaultFontHeight, false, false, false, DefaultFontFace});
    return true;
}

void destroyOverlay() {
    // The context and font go before the surface, the surface before the pixels it draws into.
    overlay.font = SelectedFont{};
    overlay.keptFonts = {};
    overlay.context.reset();
    overlay.surface.reset();
    overlay = OverlaySurface{};
}

void clearOverlay() {
    if (!overlay.bits || !overlay.blankCopy) {
        return;
    }
    flushDrawing();
    std::memcpy(overlay.bits.get(), overlay.blankCopy.get(),
                static_cast<std::size_t>(overlay.byteCount));
    cairo_surface_mark_dirty(overlay.surface.get());
}

void setOverlayColour(std::uint32_t colour) {
    if (!context()) {
        return;
    }
    overlay.foreground = colour;
    useColour(colour);
}

void setOverlayFont(int height, bool bold, bool italic, bool underline, const char* faceName) {
    if (!context()) {
        return;
    }
    const FontChoice choice{height, bold, italic, underline, faceName ? faceName : ""};
    // Restarting the race asks for the same font every frame while R is held.
    if ((overlay.font.scaled && overlay.font.choice == choice) || takeKeptFont(choice)) {
        return;
    }
    SelectedFont previous = std::move(overlay.font);
    overlay.font = SelectedFont{};
    if (selectFont(choice)) {
        keepFont(std::move(previous));
    } else {
        overlay.font = std::move(previous);
    }
}

void drawOverlayEllipse(int left, int top, int right, int bottom) {
    if (!context()) {
        return;
    }
    drawEllipse({left, top, right, bottom});
}

void drawOverlayText(const char* text, int left, int top, int right, int /*bottom*/, int flags) {
    if (!context() || !overlay.font.scaled || text == nullptr) {
        return;
    }
    const bool centred = (flags & OverlayTextCentre) != 0;
    int lineTop = top;
    for (const char* line = text;; ++line) {
        const char* end = std::strchr(line, '\n');
        const int length = static_cast<int>(end ? end - line : std::strlen(line));
        const int visible = length > 0 && line[length - 1] == '\r' ? length - 1 : length;
        drawTextLine(line, visible, left, right, lineTop, centred);
        if (!end) {
            break;
        }
        lineTop += overlay.font.cellHeight;
        line = end;
    }
}

void drawOverlayGauge(int left, int top, int right, int bottom, float fraction) {
    if (!context()) {
        return;
    }
    const std::uint32_t saved = overlay.foreground;
    setOverlayColour(saved ^ 0xFFFFFFu);
    fillBox({left, top, right, bottom});

    const Box inner{left + 2, top + 2, right - 2, bottom - 2};
    setOverlayColour(overlay.background);
    drawRoundedBox(inner, (inner.right - inner.left) / 2, (inner.bottom - inner.top) / 2);

    setOverlayColour(saved);
    // Any fraction draws; only values that would not fit an int are held back.
    const float f = std::isnan(fraction) ? 0.0f : std::clamp(fraction, -1000.0f, 1000.0f);
    int s = inner.left + static_cast<int>(static_cast<float>(inner.right - inner.left) * f);
    if (s <= inner.left) {
        s = inner.left + 1;
    }
    drawPie({left + 2, top + 4, right - 2, 2 * bottom - top - 8}, s, top + 4, left + 2, top + 4);
}

void finishOverlay() {
    if (!overlay.bits || !overlay.blend) {
        return;
    }
    flushDrawing();
    std::uint8_t* p = overlay.bits.get();
    for (int i = 0; i < overlay.pixelCount; ++i, p += 4) {
        // Only the colour decides: whatever was drawn in black is a hole.
        p[3] = (p[0] | p[1] | p[2]) != 0 ? 255 : 0;
    }
    cairo_surface_mark_dirty(overlay.surface.get());
}

void blitOverlay() {
    if (!overlay.bits) {
        return;
    }
    flushDrawing();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    if (overlay.blend) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRasterPos2f(overlay.rasterX, overlay.rasterY);
    glDrawPixels(overlay.width, overlay.height, GL_BGRA, GL_UNSIGNED_BYTE, overlay.bits.get());
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

int overlayWidth() {
    return overlay.width;
}

int overlayHeight() {
    return overlay.height;
}

const std::uint8_t* overlayPixels() {
    if (overlay.surface) {
        flushDrawing();
    }
    return overlay.bits.get();
}

} // namespace tb
