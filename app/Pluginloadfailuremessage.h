#pragma once

class IPluginModel;

// Tells the user which plug-in files the plug-in model's last load left out, and why, in one
// warning box; shows nothing when every file was used. Otherwise such a plug-in would simply be
// missing from the list, and its file would give no clue.
class PluginLoadFailureMessage {
public:
    PluginLoadFailureMessage() = delete;

    static void show(IPluginModel* pluginModel);
};
