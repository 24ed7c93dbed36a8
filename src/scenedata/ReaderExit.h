#pragma once

namespace qm {

// The model reader process's exit statuses, which the viewer reads (see
// ReaderMain.cpp and ReaderProcess.h).
inline constexpr int readerExitRead = 0;
inline constexpr int readerExitUsage = 2;
inline constexpr int readerExitRefused = 3;
inline constexpr int readerExitOutOfMemory = 4;

}  // namespace qm
