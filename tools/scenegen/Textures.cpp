#include "Textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "Noise.h"

namespace scenegen {

namespace {

using glm::mix;
using glm::smoothstep;
using glm::vec2;
using glm::vec3;

// ----------------------------------------------------------------------------
// Tiling noise

int wrapIndex(int i, int period)
{
    const int m = i % period;
    return m < 0 ? m + period : m;
}

// Fractal noise with `freq` lattice cells across the unit square, so it tiles there.
float tiled(vec2 uv, int freq, int octaves, std::uint32_t seed)
{
    return fbm(uv * float(freq), octaves, seed, freq);
}

// Fractal noise with a different number of lattice cells across and down, for
// grain, strands and streaks. The shared noise wraps both axes at one period,
// so this keeps its own lattice.
float streak(vec2 uv, glm::ivec2 freq, int octaves, std::uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const vec2 p = uv * vec2(freq);
        const vec2 cell = glm::floor(p);
        const vec2 f = p - cell;
        const vec2 s = f * f * (3.0f - 2.0f * f);
        const int x = int(cell.x);
        const int y = int(cell.y);
        const std::uint32_t octaveSeed = seed + std::uint32_t(o) * 101u;
        const auto corner = [&](int dx, int dy) {
            return hash01(wrapIndex(x + dx, freq.x), wrapIndex(y + dy, freq.y), 7, octaveSeed);
        };
        sum += amplitude * mix(mix(corner(0, 0), corner(1, 0), s.x), mix(corner(0, 1), corner(1, 1), s.x), s.y);
        total += amplitude;
        freq *= 2;
        amplitude *= 0.5f;
    }
    return sum / total;
}

// A random number in [0, 1) tied to a cell; `k` picks one of several.
float random01(std::uint32_t id, int k)
{
    return hash01(std::int32_t(id), k, 11);
}

// The nearest point of a jittered grid (count.x by count.y points over the unit
// square, wrapping), measured in cell widths. Where the cells are not square on
// the image, `shape` gives their width and height there so the border distance
// is in even units and borders keep an even width in every direction.
struct CellSample {
    float distance = 1e9f;  // to the nearest point
    float border = 1e9f;    // to the edge of its cell (only when asked for)
    vec2 offset{0.0f};      // from the nearest point to the sample
    std::uint32_t id = 0;   // the same for a cell on both sides of the wrap
};

CellSample cells(vec2 uv, glm::ivec2 count, std::uint32_t seed, bool withBorder = false, float jitter = 0.8f,
                 vec2 shape = vec2(1.0f))
{
    const vec2 grid = uv * vec2(count);
    const glm::ivec2 home(glm::floor(grid));
    const auto pointFrom = [&](glm::ivec2 c, std::uint32_t& id) {
        id = hash(wrapIndex(c.x, count.x), wrapIndex(c.y, count.y), 3, seed);
        const vec2 j(float(id & 0xFFFFu) / 65535.0f, float(id >> 16) / 65535.0f);
        return vec2(c) + 0.5f + (j - 0.5f) * jitter - grid;
    };

    CellSample nearest;
    glm::ivec2 nearestCell(0);
    vec2 nearestPoint(0.0f);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            std::uint32_t id = 0;
            const vec2 p = pointFrom(home + glm::ivec2(dx, dy), id);
            const float d = glm::length(p);
            if (d < nearest.distance) {
                nearest.distance = d;
                nearest.id = id;
                nearestCell = home + glm::ivec2(dx, dy);
                nearestPoint = p;
            }
        }
    nearest.offset = -nearestPoint;
    if (!withBorder)
        return nearest;

    // The distance to each bisector between the nearest point and its neighbours,
    // after stretching the grid to the cells' shape on the image (a stretch keeps
    // the bisectors straight but turns their normals by the inverse stretch).
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            std::uint32_t id = 0;
            const vec2 p = pointFrom(nearestCell + glm::ivec2(dx, dy), id);
            const vec2 normal = (p - nearestPoint) / shape;
            const float len = glm::length(normal);
            if (len > 1e-5f)
                nearest.border = std::min(nearest.border, glm::dot(0.5f * (nearestPoint + p) * shape, normal / len));
        }
    return nearest;
}

// Short straight strokes tapering to points, one from each of count by count
// cells at a random angle: grass blades, gorse spines. Lengths and widths are
// in cells; halfLength must stay at most 1. The strongest stroke over a texel wins.
struct Stroke {
    float cover = 0.0f;  // 0 off the stroke, 1 on its middle
    std::uint32_t id = 0;
};

