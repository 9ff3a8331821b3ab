#pragma once

// Modal dialogs and the desktop's address handler, with Qt's own widgets (not
// the platform's native dialogs, so every platform behaves alike).

#include "shop/dialog_port.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace sw {

class QtDialogs : public DialogPort {
public:
    explicit QtDialogs(QWidget* parent);

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    // The extension of the chosen filter is appended to a name typed without one.
    std::optional<std::string> ChooseSaveFile(const SaveDialogRequest& request) override;
    std::optional<std::string> ChooseFolder(std::string_view caption) override;
    void OpenAddress(std::string_view address) override;

private:
    QPointer<QWidget> parent_;
};

// A Windows filter ("Name|*.ext|Name2|*.a;*.b") as Qt name filters
// ("Name (*.ext)", "Name2 (*.a *.b)"). A name that already ends in a bracketed
// pattern list loses it, so the list Qt matches is the one after "|".
QStringList QtNameFilters(std::string_view windowsFilter);

} // namespace sw
