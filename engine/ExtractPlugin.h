#pragma once

// The contract between glintfetch and its extraction plug-ins.
//
// A plug-in is a shared object anywhere below the "plugins" folder beside the executable. It
// exports the two C functions declared at the end of this file and hands out an object that
// implements IExtractPlugin. The program hands each object an IExtractConfig through which the
// plug-in reads the settings and keeps whatever must outlive a reload.
//
// This header stands alone: a plug-in author copies it and includes nothing else of ours.
//
// Binary form (Itanium C++ ABI, which GCC and Clang use on Linux). Plug-ins and the program are
// built separately, so the layout of both interfaces is fixed:
// - an interface pointer points at an object whose first word is the address of a table of the
//   interface's operations, in the order they are declared below;
// - every operation takes the object pointer as a hidden first argument;
// - neither interface has a destructor, so the table holds exactly those operations. Never delete
//   a plug-in object or a configuration through these pointers: a plug-in object is destroyed by
//   _releaseExtractPlugin, the configuration belongs to the program;
// - bool is one byte (0 = false), unsigned and int are 32 bits;
// - texts are zero-terminated UTF-8 strings.
//
// No exception may leave any operation of either interface: the program catches none of a
// plug-in's, and the configuration answers every call without throwing.

static_assert(sizeof(bool) == 1, "the plug-in contract needs a one-byte bool");
static_assert(sizeof(int) == 4, "the plug-in contract needs a 32-bit int");
static_assert(sizeof(unsigned) == 4, "the plug-in contract needs a 32-bit unsigned");

// The settings as a plug-in sees them. Every call reads the settings as they stand at that
// moment; nothing is cached on either side. pluginId is the plug-in's own getID text: it keeps
// the properties of one plug-in apart from those of the others.
class IExtractConfig {
public:
    // The largest size of data to extract, in bytes; -1 means no upper bound.
    virtual int getMaxExtractSize() = 0;
    // The smallest size of data to extract, in bytes; 0 means no lower bound.
    virtual int getMinExtractSize() = 0;
    // Copies the property's value with its terminating zero byte into buffer. The copy does not
    // know the buffer's size: the caller's buffer must hold at least
    // getPropertyLength(key, pluginId) bytes. A property never set reads as the empty text.
    virtual void getProperty(const char* key, char* buffer, const char* pluginId) = 0;
    // The value's length in bytes plus one, for its terminating zero byte.
    virtual int getPropertyLength(const char* key, const char* pluginId) = 0;
    // Stores value under key. Properties live in memory until the program saves its settings
    // (the OK buttons of its settings dialogs); a run reloads the saved file first. Keys are
    // stored as XML element names, so use letters, digits and '_' and begin with a letter.
    virtual void setProperty(const char* key, const char* value, const char* pluginId) = 0;
};

// One extraction plug-in object.
//
// The program releases every object, unloads every plug-in and loads them all again whenever the
// plug-in settings dialog opens, at its Refresh button and at the start of every extraction run.
// State that must survive that (the enabled flag included) goes through IExtractConfig.
//
// Threads: loading, getID, setConfig and release run on the user-interface thread or, at the
// start of a run, on the worker; getKind, getWindowSize, detect, extract and isEnabled on the
// worker during a run; getID to getVendor and hasProperty to setEnabled from the settings dialog.
// Never two threads at once, so a plug-in needs no lock.
//
// Texts returned are owned by the plug-in; the program copies them at once.
class IExtractPlugin {
public:
    // A unique, stable key for this plug-in: the program maps plug-ins by it, and its settings
    // are stored under it.
    virtual const char* getID() = 0;
    // The caption shown for the plug-in in the settings dialog.
    virtual const char* getName() = 0;
    virtual const char* getVersion() = 0;
    virtual const char* getVendor() = 0;
    // The kind of data found: names the per-kind folder, and is the prefix and the extension of
    // every output file ("png" gives png00000.png).
    virtual const char* getKind() = 0;
    // How many bytes detect may read from its data pointer.
    virtual unsigned getWindowSize() = 0;
    // Called at every byte position of every input, so it must be cheap and reject at once what it
    // can. data points at getWindowSize() bytes; no length is given and nothing beyond the window
    // may be read. Near the end of an input the window reaches past the file's last byte and
    // those bytes are stale, so a true result is only a candidate: extract checks it on the file.
    virtual bool detect(const unsigned char* data) = 0;
    // Reads the input itself, by path, from the 64-bit offset (offsetHigh << 32 | offsetLow), and
    // writes what it finds there to outputPath. Non-zero means data was extracted, and no other
    // plug-in is asked at this position; 0 means nothing was found, and the program deletes
    // outputPath and asks the next plug-in. The size window of IExtractConfig is the plug-in's to
    // apply.
    virtual unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                             const char* outputPath) = 0;
    // Whether showProperty has a dialog to show.
    virtual bool hasProperty() = 0;
    // Shows the plug-in's own modal property dialog over parent. On this platform parent is the
    // QWidget* of the program's plug-in settings window, passed as void* so that this header
    // needs no Qt include; it may be null. A plug-in that shows a dialog links the same Qt 6
    // Widgets library as the program and runs in its QApplication.
    virtual void showProperty(void* parent) = 0;
    // Whether the program offers this plug-in's data positions to it in a run.
    virtual bool isEnabled() = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Called once after every plug-in of a load exists. config stays valid until the object is
    // released, except at shutdown, when the settings are destroyed first: _releaseExtractPlugin
    // must not use it.
    virtual void setConfig(IExtractConfig* config) = 0;
};

extern "C" {

// Returns a new plug-in object, never null.
typedef IExtractPlugin* (*CreateExtractPluginFunction)();
// Destroys an object that _createExtractPlugin of the same plug-in returned. The program ignores
// the result.
typedef int (*ReleaseExtractPluginFunction)(IExtractPlugin* plugin);

__attribute__((visibility("default"))) IExtractPlugin* _createExtractPlugin();
__attribute__((visibility("default"))) int _releaseExtractPlugin(IExtractPlugin* plugin);

}
