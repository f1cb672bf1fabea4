#include "tools/sim/CameraPath.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>

namespace {

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The whole field as a finite number; strtod alone would take "1.5x" as 1.5 and "inf".
bool finiteNumber(const std::string& field, double& value) {
    const std::string text = trimmed(field);
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && errno != ERANGE && std::isfinite(value);
}

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

} // namespace

const char* k_CameraPath::requiredColumns() {
    return "frame, t, cam_x, cam_y, cam_z, look_x, look_y, look_z";
}

bool k_CameraPath::read(const std::string& path, long frames, double dt, std::string& error) {
    rows.clear();
    upColumns = false;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the camera path " + path + ": " + std::strerror(errno);
        return false;
    }
    long lineNumber = 0;
    const auto refuse = [&](const std::string& why) {
        error = path + ":" + std::to_string(lineNumber) + ": " + why;
        rows.clear();
        return false;
    };
    std::string line;
    const auto nextLine = [&]() {
        while (std::getline(file, line)) {
            ++lineNumber;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!trimmed(line).empty()) {
                return true;
            }
        }
        return false;
    };
    if (!nextLine()) {
        lineNumber = std::max(lineNumber, 1L);
        return refuse("empty: a camera path needs a header naming its columns (" +
                      std::string(requiredColumns()) + ")");
    }
    const std::vector<std::string> header = splitFields(line);
    std::map<std::string, std::size_t> columnOf;
    for (std::size_t i = 0; i < header.size(); ++i) {
        columnOf.emplace(trimmed(header[i]), i);
    }
    const char* const names[] = {"frame", "t",      "cam_x",  "cam_y",
                                 "cam_z", "look_x", "look_y", "look_z"};
    std::size_t column[8];
    for (int i = 0; i < 8; ++i) {
        const auto found = columnOf.find(names[i]);
        if (found == columnOf.end()) {
            return refuse("no column " + std::string(names[i]) + " in the header (a camera path " +
                          "needs " + requiredColumns() + ")");
        }
        column[i] = found->second;
    }
    std::size_t upColumn[3] = {0, 0, 0};
    upColumns = true;
    for (int i = 0; i < 3; ++i) {
        const auto found = columnOf.find(std::string("up_") + "xyz"[i]);
        upColumns = upColumns && found != columnOf.end();
        upColumn[i] = upColumns ? found->second : 0;
    }
    const auto relocationsColumn = columnOf.find("relocations");

    rows.reserve(static_cast<std::size_t>(std::min(frames, 1000000L)));
    while (static_cast<long>(rows.size()) < frames) {
        if (!nextLine()) {
            const std::string last = rows.empty()
                                         ? "has no frame"
                                         : "ends at frame " + std::to_string(rows.back().frame);
            return refuse("the camera path " + last + " but the run has " + std::to_string(frames) +
                          " frames (" + shortNumber(static_cast<double>(frames) * dt) +
                          " s at dt " + shortNumber(dt) + ")");
        }
        const std::vector<std::string> fields = splitFields(line);
        if (fields.size() != header.size()) {
            return refuse(std::to_string(fields.size()) + " values where the header names " +
                          std::to_string(header.size()) + " columns");
        }
        double values[8];
        for (int i = 0; i < 8; ++i) {
            if (!finiteNumber(fields[column[i]], values[i])) {
                return refuse(std::string(names[i]) + " is '" + trimmed(fields[column[i]]) +
                              "', not a finite number");
            }
        }
        Frame row;
        const long expected = static_cast<long>(rows.size()) + 1;
        if (values[0] != static_cast<double>(expected)) {
            return refuse("frame " + trimmed(fields[column[0]]) + " where frame " +
                          std::to_string(expected) + " comes next: the frames must be 1, 2, 3 " +
                          "... in order");
        }
        row.frame = expected;
        row.t = values[1];
        const double due = static_cast<double>(expected) * dt;
        // The trace prints nine digits; a path made for another time step is refused.
        if (std::fabs(row.t - due) > 1e-6 * std::max(1.0, std::fabs(due))) {
            return refuse("t " + trimmed(fields[column[1]]) + " is not frame " +
                          std::to_string(expected) + "'s time " + shortNumber(due) + " at dt " +
                          shortNumber(dt) + " (--dt)");
        }
        for (int i = 2; i < 8; ++i) {
            // Narrowing a double beyond the float range is undefined, not infinite.
            if (std::fabs(values[i]) > static_cast<double>(std::numeric_limits<float>::max())) {
                return refuse(std::string(names[i]) + " " + trimmed(fields[column[i]]) +
                              " is beyond the range of the camera's coordinates");
            }
        }
        row.eye = k_Vector3(static_cast<float>(values[2]), static_cast<float>(values[3]),
                            static_cast<float>(values[4]));
        row.lookAt = k_Vector3(static_cast<float>(values[5]), static_cast<float>(values[6]),
                               static_cast<float>(values[7]));
        if (upColumns) {
            double up[3];
            for (int i = 0; i < 3; ++i) {
                if (!finiteNumber(fields[upColumn[i]], up[i]) || std::fabs(up[i]) > 1e6) {
                    return refuse(std::string("up_") + "xyz"[i] + " is '" +
                                  trimmed(fields[upColumn[i]]) + "', not a finite number");
                }
            }
            row.hasUp = true;
            row.up = k_Vector3(static_cast<float>(up[0]), static_cast<float>(up[1]),
                               static_cast<float>(up[2]));
        }
        double relocations = 0.0;
        if (relocationsColumn != columnOf.end() &&
            finiteNumber(fields[relocationsColumn->second], relocations) && relocations > 0.0) {
            row.relocations = static_cast<long>(std::min(relocations, 1e9));
        }
        rows.push_back(row);
    }
    return true;
}
