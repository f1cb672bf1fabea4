#include "tools/sim/SvgPlot.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr double pictureWidth = 900.0;
constexpr double plotLeft = 80.0;
constexpr double plotWidth = 600.0;
constexpr double legendLeft = plotLeft + plotWidth + 25.0;
constexpr double minTopHeight = 260.0;
constexpr double maxTopHeight = 600.0;
constexpr double planHeight = 200.0;
constexpr const char* cameraColour = "#1f5fbf";
constexpr const char* targetColour = "#e0661a";
constexpr const char* bodyColour = "#9a9a9a";

void append(std::string& svg, const char* format, ...) {
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    svg += line;
}

// Maps a value range onto a pixel range; `flip` puts larger values higher on the page.
struct Axis {
    double low, high, pixelLow, pixelHigh;
    double operator()(double value) const {
        return pixelLow + (value - low) / (high - low) * (pixelHigh - pixelLow);
    }
};

std::string tickLabel(double value, double step) {
    char text[32];
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
    std::snprintf(text, sizeof text, "%.*f", decimals, std::abs(value) < step * 1e-6 ? 0.0 : value);
    return text;
}

// Ticks, labels and grid of one axis of a plot area. Horizontal axes label below the area,
// vertical ones to its left.
void drawTicks(std::string& svg, const Axis& axis, bool horizontal, double left, double top,
               double width, double height) {
    const double step = k_SvgPlot::niceStep(axis.high - axis.low, 8);
    for (double value = std::ceil(axis.low / step) * step; value <= axis.high + step * 1e-9;
         value += step) {
        const double pixel = axis(value);
        const std::string label = tickLabel(value, step);
        if (horizontal) {
            append(svg,
                   "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' class='grid'/>"
                   "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' class='tick'/>"
                   "<text x='%.1f' y='%.1f' text-anchor='middle'>%s</text>\n",
                   pixel, top, pixel, top + height, pixel, top + height, pixel, top + height + 5,
                   pixel, top + height + 18, label.c_str());
        } else {
            append(svg,
                   "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' class='grid'/>"
                   "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' class='tick'/>"
                   "<text x='%.1f' y='%.1f' text-anchor='end'>%s</text>\n",
                   left, pixel, left + width, pixel, left - 5, pixel, left, pixel, left - 8,
                   pixel + 4, label.c_str());
        }
    }
}

// A polyline that drops points closer than half a pixel to the last one kept, so that a
// long run stays a small file.
class PathBuilder {
public:
    void add(double x, double y) {
        if (!points.empty() && std::abs(x - lastX) < 0.5 && std::abs(y - lastY) < 0.5) {
            pending = true;
            pendingX = x;
            pendingY = y;
            return;
        }
        emit(x, y);
    }
    // Ends the current line; the next point starts a new one.
    void breakLine(std::string& svg, const char* colour, double width) {
        if (pending) {
            emit(pendingX, pendingY);
        }
        if (!points.empty()) {
            append(svg,
                   "<polyline fill='none' stroke='%s' stroke-width='%.1f' "
                   "stroke-linejoin='round' points='",
                   colour, width);
            svg += points;
            svg += "'/>\n";
        }
        points.clear();
        pending = false;
    }

private:
    void emit(double x, double y) {
        char point[48];
        std::snprintf(point, sizeof point, "%s%.1f,%.1f", points.empty() ? "" : " ", x, y);
        points += point;
        lastX = x;
        lastY = y;
        pending = false;
    }

    std::string points;
    double lastX = 0.0, lastY = 0.0;
    bool pending = false;
    double pendingX = 0.0, pendingY = 0.0;
};

} // namespace

double k_SvgPlot::niceStep(double span, int count) {
    if (!(span > 0.0) || !std::isfinite(span) || count < 1) {
        return 1.0;
    }
    const double raw = span / count;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (;;) {
        for (double factor : {1.0, 2.0, 5.0}) {
            if (factor * power >= raw * (1.0 - 1e-12)) {
                return factor * power;
            }
        }
        power *= 10.0;
    }
}