Stroke strokes(vec2 uv, int count, std::uint32_t seed, float halfLength, float halfWidth)
{
    const vec2 grid = uv * float(count);
    const glm::ivec2 home(glm::floor(grid));
    Stroke strongest;
    // Strokes are at most a cell from their centre, so the neighbouring cells hold every one that can reach here.
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const glm::ivec2 c = home + glm::ivec2(dx, dy);
            const std::uint32_t id = hash(wrapIndex(c.x, count), wrapIndex(c.y, count), 9, seed);
            const vec2 centre = vec2(c) + vec2(float(id & 0xFFFFu), float(id >> 16)) / 65535.0f;
            const vec2 heading = vec2(random01(id, 0), random01(id, 1)) - 0.5f;
            const vec2 dir = heading / std::max(glm::length(heading), 1e-4f);
            const vec2 rel = grid - centre;
            const float along = glm::dot(rel, dir) / halfLength;
            if (std::abs(along) >= 1.0f)
                continue;
            const float width = halfWidth * (1.0f - along * along);
            const float cover = smoothstep(width, width * 0.4f, std::abs(glm::dot(rel, vec2(-dir.y, dir.x))));
            if (cover > strongest.cover)
                strongest = {cover, id};
        }
    return strongest;
}

// Rows of blocks laid like masonry: `rows` courses down the tile, each cut into
// `perRow` blocks, every other course shifted by half a block, each joint
// moved by up to half of `jitter` blocks. Assumes the tile is square on the image.
struct Block {
    vec2 inside{0.0f};     // position within the block: 0..1 across, 0..1 down
    float edge = 0.0f;     // distance to the nearest joint, in course heights
    int row = 0;           // which course, 0..rows-1
    std::uint32_t id = 0;  // the same for a block on both sides of the wrap
};

Block courses(vec2 uv, int rows, int perRow, float jitter, std::uint32_t seed)
{
    const float y = uv.y * float(rows);
    const float rowStart = std::floor(y);
    const int row = wrapIndex(int(rowStart), rows);
    const float x = uv.x * float(perRow) + (row % 2 ? 0.5f : 0.0f);
    const auto joint = [&](int k) {
        return float(k) + jitter * (hash01(wrapIndex(k, perRow), row, 5, seed) - 0.5f);
    };
    int k = int(std::floor(x));
    if (x < joint(k))
        --k;
    else if (x >= joint(k + 1))
        ++k;
    const float left = joint(k);
    const float right = joint(k + 1);

    Block b;
    b.inside = vec2((x - left) / (right - left), y - rowStart);
    const float sideways = std::min(x - left, right - x) * float(rows) / float(perRow);
    b.edge = std::min(sideways, std::min(b.inside.y, 1.0f - b.inside.y));
    b.row = row;
    b.id = hash(wrapIndex(k, perRow), row, 6, seed);
    return b;
}

// A rounded bump of radius r over a distance d from its centre.
float dome(float d, float r)
{
    const float x = d / r;
    return x < 1.0f ? std::sqrt(1.0f - x * x) : 0.0f;
}

// An offset expressed along and across a direction at `angle` radians.
vec2 alongAcross(vec2 offset, float angle)
{
    const vec2 axis(std::cos(angle), std::sin(angle));
    return {glm::dot(offset, axis), glm::dot(offset, vec2(-axis.y, axis.x))};
}

template <std::size_t N>
vec3 pick(const vec3 (&palette)[N], float r)
{
    return palette[std::min(std::size_t(r * float(N)), N - 1)];
}

// ----------------------------------------------------------------------------
// Surfaces and the maps made from them

// What a material computes for one texel; the maps of a material all come
// from these so diffuse, specular and normal agree.
struct Texel {
    vec3 colour{0.0f};
    float height = 0.0f;  // in units of the normal map's depth
    float specular = 0.0f;
    float alpha = 1.0f;
};

struct Surface {
    int size = 0;
    std::vector<Texel> texels;

    const Texel& at(int x, int y) const
    {
        return texels[std::size_t(wrapIndex(y, size)) * std::size_t(size) + std::size_t(wrapIndex(x, size))];
    }
};

template <typename Generator>
Surface paint(int size, Generator&& generate)
{
    Surface surface{size, std::vector<Texel>(std::size_t(size) * std::size_t(size))};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            surface.texels[std::size_t(y) * std::size_t(size) + std::size_t(x)] =
                generate((vec2(float(x), float(y)) + 0.5f) / float(size));
    return surface;
}

