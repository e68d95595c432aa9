// The village: the sari-sari store, the bahay kubo, the start arch, the wall and the carabao.
#include "image_writers.h"
#include "noise.h"
#include "paint.h"
#include "texture_painters.h"

#include <cmath>

namespace tb::media {
namespace {

void woodPlanks(cairo_t* cr, double w, double h, Rgb colour, int planks, bool vertical) {
    fillRect(cr, 0, 0, w, h, colour);
    for (int i = 1; i < planks; ++i) {
        if (vertical) {
            fillRect(cr, i * w / planks - 0.75, 0, 1.5, h, shade(colour, 0.6));
        } else {
            fillRect(cr, 0, i * h / planks - 0.75, w, 1.5, shade(colour, 0.6));
        }
    }
}

// --- store ----------------------------------------------------------------------------------

// Shelves of goods behind a wire grille, as the counter window shows them.
void paintGoods(cairo_t* cr, double x, double y, double w, double h) {
    fillRect(cr, x, y, w, h, {40, 32, 28});
    const Rgb colours[] = {{220, 40, 40}, {250, 200, 40}, {40, 120, 220}, {250, 250, 240},
                           {60, 170, 70}, {240, 120, 30}, {200, 60, 160}};
    Rng rng(501);
    const int shelves = 4;
    for (int s = 0; s < shelves; ++s) {
        const double sy = y + (s + 1) * h / (shelves + 0.6);
        fillRect(cr, x, sy, w, 3, {120, 80, 50});
        for (double gx = x + 3; gx < x + w - 8; gx += rng.range(6, 11)) {
            const double gh = rng.range(8, 16), gw = rng.range(4, 7);
            fillRect(cr, gx, sy - gh, gw, gh, colours[rng.next() % 7]);
        }
    }
    // Strips of sachets hang from the top of the window.
    for (double gx = x + 6; gx < x + w - 6; gx += 14) {
        for (int k = 0; k < 5; ++k) {
            fillRect(cr, gx, y + 2 + k * 7, 8, 6, colours[(static_cast<int>(gx) / 14 + k) % 7]);
        }
    }
    setColour(cr, {170, 170, 175});
    cairo_set_line_width(cr, 1);
    for (double gx = x; gx <= x + w; gx += 8) {
        cairo_move_to(cr, gx, y);
        cairo_line_to(cr, gx, y + h);
    }
    for (double gy = y; gy <= y + h; gy += 8) {
        cairo_move_to(cr, x, gy);
        cairo_line_to(cr, x + w, gy);
    }
    cairo_stroke(cr);
}

void paintStoreFront(cairo_t* cr) {
    const double w = store::Front.w, h = store::Front.h;
    fillRect(cr, 0, 0, w, h, {240, 232, 200});
    fillRect(cr, 0, h * 0.45, w, h * 0.55, {120, 200, 170});
    fillRect(cr, 0, h * 0.92, w, h * 0.08, {90, 140, 120});
    // The counter window with its ledge, and the side door (the picture's left is +z).
    paintGoods(cr, 143, 59, 301, 140);
    fillRect(cr, 136, 196, 315, 12, {140, 95, 60});
    {
        cairo_save(cr);
        cairo_translate(cr, 45, 90);
        woodPlanks(cr, 68, 166, {150, 100, 60}, 4, true);
        cairo_restore(cr);
    }
    setColour(cr, {230, 200, 60});
    cairo_arc(cr, 100, 175, 3, 0, 2 * M_PI);
    cairo_fill(cr);
    fillRect(cr, 462, 80, 40, 56, {250, 250, 250});
    centredText(cr, "LOAD", 482, 103, 12, true, {200, 30, 30});
    centredText(cr, "DITO", 482, 124, 12, true, {30, 60, 160});
}

void paintStoreSide(cairo_t* cr) {
    const double w = store::Side.w, h = store::Side.h;
    fillRect(cr, 0, 0, w, h, {236, 226, 196});
    fillRect(cr, 0, h * 0.55, w, h * 0.45, {120, 200, 170});
    fillRect(cr, 0, h * 0.9, w, h * 0.1, {90, 140, 120});
    // A jalousie window and a hand-painted sign.
    fillRect(cr, w * 0.55, h * 0.3, w * 0.28, h * 0.3, {60, 70, 80});
    for (int i = 0; i < 6; ++i) {
        fillRect(cr, w * 0.55, h * (0.31 + 0.05 * i), w * 0.28, h * 0.02, {180, 200, 210});
    }
    fillRect(cr, w * 0.1, h * 0.3, w * 0.36, h * 0.22, {40, 110, 200});
    centredText(cr, "MAY YELO", w * 0.28, h * 0.44, h * 0.08, true, {255, 255, 255});
}

void paintCorrugated(Image& image, PixelRect r) {
    for (int y = 0; y < r.h; ++y) {
        const double ridge = 0.5 + 0.5 * std::sin(y * 2 * M_PI / 8.0);
        for (int x = 0; x < r.w; ++x) {
            const float rust = tilingFractal(x / 32.0f, y / 32.0f, 8, 4, 511);
            const Rgb metal = shade({170, 175, 178}, 0.75 + 0.35 * ridge);
            image.at(r.x + x, r.y + y) = mix(metal, shade({150, 80, 40}, 0.8 + 0.3 * ridge),
                                             std::fmax(0.0f, (rust - 0.5f) * 2.5f));
        }
    }
}

void paintStoreSign(cairo_t* cr) {
    const double w = store::Sign.w, h = store::Sign.h;
    fillRect(cr, 0, 0, w, h, {250, 210, 40});
    fillRect(cr, 0, 0, w, 5, {200, 40, 40});
    fillRect(cr, 0, h - 5, w, 5, {200, 40, 40});
    outlinedText(cr, "SARI-SARI STORE", w / 2, h * 0.66, h * 0.5, {200, 30, 30}, {255, 255, 255},
                 3);
    centredText(cr, "ni Aling Nena", w * 0.86, h * 0.9, h * 0.16, true, {40, 40, 120});
}

Image storeTexture() {
    using namespace store;
    Image base(Texture.width, Texture.height, {200, 200, 200});
    paintCorrugated(base, Roof);
    noiseFill(base, Concrete, {150, 150, 145}, 0.2f, 8, 512);
    Canvas c(base);
    cairo_t* cr = c.cr();
    {
        PartScope p(cr, Front);
        paintStoreFront(cr);
    }
    {
        PartScope p(cr, Side);
        paintStoreSide(cr);
    }
    {
        PartScope p(cr, Wood);
        woodPlanks(cr, Wood.w, Wood.h, {140, 96, 58}, 4, false);
    }
    {
        PartScope p(cr, Sign);
        paintStoreSign(cr);
    }
    return c.image();
}

// --- bahay kubo -----------------------------------------------------------------------------

// Woven bamboo strips (sawali) in a herringbone.
void paintSawali(Image& image, PixelRect r, std::uint32_t seed) {
    for (int y = 0; y < r.h; ++y) {
        for (int x = 0; x < r.w; ++x) {
            const int cell = ((x / 6) + (y / 6)) % 2;
            const double strand =
                cell ? std::fabs(std::sin(x * M_PI / 6)) : std::fabs(std::sin(y * M_PI / 6));
            const float n = tilingNoise(x / 8.0f, y / 8.0f, 16, seed);
            image.at(r.x + x, r.y + y) = shade({205, 175, 115}, 0.72 + 0.3 * strand + 0.1 * n);
        }
    }
}

void bambooFrame(cairo_t* cr, double x, double y, double w, double h) {
    setColour(cr, {150, 140, 60});
    cairo_set_line_width(cr, 3);
    cairo_rectangle(cr, x, y, w, h);
    cairo_stroke(cr);
}

void paintThatch(Image& image, PixelRect r) {
    for (int y = 0; y < r.h; ++y) {
        for (int x = 0; x < r.w; ++x) {
            const float strands = tilingNoise(x / 2.0f, y / 10.0f, 64, 521);
            const double row = std::fmod(y, 14.0) / 14.0;
            image.at(r.x + x, r.y + y) = shade({150, 120, 70}, 0.6 + 0.35 * strands + 0.25 * row);
        }
    }
}

void paintBamboo(Image& image, PixelRect r) {
    for (int y = 0; y < r.h; ++y) {
        const bool node = y % 42 < 3;
        for (int x = 0; x < r.w; ++x) {
            const double round = 0.7 + 0.3 * std::cos(2 * M_PI * x / r.w);
            const Rgb base = node ? Rgb{120, 110, 50} : Rgb{190, 175, 90};
            image.at(r.x + x, r.y + y) = shade(base, round);
        }
    }
}

Image kuboTexture() {
    using namespace kubo;
    Image base(Texture.width, Texture.height, {120, 90, 60});
    paintSawali(base, WallDoor, 531);
    paintSawali(base, WallWindow, 532);
    paintThatch(base, Thatch);
    paintBamboo(base, Bamboo);
    paintBamboo(base, Ladder);
    Canvas c(base);
    cairo_t* cr = c.cr();
    {
        PartScope p(cr, WallDoor);
        fillRect(cr, 51, 30, 26, 98, {55, 36, 24});
        bambooFrame(cr, 51, 30, 26, 98);
        for (const double x : {0.0, 125.0}) {
            fillRect(cr, x, 0, 3, 128, {150, 140, 60});
        }
    }
    {
        PartScope p(cr, WallWindow);
        fillRect(cr, 41, 19, 46, 66, {50, 34, 22});
        bambooFrame(cr, 41, 19, 46, 66);
        fillRect(cr, 62, 19, 4, 66, {150, 140, 60});
    }
    {
        PartScope p(cr, Floor);
        woodPlanks(cr, Floor.w, Floor.h, {150, 110, 65}, 5, true);
    }
    Image painted = c.image();
    keepBlackOpaque(painted);
    // The thatch's eave hangs in ragged tufts: the gaps between them are cut out.
    Canvas cut(painted);
    cairo_t* k = cut.cr();
    Rng rng(533);
    // Clipped to the thatch: the tufts' jagged edge must not bite into the bamboo beside it.
    cairo_rectangle(k, Thatch.x, Thatch.y, Thatch.w, Thatch.h);
    cairo_clip(k);
    const double eaveTop = Thatch.y + Thatch.h - 14.0;
    cairo_move_to(k, Thatch.x, Thatch.y + Thatch.h);
    for (double x = Thatch.x; x <= Thatch.x + Thatch.w; x += 4) {
        cairo_line_to(k, x, eaveTop + rng.range(0, 6));
        cairo_line_to(k, x + 2, Thatch.y + Thatch.h - rng.range(0, 3));
    }
    cairo_line_to(k, Thatch.x + Thatch.w, Thatch.y + Thatch.h);
    cairo_close_path(k);
    cutOut(k);
    return cut.image();
}

// --- start arch ------------------------------------------------------------------------------

void paintPillar(cairo_t* cr) {
    const double w = arch::Pillar.w, h = arch::Pillar.h;
    fillRect(cr, 0, 0, w, h, {245, 240, 225});
    const Rgb bands[] = {{200, 30, 40}, {250, 200, 30}, {30, 70, 180}};
    for (int i = 0; i < 9; ++i) {
        const double y = 10 + i * 27.0;
        fillRect(cr, 0, y, w, 6, bands[i % 3]);
        setColour(cr, bands[(i + 1) % 3]);
        cairo_move_to(cr, w / 2, y + 9);
        cairo_line_to(cr, w * 0.75, y + 17);
        cairo_line_to(cr, w / 2, y + 25);
        cairo_line_to(cr, w * 0.25, y + 17);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    fillRect(cr, 0, h - 16, w, 16, {150, 140, 130});
}

// The banner is stretched about twice as wide as its picture: letters are painted narrow.
void narrowText(cairo_t* cr, const char* text, double cx, double y, double size, Rgb fill,
                Rgb outline) {
    cairo_save(cr);
    cairo_scale(cr, 0.55, 1.0);
    outlinedText(cr, text, cx / 0.55, y, size, fill, outline, 3);
    cairo_restore(cr);
}

void paintBanner(cairo_t* cr, const char* big, const char* small, Rgb cloth) {
    const double w = arch::BannerStart.w, h = arch::BannerStart.h;
    fillRect(cr, 0, 0, w, h, cloth);
    setColour(cr, {250, 210, 40});
    cairo_set_line_width(cr, 4);
    cairo_rectangle(cr, 3, 3, w - 6, h - 6);
    cairo_stroke(cr);
    narrowText(cr, big, w / 2, h * 0.58, h * 0.46, {255, 255, 255}, {30, 20, 20});
    centredText(cr, small, w / 2, h * 0.86, h * 0.18, true, {250, 220, 60});
}

// The road under the arch runs along z (down the picture), with a chequered start line.
void paintArchRoad(cairo_t* cr) {
    const double w = arch::Road.w, h = arch::Road.h, mid = w / 2, unit = w / 16.0;
    // The asphalt's speckle is already in the picture; verges and shoulders go either side.
    fillRect(cr, 0, 0, mid - 7.6 * unit, h, {96, 150, 60});
    fillRect(cr, mid + 7.6 * unit, 0, mid - 7.6 * unit, h, {96, 150, 60});
    fillRect(cr, mid - 7.6 * unit, 0, 1.4 * unit, h, {168, 150, 118});
    fillRect(cr, mid + 6.2 * unit, 0, 1.4 * unit, h, {168, 150, 118});
    for (const double side : {-1.0, 1.0}) {
        fillRect(cr, mid + side * 5.8 * unit - 0.14 * unit, 0, 0.28 * unit, h, {236, 236, 228});
    }
    const int squares = 12;
    const double size = 12.4 * unit / squares;
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < squares; ++k) {
            const bool white = (k + row) % 2 == 0;
            fillRect(cr, mid - 6.2 * unit + k * size, h / 2 - size + row * size, size, size,
                     white ? Rgb{245, 245, 240} : Rgb{30, 30, 34});
        }
    }
}

Image archTexture() {
    using namespace arch;
    Image base(Texture.width, Texture.height, {250, 200, 30});
    noiseFill(base, Road, {72, 74, 78}, 0.12f, 16, 561);
    Canvas c(base);
    cairo_t* cr = c.cr();
    {
        PartScope p(cr, Pillar);
        paintPillar(cr);
    }
    {
        PartScope p(cr, Road);
        paintArchRoad(cr);
    }
    {
        PartScope p(cr, BannerStart);
        paintBanner(cr, "TRUNDLEBAY", "START  -  FINISH", {190, 25, 35});
    }
    {
        PartScope p(cr, BannerBack);
        paintBanner(cr, "MABUHAY!", "INGAT PO SA BIYAHE", {25, 70, 170});
    }
    {
        PartScope p(cr, Cap);
        fillRect(cr, 0, 0, Cap.w, Cap.h, {250, 200, 30});
        setColour(cr, {200, 140, 20});
        cairo_set_line_width(cr, 4);
        cairo_rectangle(cr, 2, 2, Cap.w - 4, Cap.h - 4);
        cairo_stroke(cr);
    }
    {
        // Little flags in fiesta colours; painted narrow, as the string stretches them.
        PartScope p(cr, Bunting);
        fillRect(cr, 0, 0, Bunting.w, Bunting.h, {0, 0, 0});
        const Rgb flags[] = {{230, 40, 40}, {250, 210, 40},  {40, 90, 220},
                             {60, 180, 80}, {250, 250, 250}, {240, 110, 180}};
        for (int i = 0; i < 24; ++i) {
            const double x = i * 8.0;
            setColour(cr, flags[i % 6]);
            cairo_move_to(cr, x + 0.5, 4);
            cairo_line_to(cr, x + 7.5, 4);
            cairo_line_to(cr, x + 4, Bunting.h - 2 - (i % 2) * 8);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
        fillRect(cr, 0, 2, Bunting.w, 2, {230, 230, 230});
    }
    {
        // The crown: a golden sun with eight rays, cut out against the sky.
        PartScope p(cr, Crown);
        fillRect(cr, 0, 0, Crown.w, Crown.h, {0, 0, 0});
        cairo_save(cr);
        cairo_translate(cr, Crown.w / 2.0, Crown.h);
        cairo_scale(cr, 0.55, 1.0);
        setColour(cr, {250, 200, 30});
        for (int i = 0; i < 9; ++i) {
            const double a = M_PI + i * M_PI / 8.0;
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, std::cos(a - 0.09) * 60, std::sin(a - 0.09) * 60);
            cairo_line_to(cr, std::cos(a) * 64, std::sin(a) * 64);
            cairo_line_to(cr, std::cos(a + 0.09) * 60, std::sin(a + 0.09) * 60);
            cairo_close_path(cr);
        }
        cairo_fill(cr);
        cairo_arc(cr, 0, 0, 34, M_PI, 2 * M_PI);
        setColour(cr, {255, 225, 60});
        cairo_fill(cr);
        cairo_restore(cr);
    }
    Image painted = c.image();
    // Black was painted only where the sky shows through; keep it exact by repainting it.
    Image lifted = painted;
    keepBlackOpaque(lifted);
    for (std::size_t i = 0; i < painted.pixels.size(); ++i) {
        const int x = static_cast<int>(i % painted.width), y = static_cast<int>(i / painted.width);
        const bool cutArea =
            (x >= Bunting.x && x < Bunting.x + Bunting.w && y >= Bunting.y &&
             y < Bunting.y + Bunting.h) ||
            (x >= Crown.x && x < Crown.x + Crown.w && y >= Crown.y && y < Crown.y + Crown.h);
        const Rgb p = painted.pixels[i];
        const bool nearBlack = p.r + p.g + p.b < 60;
        lifted.pixels[i] = cutArea && nearBlack ? Rgb{0, 0, 0} : lifted.pixels[i];
    }
    return lifted;
}

// --- wall -----------------------------------------------------------------------------------

// Painted upright and flipped at the end: the game's projection puts row 0 at the wall's foot.
Image wallTexture() {
    const int w = wall::Texture.width, h = wall::Texture.height;
    Image base(w, h);
    noiseFill(base, {0, 0, w, h}, {225, 215, 190}, 0.1f, 16, 541);
    Canvas c(base);
    cairo_t* cr = c.cr();
    const double pxPerUnit = h / 3.4;
    const auto row = [&](double y) { return (3.4 - y) * pxPerUnit; };
    setColour(cr, {185, 175, 150});
    cairo_set_line_width(cr, 1);
    for (double y = 0.4; y < 2.9; y += 0.4) {
        cairo_move_to(cr, 0, row(y));
        cairo_line_to(cr, w, row(y));
        const int course = static_cast<int>(y / 0.4);
        for (double x = (course % 2) * 13.0; x < w; x += 26.0) {
            cairo_move_to(cr, x, row(y));
            cairo_line_to(cr, x, row(y - 0.4));
        }
    }
    cairo_stroke(cr);
    fillRect(cr, 0, row(0.35), w, row(0.0) - row(0.35), {120, 125, 95});
    fillRect(cr, 0, row(3.15), w, row(2.9) - row(3.15), {160, 60, 50});
    for (const double x0 : {0.0, 246.3, 492.6}) {
        fillRect(cr, x0, 0, 19.4, h, {160, 60, 50});
        fillRect(cr, x0, 0, 19.4, row(3.3), {240, 230, 210});
    }
    Image upright = c.image();
    Image flipped(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            flipped.at(x, y) = upright.at(x, h - 1 - y);
        }
    }
    return flipped;
}

