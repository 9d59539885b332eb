#pragma once

#include "engine/ExtractPlugin.h"
#include "framework/IObservable.h"

#include <cstdint>
#include <string>

// The settings of config.xml, typed. The user interface and the extraction run use this
// interface; plug-ins see only its IExtractConfig part.
//
// Every read and write goes to the settings document held in memory; the file is touched only by
// load and save, and only when a caller asks. The flag and size operations raise XMLException
// when their element is missing or holds no text; the size getters read a text that is no number
// as -1, that is, as no bound.
class IConfigModel : public virtual IObservable, public virtual IExtractConfig {
public:
    // Appends the default settings to the document's root; writes nothing.
    virtual void buildDefaultDocument() = 0;
    // Replaces the document by config.xml; a failure leaves the previous document.
    virtual void load() = 0;
    // Writes the whole document to config.xml.
    virtual void save() = 0;

    virtual bool isCreateDirPerFile() = 0;
    virtual void setCreateDirPerFile(bool value) = 0;
    virtual bool isCreateDirPerData() = 0;
    virtual void setCreateDirPerData(bool value) = 0;
    // Whether a find that needs bytes the input could not give (bad sectors) is written all the
    // same, with zeros for them and marked as damaged, instead of being left out. In
    // "file_options"/"keep_damaged"; off when the element is missing. Never throw.
    virtual bool isKeepDamaged() = 0;
    virtual void setKeepDamaged(bool value) = 0;

    // The size window in megabytes; negative means that side is unbounded.
    virtual long double getLimitFrom() = 0;
    virtual void setLimitFrom(double megabytes) = 0;
    virtual long double getLimitTo() = 0;
    virtual void setLimitTo(double megabytes) = 0;

    // The size window as the file-option dialog shows it: an unbounded side is the empty text.
    // The setters store the empty text as "-1", ignore a text that is no number or is negative,
    // and otherwise store the number in the general format, not the text as typed.
    virtual std::string getLimitFromText() = 0;
    virtual void setLimitFromText(std::string text) = 0;
    virtual std::string getLimitToText() = 0;
    virtual void setLimitToText(std::string text) = 0;

    // The size window in bytes, whole (IExtractConfig's int view stops at the largest int): an
    // unbounded side reads as 0 below and UINT64_MAX above. Never throws, like the plug-in face.
    virtual void getExtractSizeWindow(std::uint64_t* minimum, std::uint64_t* maximum) = 0;

    // The output folder of the last confirmed run, kept for the next session in
    // "window_options"/"output_folder"; "" when none is kept. Never throws: a file without the
    // element reads as none, and the setter makes what is missing.
    virtual std::string getOutputFolder() = 0;
    virtual void setOutputFolder(std::string folder) = 0;

    // The main window's client size and whether it was maximised when the last session ended,
    // kept in "window_options"/"main_window" (its "width", "height" and "maximized"). False, and
    // nothing written, when none is kept or what is kept is no usable size. Never throw.
    virtual bool getMainWindow(int* width, int* height, bool* maximized) = 0;
    virtual void setMainWindow(int width, int height, bool maximized) = 0;

    // What the run does with an input that holds partition tables or file systems, kept in
    // "disk_options": whether their files are copied out by name before the carving
    // ("read_file_systems", default true), whether the carving then covers whole volumes or only
    // the space no live file holds ("carve_whole_volumes", default false), and which volumes are
    // looked at ("volumes": their numbers from 1, separated by commas; "" for all, the default).
    // Never throw: a file without them reads as the defaults, and the setters make what is
    // missing.
    virtual bool isReadFileSystems() = 0;
    virtual void setReadFileSystems(bool value) = 0;
    virtual bool isCarveWholeVolumes() = 0;
    virtual void setCarveWholeVolumes(bool value) = 0;
    virtual std::string getVolumeChoice() = 0;
    virtual void setVolumeChoice(std::string volumes) = 0;

protected:
    ~IConfigModel() = default;
};
