#include "engine/Volumeplan.h"

#include "engine/Diskcontents.h"
#include "framework/Exception.h"

#include <algorithm>

bool VolumePlan::parseVolumes(const std::string& text, std::vector<std::uint32_t>& numbers) {
    numbers.clear();
    if (text.find_first_not_of(' ') == std::string::npos) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t first = part.find_first_not_of(' ');
        if (first == std::string::npos) return false;
        part = part.substr(first, part.find_last_not_of(' ') - first + 1);
        if (part.size() > 4 || part.find_first_not_of("0123456789") != std::string::npos) return false;
        const auto number = static_cast<std::uint32_t>(std::stoul(part));
        if (number == 0) return false;
        numbers.push_back(number);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

VolumePlan::VolumePlan() = default;

VolumePlan::~VolumePlan() = default;

void VolumePlan::open(const std::string& path, const Choice& choice) {
    close();
    if (!choice.readFileSystems) return;
    try {
        disk = std::make_unique<DiskContents>(path);
    } catch (const Exception& e) {
        trouble = "パーティションとファイルシステムを調べられないため、全体を探索します（" + e.getMessage() + "）";
        disk.reset();
        return;
    }
    plan(choice);
}

void VolumePlan::open(std::unique_ptr<IDiskContents> contents, const Choice& choice) {
    close();
    disk = std::move(contents);
    if (disk != nullptr) plan(choice);
}

void VolumePlan::close() {
    disk.reset();
    chosen.clear();
    leftOut.clear();
    trouble.clear();
}

void VolumePlan::plan(const Choice& choice) {
    const std::vector<IDiskContents::Volume>& volumes = disk->volumes();
    std::vector<std::uint32_t> numbers;
    const bool valid = parseVolumes(choice.volumes, numbers);
    chosen.assign(volumes.size(), numbers.empty() || !valid);
    if (!valid) {
        trouble = "ボリュームの指定「" + choice.volumes + "」は読めないため、すべてのボリュームを調べます。";
    }
    bool missing = false;
    for (std::uint32_t number : numbers) {
        if (number <= volumes.size()) {
            chosen[number - 1] = true;
        } else {
            missing = true;
        }
    }
    if (valid && missing && !volumes.empty()) {
        trouble = "指定されたボリューム「" + choice.volumes + "」の一部はこの入力にありません（ボリューム " +
                  std::to_string(volumes.size()) + " 個）。";
    }

    std::vector<IDiskContents::Run> places;
    for (std::uint32_t v = 0; v < volumes.size(); ++v) {
        if (!chosen[v]) places.push_back(IDiskContents::Run{volumes[v].offset, volumes[v].size});
    }
    if (!choice.carveWholeVolumes) {
        for (const IDiskContents::File& file : disk->files()) {
            if (file.deleted || file.contents != IDiskContents::Contents::intact || !chosen[file.volume]) continue;
            places.insert(places.end(), file.runs.begin(), file.runs.end());
        }
    }
    std::sort(places.begin(), places.end(),
              [](const IDiskContents::Run& a, const IDiskContents::Run& b) { return a.offset < b.offset; });
    for (const IDiskContents::Run& run : places) {
        if (run.length == 0) continue;
        if (!leftOut.empty() && run.offset <= leftOut.back().offset + leftOut.back().length) {
            leftOut.back().length =
                std::max(leftOut.back().offset + leftOut.back().length, run.offset + run.length) - leftOut.back().offset;
        } else {
            leftOut.push_back(run);
        }
    }
}

bool VolumePlan::isChosen(std::uint32_t volume) const { return volume < chosen.size() && chosen[volume]; }

bool VolumePlan::carves(std::uint64_t position) const {
    if (leftOut.empty()) return true;
    // The last place that begins at or before position.
    auto after = std::upper_bound(leftOut.begin(), leftOut.end(), position,
                                  [](std::uint64_t p, const IDiskContents::Run& run) { return p < run.offset; });
    if (after == leftOut.begin()) return true;
    const IDiskContents::Run& place = *(after - 1);
    return position >= place.offset + place.length;
}

std::uint64_t VolumePlan::leftOutBytes() const {
    std::uint64_t total = 0;
    for (const IDiskContents::Run& run : leftOut) total += run.length;
    return total;
}
