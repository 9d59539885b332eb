#pragma once

#include "engine/IDiskContents.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the run does with one input's volumes: whether their file systems are read, which volumes
// are looked at, and which positions the carving is offered. The carving leaves out the bytes of
// live files (they are copied out by name) unless whole volumes are asked for, and the volumes
// that were not chosen; everything else (free space, damaged or unknown file systems, the space
// outside every volume) is carved as an input without file systems is.
class VolumePlan {
public:
    struct Choice {
        bool readFileSystems = true;
        bool carveWholeVolumes = false;
        // The volumes' numbers from 1, separated by commas; "" for all.
        std::string volumes;
    };

    // The numbers of a volume choice; false for a text that is none ("" gives no numbers).
    static bool parseVolumes(const std::string& text, std::vector<std::uint32_t>& numbers);

    VolumePlan();
    ~VolumePlan();
    VolumePlan(const VolumePlan&) = delete;
    VolumePlan& operator=(const VolumePlan&) = delete;

    // Never throws: an input whose tables cannot be read is carved whole, with problem() saying
    // why.
    void open(const std::string& path, const Choice& choice);
    // Takes contents that were read already (for tests).
    void open(std::unique_ptr<IDiskContents> contents, const Choice& choice);
    void close();

    // Null when only carving was asked for or the input could not be read so.
    IDiskContents* contents() const { return disk.get(); }
    bool isChosen(std::uint32_t volume) const;
    // Why the tables could not be read, or a choice of volumes the input does not have; "" when
    // all went well.
    const std::string& problem() const { return trouble; }

    // Whether the carving is offered position. Any thread may ask while the plan stands.
    bool carves(std::uint64_t position) const;
    // The bytes the carving leaves out.
    std::uint64_t leftOutBytes() const;

private:
    void plan(const Choice& choice);

    std::unique_ptr<IDiskContents> disk;
    std::vector<bool> chosen;
    // Ascending and apart: the places the carving is not offered.
    std::vector<IDiskContents::Run> leftOut;
    std::string trouble;
};
