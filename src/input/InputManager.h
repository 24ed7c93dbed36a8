#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "Command.h"

namespace qm {

// Turns keyboard, mouse and window input into numbered commands, once per frame.
class InputManager {
public:
    void bindCommand(int id, std::function<void()> fn);
    void bindCommand(int id, std::function<void(int, int)> fn);
    void bindCommand(int id, std::function<void(int, int, int)> fn);

    // Runs the command stored under id if it exists, is of the matching kind
    // and holds a callable; otherwise does nothing.
    void execute(int id);
    void execute(int id, int a, int b);
    void execute(int id, int a, int b, int c);

    // Fires the commands of the keys that are down in SDL's keyboard state.
    void processHeldKeys();
    // The same for a given keyboard state, indexed by scancode.
    void processHeldKeys(const std::uint8_t* keyboardState);
    // Drains SDL's event queue and fires the commands of its events.
    void processEvents();

    std::map<int, std::shared_ptr<BaseCommand>> commands;
    // Called with the path of a file dropped onto the window.
    std::function<void(const std::string&)> fileDropped;
    // Offered each event first; true keeps it from the commands (an
    // on-screen panel's press or drag).
    std::function<bool(const SDL_Event&)> eventTaken;
};

}  // namespace qm
