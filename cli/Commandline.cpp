#include "cli/Commandline.h"

#include <cctype>
#include <limits>

namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text + ",") {
        if (c != ',') {
            item += c;
            continue;
        }
        if (!item.empty()) items.push_back(item);
        item.clear();
    }
    return items;
}

}  // namespace

std::uint64_t CommandLine::parseSize(const std::string& text) {
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == 0) throw UsageError("invalid size '" + text + "' (expected a number with k, M, G or T)");
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            throw UsageError("size '" + text + "' is too large");
        }
        value = value * 10 + digit;
    }
    std::string unit = text.substr(digits);
    if (unit.size() == 2 && (unit[1] == 'B' || unit[1] == 'b')) unit.pop_back();
    if (unit.size() > 1) throw UsageError("invalid size '" + text + "' (expected a number with k, M, G or T)");
    unsigned shift = 0;
    if (!unit.empty()) {
        switch (std::tolower(static_cast<unsigned char>(unit[0]))) {
        case 'k': shift = 10; break;
        case 'm': shift = 20; break;
        case 'g': shift = 30; break;
        case 't': shift = 40; break;
        case 'b': shift = 0; break;
        default: throw UsageError("invalid size '" + text + "' (expected a number with k, M, G or T)");
        }
    }
    if (shift != 0 && value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
        throw UsageError("size '" + text + "' is too large");
    }
    return value << shift;
}

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            line.inputs.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string attached;
        bool hasAttached = false;
        if (argument.rfind("--", 0) == 0) {
            const std::size_t equals = argument.find('=');
            if (equals != std::string::npos) {
                attached = argument.substr(equals + 1);
                argument = argument.substr(0, equals);
                hasAttached = true;
            }
        } else if (argument.size() > 2) {
            attached = argument.substr(2);
            argument = argument.substr(0, 2);
            hasAttached = true;
        }
        const auto value = [&]() -> std::string {
            if (hasAttached) return attached;
            if (i + 1 >= arguments.size()) throw UsageError("option '" + argument + "' needs a value");
            return arguments[++i];
        };
        const auto noValue = [&] {
            if (hasAttached) throw UsageError("option '" + argument + "' takes no value");
        };
        if (argument == "-h" || argument == "--help") {
            noValue();
            line.help = true;
        } else if (argument == "-V" || argument == "--version") {
            noValue();
            line.version = true;
        } else if (argument == "--list-plugins") {
            noValue();
            line.listPlugins = true;
        } else if (argument == "-o" || argument == "--output") {
            line.output = value();
            if (line.output.empty()) throw UsageError("the output folder must not be empty");
        } else if (argument == "--per-input") {
            noValue();
            line.perInput = true;
        } else if (argument == "--no-per-input") {
            noValue();
            line.perInput = false;
        } else if (argument == "--per-kind") {
            noValue();
            line.perKind = true;
        } else if (argument == "--no-per-kind") {
            noValue();
            line.perKind = false;
        } else if (argument == "--keep-damaged") {
            noValue();
            line.keepDamaged = true;
        } else if (argument == "--no-keep-damaged") {
            noValue();
            line.keepDamaged = false;
        } else if (argument == "--min-size") {
            line.minimumSize = parseSize(value());
        } else if (argument == "--max-size") {
            line.maximumSize = parseSize(value());
        } else if (argument == "-k" || argument == "--kinds") {
            line.kinds = splitList(value());
            if (line.kinds.empty()) throw UsageError("--kinds needs at least one kind");
        } else if (argument == "-r" || argument == "--report") {
            line.report = value();
            if (line.report.empty()) throw UsageError("the report file name must not be empty");
        } else if (argument == "--report-format") {
            const std::string format = value();
            if (format == "csv") {
                line.reportFormat = ReportFormat::csv;
            } else if (format == "jsonl") {
                line.reportFormat = ReportFormat::jsonl;
            } else {
                throw UsageError("unknown report format '" + format + "' (expected csv or jsonl)");
            }
        } else if (argument == "-q" || argument == "--quiet") {
            noValue();
            line.quiet = true;
        } else {
            throw UsageError("unknown option '" + argument + "'");
        }
    }
    if (line.help || line.version || line.listPlugins) return line;
    if (line.output.empty()) throw UsageError("no output folder given (-o OUTPUT)");
    if (line.inputs.empty()) throw UsageError("no input files given");
    if (line.minimumSize && line.maximumSize && *line.minimumSize > *line.maximumSize) {
        throw UsageError("--min-size is larger than --max-size");
    }
    return line;
}

std::string CommandLine::helpText() {
    return "Usage: glintfetch-cli -o OUTPUT [OPTION]... INPUT...\n"
           "       glintfetch-cli --list-plugins\n"
           "Find pictures, sounds, videos and other data of known kinds embedded anywhere in\n"
           "INPUT files (disk images, devices, any file) and copy each find into a file of its\n"
           "own below OUTPUT. Uses the plug-ins and the settings (config.xml) beside the\n"
           "program, as the windowed glintfetch does; options override the settings for this\n"
           "run only and never change config.xml.\n"
           "\n"
           "  -o, --output=DIR        write the finds below DIR (it must exist)\n"
           "      --per-input         put the finds of each input in a folder named after it\n"
           "      --no-per-input      do not (the settings decide when neither is given)\n"
           "      --per-kind          put the finds in a folder per kind (jpg, png, ...)\n"
           "      --no-per-kind       do not\n"
           "      --min-size=SIZE     extract only finds of at least SIZE bytes\n"
           "      --max-size=SIZE     extract only finds of at most SIZE bytes\n"
           "                          SIZE takes a unit: 64k, 2M, 3G, 1T (powers of 1024)\n"
           "      --keep-damaged      write a find that needs unreadable sectors all the same,\n"
           "                          with zeros for them, and name it as damaged\n"
           "      --no-keep-damaged   leave such finds out (the settings decide when neither\n"
           "                          is given; they leave them out unless told otherwise)\n"
           "  -k, --kinds=LIST        run only the plug-ins of these kinds, e.g. jpg,png\n"
           "      --list-plugins      list the plug-ins (ID, kind, name, version, on/off) and exit\n"
           "  -r, --report=FILE       write one line per find to FILE as the run goes\n"
           "      --report-format=FMT csv (the default) or jsonl\n"
           "  -q, --quiet             no progress and no log lines; the summary and errors only\n"
           "  -h, --help              show this help and exit\n"
           "  -V, --version           show the version and exit\n"
           "\n"
           "Progress goes to standard error when it is a terminal. Ctrl-C cancels the run: the\n"
           "finds written so far are whole, and so is the report.\n"
           "\n"
           "Sectors that cannot be read (a worn card or disk) do not stop the run: they are read as\n"
           "zeros, each unreadable stretch is named on standard error and in the report, and the\n"
           "finds clear of them are written whole.\n"
           "\n"
           "Exit status: 0 when every input was scanned and every find written, 1 when something\n"
           "failed or could not be read (the reason is on standard error) or the run was\n"
           "interrupted, 2 for bad usage.\n"
           "\n"
           "Example:\n"
           "  glintfetch-cli -o recovered --per-kind --kinds jpg,png --report finds.csv disk.img\n";
}
