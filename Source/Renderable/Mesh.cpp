#include "Renderable/Mesh.h"

#include "Graphics/GlNames.h"
#include "Parsing/IParserData.h"
#include "Renderable/MeshReader.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <limits>

namespace Morvane::Graphics
{
namespace
{
const GlName kDrawModes[] = {
    MORVANE_GL_NAME(GL_POINTS),
    MORVANE_GL_NAME(GL_LINES),
    MORVANE_GL_NAME(GL_LINE_LOOP),
    MORVANE_GL_NAME(GL_LINE_STRIP),
    MORVANE_GL_NAME(GL_TRIANGLES),
    MORVANE_GL_NAME(GL_TRIANGLE_STRIP),
    MORVANE_GL_NAME(GL_TRIANGLE_FAN),
    MORVANE_GL_NAME(GL_LINES_ADJACENCY),
    MORVANE_GL_NAME(GL_LINE_STRIP_ADJACENCY),
    MORVANE_GL_NAME(GL_TRIANGLES_ADJACENCY),
    MORVANE_GL_NAME(GL_TRIANGLE_STRIP_ADJACENCY),
    MORVANE_GL_NAME(GL_PATCHES),
};

const GlName kBufferTargets[] = {
    MORVANE_GL_NAME(GL_ARRAY_BUFFER),
    MORVANE_GL_NAME(GL_ELEMENT_ARRAY_BUFFER),
    MORVANE_GL_NAME(GL_UNIFORM_BUFFER),
    MORVANE_GL_NAME(GL_SHADER_STORAGE_BUFFER),
};

const GlName kBufferUsages[] = {
    MORVANE_GL_NAME(GL_STREAM_DRAW),  MORVANE_GL_NAME(GL_STREAM_READ),  MORVANE_GL_NAME(GL_STREAM_COPY),
    MORVANE_GL_NAME(GL_STATIC_DRAW),  MORVANE_GL_NAME(GL_STATIC_READ),  MORVANE_GL_NAME(GL_STATIC_COPY),
    MORVANE_GL_NAME(GL_DYNAMIC_DRAW), MORVANE_GL_NAME(GL_DYNAMIC_READ), MORVANE_GL_NAME(GL_DYNAMIC_COPY),
};

template <class Value> std::string Joined(const std::vector<Value>& values)
{
    std::string text;
    for (const Value value : values)
    {
        if constexpr (std::is_floating_point_v<Value>)
        {
            text += Format("%.9g ", static_cast<double>(value));
        }
        else
        {
            text += Format("%u ", value);
        }
    }
    return text;
}

GLsizeiptr ByteSize(const std::vector<float>& data)
{
    return static_cast<GLsizeiptr>(data.size() * sizeof(float));
}
} // namespace

std::string Mesh::Channel() const
{
    return Format("Mesh '%s'", GetName().c_str());
}

bool Mesh::Parse(const IParserData* definition)
{
    MORVANE_ASSERT_NAMED(definition != nullptr, "parserData", __LINE__);
    MeshContent content;
    const std::string channel = Channel();
    if (!MeshReader(channel, content).Read(*definition))
    {
        return false;
    }
    m_content = std::move(content);
    return true;
}

bool Mesh::Save(IParserData* data)
{
    data->SetAttribute("drawMode", NameOf(kDrawModes, m_content.drawMode, "GL_TRIANGLES"));
    for (const MeshBuffer& buffer : m_content.buffers)
    {
        IParserData* element = data->AddChild("Buffer");
        element->SetAttribute("targetBuffer", NameOf(kBufferTargets, buffer.GetTarget(), "GL_ARRAY_BUFFER"));
        element->SetAttribute("usagePatter", NameOf(kBufferUsages, buffer.GetUsage(), "GL_STATIC_DRAW"));
        element->AddChild("Data")->SetInnerText(Joined(buffer.GetData()));
        for (const MeshAttribute& attribute : buffer.GetAttributes())
        {
            IParserData* description = element->AddChild("AttributeDescription");
            description->SetAttributeInt("location", attribute.location);
            description->SetAttributeInt("elementSize", attribute.elementSize);
            description->SetAttributeBool("normalize", attribute.normalise);
            description->SetAttributeInt("stride", attribute.stride);
            description->SetAttributeInt("offset", attribute.offset);
            description->SetAttributeInt("divisor", attribute.divisor);
        }
    }
    if (!m_content.indices.empty())
    {
        data->AddChild("Indices")->AddChild("Data")->SetInnerText(Joined(m_content.indices));
    }
    return true;
}

bool Mesh::CheckLayout() const
{
    return m_content.CheckLayout(Channel());
}

const MeshBuffer& Mesh::GetBuffer(std::size_t index) const
{
    MORVANE_ASSERT(index < m_content.buffers.size());
    return m_content.buffers[index];
}

bool Mesh::Initialize()
{
    ReleaseGlObjects();
    if (!CheckLayout())
    {
        return false;
    }
    for (const MeshBuffer& buffer : m_content.buffers)
    {
        GlBuffer glBuffer = GlBuffer::Create();
        glBindBuffer(buffer.GetTarget(), glBuffer.Get());
        glBufferData(buffer.GetTarget(), ByteSize(buffer.GetData()), buffer.GetData().data(),
                     buffer.GetUsage());
        m_glBuffers.push_back(std::move(glBuffer));
    }

    m_vertexArray = GlVertexArray::Create();
    glBindVertexArray(m_vertexArray.Get());
    for (std::size_t index = 0; index < m_content.buffers.size(); ++index)
    {
        // Attribute pointers read whatever is bound to GL_ARRAY_BUFFER, whatever the buffer's own target.
        glBindBuffer(GL_ARRAY_BUFFER, m_glBuffers[index].Get());
        for (const MeshAttribute& attribute : m_content.buffers[index].GetAttributes())
        {
            const auto location = static_cast<GLuint>(attribute.location);
            glEnableVertexAttribArray(location);
            glVertexAttribPointer(
                location, attribute.elementSize, GL_FLOAT, attribute.normalise ? GL_TRUE : GL_FALSE,
                attribute.stride,
                reinterpret_cast<const void*>(static_cast<std::uintptr_t>(attribute.offset)));
            glVertexAttribDivisor(location, static_cast<GLuint>(attribute.divisor));
        }
    }

    const std::vector<std::uint32_t> indices = m_content.IndicesToDraw();
    m_indexBuffer = GlBuffer::Create();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer.Get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    m_indexCount = indices.size();
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
    {
        Log::Error(Channel(), Format("OpenGL refused the mesh data (error 0x%04X)", error));
        ReleaseGlObjects();
        return false;
    }
    SetInitialized(true);
    return true;
}

void Mesh::ReleaseGlObjects()
{
    m_vertexArray.Reset();
    m_glBuffers.clear();
    m_indexBuffer.Reset();
    m_indexCount = 0;
    SetInitialized(false);
}

void Mesh::Release()
{
    ReleaseGlObjects();
    m_content = MeshContent{};
}

void Mesh::Draw()
{
    MORVANE_ASSERT_NAMED(m_vertexArray.Get() != 0, "m_vertexArray", __LINE__);
    glBindVertexArray(m_vertexArray.Get());
    glDrawElements(m_content.drawMode, static_cast<GLsizei>(m_indexCount), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

std::size_t Mesh::InstanceCapacity() const
{
    std::size_t capacity = std::numeric_limits<std::size_t>::max();
    for (const MeshBuffer& buffer : m_content.buffers)
    {
        for (const MeshAttribute& attribute : buffer.GetAttributes())
        {
            if (attribute.divisor > 0)
            {
                capacity = std::min(capacity, buffer.CountElements(attribute) *
                                                  static_cast<std::size_t>(attribute.divisor));
            }
        }
    }
    return capacity;
}

void Mesh::DrawInstanced(int count)
{
    MORVANE_ASSERT_NAMED(m_vertexArray.Get() != 0, "m_vertexArray", __LINE__);
    if (count <= 0)
    {
        return;
    }
    if (static_cast<std::size_t>(count) > InstanceCapacity())
    {
        // Reading past the per-instance data is undefined on the GPU: draw nothing instead.
        Log::Error(Channel(),
                   Format("%d instances asked for, the instance data holds %zu", count, InstanceCapacity()));
        return;
    }
    glBindVertexArray(m_vertexArray.Get());
    glDrawElementsInstancedBaseVertex(m_content.drawMode, static_cast<GLsizei>(m_indexCount), GL_UNSIGNED_INT,
                                      nullptr, count, 0);
    glBindVertexArray(0);
}

bool Mesh::UpdateBuffer(std::size_t index, std::vector<float> data)
{
    if (index >= m_content.buffers.size())
    {
        Log::Error(Channel(), Format("No buffer %zu to update", index));
        return false;
    }
    MeshBuffer& buffer = m_content.buffers[index];
    std::vector<float> previous = buffer.GetData();
    buffer.SetData(std::move(data));
    if (!CheckLayout())
    {
        buffer.SetData(std::move(previous));
        return false;
    }
    if (index < m_glBuffers.size())
    {
        glBindBuffer(buffer.GetTarget(), m_glBuffers[index].Get());
        if (buffer.GetData().size() == previous.size())
        {
            glBufferSubData(buffer.GetTarget(), 0, ByteSize(buffer.GetData()), buffer.GetData().data());
        }
        else
        {
            glBufferData(buffer.GetTarget(), ByteSize(buffer.GetData()), buffer.GetData().data(),
                         buffer.GetUsage());
        }
        glBindBuffer(buffer.GetTarget(), 0);
        RefreshGeneratedIndices();
    }
    return true;
}

bool Mesh::StreamBuffer(std::size_t index, std::span<const float> data)
{
    if (index >= m_glBuffers.size() || data.size() != m_content.buffers[index].GetData().size())
    {
        Log::Error(Channel(), Format("Buffer %zu cannot take %zu floats as they stand", index, data.size()));
        return false;
    }
    glNamedBufferSubData(m_glBuffers[index].Get(), 0, static_cast<GLsizeiptr>(data.size_bytes()),
                         data.data());
    return true;
}

void Mesh::RefreshGeneratedIndices()
{
    if (!m_content.indices.empty())
    {
        return;
    }
    const std::vector<std::uint32_t> indices = m_content.IndicesToDraw();
    if (indices.size() != m_indexCount)
    {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer.Get());
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                     indices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        m_indexCount = indices.size();
    }
}
} // namespace Morvane::Graphics
