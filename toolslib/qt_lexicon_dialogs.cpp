#include "toolslib/qt_lexicon_dialogs.h"

#include "toolslib/lexicon_qt_text.h"

#include <QMessageBox>

namespace sw {

void QtLexiconDialogs::ShowMessage(std::string_view text, std::string_view title, LexiconIcon icon) {
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    if (icon == LexiconIcon::Information)
        shown = QMessageBox::Information;
    else if (icon == LexiconIcon::Error)
        shown = QMessageBox::Critical;
    QMessageBox box(shown, LexiconQString(title), LexiconQString(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace sw
