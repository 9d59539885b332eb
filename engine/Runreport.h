#pragma once

#include "engine/IExtractModel.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// What one run did and lost, as the run tells it at its end and as the model's getters give it:
// finds written per kind, finds that could not be written, inputs that failed, and every other
// problem reported in the log. The run writes it on the worker; the getters read it from any
// thread, so every operation takes its lock.
class RunReport {
public:
    enum class Ending { completed, aborted, failed };

    void clear();

    void addFound(const std::string& kind);
    // A file copied out by name from a file system.
    void addRecovered(bool deleted);
    // A deleted file that a file system still names but whose bytes are gone.
    void addUnrecovered();
    // A carving find that was the same bytes as a file copied out by name, and so not kept.
    void addDuplicate();
    void addUnwritten();
    // Records a problem told in the log. True the first time cause is given in this run, so that
    // one cause is told once, however many finds it costs.
    bool addProblem(const std::string& cause);
    // Once per path and reason.
    void addFailedInput(const std::string& path, const std::string& reason);
    // A stretch of an input that could not be read; the run gives each once, merged.
    void addUnreadable(const std::string& path, std::uint64_t offset, std::uint64_t length);
    // A find that needed unreadable bytes: written with zeros there (kept), or left out.
    void addDamaged(bool kept);

    unsigned foundCount();
    unsigned unwrittenCount();
    unsigned recoveredCount();
    std::vector<ExtractFailedInput> failedInputs();
    std::map<std::string, unsigned> countsByKind();
    struct Unreadable {
        std::string path;
        std::uint64_t offset;
        std::uint64_t length;
    };
    std::vector<Unreadable> unreadableRanges();

    // The final line of the run. cause says why a failed run could not go on.
    std::string summary(Ending ending, const std::string& cause = std::string());

private:
    std::mutex lock;
    std::map<std::string, unsigned> byKind;
    unsigned found = 0;
    unsigned unwritten = 0;
    unsigned recovered = 0;
    unsigned recoveredDeleted = 0;
    unsigned unrecovered = 0;
    unsigned duplicates = 0;
    std::vector<ExtractFailedInput> failed;
    std::vector<Unreadable> unreadable;
    unsigned damagedKept = 0;
    unsigned damagedLeftOut = 0;
    std::set<std::string> causes;
};
