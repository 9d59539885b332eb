#include "engine/Pluginextension.h"

#include <cstddef>

#define FIELD_END(field) \
    static_cast<unsigned>(offsetof(ExtractPluginExtension, field) + sizeof(ExtractPluginExtension::field))

PluginExtension::PluginExtension(const ExtractPluginExtension* table) : table(table) {}

bool PluginExtension::holds(unsigned fieldEnd) const {
    return table != nullptr && table->size >= fieldEnd;
}

bool PluginExtension::declaresSignatures() const {
    return holds(FIELD_END(getSignatures)) && table->getSignatures != nullptr;
}

int PluginExtension::getSignatures(IExtractPlugin* plugin,
                                   const ExtractSignature** signatures) const {
    *signatures = nullptr;
    if (!declaresSignatures()) return -1;
    const int count = table->getSignatures(plugin, signatures);
    if (count > 0 && *signatures == nullptr) return -1;
    return count;
}

bool PluginExtension::reportsFailures() const {
    return holds(FIELD_END(getExtractFailure)) && table->getExtractFailure != nullptr;
}

int PluginExtension::getExtractFailure(IExtractPlugin* plugin, std::string& message) const {
    message.clear();
    if (!reportsFailures()) return EXTRACT_NOTHING_FOUND;
    const char* text = nullptr;
    const int failure = table->getExtractFailure(plugin, &text);
    if (failure != EXTRACT_NOTHING_FOUND && text != nullptr) message = text;
    return failure;
}

bool PluginExtension::takesHost() const {
    return holds(FIELD_END(setHost)) && table->setHost != nullptr;
}

void PluginExtension::setHost(IExtractPlugin* plugin, const ExtractHost* host) const {
    if (takesHost()) table->setHost(plugin, host);
}

bool PluginExtension::leavesNothingOnFailure() const {
    return holds(FIELD_END(promises)) && (table->promises & EXTRACT_PROMISE_NO_LEFTOVERS) != 0;
}

bool PluginExtension::checksConcurrently() const {
    return holds(FIELD_END(settleCall)) && (table->promises & EXTRACT_PROMISE_CONCURRENT) != 0 &&
           table->extractCall != nullptr && table->settleCall != nullptr;
}

unsigned PluginExtension::extractCall(IExtractPlugin* plugin, ExtractCall* call) const {
    return table->extractCall(plugin, call);
}

int PluginExtension::settleCall(IExtractPlugin* plugin, ExtractCall* call, bool taken) const {
    return table->settleCall(plugin, call, taken ? 1 : 0);
}

std::vector<std::string> PluginExtension::getKinds(IExtractPlugin* plugin) const {
    std::vector<std::string> kinds;
    if (!holds(FIELD_END(getKinds)) || table->getKinds == nullptr) return kinds;
    const char* const* texts = nullptr;
    const int count = table->getKinds(plugin, &texts);
    if (count <= 0 || texts == nullptr) return kinds;
    for (int i = 0; i < count; ++i) {
        if (texts[i] != nullptr && texts[i][0] != '\0') kinds.emplace_back(texts[i]);
    }
    return kinds;
}
