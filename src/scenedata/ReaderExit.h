#pragma once

// Set in sanitizer builds (GCC's and clang's ways of saying so): there the
// reader gets no address-space limit, the sanitizers' start-up reserving
// terabytes, and the viewer asks the sanitizer to end the reader by a
// signal on a finding.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QM_SANITIZER_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QM_SANITIZER_BUILD 1
#endif
#endif

namespace qm {

// The model reader process's exit statuses, which the viewer reads (see
// ReaderMain.cpp and ReaderProcess.h).
inline constexpr int readerExitRead = 0;
inline constexpr int readerExitUsage = 2;
inline constexpr int readerExitRefused = 3;
inline constexpr int readerExitOutOfMemory = 4;

}  // namespace qm
