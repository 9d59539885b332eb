/* A plug-in written in plain C against the plug-in contract header alone, as a third party would
 * write one: no signatures, no other optional addition. It finds "GFC!" followed by a length
 * byte and that many bytes of data, and extracts the whole record. */

#include "engine/ExtractPlugin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct PlainPlugin {
    IExtractPlugin base;
    bool enabled;
} PlainPlugin;

static const char* getID(IExtractPlugin* self) { (void)self; return "plainc"; }
static const char* getName(IExtractPlugin* self) { (void)self; return "C で書いたプラグイン"; }
static const char* getVersion(IExtractPlugin* self) { (void)self; return "1.0"; }
static const char* getVendor(IExtractPlugin* self) { (void)self; return "glintfetch tests"; }
static const char* getKind(IExtractPlugin* self) { (void)self; return "gfc"; }
static unsigned getWindowSize(IExtractPlugin* self) { (void)self; return 5; }

static bool detect(IExtractPlugin* self, const unsigned char* data) {
    (void)self;
    return memcmp(data, "GFC!", 4) == 0 && data[4] > 0;
}

static unsigned extract(IExtractPlugin* self, const char* inputPath, unsigned offsetHigh,
                        unsigned offsetLow, const char* outputPath) {
    (void)self;
    unsigned char record[5 + 255];
    size_t length = 0;
    FILE* input = fopen(inputPath, "rb");
    if (input == NULL) return 0;
    if (fseeko(input, (off_t)(((unsigned long long)offsetHigh << 32) | offsetLow), SEEK_SET) == 0 &&
        fread(record, 1, 5, input) == 5) {
        length = 5 + record[4];
        if (fread(record + 5, 1, length - 5, input) != length - 5) length = 0;
    }
    fclose(input);
    if (length == 0) return 0;
    FILE* output = fopen(outputPath, "wb");
    if (output == NULL) return 0;
    const size_t written = fwrite(record, 1, length, output);
    if (fclose(output) != 0 || written != length) return 0;
    return (unsigned)length;
}

static bool hasProperty(IExtractPlugin* self) { (void)self; return false; }
static void showProperty(IExtractPlugin* self, void* parent) { (void)self; (void)parent; }
static bool isEnabled(IExtractPlugin* self) { return ((PlainPlugin*)self)->enabled; }
static void setEnabled(IExtractPlugin* self, bool enabled) { ((PlainPlugin*)self)->enabled = enabled; }
static void setConfig(IExtractPlugin* self, IExtractConfig* config) { (void)self; (void)config; }

static const IExtractPluginTable table = {
    getID, getName, getVersion, getVendor, getKind, getWindowSize, detect, extract,
    hasProperty, showProperty, isEnabled, setEnabled, setConfig,
};

IExtractPlugin* _createExtractPlugin(void) {
    PlainPlugin* plugin = (PlainPlugin*)malloc(sizeof *plugin);
    if (plugin == NULL) return NULL;
    plugin->base.table = &table;
    plugin->enabled = true;
    return &plugin->base;
}

int _releaseExtractPlugin(IExtractPlugin* plugin) {
    free(plugin);
    return 1;
}
