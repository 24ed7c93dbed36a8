#include "MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

MappedFile::MappedFile(const std::string& path)
{
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return;
    struct stat status {};
    if (::fstat(file, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        void* mapped = ::mmap(nullptr, std::size_t(status.st_size), PROT_READ, MAP_PRIVATE, file, 0);
        if (mapped != MAP_FAILED) {
            address = mapped;
            size = std::size_t(status.st_size);
        }
    }
    ::close(file);
}

MappedFile::~MappedFile()
{
    if (address)
        ::munmap(address, size);
}

}  // namespace qm