// --- carabao --------------------------------------------------------------------------------

// u runs round each part from its top (0) past its underside (0.5): the light from above is
// painted in, as the game draws unlit by default.
void paintRoundPart(Image& image, PixelRect r, Rgb top, Rgb bottom, std::uint32_t seed) {
    for (int y = 0; y < r.h; ++y) {
        for (int x = 0; x < r.w; ++x) {
            const double around = 0.5 + 0.5 * std::cos(2 * M_PI * x / r.w);
            const float hair = tilingNoise(x / 3.0f, y / 1.5f, 128, seed);
            image.at(r.x + x, r.y + y) = shade(mix(bottom, top, around), 0.85 + 0.3 * hair);
        }
    }
}

Image carabaoTexture() {
    using namespace carabao;
    Image base(Texture.width, Texture.height, {60, 60, 64});
    paintRoundPart(base, Hide, {105, 102, 108}, {42, 40, 44}, 551);
    paintRoundPart(base, Head, {95, 92, 98}, {50, 48, 52}, 552);
    paintRoundPart(base, Horn, {190, 180, 160}, {120, 112, 100}, 553);
    paintRoundPart(base, Leg, {100, 98, 104}, {70, 68, 72}, 554);
    paintRoundPart(base, Tail, {80, 78, 82}, {50, 48, 52}, 555);
    Canvas c(base);
    cairo_t* cr = c.cr();
    {
        // The pale chevron on the throat, near the neck end of the hide.
        PartScope p(cr, Hide);
        setColour(cr, {175, 165, 160});
        cairo_move_to(cr, Hide.w * 0.4, Hide.h);
        cairo_line_to(cr, Hide.w * 0.5, Hide.h * 0.88);
        cairo_line_to(cr, Hide.w * 0.6, Hide.h);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    {
        PartScope p(cr, Head);
        for (const double x : {Head.w * 0.25, Head.w * 0.75}) {
            setColour(cr, {200, 190, 180});
            cairo_arc(cr, x, Head.h * 0.3, 4, 0, 2 * M_PI);
            cairo_fill(cr);
            setColour(cr, {15, 12, 12});
            cairo_arc(cr, x, Head.h * 0.3, 2.5, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        fillRect(cr, 0, Head.h * 0.85, Head.w, Head.h * 0.15, {120, 105, 105});
    }
    {
        PartScope p(cr, Horn);
        for (int i = 1; i < 12; ++i) {
            fillRect(cr, 0, i * Horn.h / 12.0, Horn.w, 1.5, {100, 92, 80});
        }
        fillRect(cr, 0, Horn.h * 0.85, Horn.w, Horn.h * 0.15, {60, 55, 50});
    }
    {
        PartScope p(cr, Leg);
        fillRect(cr, 0, Leg.h * 0.55, Leg.w, Leg.h * 0.33, {150, 140, 130});
        fillRect(cr, 0, Leg.h * 0.88, Leg.w, Leg.h * 0.12, {30, 28, 26});
    }
    {
        PartScope p(cr, Tail);
        fillRect(cr, 0, Tail.h * 0.7, Tail.w, Tail.h * 0.3, {25, 22, 22});
    }
    return c.image();
}

} // namespace

bool writeBuildingTextures(const std::string& folder) {
    return writeJpeg(folder + "/store.jpg", storeTexture()) &&
           writeBmp(folder + "/kubo.bmp", kuboTexture()) &&
           writeBmp(folder + "/arch.bmp", archTexture()) &&
           writeJpeg(folder + "/wall.jpg", wallTexture()) &&
           writeJpeg(folder + "/carabao.jpg", carabaoTexture());
}

} // namespace tb::media
