#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "scenefile/SceneDescription.h"
#include "tools/sim/SvgPlot.h"

namespace {

TEST(SvgPlot, NiceStepsAreOneTwoOrFiveTimesAPowerOfTen) {
    EXPECT_DOUBLE_EQ(k_SvgPlot::niceStep(100.0, 8), 20.0);
    EXPECT_DOUBLE_EQ(k_SvgPlot::niceStep(100.0, 10), 10.0);
    EXPECT_DOUBLE_EQ(k_SvgPlot::niceStep(0.7, 8), 0.1);
    EXPECT_DOUBLE_EQ(k_SvgPlot::niceStep(640.0, 8), 100.0);
    // Degenerate spans fall back to 1 instead of looping or dividing by zero.
    EXPECT_DOUBLE_EQ(k_SvgPlot::niceStep(0.0, 8), 1.0);
    EXPECT_DOUBLE_EQ(k_SvgPlot::niceStep(1.0 / 0.0, 8), 1.0);
}

TEST(SvgPlot, TitleNamesTheSceneFileEscaped) {
    k_SvgPlot plot(k_WorldChoice::sceneFile("worlds/<a&b>.json", k_SceneDescription()), 0.016);
    plot.addFrame(0.016, 0.0, 0.0, -1, 0.0, 0.0, 1);
    const std::string svg = plot.render();
    EXPECT_NE(svg.find(">worlds/&lt;a&amp;b&gt;.json: camera and target"), std::string::npos)
        << svg.substr(0, 800);
    EXPECT_EQ(svg.find("Scene 0"), std::string::npos);
}

TEST(SvgPlot, TopViewKeepsEqualScaleOnBothAxes) {
    k_SvgPlot plot(k_WorldChoice::builtInScene(1), 0.5);
    plot.setBodies({{0.0, 0.0, 1.0}, {500.0, 500.0, 1.0}});
    // A path 100 long in z and 10 wide in x.
    for (int i = 0; i <= 100; ++i) {
        plot.addFrame(i * 0.5, (i % 10), i, 0, 0.0, 50.0, i);
    }
    plot.setPlanPercentiles(50, 99);
    const std::string svg = plot.render();
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_NE(svg.find("camera path"), std::string::npos);
    EXPECT_NE(svg.find("(1 of 2 in view)"), std::string::npos);
    EXPECT_NE(svg.find("p99 99 us"), std::string::npos);

    // Adjacent ticks of x (labels below the view) and of z (labels to its left) are the
    // same number of pixels apart per unit.
    std::smatch match;
    const std::regex xTick("<line x1='([0-9.]+)' y1='[0-9.]+' x2='[0-9.]+' y2='[0-9.]+' "
                           "class='tick'/><text x='[0-9.]+' y='[0-9.]+' "
                           "text-anchor='middle'>(-?[0-9.]+)</text>");
    const std::regex zTick("<line x1='[0-9.]+' y1='([0-9.]+)' x2='[0-9.]+' y2='[0-9.]+' "
                           "class='tick'/><text x='[0-9.]+' y='[0-9.]+' "
                           "text-anchor='end'>(-?[0-9.]+)</text>");
    auto scaleOf = [&](const std::regex& pattern) {
        std::sregex_iterator it(svg.begin(), svg.end(), pattern);
        const double p0 = std::stod((*it)[1]), v0 = std::stod((*it)[2]);
        ++it;
        const double p1 = std::stod((*it)[1]), v1 = std::stod((*it)[2]);
        return (p1 - p0) / (v1 - v0);
    };
    EXPECT_NEAR(scaleOf(xTick), scaleOf(zTick), 0.02);
}

TEST(SvgPlot, AnEmptyRunStillGivesAPicture) {
    const std::string svg = k_SvgPlot(k_WorldChoice::builtInScene(3), 0.016).render();
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
}

} // namespace
