#include "ReplayFixture.h"
#include "XmPeriods.h"
#include "XmVoiceUpdate.h"

// What reaches the mixer's voices: final volume and panning, periods and frequencies,
// the resampling step, the voice hand-over and the automatic vibrato.

class VoiceUpdate : public ReplayFixture {
protected:
  void SetUp() override {
    ReplayFixture::SetUp();
    basicSong(1);
    ReplayChannel &state = channel();
    state.volume = 64;
    state.volEnvValue = 64;
    state.panEnvValue = 32;
    state.fadeoutVolume = 65536;
    state.period = 4608;
  }
  MixVoice &update(uint8_t flags) {
    channel().updateFlags = flags;
    updateVoice(channel(), silentSample, instruments[0]);
    return *channel().voice;
  }
  std::vector<int> autoVibratoDeltas(int ticks) {
    std::vector<int> deltas;
    for (int tick = 0; tick < ticks; ++tick) {
      channel().periodDelta = 0;
      update(0);
      deltas.push_back(channel().periodDelta);
    }
    return deltas;
  }
};

TEST_F(VoiceUpdate, FinalVolumeCombinesVolumeEnvelopeGlobalVolumeAndFadeout) {
  voices[0].finalPanning = 128;
  EXPECT_EQ(update(UpdateVolume).finalVolume, 127);
  EXPECT_EQ(voices[0].targetRight, 63);
  EXPECT_EQ(voices[0].targetLeft, 63);
  channel().volume = 32;
  EXPECT_EQ(update(UpdateVolume).finalVolume, 63);
  channel().volume = 64;
  channel().fadeoutVolume = 32768;
  EXPECT_EQ(update(UpdateVolume).finalVolume, 63);
  channel().volume = 90;
  update(0);
  EXPECT_EQ(channel().volume, 64);
}

TEST_F(VoiceUpdate, PanningEnvelopeMovesWithinTheRoomLeftByThePanning) {
  channel().panning = 128;
  channel().panEnvValue = 64;
  EXPECT_EQ(update(UpdatePanning).finalPanning, 255);
  channel().panning = 200;
  channel().panEnvValue = 0;
  EXPECT_EQ(update(UpdatePanning).finalPanning, 168);
  channel().panning = 0;
  for (int32_t envelope : {0, 32, 64}) {
    channel().panEnvValue = envelope;
    EXPECT_EQ(update(UpdatePanning).finalPanning, 0);
  }
}

TEST_F(VoiceUpdate, MiddleCGivesTheSameStepInBothFrequencyModes) {
  EXPECT_EQ(periodFrequency(4608, 0), 8363u);
  song.flags = 0;
  EXPECT_EQ(periodFrequency(1712, 0), 8363u);
  channel().period = 1712;
  const MixVoice &voice = update(0);
  EXPECT_EQ(voice.stepInteger, 0u);
  EXPECT_EQ(voice.stepFraction, 748308572u);
  setVoiceStep(channels[0].voice[0], 96000 + 24000);
  EXPECT_EQ(channel().voice->stepInteger, 2u);
  EXPECT_EQ(channel().voice->stepFraction, 0x80000000u);
}

TEST_F(VoiceUpdate, PeriodsAtOrBelowZeroPlayAtFortyHertz) {
  EXPECT_EQ(periodFrequency(0, 0), 40u);
  EXPECT_EQ(periodFrequency(10, -20), 40u);
  song.flags = 0;
  EXPECT_EQ(periodFrequency(-5, 5), 40u);
  // The delta raises the pitch in linear mode and lowers it in Amiga mode.
  EXPECT_EQ(periodFrequency(1712, 1712), 14317456u / 3424u);
  song.flags = 1;
  EXPECT_EQ(periodFrequency(4608, 768), 16726u);
}

TEST_F(VoiceUpdate, NotePeriodsWithFinetune) {
  XmSample sample{};
  EXPECT_EQ(notePeriod(48, sample), 4608);
  sample.finetune = -3; // halved toward zero
  EXPECT_EQ(notePeriod(48, sample), 4609);
  sample.finetune = 0;
  EXPECT_EQ(amigaPeriod(48, sample), 1712);
  EXPECT_EQ(amigaPeriod(60, sample), 856);
  EXPECT_EQ(amigaPeriod(0, sample), 27392);
  sample.finetune = 127; // 127/128 of the way to the next semitone
  EXPECT_EQ(amigaPeriod(48, sample), 1617);
  sample.finetune = 3; // a part of -96 truncated toward zero
  EXPECT_EQ(amigaPeriod(48, sample), 1710);
  sample.finetune = -128;
  EXPECT_EQ(amigaPeriod(48, sample), 1814);
}

TEST_F(VoiceUpdate, TriggerUsesAnIdleVoiceAndHandsASoundingNoteToTheOtherVoice) {
  update(UpdateTrigger | UpdateVolume);
  EXPECT_EQ(channel().voice, &voices[0]);
  EXPECT_EQ(voices[0].sample, &silentSample);
  voices[0].position = 77;
  channel().startOffset = 300;
  update(UpdateTrigger | UpdateVolume);
  EXPECT_EQ(channel().voice, &voices[1]);
  EXPECT_EQ(voices[0].position, 77u);
  EXPECT_EQ(voices[0].sample, &silentSample);
  EXPECT_EQ(voices[0].targetLeft, 0);
  EXPECT_EQ(voices[0].finalVolume, 0);
  EXPECT_EQ(voices[1].position, 300u);
  EXPECT_EQ(channel().startOffset, 0u);
  voices[1].sample = nullptr; // ended in the mixer
  update(UpdateTrigger);
  EXPECT_EQ(channel().voice, &voices[1]);
}

TEST_F(VoiceUpdate, AutoVibratoSweepsInOverItsSweepTicks) {
  XmInstrument &instrument = instruments[0];
  instrument.vibratoType = 1; // square: +64 while the position stays below 128
  instrument.vibratoDepth = 8;
  EXPECT_EQ(autoVibratoDeltas(3), (std::vector<int>{8, 8, 8}));
  instrument.vibratoSweep = 2;
  channel().autoVibratoSweep = 0;
  EXPECT_EQ(autoVibratoDeltas(4), (std::vector<int>{0, 4, 8, 8}));
}
