#pragma once

#include <functional>
#include <string>

// A control's font. Height is the class library's: negative for a character height in pixels,
// positive for a cell height; Size is in points. Qt draws Unicode whatever the character set, so
// Charset is only kept. A font that is not installed falls back to the system's.
class TFont {
public:
    TFont() = default;

    std::string Name() const { return name; }
    void SetName(const std::string& fontName);
    int Height() const { return height; }
    void SetHeight(int fontHeight);
    int Size() const;
    void SetSize(int points);
    int Charset() const { return charset; }
    void SetCharset(int fontCharset) { charset = fontCharset; }

    // Told after every change; the control applies the font to its widget.
    std::function<void()> OnChange;

private:
    void changed();

    std::string name;
    int height = 0;  // 0: the system's size
    int charset = 1;
};
