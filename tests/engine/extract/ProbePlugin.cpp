// A plug-in whose detections and results the extraction tests decide, through its properties in
// config.xml (the run reloads the saved file, so the tests save before every run):
//   enabled  "false" leaves it out of a run; anything else, or nothing, keeps it in
//   kind     its kind text (default: the one it was built with)
//   window   its window size in bytes (default 4)
//   magic    detect answers true where the data starts with these bytes (default "@@")
//   length   how many input bytes extract copies to the output (default: the magic's length)
//   write    "false": extract writes no output file at all
//   result   what extract returns (default 1)
//   log      a file that gets one line per extract call and, at release, the number of detect
//            calls: "extract <offset> <output> <the output's size before the call, -1 for none>",
//            "detects <count>"
//   block    a file: extract waits (up to a minute) until it exists, or until the host cancels
//            (unless heed is "false": then it waits as a plug-in of the first contract would),
//            and logs "released" when it stops waiting
//   throw    "detect", "extract" or "setConfig": that call throws; "write": extract throws once
//            it has written its output
//   failure  what getExtractFailure reports after a result of 0 (default 0); a failure of 1 or 2
//            comes with "テスト：<output>" as its message
//   declare  "true": the magic at offset 0 is declared as the signature
//   checked  "true": extract writes in blocks and checks every write and the close, as a real
//            plug-in does; a failed one makes the result 0 and the failure 1, with the message
//            "テスト：<output>：<the system's reason>", and leaves what was written in place
//   promise  "true": the library promises that a failed extract leaves nothing behind (whatever
//            it really leaves), from the load that reads it on
//   contract "first": the library's table of optional operations reaches none of them, so the
//            program sees a library of the first contract (no failure reports, no host)
// The same source is built under several identifiers, so that a test can have two at once.

#include "engine/ExtractPlugin.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#ifndef PROBE_ID
#define PROBE_ID "probe"
#endif
#ifndef PROBE_KIND
#define PROBE_KIND "prb"
#endif

namespace {

// The library's one table of optional operations; its promises follow the last configuration.
ExtractPluginExtension& extensionTable();

class ProbePlugin final : public IExtractPlugin {
public:
    const char* getID() override { return PROBE_ID; }
    const char* getName() override { return "試験用プローブ " PROBE_ID; }
    const char* getVersion() override { return "1.0"; }
    const char* getVendor() override { return "glintfetch tests"; }
    const char* getKind() override { return kind.c_str(); }
    unsigned getWindowSize() override { return window; }

    bool detect(const unsigned char* data) override {
        ++detects;
        if (throws == "detect") throw std::runtime_error("probe failure");
        return !magic.empty() && std::memcmp(data, magic.data(), magic.size()) == 0;
    }

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override {
        const unsigned long long offset =
            (static_cast<unsigned long long>(offsetHigh) << 32) | offsetLow;
        struct stat before {};
        const long long sizeBefore =
            ::stat(outputPath, &before) == 0 ? static_cast<long long>(before.st_size) : -1;
        appendLog("extract " + std::to_string(offset) + " " + outputPath + " " +
                  std::to_string(sizeBefore));
        message = std::string("テスト：") + outputPath;
        callFailure = failure;
        if (throws == "extract") throw std::runtime_error("probe failure");
        if (!block.empty()) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
            while (std::chrono::steady_clock::now() < until) {
                if (std::FILE* released = std::fopen(block.c_str(), "rb")) {
                    std::fclose(released);
                    break;
                }
                if (heedsCancel && host != nullptr && host->isCancelled(host->context)) {
                    appendLog("cancelled");
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            appendLog("released");
        }
        if (write && checked) {
            const unsigned written = writeChecked(inputPath, offset, outputPath);
            if (throws == "write") throw std::runtime_error("probe failure");
            return written;
        }
        if (write) {
            std::vector<char> bytes(length);
            std::size_t got = 0;
            if (std::FILE* in = std::fopen(inputPath, "rb")) {
                if (fseeko(in, static_cast<off_t>(offset), SEEK_SET) == 0) {
                    got = std::fread(bytes.data(), 1, bytes.size(), in);
                }
                std::fclose(in);
            }
            if (std::FILE* out = std::fopen(outputPath, "wb")) {
                std::fwrite(bytes.data(), 1, got, out);
                std::fclose(out);
            }
        }
        if (throws == "write") throw std::runtime_error("probe failure");
        return result;
    }

    bool hasProperty() override { return false; }
    void showProperty(void*) override {}
    bool isEnabled() override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }

