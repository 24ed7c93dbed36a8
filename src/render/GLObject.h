#pragma once

#include <GL/glew.h>

#include <utility>

namespace qm {

// One GL object, owned: deleted with its handle, moved and never copied. It
// reads as its GL name wherever one is expected; 0 is no object.
template <void (*destroy)(GLuint)>
class GLObject {
public:
    GLObject() = default;
    explicit GLObject(GLuint name) : name_(name) {}
    GLObject(GLObject&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    GLObject& operator=(GLObject&& other) noexcept
    {
        if (this != &other) {
            release();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }
    GLObject(const GLObject&) = delete;
    GLObject& operator=(const GLObject&) = delete;
    ~GLObject() { release(); }

    operator GLuint() const { return name_; }

private:
    void release()
    {
        // Deleting needs the context that made the object; without one nothing was made.
        if (name_ != 0)
            destroy(name_);
        name_ = 0;
    }

    GLuint name_ = 0;
};

namespace gl {
inline void deleteBuffer(GLuint name) { glDeleteBuffers(1, &name); }
inline void deleteVertexArray(GLuint name) { glDeleteVertexArrays(1, &name); }
inline void deleteTexture(GLuint name) { glDeleteTextures(1, &name); }
inline void deleteFramebuffer(GLuint name) { glDeleteFramebuffers(1, &name); }
inline void deleteProgram(GLuint name) { glDeleteProgram(name); }
}  // namespace gl

using GLBuffer = GLObject<gl::deleteBuffer>;
using GLVertexArray = GLObject<gl::deleteVertexArray>;
using GLTexture = GLObject<gl::deleteTexture>;
using GLFramebuffer = GLObject<gl::deleteFramebuffer>;
using GLProgram = GLObject<gl::deleteProgram>;

// New, unbound GL objects; they need the current context.
template <typename Handle>
Handle generated(void (*generate)(GLsizei, GLuint*))
{
    GLuint name = 0;
    generate(1, &name);
    return Handle(name);
}
inline GLBuffer makeBuffer() { return generated<GLBuffer>(glGenBuffers); }
inline GLVertexArray makeVertexArray() { return generated<GLVertexArray>(glGenVertexArrays); }
inline GLTexture makeTexture() { return generated<GLTexture>(glGenTextures); }
inline GLFramebuffer makeFramebuffer() { return generated<GLFramebuffer>(glGenFramebuffers); }

}  // namespace qm
