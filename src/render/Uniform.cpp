#include "Uniform.h"

#include <array>

namespace qm {

const char* uniformName(Uniform uniform)
{
#define QM_UNIFORM_NAME(slot, name) name,
    static constexpr std::array<const char*, std::size_t(Uniform::Count)> names = {QM_UNIFORMS(QM_UNIFORM_NAME)};
#undef QM_UNIFORM_NAME
    return names[std::size_t(uniform)];
}

}  // namespace qm
