#pragma once

// Modal dialogs and the desktop's handlers, as the logic asks for them. The Qt
// program implements it; tests answer from a script. Texts and paths are GBK.

#include <optional>
#include <string>
#include <string_view>

namespace sw {

enum class MessageIcon { None, Information, Warning, Error, Question };

struct SaveDialogRequest {
    std::string title;
    // Windows filter form: "Name|*.ext|Name2|*.ext2"; the first entry is selected.
    std::string filter;
    std::string defaultExtension; // with its dot, e.g. ".csv"
    std::string initialFolder;
    std::string proposedPath;
};

class DialogPort {
public:
    virtual ~DialogPort() = default;

    // A message box with an OK button; returns when the user closes it.
    virtual void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;
    // The chosen path, or nullopt when the user cancels.
    virtual std::optional<std::string> ChooseSaveFile(const SaveDialogRequest& request) = 0;
    // A folder dialog with an edit field; the chosen folder, or nullopt on cancel.
    virtual std::optional<std::string> ChooseFolder(std::string_view caption) = 0;
    // Opens an address with the desktop's default handler, without waiting.
    virtual void OpenAddress(std::string_view address) = 0;
};

} // namespace sw
