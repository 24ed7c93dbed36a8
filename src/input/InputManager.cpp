#include "InputManager.h"

#include <array>
#include <memory>
#include <utility>

namespace qm {

namespace {

// Held keys by physical position, in the order they are tested.
constexpr std::array<std::pair<SDL_Scancode, int>, 8> heldKeyCommands{{
    {SDL_SCANCODE_W, 2},
    {SDL_SCANCODE_S, 3},
    {SDL_SCANCODE_A, 5},
    {SDL_SCANCODE_D, 6},
    {SDL_SCANCODE_1, 8},
    {SDL_SCANCODE_2, 7},
    {SDL_SCANCODE_3, 10},
    {SDL_SCANCODE_4, 9},
}};

// Keys that act once however long they are held, by character.
constexpr std::array<std::pair<SDL_Keycode, int>, 19> pressedKeyCommands{{
    {SDLK_F5, 16},
    {SDLK_TAB, 20},
    {SDLK_KP_1, 21},
    {SDLK_KP_3, 22},
    {SDLK_KP_5, 31},
    {SDLK_KP_7, 23},
    {SDLK_KP_9, 24},
    {SDLK_PAGEDOWN, 25},
    {SDLK_RIGHT, 25},
    {SDLK_PAGEUP, 26},
    {SDLK_LEFT, 26},
    {SDLK_F12, 27},
    {SDLK_F1, 29},
    {SDLK_QUESTION, 29},
    {SDLK_i, 30},
    {SDLK_g, 32},
    {SDLK_x, 33},
    {SDLK_c, 34},
    {SDLK_v, 35},
}};

template <typename... Args>
const Command<Args...>* findCommand(const std::map<int, std::shared_ptr<BaseCommand>>& commands, int id)
{
    const auto it = commands.find(id);
    if (it == commands.end())
        return nullptr;
    const auto* command = dynamic_cast<const Command<Args...>*>(it->second.get());
    return command && command->fn ? command : nullptr;
}

}  // namespace

void InputManager::bindCommand(int id, std::function<void()> fn)
{
    commands[id] = std::make_shared<Command<>>(std::move(fn));
}

void InputManager::bindCommand(int id, std::function<void(int, int)> fn)
{
    commands[id] = std::make_shared<Command<int, int>>(std::move(fn));
}

void InputManager::bindCommand(int id, std::function<void(int, int, int)> fn)
{
    commands[id] = std::make_shared<Command<int, int, int>>(std::move(fn));
}

void InputManager::execute(int id)
{
    if (const auto* command = findCommand<>(commands, id))
        command->fn();
}

void InputManager::execute(int id, int a, int b)
{
    if (const auto* command = findCommand<int, int>(commands, id))
        command->fn(a, b);
}

void InputManager::execute(int id, int a, int b, int c)
{
    if (const auto* command = findCommand<int, int, int>(commands, id))
        command->fn(a, b, c);
}

void InputManager::processHeldKeys()
{
    processHeldKeys(SDL_GetKeyboardState(nullptr));
}

void InputManager::processHeldKeys(const std::uint8_t* keyboardState)
{
    for (const auto& [scancode, id] : heldKeyCommands) {
        if (keyboardState[scancode])
            execute(id);
    }
}

void InputManager::processEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (eventTaken && eventTaken(event)) {
            // What the mouse moved meanwhile is not the camera's to turn by.
            if (event.type == SDL_MOUSEMOTION)
                SDL_GetRelativeMouseState(nullptr, nullptr);
            continue;
        }
        switch (event.type) {
        case SDL_QUIT:
            execute(0);
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE)
                execute(0);
            else if (event.key.keysym.sym == SDLK_m)
                execute(11);
            else if (event.key.keysym.sym == SDLK_HOME || event.key.keysym.sym == SDLK_h)
                execute(12);
            // Held down, they act once. By place as well as by character:
            // on many layouts the brackets need a modifier.
            else if (event.key.repeat != 0)
                break;
            else if (event.key.keysym.sym == SDLK_SPACE)
                execute(13);
            else if (event.key.keysym.sym == SDLK_LEFTBRACKET || event.key.keysym.scancode == SDL_SCANCODE_LEFTBRACKET)
                execute(14);
            else if (event.key.keysym.sym == SDLK_RIGHTBRACKET ||
                     event.key.keysym.scancode == SDL_SCANCODE_RIGHTBRACKET)
                execute(15);
            // "?" is Shift and "/" on many layouts, a key of its own on others.
            else if (event.key.keysym.sym == SDLK_SLASH && (event.key.keysym.mod & KMOD_SHIFT))
                execute(29);
            else {
                for (const auto& [key, id] : pressedKeyCommands) {
                    if (event.key.keysym.sym == key)
                        execute(id);
                }
            }
            break;
        case SDL_DROPFILE: {
            const std::unique_ptr<char, decltype(&SDL_free)> file(event.drop.file, SDL_free);
            if (file && fileDropped)
                fileDropped(file.get());
            break;
        }
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_RESIZED)
                execute(1, event.window.data1, event.window.data2);
            break;
        case SDL_MOUSEMOTION: {
            // The accumulator, not the event: the first motion event of a frame
            // carries everything gathered since the last read.
            int dx = 0;
            int dy = 0;
            SDL_GetRelativeMouseState(&dx, &dy);
            execute(4, -dy, dx);
            // Dragging: the left button turns; the right or middle one, or
            // the left with Shift, pans.
            const Uint32 buttons = event.motion.state;
            if ((buttons & SDL_BUTTON_LMASK) && !(SDL_GetModState() & KMOD_SHIFT))
                execute(17, dx, dy);
            else if (buttons & (SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK))
                execute(18, dx, dy);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT && event.button.clicks == 2)
                execute(28, event.button.x, event.button.y);
            break;
        case SDL_MOUSEWHEEL: {
            // Steps away from the user zoom in, towards where the cursor points.
            int x = 0;
            int y = 0;
            SDL_GetMouseState(&x, &y);
            execute(19, event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y, x, y);
            break;
        }
        default:
            break;
        }
    }
}

}  // namespace qm
