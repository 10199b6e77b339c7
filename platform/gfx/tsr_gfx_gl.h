// Internal to the graphics layer: OpenGL headers and small RAII holders.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>

#include <SDL.h>

#include <memory>
#include <utility>

namespace tsr::gfx::gl {

// One GL name with its delete function.
template <void (*Delete)(GLuint)>
class Name {
public:
    Name() = default;
    explicit Name(GLuint id) : m_id(id) {}
    ~Name() { reset(); }
    Name(Name&& o) noexcept : m_id(std::exchange(o.m_id, 0)) {}
    Name& operator=(Name&& o) noexcept
    {
        if (this != &o) {
            reset();
            m_id = std::exchange(o.m_id, 0);
        }
        return *this;
    }
    Name(const Name&) = delete;
    Name& operator=(const Name&) = delete;
    GLuint get() const { return m_id; }
    void reset(GLuint id = 0)
    {
        if (m_id)
            Delete(m_id);
        m_id = id;
    }

private:
    GLuint m_id = 0;
};

inline void DeleteBuffer(GLuint id) { glDeleteBuffers(1, &id); }
inline void DeleteTexture(GLuint id) { glDeleteTextures(1, &id); }
inline void DeleteFramebuffer(GLuint id) { glDeleteFramebuffers(1, &id); }
inline void DeleteVertexArray(GLuint id) { glDeleteVertexArrays(1, &id); }
inline void DeleteSampler(GLuint id) { glDeleteSamplers(1, &id); }
inline void DeleteProgram(GLuint id) { glDeleteProgram(id); }

using Buffer = Name<DeleteBuffer>;
using Tex = Name<DeleteTexture>;
using Framebuffer = Name<DeleteFramebuffer>;
using VertexArray = Name<DeleteVertexArray>;
using Sampler = Name<DeleteSampler>;
using Program = Name<DeleteProgram>;

inline GLuint NewBuffer()
{
    GLuint id = 0;
    glGenBuffers(1, &id);
    return id;
}
inline GLuint NewTexture()
{
    GLuint id = 0;
    glGenTextures(1, &id);
    return id;
}
inline GLuint NewFramebuffer()
{
    GLuint id = 0;
    glGenFramebuffers(1, &id);
    return id;
}
inline GLuint NewVertexArray()
{
    GLuint id = 0;
    glGenVertexArrays(1, &id);
    return id;
}
inline GLuint NewSampler()
{
    GLuint id = 0;
    glGenSamplers(1, &id);
    return id;
}

struct ContextDeleter {
    void operator()(void* c) const
    {
        if (c)
            SDL_GL_DeleteContext(static_cast<SDL_GLContext>(c));
    }
};
using Context = std::unique_ptr<void, ContextDeleter>;

struct WindowDeleter {
    void operator()(SDL_Window* w) const
    {
        if (w)
            SDL_DestroyWindow(w);
    }
};
using ProbeWindow = std::unique_ptr<SDL_Window, WindowDeleter>;

// Sets the context attributes every window and context of ours uses.
inline void SetContextAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}

} // namespace tsr::gfx::gl
