#include "run/Runner.h"

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <vector>

#include "kvcom3/UtcTime.h"
#include "recipe/Recipe.h"
#include "records/RecordStore.h"
#include "records/Store.h"
#include "run/Progress.h"
#include "run/WorkerProcess.h"

namespace station {

namespace {

volatile std::sig_atomic_t signals = 0;

extern "C" void onSignal(int) {
    signals = signals + 1;
}

// Ctrl-C and SIGTERM only count; the loop below passes them on. They stay blocked except
// inside ppoll(), so one that comes between the loop's look at the count and the wait still
// ends the wait.
class SignalCounter {
  public:
    SignalCounter() {
        signals = 0;
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGINT);
        sigaddset(&blocked, SIGTERM);
        sigprocmask(SIG_BLOCK, &blocked, &waiting_);
        sigdelset(&waiting_, SIGINT);
        sigdelset(&waiting_, SIGTERM);
    }
    ~SignalCounter() {
        sigprocmask(SIG_SETMASK, &waiting_, nullptr);
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    SignalCounter(const SignalCounter&) = delete;
    SignalCounter& operator=(const SignalCounter&) = delete;

    // The mask to wait with: the signals let through.
    const sigset_t* waiting() const { return &waiting_; }

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    sigset_t waiting_{};
};

Progress::Mode modeFor(bool json) {
    if (json) return Progress::Mode::Json;
    return isatty(STDOUT_FILENO) == 1 ? Progress::Mode::Terminal : Progress::Mode::Lines;
}

}  // namespace

int runStation(const RunOptions& options, std::ostream& out, std::ostream& err) {
    Recipe recipe;
    try {
        recipe = readRecipe(options.recipe);
    } catch (const RecipeError& e) {
        err << "kvstation: recipe refused: " << e.what() << '\n';
        return kRefused;
    }
    RunRecord run{newRunId(),     options.station,        options.operatorName,
                  options.recipe, kvcom3::utcTimestamp(), {}};
    std::unique_ptr<SqlConnection> db;
    std::unique_ptr<RecordStore> store;
    try {
        db = openStore(options.db);
        store = std::make_unique<RecordStore>(*db);
        store->beginRun(run);
    } catch (const SqlError& e) {
        err << "kvstation: " << e.what() << '\n';
        return kRecordsFailed;
    }

    SignalCounter counter;
    std::vector<std::unique_ptr<WorkerProcess>> workers;
    try {
        for (std::size_t i = 0; i < recipe.lines.size(); ++i)
            workers.push_back(std::make_unique<WorkerProcess>(
                std::vector<std::string>{"worker", options.recipe, "--line", std::to_string(i),
                                         "--run", run.id, "--db", options.db}));
    } catch (const std::runtime_error& e) {
        // The workers already started end with the list; none has reached a sensor yet.
        err << "kvstation: " << e.what() << '\n';
        workers.clear();
        return kSomeFailed;
    }
    Progress progress(recipe, modeFor(options.json), out);

    std::vector<bool> open(workers.size(), true);
    std::size_t running = workers.size();
    int passedOn = 0;
    bool workerFailed = false;
    bool recordsFailed = false;
    while (running > 0) {
        if (signals != passedOn) {
            passedOn = signals;
            for (auto& w : workers) w->signal(passedOn >= 2 ? SIGKILL : SIGINT);
        }
        std::vector<pollfd> fds;
        std::vector<std::size_t> index;
        for (std::size_t i = 0; i < workers.size(); ++i)
            if (open[i]) {
                fds.push_back({workers[i]->output(), POLLIN, 0});
                index.push_back(i);
            }
        if (ppoll(fds.data(), fds.size(), nullptr, counter.waiting()) < 0) continue;
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (fds[k].revents == 0) continue;
            const std::size_t i = index[k];
            std::vector<std::string> lines;
            const bool more = workers[i]->read(lines);
            for (const std::string& line : lines) progress.event(i, line);
            if (more) continue;
            open[i] = false;
            --running;
            const int status = workers[i]->wait();
            recordsFailed = recordsFailed || status == kRecordsFailed;
            workerFailed = workerFailed || (status != 0 && status != 1);
            progress.workerEnded(i, status);
        }
    }
    try {
        store->finishRun(run.id, kvcom3::utcTimestamp());
    } catch (const SqlError& e) {
        err << "kvstation: " << e.what() << '\n';
        recordsFailed = true;
    }
    progress.finish(run.id);
    if (recordsFailed) return kRecordsFailed;
    if (signals > 0) return kInterruptedRun;
    if (workerFailed || progress.failed() > 0 || progress.interrupted() > 0) return kSomeFailed;
    return kAllPassed;
}

}  // namespace station
