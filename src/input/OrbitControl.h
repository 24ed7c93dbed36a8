#pragma once

#include <glm/gtc/quaternion.hpp>

#include "Camera.h"
#include "ModelFraming.h"

namespace qm {

// The inspecting camera of an opened model: it turns, pans and zooms the
// view around a pivot, as model viewers do. A turntable yaws about the up
// axis (+Y, where the model's placement puts the file's up) and keeps the
// pitch short of the poles; a trackball turns freely, over the poles and
// rolling. Each change sets a goal that the view eases towards, at the same
// pace whatever the frame rate. GL-free; the window's input calls it and
// puts its view on the scene's camera.
class OrbitControl {
public:
    enum class Rotation { Turntable, Trackball };

    // Where the view stands: its pivot, its distance from it and its angles
    // (degrees, as the camera's); a trackball's whole turn is `orientation`,
    // which takes the view's ahead (-Z) and up (+Y) to the world's.
    struct View {
        glm::vec3 pivot{0.0f};
        float distance = 1.0f;
        float yaw = 0.0f;
        float pitch = 0.0f;
        glm::quat orientation{1.0f, 0.0f, 0.0f, 0.0f};
    };

    // Around the model's framed start view: the pivot at the framed box's centre.
    explicit OrbitControl(const Framing& start, Rotation rotation = Rotation::Turntable);

    // The mouse's motion over the window, in pixels: a turn by 0.3 degrees a
    // pixel, dragging the model along (right turns it to the right); a
    // trackball turns about the view's own up and right axes.
    void turn(float dx, float dy);
    // Moves the pivot across the view so that the point under the cursor
    // follows it, in a window `height` pixels high.
    void pan(const Camera& camera, float dx, float dy, float height);
    // Wheel steps (positive: in), towards the point at the pivot's depth
    // under the cursor, given in the view's -1 to 1 coordinates. The
    // distance shrinks by a share a step, so the pivot is never passed.
    void zoom(const Camera& camera, float steps, float ndcX, float ndcY);
    // The whole model framed again, as at the start.
    void frame();
    // Turns about `point` from now on, easing the view to look at it from
    // where the camera stands.
    void pivotOn(const glm::vec3& point);
    // From the front, the right or the top of the model (as placed), or
    // from the opposite side of where the view now looks.
    enum class Side { Front, Right, Top, Opposite };
    void lookFrom(Side side);
    // Looks as the file's camera does, turning about the point ahead of it
    // at the depth of the framed box's centre (a turntable keeps its up).
    void lookAlong(const FileView& view);
    // Takes up a view that another control left on the camera (the fly
    // camera's), turning about the point at the current distance ahead.
    void takeOver(const Camera& camera);

    // Eases the view towards the goal over `seconds`; false when it is
    // there and the camera needs nothing more.
    bool advance(float seconds);
    // Puts the view on the camera: place, angles, near and far planes that
    // keep the model whole however close it comes, the focus moved with the
    // distance, and the height an orthographic camera shows.
    void apply(Camera& camera);

    const View& view() const { return current; }
    const View& target() const { return goal; }

private:
    // Where the goal looks.
    glm::vec3 goalFront() const;
    // The goal's orientation after its angles changed.
    void orientGoal();

    Framing start;
    Rotation rotation;
    View current;
    View goal;
    // The distance the camera's planes and focus were last set for.
    float appliedDistance = 0.0f;
};

}  // namespace qm