void k_SvgPlot::addFrame(double t, double cameraX, double cameraZ, int target, double targetX,
                         double targetZ, std::int64_t planMicroseconds) {
    frames.push_back(Frame{static_cast<float>(t), static_cast<float>(cameraX),
                           static_cast<float>(cameraZ), static_cast<float>(targetX),
                           static_cast<float>(targetZ), target, planMicroseconds});
}

void k_SvgPlot::setPlanPercentiles(std::int64_t p50Value, std::int64_t p99Value) {
    p50 = p50Value;
    p99 = p99Value;
}

std::string k_SvgPlot::render() const {
    std::string body;
    double topHeight = 0.0;
    const double topViewTop = 70.0;
    renderTopView(body, topViewTop, topHeight);
    const double planTop = topViewTop + topHeight + 90.0;
    renderPlanTime(body, planTop, planHeight);
    const double pictureHeight = planTop + planHeight + 55.0;

    std::string svg;
    append(svg,
           "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<svg xmlns='http://www.w3.org/2000/svg' width='%.0f' height='%.0f' "
           "viewBox='0 0 %.0f %.0f' font-family='DejaVu Sans, Arial, sans-serif' "
           "font-size='12'>\n",
           pictureWidth, pictureHeight, pictureWidth, pictureHeight);
    svg += "<style>.grid{stroke:#e4e4e4;stroke-width:1}.tick{stroke:#333;stroke-width:1}"
           ".frame{fill:none;stroke:#333;stroke-width:1}.label{font-size:13px}"
           ".title{font-size:16px;font-weight:bold}</style>\n";
    append(svg, "<rect width='%.0f' height='%.0f' fill='white'/>\n", pictureWidth, pictureHeight);
    // A file's name is the user's text: escaped, so that it cannot break the picture.
    std::string world = "Scene " + std::to_string(scene);
    if (!sceneFile.empty()) {
        world.clear();
        for (const char c : sceneFile) {
            world += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
        }
    }
    append(svg,
           "<text x='%.1f' y='26' class='title'>%s: camera and target, %ld frames of "
           "%g s (%g s)</text>\n",
           plotLeft, world.c_str(), static_cast<long>(frames.size()), dt,
           dt * static_cast<double>(frames.size()));
    svg += body;
    svg += "</svg>\n";
    return svg;
}