Image diffuseMap(const Surface& surface)
{
    Image image(surface.size, surface.size);
    for (int y = 0; y < surface.size; ++y)
        for (int x = 0; x < surface.size; ++x) {
            const Texel& t = surface.at(x, y);
            image.set(x, y, glm::vec4(t.colour, t.alpha));
        }
    return image;
}

// Box-filtered down to `size`, which must divide the surface's size.
Image specularMap(const Surface& surface, int size)
{
    const int factor = surface.size / size;
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float sum = 0.0f;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    sum += surface.at(x * factor + i, y * factor + j).specular;
            image.set(x, y, glm::vec4(vec3(sum / float(factor * factor)), 1.0f));
        }
    return image;
}

// Sobel slopes of the height field, wrapping at the edges so the map tiles.
// `depth` is how deep one unit of height is, as a fraction of the tile's width.
Image normalMap(const Surface& surface, float depth)
{
    // A Sobel sum spans two texels with total weight four; this turns it into a slope per tile width.
    const float scale = depth * float(surface.size) / 8.0f;
    Image image(surface.size, surface.size);
    for (int y = 0; y < surface.size; ++y)
        for (int x = 0; x < surface.size; ++x) {
            const auto h = [&](int dx, int dy) { return surface.at(x + dx, y + dy).height; };
            const float right = h(1, -1) + 2.0f * h(1, 0) + h(1, 1) - h(-1, -1) - 2.0f * h(-1, 0) - h(-1, 1);
            const float down = h(-1, 1) + 2.0f * h(0, 1) + h(1, 1) - h(-1, -1) - 2.0f * h(0, -1) - h(1, -1);
            // Rows run down the image but green points up, so the downward slope keeps its sign.
            const vec3 n = glm::normalize(vec3(-right * scale, down * scale, 1.0f));
            image.set(x, y, glm::vec4(n * 0.5f + 0.5f, 1.0f));
        }
    return image;
}

// ----------------------------------------------------------------------------
// Materials. Each maps a texture coordinate in [0, 1)^2 to a texel.

Texel heather(vec2 uv)
{
    // Heather grows in small rounded tufts of wiry twigs, flowering on top.
    const CellSample tuft = cells(uv, {28, 28}, 103);
    const float tuftHeight = dome(tuft.distance, 0.7f + 0.3f * random01(tuft.id, 0));

    // Broad patches decide what covers the ground: mostly heather, some dry grass,
    // pockets of wet peat. The tufts make the edges of heather patches lumpy.
    const float heatherCover = smoothstep(0.36f, 0.42f, tiled(uv, 3, 4, 101) + 0.12f * (tuftHeight - 0.5f));
    const float peat = smoothstep(0.64f, 0.7f, tiled(uv, 6, 4, 102)) * (1.0f - 0.7f * heatherCover);

    const float twigs = tiled(uv, 192, 2, 104);
    const Stroke twig = strokes(uv, 224, 105, 0.9f, 0.16f);
    const vec3 leaves = mix(vec3(0.10f, 0.10f, 0.05f), vec3(0.26f, 0.27f, 0.13f), twigs);
    const vec3 stems = mix(leaves, vec3(0.09f, 0.06f, 0.04f), twig.cover * 0.7f) * (0.45f + 0.55f * tuftHeight);
    // Flowers come in little spikes, on some tufts and in some patches more than others.
    const CellSample floret = cells(uv, {192, 192}, 106);
    const float bloom = smoothstep(0.25f, 0.65f, tiled(uv, 5, 3, 107)) * (0.4f + 0.9f * random01(tuft.id, 1));
    const float spikes = smoothstep(0.4f, 0.7f, tiled(uv, 40, 2, 108));
    const float flower = random01(floret.id, 0) < bloom * spikes * tuftHeight * 1.4f
        ? smoothstep(0.5f, 0.25f, floret.distance)
        : 0.0f;
    const vec3 purple = mix(vec3(0.42f, 0.20f, 0.42f), vec3(0.66f, 0.36f, 0.58f), random01(tuft.id, 2));
    const vec3 heatherColour = mix(stems, purple * (0.75f + 0.4f * random01(floret.id, 1)), flower);

    // Dry grass: a straw-coloured mat of blades.
    const Stroke blade = strokes(uv, 96, 109, 0.95f, 0.14f);
    const float matting = tiled(uv, 48, 3, 110);
    const vec3 mat = mix(vec3(0.17f, 0.15f, 0.08f), vec3(0.38f, 0.34f, 0.20f), matting);
    const vec3 strawPalette[] = {{0.66f, 0.59f, 0.38f}, {0.55f, 0.49f, 0.30f}, {0.44f, 0.42f, 0.24f},
                                 {0.60f, 0.52f, 0.34f}, {0.38f, 0.40f, 0.22f}};
    const vec3 bladeColour = pick(strawPalette, random01(blade.id, 2));
    const vec3 grass = mix(mat, bladeColour, blade.cover);

    const vec3 peatColour = mix(vec3(0.07f, 0.055f, 0.045f), vec3(0.16f, 0.11f, 0.08f), matting);

    Texel t;
    t.colour = mix(mix(grass, heatherColour, heatherCover), peatColour, peat);
    t.height = mix(0.2f * matting + 0.2f * blade.cover, 0.8f * tuftHeight + 0.3f * twigs, heatherCover) *
        (1.0f - 0.8f * peat);
    t.specular = 0.06f + 0.04f * blade.cover * (1.0f - heatherCover) + 0.28f * peat;
    return t;
}

