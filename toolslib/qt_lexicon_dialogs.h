#pragma once

// The lexicon's message boxes with Qt's own message box.

#include "toolslib/lexicon_dialogs.h"

namespace sw {

class QtLexiconDialogs : public LexiconDialogs {
public:
    // Application-modal and without an owner, on the calling (window) thread.
    void ShowMessage(std::string_view text, std::string_view title, LexiconIcon icon) override;
};

} // namespace sw
