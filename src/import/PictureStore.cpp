#include "PictureStore.h"

#include "ByteCodec.h"

namespace qm {

namespace {

// A view of pixels that someone else owns.
ImageFile view(int width, int height, const std::uint8_t* pixels)
{
    ImageFile image;
    image.width = width;
    image.height = height;
    image.pixels = {const_cast<std::uint8_t*>(pixels), [](void*) {}};
    return image;
}

}  // namespace

bool PictureStore::useCached(std::span<const std::uint8_t> section)
{
    ByteReader in(section);
    const std::size_t count = in.count(24);
    std::unordered_map<std::string, Picture> cached;
    for (std::size_t i = 0; i < count && in.ok(); ++i) {
        const std::string path = in.text();
        Picture picture;
        picture.width = in.value<std::int32_t>();
        picture.height = in.value<std::int32_t>();
        const std::uint64_t size = in.value<std::uint64_t>();
        const std::span<const std::uint8_t> pixels = in.bytes(size);
        if (!in.ok() || picture.width <= 0 || picture.height <= 0 ||
            size != std::uint64_t(picture.width) * std::uint64_t(picture.height) * 4)
            return false;
        picture.pixels = pixels.data();
        cached[path] = std::move(picture);
    }
    if (!in.ok() || !in.atEnd())
        return false;
    pictures = std::move(cached);
    return true;
}

ImageFile PictureStore::load(const std::string& path)
{
    asked.push_back(path);
    if (const auto found = pictures.find(path); found != pictures.end())
        return view(found->second.width, found->second.height, found->second.pixels);
    ImageFile image = loadImage(path);
    if (!image || !keeping)
        return image;
    Picture& kept = pictures[path];
    kept.width = image.width;
    kept.height = image.height;
    kept.pixels = image.pixels.get();
    kept.owned = std::move(image);
    return view(kept.width, kept.height, kept.pixels);
}

std::string PictureStore::encode() const
{
    ByteWriter out;
    out.value(std::uint64_t(pictures.size()));
    for (const auto& [path, picture] : pictures) {
        out.text(path);
        out.value(std::int32_t(picture.width));
        out.value(std::int32_t(picture.height));
        out.array(std::span<const std::uint8_t>(picture.pixels, std::size_t(picture.width) * picture.height * 4));
    }
    return std::move(out.bytes);
}

void PictureStore::clear()
{
    pictures.clear();
    asked.clear();
    keeping = false;
}

}  // namespace qm
