#include "Screenshot.h"

#include <GL/glew.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

// Internal linkage: the asset generator links its own copy.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace qm {

bool writeScreenshot(const std::string& path, int width, int height)
{
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // GL's rows start at the bottom.
    stbi_flip_vertically_on_write(1);
    errno = 0;
    if (!stbi_write_png(path.c_str(), width, height, 3, pixels.data(), width * 3)) {
        std::cerr << "Could not write the screenshot \"" << path << "\": "
                  << (errno ? std::strerror(errno) : "the PNG encoder failed") << "." << std::endl;
        return false;
    }
    return true;
}

}  // namespace qm
