#include "Support/GameCapture.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace Morvane::Testing
{
namespace
{
glm::vec3 ReadVec3(const std::string& text)
{
    glm::vec3 value(0.0f);
    char separator = 0;
    std::istringstream stream(text);
    stream >> value.x >> separator >> value.y >> separator >> value.z;
    return value;
}

glm::vec4 ReadVec4(const std::string& text)
{
    glm::vec4 value(0.0f);
    char separator = 0;
    std::istringstream stream(text);
    stream >> value.x >> separator >> value.y >> separator >> value.z >> separator >> value.w;
    return value;
}

glm::quat ReadQuaternion(const std::string& text)
{
    glm::quat value(1.0f, 0.0f, 0.0f, 0.0f);
    char separator = 0;
    std::istringstream stream(text);
    stream >> value.w >> separator >> value.x >> separator >> value.y >> separator >> value.z;
    return value;
}
} // namespace

int WorldDump::CountNamed(const std::string& base) const
{
    const std::regex unique(base + "(_[0-9]{3,})?");
    int count = 0;
    for (const auto& [name, lines] : names)
    {
        count += std::regex_match(name, unique) ? lines : 0;
    }
    return count;
}

const DumpedObject* WorldDump::FindNamed(const std::string& base) const
{
    const std::regex unique(base + "(_[0-9]{3,})?");
    for (const auto& [name, object] : objects)
    {
        if (std::regex_match(name, unique))
        {
            return &object;
        }
    }
    return nullptr;
}

namespace
{
// "Particles 'name' positions|scales|colours" and the values, space-separated; read without a regular
// expression: a thousand particles make a long line.
void ReadParticles(const std::string& line, WorldDump& dump)
{
    const std::size_t nameEnd = line.find('\'', 11);
    if (nameEnd == std::string::npos)
    {
        return;
    }
    const std::string name = line.substr(11, nameEnd - 11);
    std::istringstream values(line.substr(nameEnd + 1));
    std::string kind;
    std::string value;
    values >> kind;
    while (values >> value)
    {
        if (kind == "positions")
        {
            dump.particlePositions[name].push_back(ReadVec3(value));
        }
        else if (kind == "scales")
        {
            dump.particleScales[name].push_back(ReadVec3(value));
        }
        else if (kind == "colours")
        {
            dump.particleColours[name].push_back(ReadVec4(value));
        }
    }
}
} // namespace

WorldDump ReadWorldDump(const std::string& path)
{
    static const std::regex object(R"(Object '([^']*)'(?: position (\S+) rotation (\S+) scale (\S+))?)");
    static const std::regex camera(R"(Camera '([^']*)' position (\S+) target (\S+))");
    // A caption may go on over several lines: the first line's part is kept.
    static const std::regex graphics(R"x(' .*(shown|hidden)(?: caption "(.*?)"?)?$)x");
    static const std::regex colour(R"( colour (\S+))");
    static const std::regex attenuation(R"( attenuation (\S+))");
    static const std::regex particleCount(R"( particles (\d+))");
    static const std::regex halfExtents(R"( halfExtents (\S+))");
    static const std::regex settings(
        R"(Settings volume (\S+) fullScreen (\d) window (\d+)x(\d+) vsync (\d) fxaa (\d) quality (\S+))");
    WorldDump dump;
    std::ifstream file(path);
    std::string line;
    std::smatch match;
    while (std::getline(file, line))
    {
        if (line.rfind("Particles '", 0) == 0)
        {
            ReadParticles(line, dump);
        }
        else if (std::regex_search(line, match, object))
        {
            ++dump.names[match[1]];
            if (match[2].matched)
            {
                dump.objects[match[1]] = {ReadVec3(match[2]), ReadQuaternion(match[3]), ReadVec3(match[4])};
            }
            const std::string name = match[1];
            if (std::regex_search(line, match, colour))
            {
                dump.colours[name] = ReadVec4(match[1]);
            }
            if (std::regex_search(line, match, particleCount))
            {
                dump.particleCounts[name] = std::stoi(match[1]);
            }
            if (std::regex_search(line, match, halfExtents))
            {
                dump.halfExtents[name] = ReadVec3(match[1]);
            }
            if (std::regex_search(line, match, attenuation))
            {
                dump.attenuations[name] = ReadVec3(match[1]);
            }
            if (std::regex_search(line, match, graphics))
            {
                dump.shown[name] = match[1] == "shown";
                if (match[2].matched)
                {
                    dump.captions[name] = match[2];
                }
            }
        }
        else if (std::regex_search(line, match, camera))
        {
            dump.cameras[match[1]] = {ReadVec3(match[2]), ReadVec3(match[3])};
        }
        else if (std::regex_search(line, match, settings))
        {
            dump.settings = {std::stof(match[1]), match[2] == "1", std::stoi(match[3]), std::stoi(match[4]),
                             match[5] == "1",     match[6] == "1", std::stof(match[7])};
        }
    }
    return dump;
}

std::string At(int frame, const std::string& children)
{
    return "<Frame number=\"" + std::to_string(frame) + "\">" + children + "</Frame>";
}

std::string AtTime(double seconds, const std::string& children)
{
    std::ostringstream text;
    text << "<Frame time=\"" << seconds << "\">" << children << "</Frame>";
    return text.str();
}

std::string Key(const std::string& key, bool down)
{
    return "<Key key=\"" + key + "\" down=\"" + (down ? "true" : "false") + "\"/>";
}

std::string AnalyticsTo(int port, const std::string& folder)
{
    const std::string path = folder + "Analytics.xml";
    std::ofstream(path) << "<GameAnalytics host=\"127.0.0.1\" port=\"" << port
                        << "\" gameKey=\"k\" secretKey=\"s\"/>";
    return "analytics=\"" + path + "\"";
}

std::string Press(int frame, const std::string& key)
{
    return At(frame, Key(key)) + At(frame + 1, Key(key, false));
}
} // namespace Morvane::Testing
