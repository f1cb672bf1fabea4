#pragma once

#include <functional>
#include <string>

#include "planning/MotionPlanner.h"
#include "platform/ChildProcess.h"

// A planner that is another program: started through the shell when a world's first step
// needs it, it is told the world once and then, every step with a target, the step's input,
// and answers each with the step's command, all as JSON Lines on its standard input and
// output (docs/planners.md). Its standard error is ours. A program that exits, answers late
// or answers something that is not a command fails the step, and is ended with everything
// it started; so is it when a new camera (a new world) comes, to be started afresh for it.
class k_CommandPlanner : public k_MotionPlanner {
public:
    /// The version field of every message the program is sent.
    static constexpr int protocolVersion = 1;
    static constexpr double defaultTimeoutSeconds = 1.0;
    /// The scene as a JSON object, as the scene-file writer writes it, for the world now loaded.
    using WorldDescription = std::function<std::string()>;

    /// `animations` (not owned, may be null) forecasts the bodies; `timeoutSeconds` is the
    /// longest wait for an answer (and for the program to take a message).
    k_CommandPlanner(k_InformationProvider* provider, k_MainSceneNode* rootNode,
                     const k_AnimationManager* animations, std::string command,
                     WorldDescription describeWorld, double timeoutSeconds);
    ~k_CommandPlanner() override;

    void setCamera(k_Camera* camera) override;

    /// The program's process group while it runs; -1 when it does not.
    long getProcessGroup() const;

    /// The first message: the scene (a JSON object's text), the camera's limits and dt.
    static std::string worldMessage(const std::string& sceneJson, const k_CameraMotion& camera,
                                    double dt);
    /// A step's message, as one line into `out` (emptied first).
    static void stateMessage(const k_PlannerInput& input, std::string& out);
    /// Reads an answer; false with `error` saying what is wrong with it.
    static bool readCommand(const std::string& line, k_PlannerCommand& command, std::string& error);

protected:
    k_PlannerCommand decide(const k_PlannerInput& input) override;

private:
    /// Starts the program and tells it the world; false with `error` set.
    bool begin(const k_PlannerInput& input, std::string& error);

    std::string command;
    WorldDescription describeWorld;
    double timeoutSeconds;
    k_ChildProcess process;
    /// The step's message and answer, kept with their capacity.
    std::string message;
    std::string answer;
};
