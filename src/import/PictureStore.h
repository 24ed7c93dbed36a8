#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "ImageFile.h"

namespace qm {

// The picture files one import decodes (textures, billboards), by path:
// taken from a cache entry when it kept them, else decoded, and kept for
// the entry being written when asked to. What load hands out is a view
// that stays valid while the store and the entry's bytes live.
class PictureStore {
public:
    // The pictures of a cache entry's section; false, keeping none, when
    // the bytes do not hold sound pictures.
    bool useCached(std::span<const std::uint8_t> section);

    // The decoded picture of a file; empty on failure, saying why, as
    // loadImage does.
    ImageFile load(const std::string& path);

    // Keep what load decodes from now on, for encode.
    void keep() { keeping = true; }
    // The kept pictures as an entry's section.
    std::string encode() const;

    // Every file load was asked for, in order.
    const std::vector<std::string>& files() const { return asked; }

    // Forgets everything and stops keeping.
    void clear();

private:
    struct Picture {
        int width = 0;
        int height = 0;
        const std::uint8_t* pixels = nullptr;
        ImageFile owned;
    };
    std::unordered_map<std::string, Picture> pictures;
    std::vector<std::string> asked;
    bool keeping = false;
};

}  // namespace qm
