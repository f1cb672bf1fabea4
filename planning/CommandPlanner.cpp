#include "planning/CommandPlanner.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace {

// Floats as the shortest text that reads back to the same float, so that a program gets the
// very values the camera and the bodies hold.
void appendNumber(std::string& out, float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void appendNumber(std::string& out, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void appendVector(std::string& out, const k_Vector3& v) {
    out += '[';
    appendNumber(out, v.x);
    out += ',';
    appendNumber(out, v.y);
    out += ',';
    appendNumber(out, v.z);
    out += ']';
}

void appendField(std::string& out, const char* name, const k_Vector3& v) {
    out += '"';
    out += name;
    out += "\":";
    appendVector(out, v);
    out += ',';
}

// An excerpt of a line for a message: its start, and no control characters.
std::string excerpt(const std::string& line) {
    constexpr std::size_t most = 40;
    std::string text;
    for (char c : line.substr(0, most)) {
        text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    return line.size() > most ? text + "..." : text;
}

bool readPoint(const nlohmann::json& answer, const char* name, k_Vector3& point,
               std::string& error) {
    const auto found = answer.find(name);
    if (found == answer.end()) {
        error = std::string("the planner's answer has no \"") + name + "\"";
        return false;
    }
    if (!found->is_array() || found->size() != 3 || !(*found)[0].is_number() ||
        !(*found)[1].is_number() || !(*found)[2].is_number()) {
        error = std::string("the planner's \"") + name + "\" is not three numbers";
        return false;
    }
    float values[3];
    for (std::size_t i = 0; i < 3; ++i) {
        values[i] = static_cast<float>((*found)[i].get<double>());
        if (!std::isfinite(values[i])) {
            error = std::string("the planner's \"") + name +
                    "\" holds a number that is not finite as a float";
            return false;
        }
    }
    point = k_Vector3(values[0], values[1], values[2]);
    return true;
}

} // namespace

k_CommandPlanner::k_CommandPlanner(k_InformationProvider* provider, k_MainSceneNode* rootNode,
                                   const k_AnimationManager* animations, std::string commandValue,
                                   WorldDescription describeWorldValue, double timeoutValue)
    : k_MotionPlanner(provider, nullptr, rootNode), command(std::move(commandValue)),
      describeWorld(std::move(describeWorldValue)), timeoutSeconds(timeoutValue) {
    wantBodies(animations);
}

k_CommandPlanner::~k_CommandPlanner() = default;

void k_CommandPlanner::setCamera(k_Camera* camera) {
    k_MotionPlanner::setCamera(camera);
    // A new world: the program of the old one is told nothing more; its successor starts
    // at the new world's first step.
    process.stop();
}

long k_CommandPlanner::getProcessGroup() const {
    return process.isRunning() ? static_cast<long>(process.getProcessGroup()) : -1;
}

std::string k_CommandPlanner::worldMessage(const std::string& sceneJson,
                                           const k_CameraMotion& camera, double dt) {
    nlohmann::json message;
    message["type"] = "world";
    message["version"] = protocolVersion;
    message["dt"] = dt;
    message["velocity_horizon"] = k_PlannerInput::velocityHorizon;
    message["camera"] = {{"acceleration", camera.acceleration},
                         {"max_speed", camera.maxSpeed},
                         {"stop_distance", camera.stopDistance},
                         {"look_acceleration", camera.lookAcceleration}};
    message["scene"] = nlohmann::json::parse(sceneJson, nullptr, false);
    return message.dump();
}

void k_CommandPlanner::stateMessage(const k_PlannerInput& input, std::string& out) {
    out.clear();
    out += "{\"type\":\"state\",\"version\":";
    out += std::to_string(protocolVersion);
    out += ",\"step\":";
    out += std::to_string(input.step);
    out += ",\"time\":";
    appendNumber(out, input.time);
    out += ",\"dt\":";
    appendNumber(out, input.dt);
    const k_CameraMotion& camera = input.camera;
    out += ",\"camera\":{";
    appendField(out, "position", camera.position);
    appendField(out, "velocity", camera.velocity);
    appendField(out, "look_at", camera.lookAt);
    appendField(out, "up", camera.up);
    appendField(out, "look_target", camera.lookTarget);
    appendField(out, "waypoint", camera.waypoint);
    appendField(out, "next_waypoint", camera.nextWaypoint);
    appendField(out, "goal", camera.goal);
    out += "\"look_speed\":";
    appendNumber(out, camera.lookSpeed);
    out += "},\"target\":{\"index\":";
    out += std::to_string(input.targetIndex);
    out += ",";
    appendField(out, "center", input.targetCenter);
    out += "\"radius\":";
    appendNumber(out, input.targetRadius);
    // Each body as [x, y, z, radius, vx, vy, vz], in the registry's order.
    out += "},\"bodies\":[";
    for (std::size_t i = 0; i < input.bodies.size(); ++i) {
        const k_PlannerBody& body = input.bodies[i];
        out += i == 0 ? "[" : ",[";
        for (float value : {body.center.x, body.center.y, body.center.z, body.radius,
                            body.velocity.x, body.velocity.y, body.velocity.z}) {
            appendNumber(out, value);
            out += ',';
        }
        out.back() = ']';
    }
    out += "]}";
}

bool k_CommandPlanner::readCommand(const std::string& line, k_PlannerCommand& commandOut,
                                   std::string& error) {
    const nlohmann::json answer = nlohmann::json::parse(line, nullptr, false);
    if (answer.is_discarded()) {
        error = "the planner answered something that is not JSON: '" + excerpt(line) + "'";
        return false;
    }
    if (!answer.is_object()) {
        error = "the planner answered something that is not a JSON object: '" + excerpt(line) + "'";
        return false;
    }
    k_PlannerCommand read;
    if (!readPoint(answer, "waypoint", read.waypoint, error) ||
        !readPoint(answer, "next_waypoint", read.nextWaypoint, error) ||
        !readPoint(answer, "goal", read.goal, error) ||
        !readPoint(answer, "look_target", read.lookTarget, error)) {
        return false;
    }
    commandOut = read;
    return true;
}

bool k_CommandPlanner::begin(const k_PlannerInput& input, std::string& error) {
    if (!process.start(command, error)) {
        return false;
    }
    const std::string scene = describeWorld ? describeWorld() : std::string("{}");
    return process.writeLine(worldMessage(scene, input.camera, input.dt), timeoutSeconds, error);
}

k_PlannerCommand k_CommandPlanner::decide(const k_PlannerInput& input) {
    // Until the answer is read, the camera keeps the path it has.
    k_PlannerCommand result{input.camera.waypoint, input.camera.nextWaypoint, input.camera.goal,
                            input.camera.lookTarget};
    std::string error;
    bool ok = process.isRunning() || begin(input, error);
    if (ok) {
        stateMessage(input, message);
        ok = process.writeLine(message, timeoutSeconds, error) &&
             process.readLine(answer, timeoutSeconds, error);
        if (ok && !readCommand(answer, result, error)) {
            failStep("step " + std::to_string(input.step) + ": " + error);
            process.stop();
            return result;
        }
    }
    if (!ok) {
        failStep("step " + std::to_string(input.step) + ": the planner " + error);
        process.stop();
    }
    return result;
}
