#pragma once
// Where each model's parts lie in its texture. The model builder maps faces onto these
// rectangles and the texture painter paints the same rectangles, so the two always agree.
// Rectangles are in pixels of the named texture; every texture is a power of two on each side.
#include "mesh.h"

namespace tb::media {

struct PixelRect {
    int x, y, w, h;
};

struct TextureSize {
    int width, height;
    TexRect of(PixelRect r) const { return pixelRect(r.x, r.y, r.w, r.h, width, height); }
};

// "streetS.jpg", "streetL.jpg", "streetT.jpg", "streetJ.jpg": each the whole top of its tile,
// seen from above with the picture's top towards -z and its right towards +x.
constexpr TextureSize StreetTexture{256, 256};

// "field.jpg": grass that repeats every FieldRepeat world units.
constexpr TextureSize FieldTexture{512, 512};
constexpr float FieldRepeat = 64.0f;

// "skyDome.jpg": u goes round the horizon SkyRepeats times; v from the zenith (0) down to a
// little below the horizon (1), spread as sky_layout.h says.
constexpr TextureSize SkyTexture{512, 256};
constexpr int SkyRepeats = 3;

// The jeepney liveries "jeepney1.jpg" (blue) .. "jeepney4.jpg" (purple).
namespace jeepney {
constexpr TextureSize Texture{512, 512};
constexpr PixelRect Side{0, 0, 512, 144};        // cab side: lower panel, windows above
constexpr PixelRect Roof{0, 144, 256, 128};      // seen from above, its top towards the rear
constexpr PixelRect HoodTop{256, 144, 128, 128}; // its top towards the windshield
constexpr PixelRect Grille{384, 144, 128, 64};
constexpr PixelRect Windshield{384, 208, 128, 64};
constexpr PixelRect Rear{0, 272, 192, 128}; // open back with its step and lamps
constexpr PixelRect HoodSide{192, 272, 256, 64};
constexpr PixelRect Fender{192, 336, 256, 64};
constexpr PixelRect Sign{0, 400, 256, 48}; // the route board over the windshield
constexpr PixelRect Chrome{256, 400, 64, 64};
constexpr PixelRect Dark{320, 400, 64, 64};
constexpr PixelRect Paint{384, 400, 64, 64}; // plain livery colour
constexpr PixelRect Seat{0, 448, 256, 64};
} // namespace jeepney

// "wheel.jpg": the hub as seen from the side, and the tread (u round the tyre).
namespace wheel {
constexpr TextureSize Texture{256, 128};
constexpr PixelRect Face{0, 0, 128, 128};
constexpr PixelRect Tread{128, 0, 128, 128};
} // namespace wheel

// "store.jpg": the sari-sari store.
namespace store {
constexpr TextureSize Texture{512, 512};
constexpr PixelRect Front{0, 0, 512, 256};
constexpr PixelRect Side{0, 256, 256, 192};
constexpr PixelRect Roof{256, 256, 256, 128};
constexpr PixelRect Wood{256, 384, 128, 64};
constexpr PixelRect Concrete{384, 384, 128, 64};
constexpr PixelRect Sign{0, 448, 512, 64};
} // namespace store

// "kubo.bmp": the hut; pure black is cut out (alpha BLACK_MASK), so it is a bitmap, which
// keeps black exact where JPEG would smear it.
namespace kubo {
constexpr TextureSize Texture{256, 256};
constexpr PixelRect WallDoor{0, 0, 128, 128};
constexpr PixelRect WallWindow{128, 0, 128, 128};
constexpr PixelRect Thatch{0, 128, 128, 128}; // its bottom rows are the ragged eave
constexpr PixelRect Bamboo{128, 128, 64, 128};
constexpr PixelRect Floor{192, 128, 64, 64};
constexpr PixelRect Ladder{192, 192, 64, 64};
} // namespace kubo

// "arch.bmp": the start arch; pure black is cut out as well.
namespace arch {
constexpr TextureSize Texture{256, 512};
constexpr PixelRect Pillar{0, 0, 64, 256};
constexpr PixelRect BannerStart{64, 0, 192, 64}; // seen when driving towards +z
constexpr PixelRect BannerBack{64, 64, 192, 64};
constexpr PixelRect Bunting{64, 128, 192, 64};
constexpr PixelRect Crown{64, 192, 128, 64};
constexpr PixelRect Cap{192, 192, 64, 64};
constexpr PixelRect Road{0, 256, 256, 256}; // the road under the arch, along z, seen from above
} // namespace arch

// "wall.jpg": laid over the wall by the game's own flat projection (the model has no texture
// coordinates): u from the wall's lowest x to its highest, v from its foot (row 0) to its top.
namespace wall {
constexpr TextureSize Texture{512, 128};
} // namespace wall

// "carabao.jpg": hide, head, horns and legs; u runs round each part from its top.
namespace carabao {
constexpr TextureSize Texture{256, 256};
constexpr PixelRect Hide{0, 0, 256, 128};
constexpr PixelRect Head{0, 128, 128, 64};
constexpr PixelRect Horn{128, 128, 128, 64};
constexpr PixelRect Leg{0, 192, 128, 64};
constexpr PixelRect Tail{128, 192, 128, 64};
} // namespace carabao

} // namespace tb::media