Texel stone(vec2 uv)
{
    const float mottle = tiled(uv, 5, 5, 201);
    // Granite is a mosaic of small crystals: pale feldspar, grey quartz, dark mica.
    const CellSample crystal = cells(uv, {140, 140}, 202);
    const float kind = random01(crystal.id, 0);
    const float tone = kind < 0.1f ? 0.72f : kind < 0.75f ? 0.96f : 1.08f;

    // A few fine cracks wander across the stone.
    const vec2 warp = vec2(tiled(uv, 6, 3, 203), tiled(uv, 6, 3, 204)) - 0.5f;
    const CellSample block = cells(uv + warp * 0.08f, {4, 4}, 205, true);
    const float crack =
        (1.0f - smoothstep(0.0f, 0.015f, block.border)) * smoothstep(0.55f, 0.65f, tiled(uv, 4, 2, 206));

    // Lichen grows in roundish rosettes with ragged edges, and in tiny specks.
    const CellSample rosette = cells(uv, {10, 10}, 207);
    const float ragged = tiled(uv, 64, 3, 208);
    const float size = random01(rosette.id, 1) * 0.35f;
    const float lichen = random01(rosette.id, 0) < 0.45f
        ? 1.0f - smoothstep(0.0f, 0.06f, rosette.distance - size - (ragged - 0.5f) * 0.25f)
        : 0.0f;
    const vec3 lichenPalette[] = {{0.60f, 0.62f, 0.44f}, {0.68f, 0.70f, 0.62f}, {0.52f, 0.56f, 0.40f},
                                  {0.66f, 0.52f, 0.32f}};
    const float speckle = smoothstep(0.74f, 0.78f, tiled(uv, 96, 2, 209));

    const vec3 rock = mix(vec3(0.42f, 0.42f, 0.41f), vec3(0.55f, 0.51f, 0.45f), mottle) * tone;
    Texel t;
    t.colour = mix(rock, pick(lichenPalette, random01(rosette.id, 2)) * (0.85f + 0.3f * ragged),
                   std::max(lichen * 0.75f, speckle * 0.5f));
    t.colour *= 1.0f - 0.55f * crack;
    t.height = 0.6f * mottle + 0.12f * tone + 0.15f * ragged * lichen - 0.4f * crack;
    t.specular = 0.3f + 0.25f * mottle + (kind > 0.88f ? 0.2f : 0.0f) - 0.15f * lichen;
    return t;
}

Texel moss(vec2 uv)
{
    // Patches with clumpy edges; inside them the moss forms small cushions.
    const float patches = tiled(uv, 4, 6, 301);
    const float clumps = tiled(uv, 48, 3, 302);
    const CellSample cushion = cells(uv, {40, 40}, 303);
    const float cushionHeight = dome(cushion.distance, 0.8f);

    Texel t;
    t.alpha = smoothstep(0.5f, 0.56f, patches + 0.25f * (clumps - 0.5f));
    t.colour = mix(vec3(0.14f, 0.24f, 0.06f), vec3(0.44f, 0.54f, 0.16f), clumps * 0.6f + cushionHeight * 0.4f);
    t.height = cushionHeight * t.alpha;
    return t;
}

