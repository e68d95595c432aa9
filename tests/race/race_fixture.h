#pragma once
// A fresh game state for race tests: empty track, vehicles at rest, a clock the test drives,
// and helpers to lay out a grid, give a jeepney a body and give it a channel that plays.
#include "assets/game_models.h"
#include "audio/sound_channels.h"
#include "race/camera.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/input.h"
#include "track/track_grid.h"
#include "track/transform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace tb::testing {

inline std::uint32_t fakeMilliseconds = 0;
inline std::uint32_t fakeClock() {
    return fakeMilliseconds;
}

class RaceFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        resetVehicles();
        resetRace();
        resetGameModels();
        track = TrackState{};
        camera = Camera{};
        std::memset(keyState, 0, sizeof keyState);
        axisX = axisY = 0.0f;
        fakeMilliseconds = 100000;
        setClockSource(&fakeClock);
        app.frameTime = 0.03f;
        app.frameClock = clockSeconds();
    }

    void TearDown() override {
        setClockSource(nullptr);
        releaseSoundChannels();
    }

    // A grid of the given size, every cell `fill`, centred on the world origin.
    static void makeGrid(int width, int height, int fill) {
        TrackGrid& g = track.grid;
        g.width = width;
        g.height = height;
        g.centreColumn = width / 2;
        g.centreRow = height / 2;
        g.cells.assign(static_cast<std::size_t>(width * height), static_cast<std::uint8_t>(fill));
        g.loaded = true;
    }

    // Sets the code of the cell that holds the world point (x, z).
    static void setCellAt(float x, float z, int code) {
        const Cell c = worldToCell(x, z);
        track.grid.cells[static_cast<std::size_t>(c.row * track.grid.width + c.column)] =
            static_cast<std::uint8_t>(code);
    }

    // A loaded jeepney body 3 wide and 8 long with its origin on the rear axle.
    static void giveBody(int i, const Vec3& position, float yaw) {
        Model& body = vehicleBody(i);
        body.loaded = 1;
        body.boundsMin = {-1.5f, 0.0f, -1.0f};
        body.boundsMax = {1.5f, 2.5f, 7.0f};
        body.position = position;
        body.rotation = {0.0f, yaw, 0.0f};
        composeRotation(body.rotation, body.position, body.transform);
        updateRadius(body);
    }

    // A channel with samples, so that playSound really raises its playing flag.
    static int playableChannel() {
        constexpr int length = 4000;
        auto samples = std::make_unique<std::int16_t[]>(length);
        for (int i = 0; i < length; ++i) {
            samples[i] = static_cast<std::int16_t>((i % 50) * 400);
        }
        return addSound(std::move(samples), length);
    }

    static float channelRate(int channel) {
        return soundSystem().channels[static_cast<std::size_t>(channel)].baseRate.load();
    }

    static void advanceClock(float seconds) {
        fakeMilliseconds += static_cast<std::uint32_t>(seconds * 1000.0f + 0.5f);
        app.frameClock = clockSeconds();
    }
};

} // namespace tb::testing
