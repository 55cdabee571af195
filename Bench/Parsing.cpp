// Loading data files through the engine's file parser against a bare tinyxml2 load of the same file
// (the engine's layer is the conversion into its own tree), saving, and path expansion speed.
#include "../Tests/Support/GeneratedXml.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "System/PathWrapper/PathWrapper.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tinyxml2.h>
#include <unistd.h>
#include <vector>

namespace
{
using namespace Morvane;

// A generated file written for the run and removed after it.
class GeneratedFile
{
public:
    GeneratedFile(std::size_t bytes, std::uint32_t seed)
        : m_path("/tmp/morvane-bench-" + std::to_string(getpid()) + "-" + std::to_string(bytes) + ".xml")
    {
        std::ofstream(m_path) << Testing::GenerateXml(bytes, seed);
    }
    ~GeneratedFile() { std::filesystem::remove(m_path); }
    GeneratedFile(const GeneratedFile&) = delete;
    GeneratedFile& operator=(const GeneratedFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

void TinyXml2LoadFile(benchmark::State& state, const std::string& path)
{
    for (auto _ : state)
    {
        tinyxml2::XMLDocument document;
        benchmark::DoNotOptimize(document.LoadFile(path.c_str()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

void FileParserParse(benchmark::State& state, const std::string& path)
{
    for (auto _ : state)
    {
        FileParser parser;
        benchmark::DoNotOptimize(parser.Parse(path));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

void SaveToString(benchmark::State& state, const std::string& path)
{
    FileParser parser;
    const IParserData* root = parser.Parse(path);
    // The generated files' double quotes are reported on every save; that log is not what is measured.
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(root->ToString());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

void Expand(benchmark::State& state)
{
    PathWrapper& paths = PathWrapper::GetInstance();
    static const bool configured = [&paths]
    {
        paths.AddPath("DataFolder", "/games/brimora/Data");
        paths.AddPath("ArchetypeFolder", "$(DataFolder)Archetypes");
        return true;
    }();
    benchmark::DoNotOptimize(configured);
    const std::string text =
        state.range(0) == 0 ? "$(DataFolder)Textures/wall.png" : "$(ArchetypeFolder)Wall.xml";
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(paths.Expand(text));
    }
    state.SetItemsProcessed(state.iterations());
}
// 0: one alias; 1: an alias whose folder refers to another.
BENCHMARK(Expand)->Arg(0)->Arg(1);

// Each file loaded both ways, with the ratio of the two.
void RegisterLoads(const std::string& label, const std::string& path, std::vector<Benchmarks::Ratio>& ratios)
{
    if (!std::filesystem::exists(path))
    {
        return;
    }
    const std::string bare = "TinyXml2LoadFile/" + label;
    const std::string engine = "FileParserParse/" + label;
    benchmark::RegisterBenchmark(bare.c_str(), TinyXml2LoadFile, path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(engine.c_str(), FileParserParse, path)->Unit(benchmark::kMillisecond);
    ratios.push_back({"file parser vs bare tinyxml2, " + label, bare, engine, false});
}
} // namespace

int main(int argc, char** argv)
{
    const GeneratedFile small(100'000, 1);
    const GeneratedFile medium(1'000'000, 2);
    const GeneratedFile large(5'000'000, 3);
    std::vector<Benchmarks::Ratio> ratios;
    RegisterLoads("generated 0.1 MB", small.Path(), ratios);
    RegisterLoads("generated 1 MB", medium.Path(), ratios);
    RegisterLoads("generated 5 MB", large.Path(), ratios);
    // Real files from Debian packages, where installed, and the project's largest data file.
    RegisterLoads("MIME database 2.4 MB", "/usr/share/mime/packages/freedesktop.org.xml", ratios);
    RegisterLoads("ISO 639-3 codes", "/usr/share/xml/iso-codes/iso_639-3.xml", ratios);
    RegisterLoads(
        "project OpenGL constants",
        (std::filesystem::path(argv[0]).parent_path().parent_path() / "Configuration/Constants/OpenGL.xml")
            .string(),
        ratios);
    benchmark::RegisterBenchmark("SaveToString/generated 1 MB", SaveToString, medium.Path())
        ->Unit(benchmark::kMillisecond);
    return Benchmarks::RunWithRatios(argc, argv, std::move(ratios));
}
