#include "Controls.h"

namespace qm {

std::vector<std::string> controlLines(bool flying)
{
    std::vector<std::string> lines;
    if (flying)
        lines = {"W, A, S, D - walk", "Mouse - look around", "Tab - back to turning the model"};
    else
        lines = {"Left drag - turn the model",
                 "Right or middle drag, Shift + left drag - move it",
                 "Wheel - zoom towards the pointer",
                 "Double-click - turn about the point clicked",
                 "Home or H - frame the whole model",
                 "Keypad 1, 3, 7 - look from the front, the right, the top",
                 "Keypad 9 - look from the other side",
                 "Keypad 5 - orthographic or perspective",
                 "C - through the file's cameras, then framed again",
                 "Tab - fly camera (W, A, S, D and mouse)"};
    for (const char* line : {"1 and 2 - exposure down and up", "3 and 4 - focus nearer and farther",
                             "Space - pause or play the animation", "[ and ] - previous and next animation",
                             "G - ground grid, X - axes", "V - the file's material variants in turn", "Page Down and Page Up - next and previous file",
                             "F5 - reload the file", "F12 - save the view as a picture", "I - the model's numbers",
                             "F1 or ? - the help card", "Escape - quit"})
        lines.emplace_back(line);
    return lines;
}

}  // namespace qm