Texel thatch(vec2 uv)
{
    // Courses of straw bundles, each tucked under the one above; the butt ends are ragged.
    constexpr int rows = 5;
    const float ragged = 0.08f * streak(uv, {96, 1}, 2, 401) + 0.12f * streak(uv, {6, 1}, 2, 402);
    const float v = uv.y * float(rows) + ragged;
    const int course = wrapIndex(int(std::floor(v)), rows);
    const float along = v - std::floor(v);  // 0 at the top of a course, 1 at its butt ends

    const std::uint32_t strandSeed = 403u + std::uint32_t(course) * 17u;
    const float strands = streak(uv, {128, 4}, 3, strandSeed);
    const float fibres = streak(uv, {384, 8}, 2, strandSeed + 1u);
    const float weathering = streak(uv, {6, 3}, 4, 404);

    // The course above shades the top of each one.
    const float shade = 0.5f + 0.5f * smoothstep(0.0f, 0.3f, along);
    const vec3 straw = mix(vec3(0.46f, 0.33f, 0.16f), vec3(0.80f, 0.63f, 0.34f), strands * 0.6f + fibres * 0.4f);
    const vec3 weathered = mix(straw, vec3(0.48f, 0.44f, 0.38f), smoothstep(0.5f, 0.75f, weathering) * 0.4f);

    Texel t;
    t.colour = weathered * shade;
    t.height = 0.7f * along + 0.35f * strands + 0.2f * fibres;
    t.specular = 0.05f + 0.06f * strands * shade;
    return t;
}

Texel whitewash(vec2 uv)
{
    // Rough coursed rubble under the lime.
    const vec2 warp = vec2(tiled(uv, 6, 3, 501), tiled(uv, 6, 3, 502)) - 0.5f;
    const Block stone = courses(uv + warp * 0.05f, 8, 5, 0.9f, 503);
    const float bumps = tiled(uv, 24, 4, 504);
    const float body = smoothstep(0.0f, 0.15f, stone.edge + 0.2f * (bumps - 0.5f));
    const float lime = tiled(uv, 16, 4, 505);
    // Grime runs down in faint streaks, heavier in some parts of the wall.
    const float grime =
        smoothstep(0.55f, 0.85f, streak(uv, {16, 2}, 3, 506)) * smoothstep(0.4f, 0.7f, tiled(uv, 3, 3, 507));

    const vec3 limeColour = mix(vec3(0.80f, 0.79f, 0.75f), vec3(0.91f, 0.90f, 0.86f), bumps);
    // Where the lime is thin the stone shows through faintly.
    const vec3 stoneColour = vec3(0.62f, 0.60f, 0.56f) * (0.85f + 0.3f * random01(stone.id, 0));
    const float showThrough = smoothstep(0.55f, 0.8f, lime) * 0.3f * body;

    Texel t;
    t.colour = mix(limeColour, stoneColour, showThrough) * (0.92f + 0.08f * body);
    t.colour = mix(t.colour, vec3(0.52f, 0.50f, 0.42f), grime * 0.35f);
    t.height = 0.5f * body + 0.4f * bumps + 0.1f * lime;
    t.specular = 0.05f + 0.05f * bumps * body;
    return t;
}

Texel slate(vec2 uv)
{
    // Rows run along u; each row hangs over the one below and is offset by half a slate.
    // The exposed lower edges are slightly uneven.
    const float ragged = 0.05f * streak(uv, {48, 1}, 1, 601);
    const Block tile = courses(vec2(uv.x, uv.y + ragged / 8.0f), 8, 6, 0.0f, 602);
    const float along = tile.inside.y;  // 0 where it comes out from under the row above, 1 at its edge

    const float gap = smoothstep(0.0f, 0.025f, tile.inside.x) * smoothstep(1.0f, 0.975f, tile.inside.x);
    const float grain = streak(uv, {96, 24}, 3, 603);
    const float tint = random01(tile.id, 0);
    const vec3 colour = mix(vec3(0.17f, 0.19f, 0.24f), vec3(0.27f, 0.29f, 0.34f), tint) +
        vec3(-0.02f, 0.0f, 0.03f) * (random01(tile.id, 1) - 0.5f);
    const float shade = 0.45f + 0.55f * smoothstep(0.0f, 0.3f, along);

    Texel t;
    t.colour = colour * (0.85f + 0.3f * grain) * shade * (0.3f + 0.7f * gap);
    t.height = (0.6f * along + 0.2f * random01(tile.id, 2) + 0.1f * grain) * gap;
    t.specular = (0.55f + 0.2f * grain + 0.1f * tint) * (0.4f + 0.6f * gap);
    return t;
}

