#include "tests/plugins/Countinghost.h"

#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

const ExtractPluginExtension* extensionOf(const std::string& folder)
{
    // The library is loaded already; this only looks up its export.
    void* handle = dlopen(LoadedPlugin::pathOf(folder).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return nullptr;
    }
    auto get = reinterpret_cast<GetExtractPluginExtensionFunction>(dlsym(handle, "_getExtractPluginExtension"));
    dlclose(handle);
    return get != nullptr ? get() : nullptr;
}

bool takesHost(const ExtractPluginExtension* extension)
{
    return extension != nullptr &&
           extension->size >= offsetof(ExtractPluginExtension, setHost) + sizeof extension->setHost &&
           extension->setHost != nullptr;
}

}  // namespace

CountingHost::CountingHost(const Bytes& input)
    : input(input), host{sizeof(ExtractHost), this, &window, &notCancelled, &inputSize, &CountingHost::readInput}
{
}

std::vector<CountingHost::Find> CountingHost::scan(const std::vector<std::string>& folders)
{
    FakeExtractConfig config;
    std::vector<std::unique_ptr<LoadedPlugin>> plugins;
    unsigned windowSize = 0;
    for (const std::string& name : folders) {
        plugins.push_back(std::make_unique<LoadedPlugin>(name));
        LoadedPlugin& plugin = *plugins.back();
        plugin->setConfig(&config);
        if (!takesHost(extensionOf(name))) {
            throw std::runtime_error(name + " takes no host");
        }
        extensionOf(name)->setHost(plugin.get(), &host);
        windowSize = std::max(windowSize, plugin->getWindowSize());
    }
    const std::string inputPath = folder.write("input", input);
    const std::string outputPath = folder.file("find");
    Bytes buffer(input);
    buffer.resize(input.size() + windowSize);

    std::vector<Find> finds;
    for (std::uint64_t position = 0; position < input.size(); ++position) {
        for (const std::unique_ptr<LoadedPlugin>& plugin : plugins) {
            if (!(*plugin)->detect(buffer.data() + position)) {
                continue;
            }
            ++calls;
            const unsigned size = (*plugin)->extract(inputPath.c_str(), static_cast<unsigned>(position >> 32),
                                                     static_cast<unsigned>(position), outputPath.c_str());
            std::remove(outputPath.c_str());
            if (size > 0) {
                finds.push_back(Find{position, size, (*plugin)->getKind()});
                break;
            }
        }
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        extensionOf(folders[i])->setHost(plugins[i]->get(), nullptr);
    }
    return finds;
}

std::uint64_t CountingHost::bytesRead() const
{
    return read;
}

std::uint64_t CountingHost::reads() const
{
    return readCalls;
}

std::uint64_t CountingHost::extractCalls() const
{
    return calls;
}

void CountingHost::window(void*, std::uint64_t* minimum, std::uint64_t* maximum)
{
    *minimum = 0;
    *maximum = UINT64_MAX;
}

int CountingHost::notCancelled(void*)
{
    return 0;
}

std::uint64_t CountingHost::inputSize(void* context)
{
    return static_cast<const CountingHost*>(context)->input.size();
}

std::int64_t CountingHost::readInput(void* context, std::uint64_t offset, unsigned char* target, std::uint32_t count)
{
    auto* self = static_cast<CountingHost*>(context);
    ++self->readCalls;
    if (offset >= self->input.size()) {
        return 0;
    }
    const std::size_t copied = std::min<std::size_t>(count, self->input.size() - offset);
    std::memcpy(target, self->input.data() + offset, copied);
    self->read += copied;
    return static_cast<std::int64_t>(copied);
}
