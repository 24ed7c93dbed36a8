#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "SceneData.h"

namespace qm {

// The byte form of SceneData, which crosses from the model reader's process
// to the viewer and lies in the scene cache:
//   "QMSCENE" and a zero byte, the version (32 bits), 32 zero bits,
//   the payload's size (64 bits), its XXH3 64-bit checksum, the payload.
// The payload holds SceneData's records in their declared order: numbers as
// they lie in memory (little-endian), enums as one byte, booleans as one
// byte, arrays and strings after a 64-bit element count, lists of records
// after a 64-bit record count.
inline constexpr std::uint32_t sceneDataVersion = 6;
inline constexpr std::size_t sceneDataHeaderSize = 32;

std::string encodeSceneData(const SceneData& scene);

// The whole size (header and payload) that the header at the start of
// `bytes` announces, to make room for it before it arrives; 0 when they do
// not start with a scene data header.
std::uint64_t announcedSceneDataSize(std::span<const std::uint8_t> bytes);

// The scene the bytes hold, or nothing with the reason: a foreign or
// damaged header, a checksum that does not match, a count past the end,
// bytes left over, or a record that breaks SceneData's rules (an index
// outside its array, an attribute array of another length than the
// vertices). Whatever the bytes, it reads nothing outside them and
// allocates no more than they can fill.
std::optional<SceneData> decodeSceneData(std::span<const std::uint8_t> bytes, std::string& problem);

// The rules alone, for a scene built in memory; empty when it keeps them.
std::string sceneDataProblem(const SceneData& scene);

}  // namespace qm
