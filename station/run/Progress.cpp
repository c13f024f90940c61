#include "run/Progress.h"

#include <nlohmann/json.hpp>

namespace station {

Progress::Progress(const Recipe& recipe, Mode mode, std::ostream& out) : mode_(mode), out_(out) {
    for (const RecipeLine& line : recipe.lines)
        lines_.push_back({line.name, line.positions.size(), 0, {}, 0, 0, 0, {}});
    if (mode_ == Mode::Terminal) redraw();
}

void Progress::event(std::size_t index, const std::string& line) {
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return;
    if (mode_ == Mode::Json) out_ << line << '\n' << std::flush;
    LineState& state = lines_.at(index);
    const std::string kind = json.value("event", "");
    state.position = json.value("position", state.position);
    if (kind == "position") {
        state.step = "connecting";
    } else if (kind == "step") {
        state.step = json.value("kind", "") + " " + json.value("target", "");
    } else if (kind == "result") {
        const std::string status = json.value("status", "");
        state.step.clear();
        if (status == "passed")
            ++state.passed;
        else if (status == "interrupted")
            ++state.interrupted;
        else
            ++state.failed;
        if (mode_ == Mode::Lines) {
            out_ << "line " << state.name << " position " << state.position << ": " << status;
            if (json.contains("serial")) out_ << ", serial " << json.value("serial", "");
            if (json.contains("error")) {
                const auto& error = json["error"];
                out_ << ": error ";
                if (error.contains("number")) out_ << error.value("number", 0) << ": ";
                out_ << error.value("description", "");
            }
            out_ << '\n' << std::flush;
        }
    }
    if (mode_ == Mode::Terminal) redraw();
}

void Progress::workerEnded(std::size_t index, int status) {
    LineState& state = lines_.at(index);
    if (status == 0 || status == 1) return;
    state.ended = "worker ended with status " + std::to_string(status);
    if (mode_ == Mode::Terminal)
        redraw();
    else if (mode_ == Mode::Lines)
        out_ << "line " << state.name << ": " << state.ended << '\n' << std::flush;
    else
        out_ << nlohmann::json{{"event", "worker"}, {"line", state.name}, {"status", status}}.dump()
             << '\n'
             << std::flush;
}

void Progress::finish(const std::string& runId) {
    if (mode_ == Mode::Json) {
        out_ << nlohmann::json{{"event", "run"},
                               {"run", runId},
                               {"passed", passed()},
                               {"failed", failed()},
                               {"interrupted", interrupted()}}
                    .dump()
             << '\n';
    } else {
        out_ << "run " << runId << ": " << passed() << " passed, " << failed() << " failed, "
             << interrupted() << " interrupted\n";
    }
    out_.flush();
}

int Progress::total(int LineState::*count) const {
    int sum = 0;
    for (const LineState& line : lines_) sum += line.*count;
    return sum;
}

std::string Progress::text(const LineState& line) const {
    const int done = line.passed + line.failed + line.interrupted;
    std::string text = "line " + line.name + ": " + std::to_string(done) + "/" +
                       std::to_string(line.positions) + " positions, " +
                       std::to_string(line.passed) + " passed, " + std::to_string(line.failed) +
                       " failed";
    if (line.interrupted > 0) text += ", " + std::to_string(line.interrupted) + " interrupted";
    if (!line.ended.empty()) return text + " - " + line.ended;
    if (!line.step.empty())
        text += " - position " + std::to_string(line.position) + ": " + line.step;
    return text;
}

// The lines drawn before are overwritten: up as many lines, each cleared and written again.
void Progress::redraw() {
    if (drawn_) out_ << "\033[" << lines_.size() << 'F';
    for (const LineState& line : lines_) out_ << "\033[2K" << text(line) << '\n';
    out_.flush();
    drawn_ = true;
}

}  // namespace station
