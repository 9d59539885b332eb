#pragma once

/*
 * The contract between glintfetch and its extraction plug-ins.
 *
 * A plug-in is a shared object anywhere below the "plugins" folder beside the executable. It
 * exports the two C functions _createExtractPlugin and _releaseExtractPlugin and hands out an
 * object that implements IExtractPlugin. The program hands each object an IExtractConfig through
 * which the plug-in reads the settings and keeps whatever must outlive a reload. A plug-in may
 * also export _getExtractPluginExtension (the optional additions at the end of this file); one
 * that does not works exactly as one that does would with none of the additions.
 *
 * This header stands alone: a plug-in author copies it and includes nothing else of ours. It
 * compiles as C++ and as C (C99 or later); in C the two interfaces are structs whose first
 * member points at their table of operations.
 *
 * Binary form (Itanium C++ ABI, which GCC and Clang use on Linux). Plug-ins and the program are
 * built separately, so the layout of both interfaces is fixed:
 * - an interface pointer points at an object whose first word is the address of a table of the
 *   interface's operations, in the order they are declared below;
 * - every operation takes the object pointer as a hidden first argument;
 * - neither interface has a destructor, so the table holds exactly those operations. Never delete
 *   a plug-in object or a configuration through these pointers: a plug-in object is destroyed by
 *   _releaseExtractPlugin, the configuration belongs to the program;
 * - the program never asks a plug-in object for its type (no dynamic_cast, no typeid), so an
 *   object built in C needs no type information before its table;
 * - bool is one byte (0 = false), unsigned and int are 32 bits;
 * - texts are zero-terminated UTF-8 strings.
 *
 * No exception may leave any operation of either interface. The configuration answers every call
 * without throwing. Should a plug-in's call throw all the same, the program catches it, leaves
 * that plug-in out for the rest of the run and says so in the run's log.
 */

#include <stdint.h>

#ifdef __cplusplus

static_assert(sizeof(bool) == 1, "the plug-in contract needs a one-byte bool");
static_assert(sizeof(int) == 4, "the plug-in contract needs a 32-bit int");
static_assert(sizeof(unsigned) == 4, "the plug-in contract needs a 32-bit unsigned");

