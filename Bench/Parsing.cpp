// Loading a large data file through the engine's file parser against a bare tinyxml2 load of the
// same file (the engine's layer is the conversion into its own tree), and path expansion speed.
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "System/PathWrapper/PathWrapper.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tinyxml2.h>
#include <unistd.h>

namespace
{
using namespace Morvane;

// A level-like file of a few MB: sections nested eight deep, each holding objects with attributes
// and components, some with text.
class LargeDataFile
{
public:
    LargeDataFile() : m_path("/tmp/morvane-bench-" + std::to_string(getpid()) + ".xml")
    {
        std::ofstream file(m_path);
        file << "<Level name=\"Benchmark\">\n";
        for (int group = 0; group < 350; ++group)
        {
            WriteSection(file, group, 0);
        }
        file << "</Level>\n";
        file.close();
        m_size = std::filesystem::file_size(m_path);
    }
    ~LargeDataFile() { std::filesystem::remove(m_path); }
    LargeDataFile(const LargeDataFile&) = delete;
    LargeDataFile& operator=(const LargeDataFile&) = delete;

    const std::string& Path() const { return m_path; }
    std::size_t Size() const { return m_size; }

private:
    static void WriteSection(std::ofstream& file, int group, int depth)
    {
        file << "<Section group=\"" << group << "\" depth=\"" << depth << "\">\n";
        for (int object = 0; object < 4; ++object)
        {
            file << "<Object archetype=\"$(ArchetypeFolder)Wall.xml\" name=\"Wall_" << group << '_' << depth
                 << '_' << object << "\" position=\"" << object << ".5;" << depth << ";-" << group
                 << ".25\" scale=\"1;2;1\" colour=\"0.5;0.5;0.5;1\">\n"
                 << "<Graphics type=\"GraphicsComponent_Model\" mesh=\"Cube\" shader=\"Deferred\" "
                    "sets=\"Opaque; "
                    "Shadow\"/>\n"
                 << "<Physics static=\"true\" mass=\"0\" restitution=\"0.2\"/>\n"
                 << "<Behavior type=\"BehaviorComponent_Button\" target=\"Door_" << object
                 << "\">Press me</Behavior>\n"
                 << "</Object>\n";
        }
        if (depth < 7)
        {
            WriteSection(file, group, depth + 1);
        }
        file << "</Section>\n";
    }

    std::string m_path;
    std::size_t m_size = 0;
};

const LargeDataFile& DataFile()
{
    static const LargeDataFile file;
    return file;
}

void TinyXml2LoadFile(benchmark::State& state)
{
    const LargeDataFile& file = DataFile();
    for (auto _ : state)
    {
        tinyxml2::XMLDocument document;
        benchmark::DoNotOptimize(document.LoadFile(file.Path().c_str()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.Size()));
    state.counters["MB"] = static_cast<double>(file.Size()) / 1e6;
}
BENCHMARK(TinyXml2LoadFile)->Unit(benchmark::kMillisecond);

void FileParserParse(benchmark::State& state)
{
    const LargeDataFile& file = DataFile();
    for (auto _ : state)
    {
        FileParser parser;
        benchmark::DoNotOptimize(parser.Parse(file.Path()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.Size()));
    state.counters["MB"] = static_cast<double>(file.Size()) / 1e6;
}
BENCHMARK(FileParserParse)->Unit(benchmark::kMillisecond);

void SaveToString(benchmark::State& state)
{
    FileParser parser;
    const IParserData* root = parser.Parse(DataFile().Path());
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(root->ToString());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * DataFile().Size()));
}
BENCHMARK(SaveToString)->Unit(benchmark::kMillisecond);

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
} // namespace
