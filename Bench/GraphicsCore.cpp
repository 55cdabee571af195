// The graphics core against bare baselines in the same run: importing a generated ~10 MB OBJ file
// against reading every number of it into arrays, decoding a PNG into colour data against lodepng's
// decode alone, and the uniform feeder's six matrix purposes for 10,000 draws against glUniform calls
// with the same matrices.
#include "GlContext.h"
#include "Graphics/Camera.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Renderable/ObjImport.h"
#include "Shader/UniformFeeder.h"
#include "Texture/PngImage.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <lodepng.h>
#include <memory>
#include <optional>
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

constexpr int kDraws = 10'000;

// Six matrix purposes, each one used so that the program keeps it active.
const char* const kSixMatricesVertex = R"(#version 450 core
layout(location = 0) in vec3 position;
uniform mat4 mvp; uniform mat4 modelView; uniform mat3 normalMatrix;
uniform mat4 world; uniform mat4 view; uniform mat4 projection;
out vec3 shade;
void main()
{
    shade = normalMatrix * position + (modelView * world * vec4(position, 1.0)).xyz;
    gl_Position = mvp * vec4(position, 1.0) + projection * view * vec4(position, 0.0);
}
)";
const char* const kSixMatricesFragment =
    "#version 450 core\nin vec3 shade;\nout vec4 result;\nvoid main() { result = vec4(shade, 1.0); }\n";
const char* const kSixPurposes = R"(<Uniform name="mvp" purpose="ModelViewProjectionMatrix"/>
    <Uniform name="modelView" purpose="ModelViewMatrix"/><Uniform name="normalMatrix" purpose="NormalMatrix"/>
    <Uniform name="world" purpose="WorldMatrix"/><Uniform name="view" purpose="ViewMatrix"/>
    <Uniform name="projection" purpose="ProjectionMatrix"/>)";

// One shader, one camera and a world matrix for each draw of a frame.
struct FeederScene
{
    std::unique_ptr<Graphics::Shader> shader;
    Graphics::Camera camera;
    std::vector<glm::mat4> worlds;
};

std::unique_ptr<FeederScene> MakeFeederScene()
{
    auto scene = std::make_unique<FeederScene>();
    scene->shader = Benchmarks::MakeShader(kSixMatricesVertex, kSixMatricesFragment, kSixPurposes);
    if (scene->shader == nullptr)
    {
        return nullptr;
    }
    scene->camera.SetPosition({3.0f, 2.0f, 5.0f});
    scene->camera.SetTarget({0.0f, 0.0f, 0.0f});
    std::mt19937 random(11);
    std::uniform_real_distribution<float> spread(-20.0f, 20.0f);
    for (int draw = 0; draw < kDraws; ++draw)
    {
        const glm::mat4 placed =
            glm::translate(glm::mat4(1.0f), {spread(random), spread(random), spread(random)});
        scene->worlds.push_back(glm::scale(glm::rotate(placed, spread(random), glm::vec3(0.0f, 1.0f, 0.0f)),
                                           glm::vec3(1.0f + 0.01f * static_cast<float>(draw % 50))));
    }
    return scene;
}

void FeedSixPurposes(benchmark::State& state, FeederScene& scene)
{
    Graphics::UniformFeeder feeder;
    Graphics::DrawValues values;
    glUseProgram(scene.shader->GetProgram());
    for (auto _ : state)
    {
        feeder.BeginFrame();
        for (const glm::mat4& world : scene.worlds)
        {
            values.world = &world;
            feeder.Feed(*scene.shader, scene.camera, values);
        }
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}

// The baseline: locations looked up once, the same products per draw, one glUniform call each.
void BareSixUniforms(benchmark::State& state, FeederScene& scene)
{
    const GLuint program = scene.shader->GetProgram();
    const auto location = [program](const char* name) { return glGetUniformLocation(program, name); };
    const GLint mvp = location("mvp");
    const GLint modelView = location("modelView");
    const GLint normalMatrix = location("normalMatrix");
    const GLint world = location("world");
    const GLint view = location("view");
    const GLint projection = location("projection");
    glUseProgram(program);
    for (auto _ : state)
    {
        const glm::mat4 projectionValue = scene.camera.GetProjection();
        const glm::mat4 viewValue = scene.camera.GetView();
        const glm::mat4 viewProjection = projectionValue * viewValue;
        for (const glm::mat4& worldValue : scene.worlds)
        {
            const glm::mat4 modelViewValue = viewValue * worldValue;
            const glm::mat3 normal = glm::inverseTranspose(glm::mat3(modelViewValue));
            glUniformMatrix4fv(mvp, 1, GL_FALSE, glm::value_ptr(viewProjection * worldValue));
            glUniformMatrix4fv(modelView, 1, GL_FALSE, glm::value_ptr(modelViewValue));
            glUniformMatrix3fv(normalMatrix, 1, GL_FALSE, glm::value_ptr(normal));
            glUniformMatrix4fv(world, 1, GL_FALSE, glm::value_ptr(worldValue));
            glUniformMatrix4fv(view, 1, GL_FALSE, glm::value_ptr(viewValue));
            glUniformMatrix4fv(projection, 1, GL_FALSE, glm::value_ptr(projectionValue));
        }
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * kDraws);
}
} // namespace

int main(int argc, char** argv)
{
    std::optional<Benchmarks::GlContext> context;
    std::unique_ptr<FeederScene> scene;
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        context.emplace();
        scene = context->IsReady() ? MakeFeederScene() : nullptr;
    }
    if (scene != nullptr)
    {
        benchmark::RegisterBenchmark("BareSixUniforms", BareSixUniforms, std::ref(*scene))
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("FeedSixPurposes", FeedSixPurposes, std::ref(*scene))
            ->Unit(benchmark::kMillisecond);
    }
    else
    {
        std::fprintf(stderr, "No OpenGL context: the uniform feeder is not measured\n");
    }
    const int status = Benchmarks::RunWithRatios(
        argc, argv,
        {{"OBJ import vs bare number parse, ~10 MB", "ObjBareParse", "ObjImportText", false},
         {"PNG to float texels vs lodepng::decode, 1024x1024 RGBA", "PngLodepngDecode", "PngDecodeToTexels",
          false},
         {"uniform feeder vs bare glUniform, six matrices x 10,000 draws", "BareSixUniforms",
          "FeedSixPurposes", false}});
    scene.reset();
    return status;
}
