#pragma once

#include "plugins/common/IByteSource.h"

#include <fstream>

// An input file opened by path for reading.
class FileSource final : public IByteSource {
public:
    explicit FileSource(const char* path);

    bool isOpen() const;
    std::size_t readAt(std::uint64_t position, unsigned char* target, std::size_t count) override;

private:
    std::ifstream stream;
};
