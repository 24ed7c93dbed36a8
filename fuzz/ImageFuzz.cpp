// The image module on any bytes, read through its own file path as the
// viewer reads textures: the bytes go into an in-memory file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ImageFile.h"

namespace {

int memoryFile()
{
    static const int fd = memfd_create("image", 0);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = memoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        std::abort();
    const qm::ImageFile image = qm::loadImage("/proc/self/fd/" + std::to_string(fd));
    if (image) {
        if (image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384)
            std::abort();
        // Every pixel is there to be read: the uploads read all of them.
        const std::size_t bytes = std::size_t(image.width) * std::size_t(image.height) * 4;
        volatile std::uint8_t sum = 0;
        for (std::size_t i = 0; i < bytes; i += 4093)
            sum = std::uint8_t(sum + image.pixels.get()[i]);
        sum = std::uint8_t(sum + image.pixels.get()[bytes - 1]);
    } else if (image.error.empty()) {
        std::abort();  // a failure always says why
    }
    return 0;
}
