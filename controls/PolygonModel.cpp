#include "controls/PolygonModel.h"

#include "controls/Random.h"

void TPolygonModel::Place(TRandom& random, int width, int height) {
    for (int i = 0; i < kCornerCount; ++i) {
        FCorners[i].X = random.Random(width - 2) + 1;
        FCorners[i].Y = random.Random(height - 2) + 1;
        FVelocities[i].X = random.Random(2 * kMaxSpeed + 1) - kMaxSpeed;
        FVelocities[i].Y = random.Random(2 * kMaxSpeed + 1) - kMaxSpeed;
    }
    FCorners[kCornerCount] = FCorners[0];
}

void TPolygonModel::Step(TRandom& random, int width, int height) {
    for (int i = 0; i < kCornerCount; ++i) {
        TPolygonPoint& corner = FCorners[i];
        TPolygonPoint& velocity = FVelocities[i];
        corner.X += velocity.X;
        corner.Y += velocity.Y;
        // The draws must come in this order, x low, y low, x high, y high, to replay a seed.
        if (corner.X < 0) {
            velocity.X = random.Random(kMaxSpeed) + 1;
            corner.X = 1;
        }
        if (corner.Y < 0) {
            velocity.Y = random.Random(kMaxSpeed) + 1;
            corner.Y = 1;
        }
        if (corner.X > width - 1) {
            velocity.X = -(random.Random(kMaxSpeed) + 1);
            corner.X = width - 2;
        }
        if (corner.Y > height - 1) {
            velocity.Y = -(random.Random(kMaxSpeed) + 1);
            corner.Y = height - 2;
        }
    }
    FCorners[kCornerCount] = FCorners[0];
}

void TPolygonModel::SetCorner(int corner, TPolygonPoint position, TPolygonPoint velocity) {
    if (corner < 1 || corner > kCornerCount)
        return;
    FCorners[corner - 1] = position;
    FVelocities[corner - 1] = velocity;
    FCorners[kCornerCount] = FCorners[0];
}
