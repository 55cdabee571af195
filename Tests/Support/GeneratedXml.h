#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Morvane::Testing
{
// A data file of about `bytes` bytes shaped like real ones: nested sections of objects with several
// attributes each, text (with entities, a CDATA section and comments) and empty elements, made the
// same way every time from `seed`.
inline std::string GenerateXml(std::size_t bytes, std::uint32_t seed)
{
    std::uint32_t state = seed;
    const auto next = [&state](std::uint32_t range)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    const char* const words[] = {"wall", "door", "button", "light", "crate", "jumper", "bouncer", "platform"};
    const auto word = [&] { return std::string(words[next(8)]); };

    std::string xml =
        "<?xml version=\"1.0\"?>\n<!-- generated -->\n<Level name=\"Generated\" version=\"3\">\n";
    std::size_t object = 0;
    while (xml.size() < bytes)
    {
        xml += "<Section group=\"" + std::to_string(object / 16) + "\">\n";
        for (int index = 0; index < 16; ++index, ++object)
        {
            const std::string name = word() + "_" + std::to_string(object);
            xml += "  <Object name=\"" + name + "\" archetype=\"$(ArchetypeFolder)" + word() +
                   ".xml\" position=\"" + std::to_string(next(100)) + ".5;" + std::to_string(next(10)) +
                   ";-" + std::to_string(next(50)) + ".25\" scale=\"1;2;1\" colour=\"0.5;0.25;1;1\">\n";
            xml += "    <Graphics type=\"GraphicsComponent_Model\" mesh=\"" + word() +
                   "\" sets=\"Opaque; Shadow\"/>\n";
            switch (next(4))
            {
            case 0:
                xml += "    <Behavior type=\"BehaviorComponent_Button\" target=\"" + word() +
                       "\">Press &lt;E&gt; to open &amp; go</Behavior>\n";
                break;
            case 1:
                xml += "    <Text><![CDATA[a <raw> & literal " + word() + "]]></Text>\n";
                break;
            case 2:
                xml += "    <!-- " + word() +
                       " -->\n    <Physics static=\"true\" mass=\"0\" restitution=\"0.2\"/>\n";
                break;
            default:
                xml += "    <Note language='en' quote='say \"" + word() + "\"'>" +
                       std::string(40 + next(80), 'x') + "</Note>\n";
                break;
            }
            xml += "  </Object>\n";
        }
        xml += "</Section>\n";
    }
    return xml + "</Level>\n";
}
} // namespace Morvane::Testing