Texel gravel(vec2 uv)
{
    const float soil = tiled(uv, 6, 5, 701);
    const float dust = tiled(uv, 64, 3, 702);
    const float grit = tiled(uv, 200, 1, 703);
    const vec3 earth = mix(vec3(0.22f, 0.17f, 0.12f), vec3(0.44f, 0.36f, 0.27f), soil * 0.6f + dust * 0.4f) *
        (0.85f + 0.3f * grit);

    Texel t;
    t.colour = earth;
    t.height = 0.2f * soil + 0.15f * dust + 0.1f * grit;
    t.specular = 0.08f;

    // Two sizes of pebbles pressed into the earth; the larger ones lie on top.
    // Each is an oval at its own angle with a slightly lumpy outline.
    const vec3 pebblePalette[] = {{0.52f, 0.50f, 0.47f}, {0.60f, 0.55f, 0.48f}, {0.40f, 0.39f, 0.38f},
                                  {0.55f, 0.46f, 0.37f}, {0.66f, 0.64f, 0.60f}, {0.45f, 0.40f, 0.34f}};
    const std::pair<glm::ivec2, float> layers[] = {{{44, 44}, 0.55f}, {{20, 20}, 0.35f}};
    std::uint32_t seed = 704;
    for (const auto& [count, chance] : layers) {
        const CellSample pebble = cells(uv, count, seed++);
        if (random01(pebble.id, 0) >= chance)
            continue;
        const vec2 shape = alongAcross(pebble.offset, random01(pebble.id, 3) * 3.1416f);
        const float squash = 0.55f + 0.45f * random01(pebble.id, 4);
        const float distance = glm::length(vec2(shape.x, shape.y / squash)) * (0.9f + 0.2f * dust);
        const float bump = dome(distance, 0.2f + 0.2f * random01(pebble.id, 1));
        if (bump <= 0.0f)
            continue;
        const vec3 colour = pick(pebblePalette, random01(pebble.id, 2)) * (0.85f + 0.3f * dust);
        t.colour = mix(t.colour, colour * (0.75f + 0.25f * bump), smoothstep(0.0f, 0.3f, bump));
        t.height = std::max(t.height, 0.3f + 0.6f * bump);
        t.specular = 0.14f + 0.1f * bump;
    }
    return t;
}

// The woodland atlas bands. Their u covers a third of the atlas, so a lattice
// there needs three times as many cells down as across for square cells.

Texel oakBark(vec2 uv)
{
    // Thick rounded plates, long along the trunk, split by deep wandering fissures.
    const float sway = streak(uv, {4, 8}, 2, 801) - 0.5f;
    const CellSample plate = cells(vec2(uv.x + 0.05f * sway, uv.y), {7, 6}, 802, true, 0.9f, vec2(1.0f, 3.5f));
    const float rough = tiled(uv, 32, 4, 803);
    const float width = 0.03f + 0.08f * streak(uv, {8, 24}, 2, 804);
    const float ridge = std::sqrt(smoothstep(width, width + 0.3f, plate.border + 0.12f * (rough - 0.5f)));
    // Fine cracks and fibres running along the plates.
    const float fibres = streak(uv, {48, 16}, 3, 805);
    const float cracks = smoothstep(0.08f, 0.0f, std::abs(fibres - 0.5f)) * 0.6f;
    const float algae = smoothstep(0.6f, 0.75f, streak(uv, {3, 9}, 3, 806)) * ridge;

    const vec3 fissure(0.05f, 0.04f, 0.035f);
    const vec3 top = mix(vec3(0.16f, 0.14f, 0.12f), vec3(0.36f, 0.33f, 0.28f), rough * 0.6f + ridge * 0.4f) *
        (0.85f + 0.3f * random01(plate.id, 0)) * (1.0f - cracks);
    Texel t;
    t.colour = mix(mix(fissure, top, ridge), vec3(0.22f, 0.28f, 0.15f) * (0.7f + 0.5f * rough), algae * 0.4f);
    t.height = ridge * (0.8f + 0.2f * rough) - 0.15f * cracks;
    t.specular = 0.04f + 0.06f * ridge;
    return t;
}

Texel birchBark(vec2 uv)
{
    // Lenticels: short dark horizontal dashes.
    const float dashes = smoothstep(0.72f, 0.8f, streak(uv, {5, 160}, 2, 811));
    // A few black scars, wider than tall, and grey roughness around them.
    const float scarNoise = streak(uv, {3, 24}, 4, 812);
    const float scars = smoothstep(0.72f, 0.76f, scarNoise);
    const float rough = smoothstep(0.55f, 0.72f, scarNoise);
    const float papery = streak(uv, {12, 96}, 3, 813);
    const float warmth = tiled(uv, 6, 3, 814);

    const vec3 white = mix(vec3(0.78f, 0.77f, 0.73f), vec3(0.92f, 0.90f, 0.87f), papery) +
        vec3(0.04f, 0.0f, -0.02f) * warmth;
    const vec3 grey(0.45f, 0.44f, 0.42f);
    const vec3 dark(0.09f, 0.085f, 0.08f);

    Texel t;
    t.colour = mix(mix(white, grey, rough * 0.4f), dark, std::max(dashes * 0.85f, scars));
    t.height = 0.3f * papery - 0.5f * dashes - 0.3f * scars + 0.2f * rough;
    t.specular = 0.1f + 0.08f * papery * (1.0f - scars);
    return t;
}

