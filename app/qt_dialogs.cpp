#include "app/qt_dialogs.h"

#include "app/qt_text.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>

namespace sw {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "*.csv" gives "csv"; a pattern with wildcards in its extension gives nothing.
QString SuffixOf(const QString& nameFilter) {
    static const QRegularExpression simple(QStringLiteral("\\(\\*\\.([^*?\\s)]+)[\\s)]"));
    const QRegularExpressionMatch match = simple.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QStringList QtNameFilters(std::string_view windowsFilter) {
    const QStringList parts = ToQString(windowsFilter).split(QLatin1Char('|'));
    static const QRegularExpression bracketedPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        name.remove(bracketedPatterns);
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(QStringLiteral("%1 (%2)").arg(name, patterns.simplified()));
    }
    return filters;
}

QtDialogs::QtDialogs(QWidget* parent) : parent_(parent) {}

void QtDialogs::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), ToQString(title), ToQString(text), QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<std::string> QtDialogs::ChooseSaveFile(const SaveDialogRequest& request) {
    QFileDialog dialog(parent_, ToQString(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    QString fallbackSuffix = ToQString(request.defaultExtension);
    if (fallbackSuffix.startsWith(QLatin1Char('.')))
        fallbackSuffix.remove(0, 1);
    const auto suffixFor = [fallbackSuffix](const QString& filter) {
        const QString suffix = SuffixOf(filter);
        return suffix.isEmpty() ? fallbackSuffix : suffix;
    };
    dialog.setDefaultSuffix(suffixFor(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffixFor](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
    if (!request.initialFolder.empty())
        dialog.setDirectory(ToQString(request.initialFolder));
    if (!request.proposedPath.empty())
        dialog.selectFile(ToQString(request.proposedPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToGbk(dialog.selectedFiles().front());
}

std::optional<std::string> QtDialogs::ChooseFolder(std::string_view caption) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent_, ToQString(caption), QString(), QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return std::nullopt;
    return ToGbk(folder);
}

void QtDialogs::OpenAddress(std::string_view address) {
    QDesktopServices::openUrl(QUrl(ToQString(address)));
}

} // namespace sw
