#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/sim/CameraPath.h"

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = "/tmp/veltrava_camera_path_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const std::string header = "frame,t,cam_x,cam_y,cam_z,look_x,look_y,look_z\n";

TEST(CameraPath, ReadsColumnsByNameAndIgnoresTheRest) {
    // Columns in another order, an extra one with a value no number, CR LF line ends, a
    // blank line, and more rows than the run needs.
    const std::string path = writeFile(
        "by_name.csv", "look_z,cam_x,note,t,frame,cam_y,cam_z,look_x,look_y,up_x,up_y,up_z,"
                       "relocations\r\n"
                       "-1,1.5,nan,0.5,1,2,3,0,0,0,1,0,0\r\n"
                       "\r\n"
                       "-2,2.5,x,1,2,2,3,0,0,0,1,0,4\r\n"
                       "-3,garbage,x,1.5,3,2,3,0,0,0,1,0,0\r\n");
    k_CameraPath camera;
    std::string error;
    ASSERT_TRUE(camera.read(path, 2, 0.5, error)) << error;
    ASSERT_EQ(camera.getFrames().size(), 2u);
    const k_CameraPath::Frame& second = camera.getFrames()[1];
    EXPECT_EQ(second.frame, 2);
    EXPECT_FLOAT_EQ(second.eye.x, 2.5f);
    EXPECT_FLOAT_EQ(second.lookAt.z, -2.0f);
    EXPECT_TRUE(second.hasUp);
    EXPECT_EQ(second.relocations, 4);
    std::remove(path.c_str());
}

TEST(CameraPath, RefusesWithOneLineNamingTheFileAndTheLine) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"empty", "", ":1: empty"},
        {"missing_column", "frame,t,cam_x,cam_z,look_x,look_y,look_z\n1,0.5,0,0,0,0,0\n",
         ":1: no column cam_y"},
        {"not_a_number", header + "1,0.5,0,0,0,0,0,0\n2,1,0,1.5x,0,0,0,0\n",
         ":3: cam_y is '1.5x', not a finite number"},
        {"not_finite", header + "1,0.5,0,0,inf,0,0,0\n", ":2: cam_z is 'inf', not a finite"},
        {"nan", header + "1,0.5,0,0,0,nan,0,0\n", ":2: look_x is 'nan'"},
        {"empty_value", header + "1,0.5,0,0,0,0,,0\n", ":2: look_y is ''"},
        {"too_large", header + "1,0.5,1e39,0,0,0,0,0\n", ":2: cam_x 1e39 is beyond the range"},
        {"out_of_order", header + "1,0.5,0,0,0,0,0,0\n3,1.5,0,0,0,0,0,0\n",
         ":3: frame 3 where frame 2 comes next"},
        {"repeated", header + "1,0.5,0,0,0,0,0,0\n1,0.5,0,0,0,0,0,0\n",
         ":3: frame 1 where frame 2 comes next"},
        {"other_time_step", header + "1,0.25,0,0,0,0,0,0\n",
         ":2: t 0.25 is not frame 1's time 0.5"},
        {"short_row", header + "1,0.5,0,0,0,0,0\n", ":2: 7 values where the header names 8"},
        {"too_short", header + "1,0.5,0,0,0,0,0,0\n2,1,0,0,0,0,0,0\n",
         ":3: the camera path ends at frame 2 but the run has 3 frames (1.5 s at dt 0.5)"},
        {"no_frame", header, ":1: the camera path has no frame but the run has 3 frames"},
    };
    for (const Case& c : cases) {
        const std::string path = writeFile(c.name, c.text);
        k_CameraPath camera;
        std::string error;
        EXPECT_FALSE(camera.read(path, 3, 0.5, error)) << c.name;
        EXPECT_EQ(error.find(path + c.expected), 0u) << c.name << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(camera.getFrames().empty()) << c.name;
        std::remove(path.c_str());
    }
    k_CameraPath camera;
    std::string error;
    EXPECT_FALSE(camera.read("/nonexistent/path.csv", 3, 0.5, error));
    EXPECT_EQ(error,
              "cannot read the camera path /nonexistent/path.csv: No such file or directory");
}

} // namespace
