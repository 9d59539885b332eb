#include "platform/os/ReadFaults.h"

#include <cerrno>
#include <map>
#include <mutex>

namespace os {

namespace {

std::mutex registryLock;
std::atomic<bool> anyInjected{false};

std::map<std::string, std::shared_ptr<ReadFaults::Plan>>& registry() {
    static std::map<std::string, std::shared_ptr<ReadFaults::Plan>> plans;
    return plans;
}

}  // namespace

void ReadFaults::inject(const std::string& path, std::int64_t offset, std::int64_t length, Kind kind) {
    const std::lock_guard<std::mutex> hold(registryLock);
    std::shared_ptr<Plan>& plan = registry()[path];
    // A file already open keeps the stretches it was opened with.
    auto next = std::make_shared<Plan>();
    if (plan) {
        next->stretches = plan->stretches;
        next->reads.store(plan->reads.load());
        next->failed.store(plan->failed.load());
    }
    next->stretches.push_back(Stretch{offset, length, kind});
    plan = next;
    anyInjected.store(true);
}

void ReadFaults::clear() {
    const std::lock_guard<std::mutex> hold(registryLock);
    registry().clear();
    anyInjected.store(false);
}

std::uint64_t ReadFaults::reads(const std::string& path) {
    const std::lock_guard<std::mutex> hold(registryLock);
    const auto found = registry().find(path);
    return found == registry().end() ? 0 : found->second->reads.load();
}

std::uint64_t ReadFaults::failedReads(const std::string& path) {
    const std::lock_guard<std::mutex> hold(registryLock);
    const auto found = registry().find(path);
    return found == registry().end() ? 0 : found->second->failed.load();
}

std::shared_ptr<ReadFaults::Plan> ReadFaults::planFor(const std::string& path) {
    if (!anyInjected.load()) return nullptr;
    const std::lock_guard<std::mutex> hold(registryLock);
    const auto found = registry().find(path);
    return found == registry().end() ? nullptr : found->second;
}

int ReadFaults::check(Plan& plan, std::int64_t offset, std::size_t count) {
    plan.reads.fetch_add(1);
    const std::int64_t end = offset + static_cast<std::int64_t>(count);
    int error = 0;
    for (const Stretch& stretch : plan.stretches) {
        if (count == 0 || stretch.offset >= end || stretch.offset + stretch.length <= offset) continue;
        // A device that has gone answers nothing at all any more.
        if (stretch.kind == Kind::gone) {
            error = ENODEV;
            break;
        }
        error = EIO;
    }
    if (error != 0) plan.failed.fetch_add(1);
    return error;
}

}  // namespace os
