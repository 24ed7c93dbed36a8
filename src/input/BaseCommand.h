#pragma once

namespace qm {

// Common base of the stored commands; the input manager recovers the
// concrete kind by its dynamic type.
class BaseCommand {
public:
    virtual ~BaseCommand() = default;
};

}  // namespace qm