void k_SvgPlot::renderTopView(std::string& svg, double top, double& height) const {
    // The view holds both paths (and, before the first frame, the bodies), with a margin.
    double minX = INFINITY, maxX = -INFINITY, minZ = INFINITY, maxZ = -INFINITY;
    auto include = [&](double x, double z) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minZ = std::min(minZ, z);
        maxZ = std::max(maxZ, z);
    };
    for (const Frame& frame : frames) {
        include(frame.cameraX, frame.cameraZ);
        if (frame.target >= 0) {
            include(frame.targetX, frame.targetZ);
        }
    }
    if (frames.empty()) {
        for (const Body& b : bodyStarts) {
            include(b.x, b.z);
        }
    }
    if (!(minX <= maxX)) {
        minX = minZ = -1.0;
        maxX = maxZ = 1.0;
    }
    const double margin = std::max(2.0, 0.06 * std::max(maxX - minX, maxZ - minZ));
    minX -= margin;
    maxX += margin;
    minZ -= margin;
    maxZ += margin;

    // Equal scale: the longer side sets it; the other side is widened about its middle so
    // that the area keeps a usable shape.
    double scale = std::min(plotWidth / (maxX - minX), maxTopHeight / (maxZ - minZ));
    height = std::max(minTopHeight, (maxZ - minZ) * scale);
    const double midX = 0.5 * (minX + maxX), midZ = 0.5 * (minZ + maxZ);
    minX = midX - 0.5 * plotWidth / scale;
    maxX = midX + 0.5 * plotWidth / scale;
    minZ = midZ - 0.5 * height / scale;
    maxZ = midZ + 0.5 * height / scale;

    const Axis xAxis{minX, maxX, plotLeft, plotLeft + plotWidth};
    const Axis zAxis{minZ, maxZ, top, top + height}; // seen from above, +z points down
    append(svg,
           "<text x='%.1f' y='%.1f' class='label'>Top view, seen from above (+y): x to the "
           "right, z downwards, equal scale</text>\n",
           plotLeft, top - 12);
    drawTicks(svg, xAxis, true, plotLeft, top, plotWidth, height);
    drawTicks(svg, zAxis, false, plotLeft, top, plotWidth, height);
    long bodiesInView = 0;
    for (const Body& b : bodyStarts) {
        // Centres in view only: no clip path, which not every SVG renderer honours.
        if (b.x < minX || b.x > maxX || b.z < minZ || b.z > maxZ) {
            continue;
        }
        ++bodiesInView;
        // True size, but never thinner than a visible dot.
        append(svg, "<circle cx='%.1f' cy='%.1f' r='%.1f' fill='%s' fill-opacity='0.55'/>\n",
               xAxis(b.x), zAxis(b.z), std::max(1.5, b.radius * scale), bodyColour);
    }

    PathBuilder targetPath;
    int previousTarget = -1;
    for (const Frame& frame : frames) {
        // A change of target (or a frame without one) starts a new line: no jump is drawn.
        if (frame.target != previousTarget) {
            targetPath.breakLine(svg, targetColour, 2.5);
            previousTarget = frame.target;
        }
        if (frame.target >= 0) {
            targetPath.add(xAxis(frame.targetX), zAxis(frame.targetZ));
        }
    }
    targetPath.breakLine(svg, targetColour, 2.5);

    PathBuilder cameraPath;
    for (const Frame& frame : frames) {
        cameraPath.add(xAxis(frame.cameraX), zAxis(frame.cameraZ));
    }
    cameraPath.breakLine(svg, cameraColour, 1.8);
    if (!frames.empty()) {
        const Frame& first = frames.front();
        const Frame& last = frames.back();
        append(svg,
               "<circle cx='%.1f' cy='%.1f' r='5' fill='white' stroke='%s' "
               "stroke-width='2'/>\n",
               xAxis(first.cameraX), zAxis(first.cameraZ), cameraColour);
        append(svg, "<rect x='%.1f' y='%.1f' width='9' height='9' fill='%s'/>\n",
               xAxis(last.cameraX) - 4.5, zAxis(last.cameraZ) - 4.5, cameraColour);
    }
    append(svg, "<rect x='%.1f' y='%.1f' width='%.1f' height='%.1f' class='frame'/>\n", plotLeft,
           top, plotWidth, height);
    append(svg, "<text x='%.1f' y='%.1f' text-anchor='middle' class='label'>x</text>\n",
           plotLeft + plotWidth / 2, top + height + 38);
    append(svg,
           "<text x='%.1f' y='%.1f' text-anchor='middle' class='label' "
           "transform='rotate(-90 %.1f %.1f)'>z</text>\n",
           plotLeft - 50, top + height / 2, plotLeft - 50, top + height / 2);

    // Legend beside the view.
    double y = top + 10;
    append(svg,
           "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='%s' stroke-width='2'/>"
           "<text x='%.1f' y='%.1f'>camera path</text>\n",
           legendLeft, y, legendLeft + 24, y, cameraColour, legendLeft + 32, y + 4);
    y += 22;
    append(svg,
           "<circle cx='%.1f' cy='%.1f' r='5' fill='white' stroke='%s' stroke-width='2'/>"
           "<text x='%.1f' y='%.1f'>camera start</text>\n",
           legendLeft + 12, y, cameraColour, legendLeft + 32, y + 4);
    y += 22;
    append(svg,
           "<rect x='%.1f' y='%.1f' width='9' height='9' fill='%s'/>"
           "<text x='%.1f' y='%.1f'>camera end</text>\n",
           legendLeft + 7.5, y - 4.5, cameraColour, legendLeft + 32, y + 4);
    y += 22;
    append(svg,
           "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='%s' stroke-width='2.5'/>"
           "<text x='%.1f' y='%.1f'>target path</text>\n",
           legendLeft, y, legendLeft + 24, y, targetColour, legendLeft + 32, y + 4);
    y += 22;
    append(svg,
           "<circle cx='%.1f' cy='%.1f' r='5' fill='%s' fill-opacity='0.55'/>"
           "<text x='%.1f' y='%.1f'>body at start</text>\n",
           legendLeft + 12, y, bodyColour, legendLeft + 32, y + 4);
    y += 18;
    append(svg, "<text x='%.1f' y='%.1f' fill='#555'>(%ld of %ld in view)</text>\n",
           legendLeft + 32, y + 4, bodiesInView, static_cast<long>(bodyStarts.size()));
}

