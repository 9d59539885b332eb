#pragma once

#include "plugins/common/Pluginbase.h"
#include "plugins/common/Signatureset.h"

// A plug-in whose detector and parser come whole from Parser: its static windowSize, its static
// signatures() (the patterns its detect needs) and detect(const unsigned char*), and
// measure(ByteCursor&) on a fresh parser for every candidate, which keeps nothing in the object, so
// its candidates may be checked side by side.
template <class Parser>
class FormatPlugin : public PluginBase {
public:
    FormatPlugin(const char* id, const char* name, const char* kind)
        : PluginBase(Identity{id, name, kind, Parser::windowSize})
    {
    }

    static constexpr bool callsConcurrently = true;

    bool detect(const unsigned char* data) override
    {
        return Parser::detect(data);
    }

protected:
    std::uint64_t measure(ByteCursor& input) override
    {
        Parser parser;
        return parser.measure(input);
    }

    const SignatureSet* signatures() override
    {
        return &Parser::signatures();
    }
};
