#pragma once

#include "engine/ExtractPlugin.h"

#include <string>
#include <vector>

// The optional operations a plug-in library offers through _getExtractPluginExtension, read
// safely: an operation the library's table lacks (a null entry, or a table built before the
// operation existed) answers as a plug-in of the first contract would.
class PluginExtension {
public:
    // table may be null: a library without the export.
    explicit PluginExtension(const ExtractPluginExtension* table = nullptr);

    bool declaresSignatures() const;
    // Negative when the object declares none (it is then offered every position).
    int getSignatures(IExtractPlugin* plugin, const ExtractSignature** signatures) const;
    bool reportsFailures() const;
    // EXTRACT_NOTHING_FOUND when the library cannot tell; message is then empty.
    int getExtractFailure(IExtractPlugin* plugin, std::string& message) const;
    bool takesHost() const;
    void setHost(IExtractPlugin* plugin, const ExtractHost* host) const;
    // Whether a failed extract leaves nothing at its output path (EXTRACT_PROMISE_NO_LEFTOVERS).
    bool leavesNothingOnFailure() const;
    // Whether the object's candidates may be checked on several threads at once: the promise and
    // both of its operations are there.
    bool checksConcurrently() const;
    // Only where checksConcurrently holds.
    unsigned extractCall(IExtractPlugin* plugin, ExtractCall* call) const;
    int settleCall(IExtractPlugin* plugin, ExtractCall* call, bool taken) const;
    // The kinds the object's finds may have; empty when the library does not say (getKind's
    // answer is then the only one).
    std::vector<std::string> getKinds(IExtractPlugin* plugin) const;

private:
    // Whether the table, as the library built it, reaches past the field at fieldEnd.
    bool holds(unsigned fieldEnd) const;

    const ExtractPluginExtension* table;
};