// The settings as a plug-in sees them. Every call reads the settings as they stand at that
// moment; nothing is cached on either side. pluginId is the plug-in's own getID text: it keeps
// the properties of one plug-in apart from those of the others.
class IExtractConfig {
public:
    // The largest size of data to extract, in bytes; -1 means no upper bound. A bound above the
    // largest int reads as the largest int: ExtractHost gives the whole 64-bit window.
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
// Never two threads at once, so a plug-in needs no lock; only a library that promises
// EXTRACT_PROMISE_CONCURRENT (the optional additions at the end) has calls of its extractCall
// run beside each other and beside the worker's calls.
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
    // every output file ("png" gives png00000.png). The run asks for it after every detect that
    // returned true, before it names the output, so a plug-in that finds several kinds may
    // answer the kind of what its last detect saw.
    virtual const char* getKind() = 0;
    // How many bytes detect may read from its data pointer.
    virtual unsigned getWindowSize() = 0;
    // Called at every byte position of every input (or, when the plug-in declares signatures, at
    // every position where one of them matches), so it must be cheap and reject at once what it
    // can. data points at getWindowSize() bytes; no length is given and nothing beyond the window
    // may be read. Near the end of an input the window reaches past the file's last byte and
    // those bytes are zero, so a true result is only a candidate: extract checks it on the file.
    virtual bool detect(const unsigned char* data) = 0;
    // Reads the input itself, by path (or through ExtractHost::readInput, when the program hands
    // out its services), from the 64-bit offset (offsetHigh << 32 | offsetLow), and
    // writes what it finds there to outputPath. outputPath names an empty file that the program
    // made for this run alone (no other run or program can be writing there); the plug-in may
    // write into it, truncate it or make it anew. Non-zero means data was extracted, and no other
    // plug-in is asked at this position; 0 means nothing was extracted, and the program removes
    // what the call left at outputPath and asks the next plug-in (getExtractFailure, below, tells
    // why). The size window of IExtractConfig is the plug-in's to apply.
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

#else /* C */

#include <stdbool.h>

typedef struct IExtractConfig IExtractConfig;
typedef struct IExtractPlugin IExtractPlugin;

/* The operations of IExtractConfig, in table order; see the C++ declaration above. */
typedef struct IExtractConfigTable {
    int (*getMaxExtractSize)(IExtractConfig* self);
    int (*getMinExtractSize)(IExtractConfig* self);
    void (*getProperty)(IExtractConfig* self, const char* key, char* buffer, const char* pluginId);
    int (*getPropertyLength)(IExtractConfig* self, const char* key, const char* pluginId);
    void (*setProperty)(IExtractConfig* self, const char* key, const char* value,
                        const char* pluginId);
} IExtractConfigTable;

struct IExtractConfig {
    const IExtractConfigTable* table;
};

/* The operations of IExtractPlugin, in table order; see the C++ declaration above. */
typedef struct IExtractPluginTable {
    const char* (*getID)(IExtractPlugin* self);
    const char* (*getName)(IExtractPlugin* self);
    const char* (*getVersion)(IExtractPlugin* self);
    const char* (*getVendor)(IExtractPlugin* self);
    const char* (*getKind)(IExtractPlugin* self);
    unsigned (*getWindowSize)(IExtractPlugin* self);
    bool (*detect)(IExtractPlugin* self, const unsigned char* data);
    unsigned (*extract)(IExtractPlugin* self, const char* inputPath, unsigned offsetHigh,
                        unsigned offsetLow, const char* outputPath);
    bool (*hasProperty)(IExtractPlugin* self);
    void (*showProperty)(IExtractPlugin* self, void* parent);
    bool (*isEnabled)(IExtractPlugin* self);
    void (*setEnabled)(IExtractPlugin* self, bool enabled);
    void (*setConfig)(IExtractPlugin* self, IExtractConfig* config);
} IExtractPluginTable;

/* A plug-in object begins with the address of its table; whatever the plug-in keeps follows. */
struct IExtractPlugin {
    const IExtractPluginTable* table;
};

#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Returns a new plug-in object. A null one (a plug-in out of memory may give it) leaves the library
 * out of the load, with that reason told to the user. */
typedef IExtractPlugin* (*CreateExtractPluginFunction)(void);
/* Destroys an object that _createExtractPlugin of the same plug-in returned. The program ignores
 * the result. A library without this export is not used at all. */
typedef int (*ReleaseExtractPluginFunction)(IExtractPlugin* plugin);

__attribute__((visibility("default"))) IExtractPlugin* _createExtractPlugin(void);
__attribute__((visibility("default"))) int _releaseExtractPlugin(IExtractPlugin* plugin);

/*
 * Optional additions.
 *
 * A plug-in that exports _getExtractPluginExtension hands the program a table of further
 * operations. Every one of them is optional: a null entry, a table shorter than the program's
 * (its size field tells), or no export at all means that the plug-in does not offer it, and the
 * program then works as the first contract describes. The table stays valid while the library is
 * loaded. Each operation takes the plug-in object as its first argument, on the threads given
 * for it below, never two at once but where an operation says otherwise.
 */

/*
 * A byte pattern that must be present wherever detect can return true.
 *
 * The pattern matches the window at data when, for every i below length,
 *     (data[offset + i] & m) == (bytes[i] & m),  with m = mask ? mask[i] : 0xFF.
 * Every signature must have 1 <= length and offset + length <= getWindowSize().
 */
typedef struct ExtractSignature {
    unsigned offset;
    unsigned length;
    const unsigned char* bytes;
    /* Null: every bit of every byte counts. Otherwise only the bits set in mask[i]. */
    const unsigned char* mask;
} ExtractSignature;

/* Why the last extract of an object returned 0 (getExtractFailure). */
enum ExtractFailure {
    /* No whole find within the size window at that position: the usual answer. */
    EXTRACT_NOTHING_FOUND = 0,
    /* A whole find was there and could not be written; the message says which file and why. */
    EXTRACT_OUTPUT_FAILED = 1,
    /* The input could not be opened or read at that position; the message says why. */
    EXTRACT_INPUT_FAILED = 2,
    /* The extract stopped because ExtractHost::isCancelled answered non-zero. */
    EXTRACT_CANCELLED = 3
};

/*
 * Services of the program, handed to a plug-in by setHost. Fields past size are absent; the
 * program fills every field it has.
 */
typedef struct ExtractHost {
    /* sizeof(ExtractHost) as the program was built. */
    unsigned size;
    /* Passed back to every operation below. */
    void* context;
    /* The settings' size window in bytes, whole: minimum 0 means no lower bound, maximum
     * UINT64_MAX no upper bound. IExtractConfig's int view is cut at the largest int; a plug-in
     * that has this one should apply it instead. Same threads as detect and extract. */
    void (*getExtractSizeWindow)(void* context, uint64_t* minimum, uint64_t* maximum);
    /* Non-zero once the user has cancelled the run. A long extract may ask it from time to time,
     * remove what it wrote, and return 0 with EXTRACT_CANCELLED; any thread. */
    int (*isCancelled)(void* context);

    /* The input of the extract call running now, read through the program: the same bytes the
     * run scans, from its memory where it holds them and from its own open input elsewhere, so
     * that a candidate rejected after a few small reads costs no system call (no open, no seek).
     * Valid only inside extract, on its thread, for the input extract names; outside it,
     * getInputSize answers 0 and readInput -1.
     *
     * getInputSize: the input's length in bytes as the run scans it (a device's whole size).
     * readInput: copies up to count bytes from offset into target and returns how many it
     * copied, fewer than count only where the input ends; -1 when the input cannot be read
     * there, and target's bytes are then undefined. Neither asks whether the run was cancelled. */
    uint64_t (*getInputSize)(void* context);
    int64_t (*readInput)(void* context, uint64_t offset, unsigned char* target, uint32_t count);
} ExtractHost;

/*
 * One extract with everything it needs and everything it answers in the call itself, so that
 * calls on several threads at once share nothing through the object (extractCall, below). The
 * program fills the fields up to result and sets the rest to zero and null before the call;
 * fields past size are absent.
 */
typedef struct ExtractCall {
    /* sizeof(ExtractCall) as the program was built. */
    unsigned size;
    const char* inputPath;
    uint64_t offset;
    /* A name of the program's own choosing, in the output folder or one below it: the program
     * gives the find its numbered name once it knows the find stands. */
    const char* outputPath;
    /* This call's services, in place of the ones setHost handed over: readInput reads this
     * call's input, on the thread of the call; never null. */
    const ExtractHost* host;

    /* As extract's result: non-zero means a find was written to outputPath. */
    unsigned result;
    /* When result is 0: one of enum ExtractFailure, as getExtractFailure would answer. */
    int failure;
    /* The program's buffer of messageCapacity bytes: for a failure other than
     * EXTRACT_NOTHING_FOUND, the text getExtractFailure would give, zero-terminated, cut at a
     * character's start when it is longer. */
    char* message;
    unsigned messageCapacity;
    /* The plug-in's own, from extractCall to settleCall; null at first. */
    void* note;
} ExtractCall;

typedef struct ExtractPluginExtension {
    /* sizeof(ExtractPluginExtension) as the plug-in was built. */
    unsigned size;

    /*
     * The signatures of the object's detect, for the settings it has now. Returns how many there
     * are and points *signatures at the first; a negative result declares none, and the object is
     * offered every position as before. Zero declares that detect never returns true.
     *
     * What a declaration promises, and the program relies on: at any data pointer at which no
     * declared signature matches, detect returns false. So the program calls detect only where
     * one matches; which one matched is not passed on. A declaration that breaks its own rules
     * (length 0, a pattern past the window) is disregarded as a whole, with a line in the run's
     * log, and the object is offered every position. A signature that matches where detect
     * rejects costs only time.
     *
     * Called on the worker at the start of every run, after setConfig and setHost; the array
     * stays valid and unchanged until the run ends (the object's next call of setHost).
     */
    int (*getSignatures)(IExtractPlugin* plugin, const ExtractSignature** signatures);

    /*
     * Why the object's last extract returned 0: one of enum ExtractFailure. For anything but
     * EXTRACT_NOTHING_FOUND, *message points at a text for the user naming the file and the cause
     * (in Japanese, as the rest of the program speaks), valid until the next call into the object.
     * Called on the worker right after an extract that returned 0.
     */
    int (*getExtractFailure)(IExtractPlugin* plugin, const char** message);

    /*
     * Hands the object the program's services, or withdraws them (null). Called after setConfig
     * at the start of a run, with null when the run ends; host stays valid until then. Without a
     * host the object reads the size window through IExtractConfig and is never cancelled.
     */
    void (*setHost)(IExtractPlugin* plugin, const ExtractHost* host);

    /*
     * What the library's extract promises, as EXTRACT_PROMISE_ bits; 0 promises nothing. Read at
     * every run; the program relies on every bit set.
     */
    unsigned promises;

    /*
     * The extract of a library that promises EXTRACT_PROMISE_CONCURRENT, its answers in the call:
     * result (also returned), failure, message and note. It may run on several threads of the
     * program at once, and beside detect, getKind and settleCall on the run's own thread; the
     * program then calls neither extract nor getExtractFailure of the object.
     */
    unsigned (*extractCall)(IExtractPlugin* plugin, ExtractCall* call);

    /*
     * Called on the run's thread once for every call that extractCall answered, in the order in
     * which a run on one thread would have made those calls, before the program counts or names
     * the find. Whatever the object learns from its calls that later ones depend on (where the
     * members of an archive found begin, how far the frames of a stream found reach) it takes
     * here, so that calls checked side by side answer as calls made one after another would.
     *
     * taken non-zero: a run on one thread would have made this call here, after every call
     * settled before it. The object may withdraw a find (result 0, failure EXTRACT_NOTHING_FOUND)
     * that what it learned from those calls makes none, the tail of a find already made, say; the
     * program then removes outputPath. A non-zero return says the call's answer rested on a
     * guess that those calls do not bear out: the program then makes the call again, on this
     * thread, and settles that answer in its place.
     * taken zero: a run on one thread would not have made this call (a plug-in earlier in the
     * order found data at the same position); the object forgets it, and the return is ignored.
     *
     * Either way the object releases the call's note. extractCall may look at what the settled
     * calls taught the object, under its own lock, to skip work that they make needless.
     */
    int (*settleCall)(IExtractPlugin* plugin, ExtractCall* call, int taken);

    /*
     * Every kind the object's finds may have, for the settings it has now: after a detect that
     * returned true, getKind answers one of them. Returns how many there are and points *kinds at
     * the first of that many zero-terminated texts; a negative result declares none, and getKind's
     * answer is then taken for the object's only kind. The texts stay valid until the next call
     * into the object. The program asks it to choose plug-ins by kind and to list them; on the
     * threads of getID.
     */
    int (*getKinds)(IExtractPlugin* plugin, const char* const** kinds);
} ExtractPluginExtension;

/*
 * An extract that returns 0 has written nothing at outputPath: it writes the file only for a find
 * it writes whole, and removes what it began when writing fails or is cancelled. After a failure
 * of EXTRACT_NOTHING_FOUND the program then has nothing to look at nor to remove, which saves a
 * look at the file system for every candidate rejected (it looks after any other failure, and
 * after a call that threw).
 */
#define EXTRACT_PROMISE_NO_LEFTOVERS 1u

/*
 * The library's extractCall and settleCall keep the contract given for them above: the program
 * then checks the object's candidates on several threads at once. Without this bit, or without
 * either operation, every call of the object comes from one thread, as the first contract says.
 */
#define EXTRACT_PROMISE_CONCURRENT 2u

typedef const ExtractPluginExtension* (*GetExtractPluginExtensionFunction)(void);

__attribute__((visibility("default"))) const ExtractPluginExtension* _getExtractPluginExtension(void);

#ifdef __cplusplus
}
#endif
