// The graphics core's CPU-side loaders against bare baselines in the same run: importing a generated
// ~10 MB OBJ file against reading every number of it into arrays, and decoding a PNG into colour data
// against lodepng's decode alone.
#include "RatioReporter.h"
#include "Renderable/ObjImport.h"
#include "Texture/PngImage.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdint>
#include <lodepng.h>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace
{
using namespace Morvane;

constexpr std::size_t kObjBytes = 10'000'000;
constexpr unsigned kImageSide = 1024;

// A grid of positions, texture coordinates and normals with one quad face per cell, until the text
// reaches `bytes`.
std::string GenerateObj(std::size_t bytes)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> height(-1.0f, 1.0f);
    constexpr int kSide = 256;
    std::string text;
    text.reserve(bytes + 4096);
    for (int row = 0; row < kSide; ++row)
    {
        for (int column = 0; column < kSide; ++column)
        {
            text += "v " + std::to_string(column * 0.25f) + " " + std::to_string(height(random)) + " " +
                    std::to_string(row * 0.25f) + "\n";
            text += "vt " + std::to_string(column / float(kSide)) + " " + std::to_string(row / float(kSide)) +
                    "\n";
            text += "vn 0 1 0\n";
        }
    }
    int cell = 0;
    while (text.size() < bytes)
    {
        const int row = cell / (kSide - 1) % (kSide - 1);
        const int column = cell % (kSide - 1);
        const int corner = row * kSide + column + 1;
        for (const int index : {corner, corner + 1, corner + kSide + 1, corner + kSide})
        {
            const std::string word = std::to_string(index);
            text += (index == corner ? "f " : " ") + word + "/" + word + "/" + word;
        }
        text += "\n";
        ++cell;
    }
    return text;
}

// The baseline: every number of every line into flat arrays, no checks, no faces built.
struct BareArrays
{
    std::vector<float> numbers;
    std::vector<long> indices;
};

void BareParse(std::string_view text, BareArrays& arrays)
{
    arrays.numbers.clear();
    arrays.indices.clear();
    const char* cursor = text.data();
    const char* const end = cursor + text.size();
    while (cursor < end)
    {
        const bool face = *cursor == 'f';
        while (cursor < end && *cursor != ' ' && *cursor != '\n')
        {
            ++cursor;
        }
        while (cursor < end && *cursor != '\n')
        {
            ++cursor;
            if (face)
            {
                long index = 0;
                const auto [next, error] = std::from_chars(cursor, end, index);
                if (error == std::errc())
                {
                    arrays.indices.push_back(index);
                    cursor = next;
                }
            }
            else
            {
                float number = 0;
                const auto [next, error] = std::from_chars(cursor, end, number);
                if (error == std::errc())
                {
                    arrays.numbers.push_back(number);
                    cursor = next;
                }
            }
        }
        ++cursor;
    }
}

const std::string& ObjText()
{
    static const std::string text = GenerateObj(kObjBytes);
    return text;
}

void ObjBareParse(benchmark::State& state)
{
    BareArrays arrays;
    for (auto _ : state)
    {
        BareParse(ObjText(), arrays);
        benchmark::DoNotOptimize(arrays.numbers.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ObjText().size()));
}
BENCHMARK(ObjBareParse)->Unit(benchmark::kMillisecond);

void ObjImportText(benchmark::State& state)
{
    Graphics::ObjImport importer("Bench");
    Graphics::ObjArrays arrays;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(importer.ImportText(ObjText(), arrays));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ObjText().size()));
}
BENCHMARK(ObjImportText)->Unit(benchmark::kMillisecond);

// A noisy gradient: compresses as photographs and painted textures do, not as a flat colour.
const std::vector<unsigned char>& PngBytes()
{
    static const std::vector<unsigned char> bytes = []
    {
        std::mt19937 random(3);
        std::vector<unsigned char> rgba(std::size_t{kImageSide} * kImageSide * 4);
        for (std::size_t texel = 0; texel < rgba.size() / 4; ++texel)
        {
            const auto noise = static_cast<unsigned char>(random() % 16);
            rgba[texel * 4 + 0] = static_cast<unsigned char>(texel % kImageSide / 4 + noise);
            rgba[texel * 4 + 1] = static_cast<unsigned char>(texel / kImageSide / 4 + noise);
            rgba[texel * 4 + 2] = noise;
            rgba[texel * 4 + 3] = 255;
        }
        std::vector<unsigned char> encoded;
        lodepng::encode(encoded, rgba, kImageSide, kImageSide);
        return encoded;
    }();
    return bytes;
}

void PngLodepngDecode(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::vector<unsigned char> rgba;
        unsigned width = 0;
        unsigned height = 0;
        benchmark::DoNotOptimize(lodepng::decode(rgba, width, height, PngBytes()));
        benchmark::DoNotOptimize(rgba.data());
    }
    state.SetItemsProcessed(state.iterations() * kImageSide * kImageSide);
}
BENCHMARK(PngLodepngDecode)->Unit(benchmark::kMillisecond);

void PngDecodeToTexels(benchmark::State& state)
{
    for (auto _ : state)
    {
        Graphics::TexelImage image;
        std::string problem;
        benchmark::DoNotOptimize(Graphics::DecodePng(PngBytes(), image, problem));
        benchmark::DoNotOptimize(image.texels.data());
    }
    state.SetItemsProcessed(state.iterations() * kImageSide * kImageSide);
}
BENCHMARK(PngDecodeToTexels)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"OBJ import vs bare number parse, ~10 MB", "ObjBareParse", "ObjImportText", false},
         {"PNG to float texels vs lodepng::decode, 1024x1024 RGBA", "PngLodepngDecode", "PngDecodeToTexels",
          false}});
}
