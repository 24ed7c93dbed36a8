#pragma once

#include <functional>

#include "BaseCommand.h"

namespace qm {

// A stored callable; the manager uses Command<>, Command<int, int> and Command<int, int, int>.
template <typename... Args>
class Command : public BaseCommand {
public:
    explicit Command(std::function<void(Args...)> fn) : fn(std::move(fn)) {}

    std::function<void(Args...)> fn;
};

}  // namespace qm
