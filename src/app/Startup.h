#pragma once

namespace qm {

// Reads the command line, finds the runtime data's folder, opens the
// shipped scene or the user's model, runs the main loop (or renders the
// screenshot) and tears everything down; returns the process exit code.
int run(int argc, char** argv);

}  // namespace qm
