#pragma once

#include <string>

#include "UserModel.h"

namespace qm {

// What kind of scene an import builds, decided once: the shipped scene by
// its own rules, or a user's file as it stands. Each rule is read at the
// one place it applies.
struct ImportPolicy {
    // A material the table does not name gets the standard or the diffuse
    // program (a user's file); otherwise its node and subtree are left out.
    bool defaultPrograms = false;
    // A material without a diffuse picture is drawn in its own colour.
    bool ownColour = false;
    // Every mesh of a node is drawn, shared by index; otherwise a node's
    // first mesh, shared by name.
    bool everyMesh = false;
    // The file's point lights keep their colour and attenuation; otherwise
    // every light gets the fixed parameters its name selects.
    bool fileLights = false;
    // The glimmets and the lights move.
    bool animated = true;
    // The file's own clips move its nodes, skins and morph targets.
    bool fileMotion = false;
    LodMethod lod = LodMethod::Builtin;
    // A single small picture: no simplified levels are built or taken from
    // the cache (every level is the mesh itself).
    bool thumbnail = false;
    // The level-of-detail build's console: the shipped scene's marks, or a
    // line per mesh.
    bool progressMarks = true;
    // Names what the build makes of a file, for the cache key.
    std::string build = "shipped scene";
    // Whether a file read anew is added to the cache.
    bool addsToCache = true;

    static ImportPolicy shippedScene() { return {}; }
    static ImportPolicy userFile(const UserModel& model)
    {
        ImportPolicy policy;
        policy.defaultPrograms = policy.ownColour = policy.everyMesh = policy.fileLights = policy.fileMotion = true;
        policy.animated = policy.progressMarks = false;
        policy.lod = model.lod;
        policy.thumbnail = model.thumbnail;
        policy.build = model.lod == LodMethod::Builtin ? "user file, built-in levels" : "user file, levels keeping borders";
        // A thumbnail takes the scene data and pictures of the entry a plain
        // open keeps, and adds none: a file manager asks for every file it
        // shows, and its entries would push the viewer's own out.
        policy.addsToCache = !model.thumbnail;
        return policy;
    }
};

}  // namespace qm
