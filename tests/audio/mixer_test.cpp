#include "audio/mixer_fixture.h"

#include <cmath>

namespace tb::test {
namespace {

TEST_F(MixerTest, LoopingSoundNeverPlaysItsLastSixteenSamples) {
    const int c = addSamples(ramp(100));
    playSound(c, true, &ahead, 1.0f);
    advanceMilliseconds(2000);

    const Block first = mixBlock();
    for (int f = 0; f < BlockFrames; ++f) {
        ASSERT_EQ(first.left[f], f % 84 + 1) << "frame " << f;
        ASSERT_EQ(first.right[f], f % 84 + 1) << "frame " << f;
    }
    // The next block starts again on the sample the last frame played.
    EXPECT_EQ(channel(c).position, 1023 % 84);
    EXPECT_EQ(mixBlock().left[0], 1023 % 84 + 1);
    EXPECT_TRUE(isChannelPlaying(c));
}

TEST_F(MixerTest, OneShotEndingMidBlockLeavesTheRestToOtherChannels) {
    const int shot = addSamples(ramp(500));
    const int loop = addSamples(std::vector<std::int16_t>(200, 1000));
    Vec3 left{300.0f, 0.0f, 0.0f}; // beyond the range: the loop plays on unheard
    playSound(shot, false, &ahead, 1.0f);
    playSound(loop, true, &ahead, 1.0f);
    advanceMilliseconds(2000);

    const Block block = mixBlock();
    EXPECT_EQ(block.left[0], 1 + 500);
    EXPECT_EQ(block.left[483], 484 + 500);
    EXPECT_EQ(block.left[484], 500);
    EXPECT_EQ(block.right[1023], 500);
    EXPECT_FALSE(isChannelPlaying(shot));
    EXPECT_EQ(channel(shot).position, 484);

    playSound(loop, true, &left, 1.0f);
    advanceMilliseconds(5000);
    const Block silent = mixBlock();
    EXPECT_EQ(silent.left, std::vector<int>(BlockFrames, 0));
    EXPECT_EQ(channel(loop).gainLeft, 0.0f);
    EXPECT_EQ(channel(loop).gainRight, 0.0f);
    EXPECT_TRUE(isChannelPlaying(loop));
    EXPECT_EQ(channel(loop).position, 1023 % 184) << "an unheard sound still moves on";
}

TEST_F(MixerTest, SoundTravelsHundredUnitsASecond) {
    const int c = addSamples(ramp(5000));
    Vec3 fifty{0.0f, 0.0f, 50.0f};
    playSound(c, false, &fifty, 1.0f);

    advanceMilliseconds(490);
    EXPECT_EQ(mixBlock().left, std::vector<int>(BlockFrames, 0));
    EXPECT_EQ(channel(c).position, 0);
    EXPECT_TRUE(isChannelPlaying(c));

    advanceMilliseconds(20);
    const Block heard = mixBlock();
    const float gain = (300.0f - 50.0f) / 300.0f;
    EXPECT_EQ(heard.left[0], static_cast<int>(2 * gain));
    EXPECT_EQ(heard.left[999], static_cast<int>(2000 * gain));
}

TEST_F(MixerTest, SourceOnOneSideIsHeardEarlierAndOnlyInThatEar) {
    const int c = addSamples(ramp(5000));
    Vec3 right{-100.0f, 0.0f, 0.0f};
    playSound(c, true, &right, 1.0f);
    advanceMilliseconds(2000);

    const Block block = mixBlock();
    const float gain = 200.0f / 300.0f;
    EXPECT_EQ(channel(c).gainRight, gain);
    EXPECT_EQ(channel(c).gainLeft, 0.0f);
    EXPECT_EQ(channel(c).leadRight, 16);
    EXPECT_EQ(channel(c).leadLeft, 0);
    EXPECT_EQ(channel(c).muffle, 0.0f);
    EXPECT_EQ(block.left, std::vector<int>(BlockFrames, 0));
    EXPECT_EQ(block.right[0], static_cast<int>(2 * 17 * gain));

    // Ahead and to the left: the left ear leads, the right hears less.
    Vec3 aheadLeft{100.0f, 0.0f, 100.0f};
    playSound(c, true, &aheadLeft, 1.0f);
    advanceMilliseconds(2000);
    mixBlock();
    const float a = std::sqrt(0.5f);
    EXPECT_EQ(channel(c).leadLeft, static_cast<int>((1.0f - a) * 16));
    EXPECT_EQ(channel(c).leadRight, 0);
    EXPECT_NEAR(channel(c).gainRight, channel(c).gainLeft * a, 1e-6);
}

TEST_F(MixerTest, SourceBehindIsCentredAndLowPassed) {
    const int c = addSamples(std::vector<std::int16_t>(5000, 3000));
    Vec3 behind{0.0f, 0.0f, -100.0f};
    playSound(c, true, &behind, 1.0f);
    advanceMilliseconds(2000);

    const Block block = mixBlock();
    EXPECT_EQ(channel(c).muffle, 1.0f);
    EXPECT_EQ(channel(c).dryGain, 0.0f);
    // 2000 a sample after the gain, averaged over the last sixteen.
    for (int f = 0; f < 16; ++f) {
        EXPECT_EQ(block.left[f], 125 * (f + 1));
        EXPECT_EQ(block.right[f], 125 * (f + 1));
    }
    EXPECT_EQ(block.left[500], 2000);
}

TEST_F(MixerTest, SummedChannelsAreClampedSymmetrically) {
    std::vector<std::int16_t> loud(3000, 32767);
    std::fill(loud.begin() + 1500, loud.end(), std::int16_t{-32768});
    const int a = addSamples(loud);
    const int b = addSamples(loud);
    Vec3 near{0.0f, 0.0f, 1.0f};
    playSound(a, false, &near, 1.0f);
    playSound(b, false, &near, 1.0f);
    advanceMilliseconds(1000);

    EXPECT_EQ(mixBlock().left[100], 32767);
    EXPECT_EQ(mixBlock().right[1500 - 1023], -32767);
}

TEST_F(MixerTest, RingOffsetWrapsAfterThirtyTwoBlocks) {
    for (int block = 1; block <= 31; ++block) {
        mixNextBlock();
        EXPECT_EQ(soundSystem().mixOffset, 2048 * block);
    }
    EXPECT_EQ(soundSystem().mixOffset, 63488);
    const std::int16_t* previous = lastMixedBlock();
    mixNextBlock();
    EXPECT_EQ(soundSystem().mixOffset, 0);
    EXPECT_NE(lastMixedBlock(), previous) << "buffers A and B alternate";

    closeMixer();
    mixNextBlock();
    EXPECT_EQ(lastMixedBlock(), nullptr);
    EXPECT_EQ(soundSystem().mixOffset, 0);
}

TEST_F(MixerTest, NegativeRatePlaysBackwardsUntilTheStart) {
    const int loop = addSamples(ramp(3000));
    const int shot = addSamples(ramp(3000));
    playSound(loop, true, &ahead, 1.0f);
    playSound(shot, false, &ahead, 1.0f);
    advanceMilliseconds(2000);
    mixBlock();

    setChannelRate(loop, -4.0f);
    setChannelRate(shot, -4.0f);
    const Block back = mixBlock();
    // Both sound for 256 frames, 1023 down to 3; then the loop repeats its first sample.
    EXPECT_EQ(back.left[0], 2 * 1024);
    EXPECT_EQ(back.left[255], 2 * 4);
    EXPECT_EQ(back.left[256], 1);
    EXPECT_EQ(back.left[1023], 1);
    EXPECT_FALSE(isChannelPlaying(shot));
    EXPECT_TRUE(isChannelPlaying(loop));

    setChannelRate(loop, 1.0f);
    EXPECT_EQ(mixBlock().left[10], 11);
}

TEST_F(MixerTest, ChangingDistanceShiftsThePitchForOneBlock) {
    const int c = addSamples(ramp(30000));
    Vec3 source = ahead;
    playSound(c, true, &source, 1.0f);
    advanceMilliseconds(2000);
    mixBlock();
    EXPECT_FLOAT_EQ(channel(c).rate, 1.0f);

    source.z = 140.0f;
    mixBlock();
    EXPECT_FLOAT_EQ(channel(c).rate, 2.0f);
    source.z = 170.0f; // a jump away, as at a restart
    mixBlock();
    EXPECT_FLOAT_EQ(channel(c).rate, -2.0f);
    mixBlock();
    EXPECT_FLOAT_EQ(channel(c).rate, 1.0f);
}

TEST_F(MixerTest, RestartPlaysFromTheBeginning) {
    const int c = addSamples(ramp(5000));
    playSound(c, false, &ahead, 1.0f);
    advanceMilliseconds(2000);
    mixBlock();
    mixBlock();
    EXPECT_EQ(channel(c).position, 2046);

    playSound(c, false, &ahead, 1.0f);
    mixBlock();
    EXPECT_EQ(channel(c).position, 0) << "waits for the sound to travel again";
    advanceMilliseconds(2000);
    EXPECT_EQ(mixBlock().left[0], 1);
}

TEST_F(MixerTest, VariantsShareTheirSourceFromAnOffset) {
    const int source = addSamples(ramp(1000));
    const int variant = makeSoundVariant(source, 35);
    EXPECT_EQ(variant, source + 1);
    EXPECT_TRUE(channel(variant).sharesSamples);
    EXPECT_EQ(channel(variant).length, 965);

    playSound(variant, true, &ahead, 1.0f);
    advanceMilliseconds(2000);
    EXPECT_EQ(mixBlock().left[0], 36);

    const int pastTheEnd = makeSoundVariant(source, 1000);
    EXPECT_GE(pastTheEnd, 0);
    EXPECT_EQ(channel(pastTheEnd).samples, nullptr);
}

TEST_F(MixerTest, ChannelsThatCannotSoundAreIgnored) {
    const int sixteen = addSamples(ramp(16));
    const int seventeen = addSamples(ramp(17));
    const int failedLoad = -3;
    const int empty = makeSoundVariant(failedLoad, 5);
    EXPECT_EQ(empty, 2) << "a failed load still gives its vehicles a channel";

    for (const int c : {sixteen, empty, failedLoad, 99}) {
        playSound(c, true, &ahead, 1.0f);
        setChannelRate(c, 2.0f);
        EXPECT_FALSE(isChannelPlaying(c));
    }
    EXPECT_FALSE(placeChannel(failedLoad));
    playSound(seventeen, true, &ahead, 1.0f);
    advanceMilliseconds(2000);
    EXPECT_EQ(mixBlock().left, std::vector<int>(BlockFrames, 1)) << "a one-sample loop";

    while (addSamples(ramp(100)) >= 0) {
    }
    EXPECT_EQ(soundSystem().channelCount, ChannelCapacity);
    EXPECT_EQ(addSamples(ramp(100)), ChannelTableFull);
    EXPECT_EQ(makeSoundVariant(0, 5), ChannelTableFull);
}

} // namespace
} // namespace tb::test