    void setConfig(IExtractConfig* config) override {
        enabled = property(config, "enabled", "true") != "false";
        kind = property(config, "kind", PROBE_KIND);
        window = static_cast<unsigned>(std::strtoul(property(config, "window", "4").c_str(),
                                                     nullptr, 10));
        magic = property(config, "magic", "@@");
        length = std::strtoul(property(config, "length", std::to_string(magic.size())).c_str(),
                              nullptr, 10);
        write = property(config, "write", "true") != "false";
        result = static_cast<unsigned>(std::strtoul(property(config, "result", "1").c_str(),
                                                    nullptr, 10));
        logPath = property(config, "log", "");
        block = property(config, "block", "");
        heedsCancel = property(config, "heed", "true") != "false";
        throws = property(config, "throw", "");
        failure = std::atoi(property(config, "failure", "0").c_str());
        declared = property(config, "declare", "false") == "true";
        checked = property(config, "checked", "false") == "true";
        extensionTable().promises = property(config, "promise", "false") == "true" ? EXTRACT_PROMISE_NO_LEFTOVERS : 0;
        extensionTable().size = property(config, "contract", "") == "first"
                                    ? static_cast<unsigned>(sizeof(unsigned))
                                    : static_cast<unsigned>(sizeof(ExtractPluginExtension));
        signature = ExtractSignature{0, static_cast<unsigned>(magic.size()),
                                     reinterpret_cast<const unsigned char*>(magic.data()), nullptr};
        if (throws == "setConfig") throw std::runtime_error("probe failure");
    }

    int signatures(const ExtractSignature** table) {
        if (!declared) return -1;
        *table = &signature;
        return 1;
    }

    int lastFailure(const char** text) {
        *text = message.c_str();
        return callFailure;
    }

    void setHost(const ExtractHost* given) { host = given; }

    // The settings may be gone by now, so only what setConfig kept is used.
    void release() { appendLog("detects " + std::to_string(detects)); }

private:
    unsigned writeChecked(const char* inputPath, unsigned long long offset, const char* outputPath) {
        std::vector<char> bytes(length);
        std::size_t got = 0;
        if (std::FILE* in = std::fopen(inputPath, "rb")) {
            if (fseeko(in, static_cast<off_t>(offset), SEEK_SET) == 0) {
                got = std::fread(bytes.data(), 1, bytes.size(), in);
            }
            std::fclose(in);
        }
        std::FILE* out = std::fopen(outputPath, "wb");
        int error = out == nullptr ? errno : 0;
        for (std::size_t done = 0; out != nullptr && error == 0 && done < got; done += 4096) {
            const std::size_t part = std::min<std::size_t>(4096, got - done);
            errno = 0;
            if (std::fwrite(bytes.data() + done, 1, part, out) != part) error = errno;
        }
        if (out != nullptr) {
            errno = 0;
            if (std::fclose(out) != 0 && error == 0) error = errno;
        }
        if (error == 0) {
            callFailure = 0;
            return 1;
        }
        callFailure = 1;
        message = std::string("テスト：") + outputPath + "：" + std::strerror(error);
        return 0;
    }

    static std::string property(IExtractConfig* config, const char* key, std::string fallback) {
        const int length = config->getPropertyLength(key, PROBE_ID);
        if (length <= 1) {
            return fallback;
        }
        std::string value(static_cast<std::size_t>(length), '\0');
        config->getProperty(key, &value[0], PROBE_ID);
        value.resize(static_cast<std::size_t>(length) - 1);
        return value;
    }

    void appendLog(const std::string& line) {
        if (logPath.empty()) {
            return;
        }
        if (std::FILE* log = std::fopen(logPath.c_str(), "a")) {
            std::fprintf(log, "%s %s\n", PROBE_ID, line.c_str());
            std::fclose(log);
        }
    }

    bool enabled = true;
    std::string kind = PROBE_KIND;
    unsigned window = 4;
    std::string magic = "@@";
    std::size_t length = 2;
    bool write = true;
    unsigned result = 1;
    std::string logPath;
    std::string block;
    bool heedsCancel = true;
    std::string throws;
    int failure = 0;
    bool declared = false;
    bool checked = false;
    int callFailure = 0;
    ExtractSignature signature{};
    std::string message;
    const ExtractHost* host = nullptr;
    unsigned long long detects = 0;
};

} // namespace

extern "C" IExtractPlugin* _createExtractPlugin() {
    return new ProbePlugin;
}

extern "C" const ExtractPluginExtension* _getExtractPluginExtension() {
    return &extensionTable();
}

namespace {

ExtractPluginExtension& extensionTable() {
    static ExtractPluginExtension table = {
        sizeof(ExtractPluginExtension),
        [](IExtractPlugin* plugin, const ExtractSignature** signatures) {
            return static_cast<ProbePlugin*>(plugin)->signatures(signatures);
        },
        [](IExtractPlugin* plugin, const char** message) {
            return static_cast<ProbePlugin*>(plugin)->lastFailure(message);
        },
        [](IExtractPlugin* plugin, const ExtractHost* host) {
            static_cast<ProbePlugin*>(plugin)->setHost(host);
        },
        0,
        nullptr,
        nullptr,
        nullptr,
    };
    return table;
}

}  // namespace

extern "C" int _releaseExtractPlugin(IExtractPlugin* plugin) {
    auto* probe = static_cast<ProbePlugin*>(plugin);
    probe->release();
    delete probe;
    return 0;
}
