#pragma once
// A small Microsoft ADPCM encoder (mono). Each block starts with a header naming one of the
// seven standard predictors, the starting step size and two whole samples; every later sample
// is a 4-bit step from the prediction. The encoder tracks exactly what a decoder will rebuild,
// and for every block picks the predictor and starting step that rebuild it most closely.
#include <cstdint>
#include <vector>

namespace tb::media {

// The standard predictor coefficient pairs, in units of 1/256.
constexpr int AdpcmCoefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                         {240, 0}, {460, -208}, {392, -232}};

constexpr int adpcmSamplesPerBlock(int blockAlign) {
    return (blockAlign - 7) * 2 + 2;
}

// The blocks for `samples`; the last block is filled out with silence.
std::vector<std::uint8_t> encodeMsAdpcm(const std::vector<std::int16_t>& samples, int blockAlign);

} // namespace tb::media
