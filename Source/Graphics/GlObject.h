#pragma once

#include "Graphics/OpenGL.h"

#include <utility>

namespace Morvane::Graphics
{
// Owns one OpenGL object name and deletes it when it goes away. `Kind` says how that kind of object is
// made and deleted. Only names made while a context is current may be held: a name of 0 deletes
// nothing, so an empty holder needs no context. Buffers, vertex arrays and frame buffers are created
// as objects at once (glCreate*), so the direct-state-access calls work on them before any bind;
// textures need their target for that, and become objects at their first bind.
template <class Kind> class GlObject
{
public:
    GlObject() = default;
    explicit GlObject(GLuint name) : m_name(name) {}
    ~GlObject() { Reset(); }
    GlObject(GlObject&& other) noexcept : m_name(std::exchange(other.m_name, 0)) {}
    GlObject& operator=(GlObject&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_name = std::exchange(other.m_name, 0);
        }
        return *this;
    }
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;

    static GlObject Create() { return GlObject(Kind::Create()); }

    GLuint Get() const { return m_name; }
    void Reset()
    {
        if (m_name != 0)
        {
            Kind::Destroy(m_name);
            m_name = 0;
        }
    }

private:
    GLuint m_name = 0;
};

struct GlBufferKind
{
    static GLuint Create()
    {
        GLuint name = 0;
        glCreateBuffers(1, &name);
        return name;
    }
    static void Destroy(GLuint name) { glDeleteBuffers(1, &name); }
};

struct GlVertexArrayKind
{
    static GLuint Create()
    {
        GLuint name = 0;
        glCreateVertexArrays(1, &name);
        return name;
    }
    static void Destroy(GLuint name) { glDeleteVertexArrays(1, &name); }
};

struct GlTextureKind
{
    static GLuint Create()
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        return name;
    }
    static void Destroy(GLuint name) { glDeleteTextures(1, &name); }
};

struct GlFramebufferKind
{
    static GLuint Create()
    {
        GLuint name = 0;
        glCreateFramebuffers(1, &name);
        return name;
    }
    static void Destroy(GLuint name) { glDeleteFramebuffers(1, &name); }
};

struct GlProgramKind
{
    static GLuint Create() { return glCreateProgram(); }
    static void Destroy(GLuint name) { glDeleteProgram(name); }
};

// Stages are made with their type: GlShaderStage(glCreateShader(type)).
struct GlShaderStageKind
{
    static void Destroy(GLuint name) { glDeleteShader(name); }
};

using GlBuffer = GlObject<GlBufferKind>;
using GlVertexArray = GlObject<GlVertexArrayKind>;
using GlTexture = GlObject<GlTextureKind>;
using GlFramebuffer = GlObject<GlFramebufferKind>;
using GlProgram = GlObject<GlProgramKind>;
using GlShaderStage = GlObject<GlShaderStageKind>;
} // namespace Morvane::Graphics
