#include "Platform/ExecutablePath.h"
#include "Sound/Backend/Decoder.h"
#include "Sound/Backend/Output.h"
#include "System/PathWrapper/PathWrapper.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
using namespace Morvane::Audio::Backend;

// The build links the game's data next to the benchmark programs' folder.
std::string DataFile(const std::string& name)
{
    return Morvane::PathWrapper::GetFolder(Morvane::Platform::GetExecutablePath()) + "../Sounds/" + name;
}

std::unique_ptr<Output> MakeSilentSystem()
{
    setenv("ALSOFT_DRIVERS", "none", 1);
    std::unique_ptr<Output> system;
    Output::Create(system);
    system->SetOutput(OutputType::NoSound);
    if (system->Init(100) != Result::Ok)
    {
        throw std::runtime_error("no-sound output failed");
    }
    system->SetClock([] { return 0u; });
    return system;
}

// A sound from the game's data, decoded as the resource system does (3D sounds mixed to mono).
std::unique_ptr<SoundBuffer> LoadSound(Output& system, const std::string& name, Mode mode)
{
    DecodedSound decoded;
    std::unique_ptr<SoundBuffer> sound;
    if (Decoder::Decode(DataFile(name), mode == kMode3D, decoded) != Result::Ok ||
        system.CreateSound(decoded, mode, sound) != Result::Ok)
    {
        throw std::runtime_error("cannot load " + name);
    }
    return sound;
}

// Reading and decoding one music loop (what the load thread does per music resource).
void DecodeMusicLoop(benchmark::State& state)
{
    const std::string path = DataFile("Level1.wav");
    DecodedSound decoded;
    for (auto _ : state)
    {
        if (Decoder::Decode(path, false, decoded) != Result::Ok)
        {
            state.SkipWithError("cannot decode Level1.wav");
            break;
        }
        benchmark::DoNotOptimize(decoded.samples.data());
    }
    state.counters["seconds of audio"] = static_cast<double>(decoded.GetFrameCount()) / decoded.sampleRate;
}
BENCHMARK(DecodeMusicLoop)->Unit(benchmark::kMillisecond);

// Mixing one 60 Hz frame (735 frames at 44.1 kHz) with N looping 3D channels.
void MixFrame(benchmark::State& state)
{
    auto system = MakeSilentSystem();
    const std::unique_ptr<SoundBuffer> sound = LoadSound(*system, "Level1.wav", kMode3D);
    for (int i = 0; i < state.range(0); ++i)
    {
        Channel channel;
        system->PlaySound(*sound, nullptr, channel);
        channel.SetMode(kModeLoopNormal | kMode3DLinearRolloff);
        channel.SetLoopCount(-1);
        channel.Set3DAttributes({static_cast<float>(i), 0.0f, -5.0f});
    }
    std::vector<float> frame(735);
    for (auto _ : state)
    {
        system->Render(frame);
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(MixFrame)->Arg(1)->Arg(16)->Arg(100)->Unit(benchmark::kMicrosecond);

// Starting and finishing fire-and-forget one-shots, as footsteps do, including the source recycling.
void OneShotTurnover(benchmark::State& state)
{
    auto system = MakeSilentSystem();
    const std::unique_ptr<SoundBuffer> sound = LoadSound(*system, "Walk_01.wav", kMode2D);
    std::vector<float> frame(735);
    for (auto _ : state)
    {
        Channel channel;
        system->PlaySound(*sound, nullptr, channel);
        channel.SetLoopCount(0);
        system->Render(frame);
        system->Update();
    }
}
BENCHMARK(OneShotTurnover)->Unit(benchmark::kMicrosecond);
} // namespace
