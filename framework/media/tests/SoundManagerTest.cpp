#include "framework/media/SoundManager.h"
#include "framework/media/tests/MediaTestSupport.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/WaveFile.h"

namespace zv::fw {
namespace {

class SoundManagerTest : public testing::MediaTest {
  protected:
    void SetUp() override {
        MediaTest::SetUp();
        output = audio::AudioOutput::OpenNull(22050);
        audio::AudioOutput::OverrideShared(output);
        audio::WaveFormat f;
        f.bitsPerSample = 16;
        f.samplesPerSec = 22050;
        std::vector<uint8_t> samples(2 * 22050 / 10, 0x20);  // 0.1 s
        wave = Write("beep.wav", audio::BuildWaveFile(f, samples));
        ASSERT_EQ(StartSoundManager(), 1);
    }
    void TearDown() override {
        StopSoundManager();
        audio::AudioOutput::OverrideShared(nullptr);
        MediaTest::TearDown();
    }
    void Render(int frames) {
        std::vector<int16_t> buf(std::size_t(frames) * 2);
        output->GetMixer().Mix(buf.data(), frames);
    }

    std::shared_ptr<audio::AudioOutput> output;
    std::string wave;
};

TEST_F(SoundManagerTest, ThirtySlotsThenRefusal) {
    std::vector<std::unique_ptr<SoundEffect>> effects;
    for (int i = 0; i < kSoundSlotCount; ++i) {
        effects.push_back(std::make_unique<SoundEffect>(wave.c_str()));
        EXPECT_EQ(effects.back()->Slot(), i);
    }
    SoundEffect extra(wave.c_str());
    EXPECT_EQ(extra.Slot(), kNoSoundSlot) << "the 31st is refused";
    effects[7]->Release();
    EXPECT_EQ(effects[7]->Slot(), kNoSoundSlot);
    EXPECT_FALSE(GetSoundSlotState(7).inUse);
    EXPECT_EQ(extra.Reload(wave.c_str()), 1);
    EXPECT_EQ(extra.Slot(), 7);
    EXPECT_EQ(GetSoundSlotState(7).name, wave);
    effects.clear();
    EXPECT_FALSE(GetSoundSlotState(0).inUse) << "destruction gives the slot back";
}

TEST_F(SoundManagerTest, RefusedNamesTakeNoSlot) {
    Write("bad.wav", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
    audio::WaveFormat adpcm;
    adpcm.formatTag = 2;
    std::vector<uint8_t> raw = audio::BuildWaveFile(adpcm, std::vector<uint8_t>(8));
    raw[16] = 18;  // a format with its extra count...
    raw.insert(raw.begin() + 36, {0, 0});
    raw[4] += 2;
    Write("adpcm.wav", raw);
    const std::string names[] = {Path("missing.wav"), Path("bad.wav"), Path("adpcm.wav"),
                                 std::string(300, 'a')};
    for (const std::string& name : names) {
        SoundEffect e(name.c_str());
        EXPECT_EQ(e.Slot(), kNoSoundSlot) << name;
        EXPECT_EQ(e.Reload(name.c_str()), 0) << name;
    }
    SoundEffect ok(wave.c_str());
    EXPECT_EQ(ok.Slot(), 0) << "no refused name kept a slot";
}

TEST_F(SoundManagerTest, StepsClampAndApply) {
    SoundEffect e(wave.c_str());
    EXPECT_EQ(GetSoundSlotState(0).frequency, 22050u);
    struct Case {
        const char* what;
        std::function<void()> op;
        int volume, pan;
        uint32_t frequency;
    };
    const Case cases[] = {
        {"AdjustVolume +5 at 0", [&] { e.AdjustVolume(5); }, 0, 0, 22050},
        {"SetVolume -200", [&] { e.SetVolume(-200); }, -10000, 0, 22050},
        {"AdjustVolume +30", [&] { e.AdjustVolume(30); }, -7000, 0, 22050},
        {"ResetVolume", [&] { e.ResetVolume(); }, 0, 0, 22050},
        {"SetPan 101", [&] { e.SetPan(101); }, 0, 10000, 22050},
        {"AdjustPan -250", [&] { e.AdjustPan(-250); }, 0, -10000, 22050},
        {"CenterPan", [&] { e.CenterPan(); }, 0, 0, 22050},
        {"AdjustFrequency -220", [&] { e.AdjustFrequency(-220); }, 0, 0, 100},
        {"AdjustFrequency far below zero", [&] { e.AdjustFrequency(-100000); }, 0, 0, 100},
        {"SetFrequencyOffset +10", [&] { e.SetFrequencyOffset(10); }, 0, 0, 23050},
        {"AdjustFrequency past the top", [&] { e.AdjustFrequency(5000); }, 0, 0, 100000},
        {"ResetFrequency", [&] { e.ResetFrequency(); }, 0, 0, 22050},
    };
    for (const Case& c : cases) {
        c.op();
        SoundSlotState s = GetSoundSlotState(0);
        EXPECT_EQ(s.volume, c.volume) << c.what;
        EXPECT_EQ(s.pan, c.pan) << c.what;
        EXPECT_EQ(s.frequency, c.frequency) << c.what;
        EXPECT_EQ(s.baseFrequency, 22050u) << c.what;
    }
    SoundManager::SetSlotPanFullLeft(0);
    EXPECT_EQ(GetSoundSlotState(0).pan, -10000);
    SoundManager::SetSlotPanFullRight(0);
    EXPECT_EQ(GetSoundSlotState(0).pan, 10000);
}

TEST_F(SoundManagerTest, PlayOnceStartsOverAndLoopKeepsItsPlace) {
    SoundEffect e(wave.c_str());
    e.Play(0);
    Render(1000);
    EXPECT_TRUE(GetSoundSlotState(0).playing);
    EXPECT_EQ(GetSoundSlotState(0).position, 1000u);
    e.Play(1);  // playing on, now looping, from where it is
    EXPECT_EQ(GetSoundSlotState(0).position, 1000u);
    EXPECT_TRUE(GetSoundSlotState(0).looping);
    Render(3000);  // past the 2205-frame end: it loops
    EXPECT_TRUE(GetSoundSlotState(0).playing);
    e.Play(0);  // once, from the beginning
    EXPECT_EQ(GetSoundSlotState(0).position, 0u);
    EXPECT_FALSE(GetSoundSlotState(0).looping);
    Render(1000);
    e.Stop();
    EXPECT_FALSE(GetSoundSlotState(0).playing);
    e.Play(0);
    EXPECT_EQ(GetSoundSlotState(0).position, 0u) << "a stopped effect does not resume";
    Render(3000);
    EXPECT_FALSE(GetSoundSlotState(0).playing) << "played once to its end";
    SoundManager::Beep();
    EXPECT_TRUE(SoundManager::PlaySystemSound(wave.c_str()));
    EXPECT_FALSE(SoundManager::PlaySystemSound(Path("missing.wav").c_str()));
}

TEST_F(SoundManagerTest, WithoutTheManagerEveryCallDoesNothing) {
    SoundEffect kept(wave.c_str());
    StopSoundManager();
    EXPECT_FALSE(IsSoundManagerRunning());
    SoundEffect none(wave.c_str());
    EXPECT_EQ(none.Slot(), kNoSoundSlot);
    EXPECT_EQ(none.Reload(wave.c_str()), 0);
    for (SoundEffect* e : {&kept, &none}) {
        e->Play(0);
        e->Play(1);
        e->Stop();
        e->AdjustFrequency(3);
        e->SetFrequencyOffset(3);
        e->ResetFrequency();
        e->AdjustPan(3);
        e->SetPan(3);
        e->CenterPan();
        e->AdjustVolume(-3);
        e->SetVolume(-3);
        e->ResetVolume();
    }
    SoundManager::Beep();
    SoundManager::SetSlotPanFullLeft(0);
    EXPECT_FALSE(SoundManager::PlaySystemSound(wave.c_str()));
    EXPECT_FALSE(GetSoundSlotState(0).inUse);
    // After a restart an old handle reaches no slot, not even one a new effect took.
    ASSERT_EQ(StartSoundManager(), 1);
    SoundEffect fresh(wave.c_str());
    EXPECT_EQ(fresh.Slot(), 0);
    EXPECT_EQ(kept.Slot(), kNoSoundSlot);
    kept.SetVolume(-50);
    EXPECT_EQ(kept.Release(), 1);
    EXPECT_TRUE(GetSoundSlotState(0).inUse);
    EXPECT_EQ(GetSoundSlotState(0).volume, 0);
    SoundEffect defaulted;
    EXPECT_EQ(defaulted.Slot(), kNoSoundSlot);
}

}  // namespace
}  // namespace zv::fw
