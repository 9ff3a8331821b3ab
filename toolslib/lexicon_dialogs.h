#pragma once

// The lexicon's message boxes, as its work asks for them. The window shows
// them with Qt; tests answer them. Texts are GBK.

#include <string_view>

namespace sw {

enum class LexiconIcon { None, Information, Error };

class LexiconDialogs {
public:
    virtual ~LexiconDialogs() = default;

    // A message box with an OK button and no owner that keeps the rest of the
    // program waiting; returns when the user closes it.
    virtual void ShowMessage(std::string_view text, std::string_view title, LexiconIcon icon) = 0;
};

} // namespace sw
