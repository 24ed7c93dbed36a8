#include "ModelReader.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/postprocess.h>

#include <algorithm>
#include <stdexcept>

#include "SceneCache.h"

namespace qm {

namespace {

// Notes every file the reader opens, so that the viewer can tell when one
// of them changes (a material file, a glTF buffer); one it could not open
// too, so that the viewer can tell when it appears.
class RecordingFileSystem : public Assimp::DefaultIOSystem {
public:

    Assimp::IOStream* Open(const char* file, const char* mode) override
    {
        opened.push_back(recordedPath(file));
        return DefaultIOSystem::Open(file, mode);
    }

    std::vector<std::string> opened;
};

template <typename Read>
const aiScene* readChecked(Assimp::Importer& reader, Read read, std::string& error)
{
    const aiScene* scene = nullptr;
    try {
        scene = read();
        error = reader.GetErrorString();
    } catch (const std::exception& thrown) {
        error = thrown.what();
    }
    if (scene && (scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE || !scene->mRootNode)) {
        scene = nullptr;
        if (error.empty())
            error = "the file holds no complete scene";
    }
    return scene;
}

// The structure check refuses a mesh of vertices alone, which is what a
// scanner's point cloud is; such a file is read again without it (the
// conversion makes each vertex a point, and the viewer checks the scene data
// it gets whatever the reader did).
bool isPointCloudRefusal(const std::string& error)
{
    return error.find("contains no faces") != std::string::npos;
}

constexpr unsigned pointCloudReadFlags = modelReadFlags & ~unsigned(aiProcess_ValidateDataStructure);

}  // namespace

const aiScene* readModelFile(Assimp::Importer& reader, const std::string& path, std::string& error,
                             std::vector<std::string>* opened)
{
    // The reader owns it, and deletes it with itself or with the next handler.
    auto* recording = new RecordingFileSystem;
    reader.SetIOHandler(recording);
    const aiScene* scene = readChecked(reader, [&] { return reader.ReadFile(path, modelReadFlags); }, error);
    if (!scene && isPointCloudRefusal(error))
        scene = readChecked(reader, [&] { return reader.ReadFile(path, pointCloudReadFlags); }, error);
    std::vector<std::string> files = std::move(recording->opened);
    if (opened) {
        const std::string self = recordedPath(path);
        for (std::string& file : files)
            if (file != self && std::find(opened->begin(), opened->end(), file) == opened->end())
                opened->push_back(std::move(file));
    }
    return scene;
}

}  // namespace qm
