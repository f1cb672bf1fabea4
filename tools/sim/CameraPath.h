#pragma once

#include <string>
#include <vector>

#include "math/Vector3.h"

// A camera path read from a CSV file, one row per frame: where the eye stands and where it
// looks after that frame's update. Columns are found by name in the header, so a trace of
// an earlier run plays as it is; any other column is ignored.
class k_CameraPath {
public:
    struct Frame {
        long frame = 0;
        double t = 0.0;
        k_Vector3 eye;
        k_Vector3 lookAt;
        /// From up_x, up_y, up_z when the file has them; else the camera levels itself.
        bool hasUp = false;
        k_Vector3 up;
        /// From a trace's relocations column: the frame pushed the camera out of a body,
        /// which the turn-rate figures leave out as the run that wrote it did.
        long relocations = 0;
    };

    /// Columns every path must have.
    static const char* requiredColumns();

    /// Reads the first `frames` rows of `path`, which must be frames 1, 2, ... in order at
    /// times frame * dt; rows after those are not read. False with one line in `error`
    /// naming the file and the line: a missing column, a value that is no finite number, a
    /// frame out of order or at another time, or fewer rows than `frames`.
    bool read(const std::string& path, long frames, double dt, std::string& error);

    const std::vector<Frame>& getFrames() const { return rows; }
    bool hasUp() const { return upColumns; }

private:
    std::vector<Frame> rows;
    bool upColumns = false;
};
