#pragma once

#include "plugins/common/Pluginbase.h"

#include <cstdint>

// The JPEG plug-in. Its property dialog sets the smallest image it takes, which keeps the
// thumbnails that cameras embed in every photo out of the results when the user wishes.
class JpegPlugin final : public PluginBase {
public:
    // Decimal pixel counts; empty or unreadable texts read as 0, no lower bound.
    static constexpr const char* minimumWidthKey = "min_width";
    static constexpr const char* minimumHeightKey = "min_height";

    // A run's calls read the bounds taken at its start and nothing else of the object.
    static constexpr bool callsConcurrently = true;

    JpegPlugin();

    bool detect(const unsigned char* data) override;
    bool hasProperty() override;
    void showProperty(void* parent) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;
    const SignatureSet* signatures() override;
    void hostChanged(bool inRun) override;

private:
    std::uint32_t readPixels(const char* key) const;

    // The bounds as the run began; outside a run they are read at every candidate.
    bool inRun = false;
    std::uint32_t runWidth = 0;
    std::uint32_t runHeight = 0;
};
