#include "GpuFrameTime.h"

#include <cstring>

namespace qm {

GpuFrameTime::GpuFrameTime()
{
    glGenQueries(GLsizei(queries.size()), queries.data());
}

GpuFrameTime::~GpuFrameTime()
{
    if (timing)
        glEndQuery(GL_TIME_ELAPSED);
    glDeleteQueries(GLsizei(queries.size()), queries.data());
}

void GpuFrameTime::pass(const char* name)
{
    if (std::strcmp(name, "end") == 0) {
        if (timing)
            glEndQuery(GL_TIME_ELAPSED);
        timing = false;
        return;
    }
    if (timing)
        return;
    // The oldest query is read if it is done; otherwise that frame goes unmeasured.
    if (waiting[next]) {
        GLint available = 0;
        glGetQueryObjectiv(queries[next], GL_QUERY_RESULT_AVAILABLE, &available);
        if (available) {
            GLuint64 nanoseconds = 0;
            glGetQueryObjectui64v(queries[next], GL_QUERY_RESULT, &nanoseconds);
            latest = float(double(nanoseconds) * 1e-9);
        }
    }
    glBeginQuery(GL_TIME_ELAPSED, queries[next]);
    waiting[next] = true;
    next = (next + 1) % queries.size();
    timing = true;
}

}  // namespace qm
