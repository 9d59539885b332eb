#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What the user asked for on the command line. parse throws UsageError for anything it cannot
// take, with the message to show before the hint to --help.
class CommandLine {
public:
    class UsageError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    enum class ReportFormat { csv, jsonl };

    static CommandLine parse(const std::vector<std::string>& arguments);
    // "64k", "2M", "3G", "1500": a size in bytes with an optional binary unit (k, M, G, T).
    static std::uint64_t parseSize(const std::string& text);
    static std::string helpText();

    bool help = false;
    bool version = false;
    bool listPlugins = false;
    std::string output;
    std::vector<std::string> inputs;
    std::optional<bool> perInput;
    std::optional<bool> perKind;
    std::optional<std::uint64_t> minimumSize;
    std::optional<std::uint64_t> maximumSize;
    std::optional<bool> readFileSystems;
    std::optional<bool> carveWholeVolumes;
    std::optional<std::string> volumes;
    // Empty: the plug-ins the settings have on.
    std::vector<std::string> kinds;
    std::string report;
    ReportFormat reportFormat = ReportFormat::csv;
    bool quiet = false;
    // Finds over unreadable sectors are written with zeros there; empty: as the settings say.
    std::optional<bool> keepDamaged;
};