Texel foliage(vec2 uv)
{
    // Clumps of leaves: lighter where a clump bulges, darker in the gaps between.
    const float clump = streak(uv, {3, 9}, 4, 821);
    const vec3 greens[] = {{0.16f, 0.30f, 0.09f}, {0.24f, 0.40f, 0.12f}, {0.13f, 0.24f, 0.11f},
                           {0.32f, 0.44f, 0.15f}, {0.20f, 0.34f, 0.16f}};

    Texel t;
    t.colour = vec3(0.03f, 0.06f, 0.03f);
    t.specular = 0.1f;
    // Layers of leaves from the back to the front; each leaf is a pointed oval at its own angle.
    constexpr int layers = 4;
    for (int layer = 0; layer < layers; ++layer) {
        const CellSample leaf = cells(uv, {14, 42}, 822u + std::uint32_t(layer) * 13u);
        const vec2 shape = alongAcross(leaf.offset, random01(leaf.id, 0) * 6.2832f);
        const float along = shape.x;
        const float across = shape.y;
        const float length = 0.55f + 0.2f * random01(leaf.id, 1);
        const float halfWidth = 0.26f * (1.0f - (along / length) * (along / length));
        if (std::abs(along) > length || std::abs(across) > halfWidth)
            continue;
        const float depth = float(layer + 1) / float(layers);
        const float vein = smoothstep(0.0f, 0.03f, std::abs(across));
        const float light = (0.5f + 0.5f * depth) * (0.5f + 0.8f * clump) * (0.75f + 0.25f * vein);
        t.colour = pick(greens, random01(leaf.id, 2)) * light * (0.9f + 0.25f * along / length);
        t.height = depth + 0.2f * (1.0f - std::abs(across) / halfWidth);
        t.specular = 0.3f + 0.15f * depth;
    }

    // A few bunches of rowan berries.
    const CellSample berry = cells(uv, {26, 78}, 830);
    const float berryShape = dome(berry.distance, 0.36f);
    if (berryShape > 0.0f && random01(berry.id, 0) < 0.75f && streak(uv, {4, 12}, 2, 831) > 0.7f) {
        const float shine = smoothstep(0.14f, 0.0f, glm::length(berry.offset - vec2(-0.1f, -0.1f)));
        t.colour = mix(vec3(0.45f, 0.05f, 0.03f), vec3(0.82f, 0.17f, 0.06f), berryShape) + vec3(0.35f) * shine;
        t.height = 1.3f + 0.4f * berryShape;
        t.specular = 0.6f;
    }
    return t;
}

Texel woodland(vec2 uv)
{
    const float scaled = uv.x * 3.0f;
    const int band = std::min(int(scaled), 2);
    const vec2 local(scaled - float(band), uv.y);
    return band == 0 ? oakBark(local) : band == 1 ? birchBark(local) : foliage(local);
}

Texel wood(vec2 uv)
{
    // Planks along v, each with its own grain and a butt joint somewhere along it.
    const Block plank = courses(vec2(uv.y, uv.x), 4, 1, 0.9f, 901);
    const float grain = streak(uv, {64, 3}, 4, 902u + std::uint32_t(plank.row));
    const float fine = streak(uv, {256, 12}, 2, 903);
    const float seam = smoothstep(0.0f, 0.06f, plank.edge);
    const vec3 colour = mix(vec3(0.28f, 0.25f, 0.21f), vec3(0.52f, 0.48f, 0.42f), grain * 0.7f + fine * 0.3f) *
        (0.85f + 0.3f * random01(plank.id, 1));

    Texel t;
    t.colour = colour * (0.25f + 0.75f * seam);
    t.height = seam * (0.7f + 0.3f * grain);
    return t;
}

