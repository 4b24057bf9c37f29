#pragma once

// The wandering outline without a screen: four corners that move by their own velocities each
// step and bounce off the edges of a rectangle, and a fifth that repeats the first to close
// the outline.

#include <array>
#include <cstdint>

class TRandom;

struct TPolygonPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPolygonPoint&, const TPolygonPoint&) = default;
};

class TPolygonModel {
public:
    static constexpr int kCornerCount = 4;
    static constexpr int kMaxSpeed = 5; // pixels per step along either axis

    // Element 0 is corner 1; element 4 always equals element 0.
    using TOutline = std::array<TPolygonPoint, kCornerCount + 1>;
    using TVelocities = std::array<TPolygonPoint, kCornerCount>;

    // Corners in 1 .. size - 2 on each axis, velocities in -5 .. +5 (0 included, so a corner
    // may stand still along an axis for good). Draws x, y, velocity x, velocity y per corner.
    void Place(TRandom& random, int width, int height);

    // Moves every corner by its velocity. A corner that left the rectangle 0 .. width - 1,
    // 0 .. height - 1 is put back one pixel inside and sent inwards at a new random speed;
    // only such a bounce draws from `random`.
    void Step(TRandom& random, int width, int height);

    const TOutline& Corners() const { return FCorners; }
    const TVelocities& Velocities() const { return FVelocities; }

    // Corner 1 .. 4; any other index is ignored.
    void SetCorner(int corner, TPolygonPoint position, TPolygonPoint velocity);

private:
    TOutline FCorners{};
    TVelocities FVelocities{};
};
