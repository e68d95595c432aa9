#include "audio/mixer_fixture.h"

#include <algorithm>
#include <cmath>

namespace tb::test {
namespace {

const std::vector<int> silentEar(BlockFrames, 0);

TEST_F(MixerTest, LoopsWrapBeforeTheirLastSixteenSamplesAndOneShotsStop) {
    const int loop = addSamples(ramp(100));
    startHeard(loop, true, &ahead);
    const Block first = mixBlock();
    for (int f = 0; f < BlockFrames; ++f) {
        ASSERT_EQ(first.left[f], f % 84 + 1) << "frame " << f;
        ASSERT_EQ(first.right[f], f % 84 + 1) << "frame " << f;
    }
    // The next block starts again on the sample the last frame played.
    EXPECT_EQ(mixBlock().left[0], 1023 % 84 + 1);

    const int shot = addSamples(ramp(500));
    Vec3 far{0.0f, 0.0f, 310.0f}; // beyond the range the loop plays on unheard
    playSound(loop, true, &far, 1.0f);
    advanceMilliseconds(1500);
    startHeard(shot, false, &ahead);
    const Block ending = mixBlock();
    EXPECT_EQ(ending.left[483], 484);
    EXPECT_EQ(std::vector<int>(ending.left.begin() + 484, ending.left.end()),
              std::vector<int>(BlockFrames - 484, 0));
    EXPECT_FALSE(isChannelPlaying(shot));
    EXPECT_EQ(channel(shot).position, 484);
    EXPECT_TRUE(isChannelPlaying(loop));
    EXPECT_EQ(channel(loop).position, 1023 % 84) << "an unheard sound still moves on";
    EXPECT_EQ(channel(loop).gainLeft + channel(loop).gainRight, 0.0f);

    startHeard(shot, false, &ahead);
    EXPECT_EQ(mixBlock().left[0], 1) << "a restart plays from the beginning";
}

TEST_F(MixerTest, SoundTravelsHundredUnitsASecond) {
    const int c = addSamples(ramp(5000));
    Vec3 fifty{0.0f, 0.0f, 50.0f};
    playSound(c, false, &fifty, 1.0f);
    advanceMilliseconds(490);
    EXPECT_EQ(mixBlock().left, silentEar);
    EXPECT_EQ(channel(c).position, 0);

    advanceMilliseconds(20);
    const float gain = 250.0f / 300.0f;
    EXPECT_EQ(mixBlock().left[999], static_cast<int>(2000 * gain));
}

// A crash 150 units off that recedes or approaches by 100 while its sound travels: only the
// last block's movement shifts the pitch, so the crash is heard whole.
TEST_F(MixerTest, ASourceMovingDuringTheDelayIsHeardAtItsLastBlocksShift) {
    const int crash = addSamples(std::vector<std::int16_t>(3000, 3000));
    for (const float step : {6.25f, -6.25f}) {
        Vec3 source = ahead;
        playSound(crash, false, &source, 1.0f);
        int heard = 0;
        float firstRate = 0.0f;
        for (int block = 0; block < 60 && isChannelPlaying(crash); ++block) {
            advanceMilliseconds(93);
            if (heard == 0) {
                source.z += step;
            }
            const Block b = mixBlock();
            const int frames = static_cast<int>(
                std::count_if(b.left.begin(), b.left.end(), [](int v) { return v != 0; }));
            firstRate = heard == 0 && frames > 0 ? channel(crash).rate : firstRate;
            heard += frames;
        }
        EXPECT_NEAR(firstRate, 1.0f - 0.1f * step, 1e-3f) << "step " << step;
        EXPECT_NEAR(heard, 2984, 2984 / 4) << "step " << step;
    }
}

TEST_F(MixerTest, SourceOnOneSideIsHeardEarlierAndOnlyInThatEar) {
    const int c = addSamples(ramp(5000));
    Vec3 right{-100.0f, 0.0f, 0.0f};
    startHeard(c, true, &right);
    const Block block = mixBlock();
    const float gain = 200.0f / 300.0f;
    EXPECT_EQ(channel(c).gainRight, gain);
    EXPECT_EQ(channel(c).gainLeft, 0.0f);
    EXPECT_EQ(channel(c).leadRight, 16);
    EXPECT_EQ(channel(c).muffle, 0.0f);
    EXPECT_EQ(block.left, silentEar);
    EXPECT_EQ(block.right[0], static_cast<int>(2 * 17 * gain));

    Vec3 aheadLeft{100.0f, 0.0f, 100.0f};
    startHeard(c, true, &aheadLeft);
    mixBlock();
    const float a = std::sqrt(0.5f);
    EXPECT_EQ(channel(c).leadLeft, static_cast<int>((1.0f - a) * 16));
    EXPECT_EQ(channel(c).leadRight, 0);
    EXPECT_NEAR(channel(c).gainRight, channel(c).gainLeft * a, 1e-6);
    ear = {100.0f, 0.0f, 0.0f}; // the listener walks up behind it: straight ahead now
    mixBlock();
    EXPECT_EQ(channel(c).leadLeft + channel(c).leadRight, 0);
    EXPECT_EQ(channel(c).gainRight, channel(c).gainLeft);
    ear = {0.0f, 0.0f, 0.0f};

    // A camera direction that is not a unit vector must not move the ears' reads.
    forward = {0.0f, 0.0f, 3.0f};
    mixBlock();
    EXPECT_EQ(channel(c).leadLeft, 0);
    forward = {NAN, 0.0f, 1.0f};
    mixBlock();
    EXPECT_LE(channel(c).leadLeft + channel(c).leadRight, 16);
    setListener(&ear, nullptr, 300.0f); // no camera yet: facing +z
    mixBlock();
    EXPECT_EQ(channel(c).leadLeft, static_cast<int>((1.0f - a) * 16));
}

TEST_F(MixerTest, SourceBehindIsCentredAndLowPassed) {
    const int c = addSamples(std::vector<std::int16_t>(5000, -3000));
    Vec3 behind{0.0f, 0.0f, -100.0f};
    startHeard(c, true, &behind);
    const Block block = mixBlock();
    EXPECT_EQ(channel(c).muffle, 1.0f);
    // -2000 a sample after the gain, averaged over the last sixteen.
    for (int f = 0; f < 16; ++f) {
        EXPECT_EQ(block.left[f], -125 * (f + 1));
        EXPECT_EQ(block.right[f], -125 * (f + 1));
    }
    EXPECT_EQ(block.left[500], -2000);
}

TEST_F(MixerTest, SummedChannelsAreClampedSymmetrically) {
    std::vector<std::int16_t> loud(3000, 32767);
    std::fill(loud.begin() + 1500, loud.end(), std::int16_t{-32768});
    Vec3 near{0.0f, 0.0f, 1.0f};
    playSound(addSamples(loud), false, &near, 1.0f);
    startHeard(addSamples(loud), false, &near);
    EXPECT_EQ(mixBlock().left[100], 32767);
    EXPECT_EQ(mixBlock().right[1500 - 1023], -32767);
}

TEST_F(MixerTest, RingOffsetWrapsAfterThirtyTwoBlocks) {
    for (int block = 1; block <= 31; ++block) {
        mixNextBlock();
    }
    EXPECT_EQ(soundSystem().mixOffset, 63488);
    const std::int16_t* previous = lastMixedBlock();
    mixNextBlock();
    EXPECT_EQ(soundSystem().mixOffset, 0);
    EXPECT_NE(lastMixedBlock(), previous) << "buffers A and B alternate";

    closeMixer();
    mixNextBlock();
    EXPECT_EQ(lastMixedBlock(), nullptr);
}

TEST_F(MixerTest, NegativeRatePlaysBackwardsUntilTheStart) {
    const int loop = addSamples(ramp(3000));
    const int shot = addSamples(ramp(3000));
    Vec3 source = ahead;
    playSound(loop, true, &ahead, 1.0f);
    startHeard(shot, false, &source);
    mixBlock();

    // A jump of 50 units away, as at a race restart, gives the shot -4 for one block.
    source.z = 200.0f;
    setChannelRate(loop, -4.0f);
    const Block back = mixBlock();
    EXPECT_FLOAT_EQ(channel(shot).rate, -4.0f);
    EXPECT_EQ(back.left[0], 1024 + static_cast<int>(2 * 1024 / 3.0f));
    // 256 frames back to sample 3; then the shot stops and the loop repeats its first sample.
    EXPECT_EQ(back.left[256], 1);
    EXPECT_EQ(back.left[1023], 1);
    EXPECT_FALSE(isChannelPlaying(shot));
    EXPECT_TRUE(isChannelPlaying(loop));

    setChannelRate(loop, 1.0f);
    EXPECT_EQ(mixBlock().left[10], 11);
}

TEST_F(MixerTest, VariantsAndChannelsThatCannotSound) {
    const int source = addSamples(ramp(1000));
    const int variant = makeSoundVariant(source, 35);
    EXPECT_TRUE(channel(variant).sharesSamples);
    EXPECT_EQ(channel(variant).length, 965);
    startHeard(variant, true, &ahead);
    EXPECT_EQ(mixBlock().left[0], 36);

    const int sixteen = addSamples(ramp(16));
    const int failedLoad = -3;
    const int empty = makeSoundVariant(failedLoad, 5);
    EXPECT_EQ(empty, sixteen + 1) << "a failed load still gives its vehicles a channel";
    for (const int c : {sixteen, empty, failedLoad, 99, makeSoundVariant(source, 1000)}) {
        playSound(c, true, &ahead, 1.0f);
        setChannelRate(c, 2.0f);
        EXPECT_FALSE(isChannelPlaying(c)) << "channel " << c;
    }
    EXPECT_FALSE(placeChannel(failedLoad));

    const int seventeen = addSamples(ramp(17));
    playSound(variant, false, &ahead, 0.0f); // held on its first sample
    startHeard(seventeen, true, &ahead);
    EXPECT_EQ(mixBlock().left[1000], 36 + 1) << "a one-sample loop";

    while (addSamples(ramp(100)) >= 0) {
    }
    EXPECT_EQ(soundSystem().channelCount, ChannelCapacity);
    EXPECT_EQ(makeSoundVariant(0, 5), ChannelTableFull);
}

} // namespace
} // namespace tb::test