Texel gorse(vec2 uv)
{
    Texel t;
    t.colour = mix(vec3(0.04f, 0.07f, 0.03f), vec3(0.10f, 0.15f, 0.06f), tiled(uv, 32, 3, 1000));
    // Spines: short stiff strokes, three layers deep, lighter towards the front.
    for (int layer = 0; layer < 3; ++layer) {
        const Stroke spine = strokes(uv, 64, 1001u + std::uint32_t(layer), 0.9f, 0.13f);
        const vec3 green = mix(vec3(0.13f, 0.22f, 0.07f), vec3(0.30f, 0.40f, 0.14f), random01(spine.id, 2));
        t.colour = mix(t.colour, green * (0.6f + 0.2f * float(layer)), spine.cover);
        t.height = std::max(t.height, spine.cover * (0.4f + 0.3f * float(layer)));
    }

    // Many small flowers, thicker in some sprays than others.
    const CellSample flower = cells(uv, {52, 52}, 1003);
    const float spray = tiled(uv, 6, 3, 1004);
    const float frill = 0.06f * std::sin(5.0f * std::atan2(flower.offset.y, flower.offset.x));
    const float petals = dome(flower.distance, 0.3f + frill);
    if (petals > 0.0f && random01(flower.id, 0) < 0.15f + 0.55f * smoothstep(0.3f, 0.7f, spray)) {
        const vec3 yellow = mix(vec3(0.92f, 0.58f, 0.04f), vec3(1.0f, 0.87f, 0.18f), petals);
        t.colour = mix(t.colour, yellow * (0.85f + 0.15f * random01(flower.id, 1)), smoothstep(0.0f, 0.3f, petals));
        t.height = 1.0f;
    }
    return t;
}

// Four panes of warm light in a dark frame, uneven as through old glass.
Texel lamplight(vec2 uv)
{
    const vec2 pane = glm::fract(uv * 2.0f);
    const float frame = std::min(std::min(pane.x, 1.0f - pane.x), std::min(pane.y, 1.0f - pane.y));
    const float glass = smoothstep(0.04f, 0.08f, frame);
    const float uneven = tiled(uv, 4, 3, 1201);
    Texel t;
    t.colour = mix(vec3(0.10f, 0.07f, 0.05f), mix(vec3(1.0f, 0.6f, 0.24f), vec3(1.0f, 0.84f, 0.5f), uneven), glass);
    return t;
}

Texel glimmet(vec2 uv)
{
    const float shimmer = tiled(uv, 4, 4, 1101);
    const CellSample spot = cells(uv, {9, 9}, 1102);
    const float spots = smoothstep(0.32f, 0.12f, spot.distance) * (random01(spot.id, 0) < 0.6f ? 1.0f : 0.0f);
    // A little iridescence: the hue drifts through a rainbow as the shimmer changes.
    const float phase = shimmer * 12.0f;
    const vec3 rainbow(std::sin(phase), std::sin(phase + 2.1f), std::sin(phase + 4.2f));

    Texel t;
    t.colour = vec3(0.55f, 0.86f, 0.80f) + 0.08f * rainbow + vec3(0.35f, 0.14f, 0.2f) * spots;
    t.height = spots;
    return t;
}

}  // namespace

std::vector<TextureFile> materialTextures()
{
    std::vector<TextureFile> files;
    const auto addMaterial = [&files](const std::string& name, const std::string& diffuseExtension,
                                      const Surface& surface, int specularSize, float normalDepth) {
        files.push_back({"textures/" + name + "_d" + diffuseExtension, diffuseMap(surface)});
        files.push_back({"textures/" + name + "_s.png", specularMap(surface, specularSize)});
        files.push_back({"textures/" + name + "_n.png", normalMap(surface, normalDepth)});
    };

    addMaterial("heather", ".jpg", paint(1024, heather), 512, 0.004f);
    addMaterial("stone", ".jpg", paint(512, stone), 512, 0.006f);
    files.push_back({"textures/moss_d.png", diffuseMap(paint(512, moss))});
    addMaterial("thatch", ".jpg", paint(512, thatch), 256, 0.01f);
    addMaterial("whitewash", ".jpg", paint(512, whitewash), 256, 0.006f);
    addMaterial("slate", ".jpg", paint(512, slate), 256, 0.01f);
    addMaterial("gravel", ".jpg", paint(512, gravel), 256, 0.008f);
    addMaterial("woodland", ".png", paint(1024, woodland), 512, 0.006f);
    files.push_back({"textures/wood_d.png", diffuseMap(paint(256, wood))});
    files.push_back({"plants/gorse_d.png", diffuseMap(paint(512, gorse))});
    files.push_back({"creatures/glimmet_d.png", diffuseMap(paint(256, glimmet))});
    files.push_back({"textures/lamplight_d.png", diffuseMap(paint(256, lamplight))});
    return files;
}

}  // namespace scenegen
