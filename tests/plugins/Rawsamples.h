#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <cstdint>
#include <string>

// Camera raw files hand-built small from the TIFF structure each maker's format follows: the tags
// that tell one maker's raw from another's and from a plain TIFF, a few bytes of sensor data each.
class RawSamples {
public:
    static Bytes dng(bool bigEndian);
    // A Canon raw: "CR" after the TIFF header, the raw IFD's offset behind it.
    static Bytes cr2();
    // A Nikon or Sony raw: a preview in IFD0, the sensor data in a sub-IFD under the maker's own
    // compression, the maker note in the EXIF IFD.
    static Bytes makerRaw(bool bigEndian, const std::string& makeText, std::uint64_t makerCompression,
                          std::uint32_t seed);
    // An Olympus raw, its TIFF magic "RO" or (rs) "RS".
    static Bytes orf(bool rs);
    static Bytes rw2();
};
