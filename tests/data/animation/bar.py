"""The bending bar of skinned-bar.gltf and skinned-bar.fbx: a square bar
2 m high and 40 cm wide of 8 segments, its lower half following the lower
bone, its upper half the bone 1 m up, the ring between them both."""

RINGS = 9
CORNERS = ((-0.2, -0.2), (0.2, -0.2), (0.2, 0.2), (-0.2, 0.2))


def bar_vertices(unit):
    """(x, y, z, weight of the upper bone) for each vertex, ring after ring
    from the bottom, in `unit`s a metre."""
    for r in range(RINGS):
        y = 2.0 * r / (RINGS - 1)
        upper = 0.0 if y < 1.0 else 1.0 if y > 1.0 else 0.5
        for x, z in CORNERS:
            yield x * unit, y * unit, z * unit, upper


def bar_quads():
    """The side quads' corners, counter-clockwise seen from outside."""
    for r in range(RINGS - 1):
        for c in range(len(CORNERS)):
            a, b = r * 4 + c, r * 4 + (c + 1) % 4
            yield a, a + 4, b + 4, b