void k_SvgPlot::renderPlanTime(std::string& svg, double top, double height) const {
    // Steps range from about a microsecond to milliseconds: a logarithmic axis keeps both
    // the ordinary frames and the spikes readable. Zero is drawn on the 1 us line.
    std::int64_t largest = 1;
    for (const Frame& frame : frames) {
        largest = std::max(largest, frame.planMicroseconds);
    }
    const int decades =
        std::max(1, static_cast<int>(std::ceil(std::log10(static_cast<double>(largest) + 0.5))));
    const double duration = frames.empty() ? 1.0 : std::max<double>(frames.back().t, dt);
    const Axis tAxis{0.0, duration, plotLeft, plotLeft + plotWidth};
    const Axis logAxis{0.0, static_cast<double>(decades), top + height, top};
    auto usY = [&](std::int64_t us) {
        return logAxis(std::log10(static_cast<double>(std::max<std::int64_t>(us, 1))));
    };

    append(svg, "<text x='%.1f' y='%.1f' class='label'>Planning time per frame</text>\n", plotLeft,
           top - 12);
    drawTicks(svg, tAxis, true, plotLeft, top, plotWidth, height);
    for (int decade = 0; decade <= decades; ++decade) {
        const double y = logAxis(decade);
        append(svg,
               "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' class='grid'/>"
               "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' class='tick'/>"
               "<text x='%.1f' y='%.1f' text-anchor='end'>%.0f</text>\n",
               plotLeft, y, plotLeft + plotWidth, y, plotLeft - 5, y, plotLeft, y, plotLeft - 8,
               y + 4, std::pow(10.0, decade));
    }

    // The greatest time of each pixel column, joined into one line, so that a spike stays
    // visible however many frames share a column.
    const int columns = static_cast<int>(plotWidth);
    std::vector<std::int64_t> high(static_cast<std::size_t>(columns), -1);
    for (const Frame& frame : frames) {
        const int column = std::clamp(static_cast<int>(tAxis(frame.t) - plotLeft), 0, columns - 1);
        std::int64_t& slot = high[static_cast<std::size_t>(column)];
        slot = std::max(slot, frame.planMicroseconds);
    }
    PathBuilder line;
    for (int column = 0; column < columns; ++column) {
        const std::int64_t value = high[static_cast<std::size_t>(column)];
        if (value >= 0) {
            line.add(plotLeft + column + 0.5, usY(value));
        }
    }
    line.breakLine(svg, cameraColour, 1.2);

    const struct {
        const char* name;
        std::int64_t value;
        const char* dash;
    } references[] = {{"p50", p50, "6 3"}, {"p99", p99, "2 2"}};
    double previousLabelY = 1e9;
    for (const auto& reference : references) {
        const double y = usY(reference.value);
        // The p99 label goes at least a line above the p50 one, so that both stay legible.
        const double labelY = std::min(y + 4, previousLabelY - 14);
        previousLabelY = labelY;
        append(svg,
               "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='#c02020' "
               "stroke-width='1.2' stroke-dasharray='%s'/>"
               "<text x='%.1f' y='%.1f' fill='#c02020'>%s %" PRId64 " us</text>\n",
               plotLeft, y, plotLeft + plotWidth, y, reference.dash, plotLeft + plotWidth + 6,
               labelY, reference.name, reference.value);
    }
    append(svg, "<rect x='%.1f' y='%.1f' width='%.1f' height='%.1f' class='frame'/>\n", plotLeft,
           top, plotWidth, height);
    append(svg,
           "<text x='%.1f' y='%.1f' text-anchor='middle' class='label'>scene time (s)</text>\n",
           plotLeft + plotWidth / 2, top + height + 38);
    append(svg,
           "<text x='%.1f' y='%.1f' text-anchor='middle' class='label' "
           "transform='rotate(-90 %.1f %.1f)'>planning step (us, log scale)</text>\n",
           plotLeft - 55, top + height / 2, plotLeft - 55, top + height / 2);
}
