#include "System/Pass/CommandTable.h"

#include "System/Pass/Blend.h"
#include "System/Pass/ClearBufferColor.h"
#include "System/Pass/ClearBufferDepth.h"
#include "System/Pass/CullFace.h"
#include "System/Pass/DebugPass.h"
#include "System/Pass/Depth.h"
#include "System/Pass/Render.h"
#include "System/Pass/SetFrameBuffer.h"
#include "System/Pass/SortSet.h"
#include "System/Pass/Viewport.h"

#include <algorithm>
#include <iterator>

namespace Morvane::Graphics
{
namespace
{
template <class T> std::unique_ptr<Command> Make()
{
    return std::make_unique<T>();
}

const CommandKind kCommandKinds[] = {
    {"ClearColorBuffer", "Commands::ClearBufferColor", &Make<Commands::ClearBufferColor>},
    {"ClearDepthBuffer", "Commands::ClearBufferDepth", &Make<Commands::ClearBufferDepth>},
    {"Viewport", "Commands::Viewport", &Make<Commands::Viewport>},
    {"Render", "Commands::Render", &Make<Commands::Render>},
    {"SetFrameBuffer", "Commands::SetFrameBuffer", &Make<Commands::SetFrameBuffer>},
    {"Depth", "Commands::Depth", &Make<Commands::Depth>},
    {"CullFace", "Commands::CullFace", &Make<Commands::CullFace>},
    {"Blend", "Commands::Blend", &Make<Commands::Blend>},
    {"DebugPass", "Commands::DebugPass", &Make<Commands::DebugPass>},
    {"SortSet", "Commands::SortSet", &Make<Commands::SortSet>},
};
} // namespace

const CommandKind* FindCommandKind(const std::string& type)
{
    const auto found = std::find_if(std::begin(kCommandKinds), std::end(kCommandKinds),
                                    [&](const CommandKind& kind) { return type == kind.type; });
    return found != std::end(kCommandKinds) ? found : nullptr;
}
} // namespace Morvane::Graphics
