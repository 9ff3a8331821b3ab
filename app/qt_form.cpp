#include "app/qt_form.h"

#include "app/colour_picker.h"
#include "app/html_view.h"
#include "app/qt_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace sw {

QtForm::QtForm(QWidget& root, GridPort& grid, HintSink showHint)
    : root_(root), grid_(grid), showHint_(std::move(showHint)) {}

QWidget* QtForm::Find(std::string_view control) const {
    auto it = found_.find(control);
    if (it != found_.end() && it->second)
        return it->second;
    QWidget* widget = root_.findChild<QWidget*>(ToQString(control));
    if (widget != nullptr)
        found_[std::string(control)] = widget;
    return widget;
}

std::string QtForm::Text(std::string_view control) const {
    QWidget* widget = Find(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return ToGbk(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return ToGbk(combo->currentText());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return ToGbk(button->text());
    if (auto* label = qobject_cast<QLabel*>(widget))
        return ToGbk(label->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return ToGbk(group->title());
    if (auto* html = qobject_cast<HtmlView*>(widget))
        return html->Address();
    return {};
}

void QtForm::SetText(std::string_view control, std::string_view text) {
    QWidget* widget = Find(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(ToQString(text));
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setCurrentText(ToQString(text)); // a drop-down list takes only the text of one of its items
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(ToQString(text));
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(ToQString(text));
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(ToQString(text));
    else if (auto* html = qobject_cast<HtmlView*>(widget))
        html->SetAddress(text);
}

void QtForm::SetEnabled(std::string_view control, bool enabled) {
    if (QWidget* widget = Find(control))
        widget->setEnabled(enabled);
}

bool QtForm::IsChecked(std::string_view control) const {
    auto* button = FindAs<QAbstractButton>(control);
    return button != nullptr && button->isChecked();
}

int QtForm::SelectedIndex(std::string_view control) const {
    auto* combo = FindAs<QComboBox>(control);
    return combo == nullptr ? -1 : combo->currentIndex();
}

void QtForm::SetSelectedIndex(std::string_view control, int index) {
    if (auto* combo = FindAs<QComboBox>(control))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

std::vector<ListItem> QtForm::Items(std::string_view control) const {
    std::vector<ListItem> items;
    if (auto* combo = FindAs<QComboBox>(control))
        for (int i = 0; i < combo->count(); ++i)
            items.push_back({ToGbk(combo->itemText(i)), combo->itemData(i).toLongLong()});
    return items;
}

void QtForm::SetItems(std::string_view control, const std::vector<ListItem>& items) {
    auto* combo = FindAs<QComboBox>(control);
    if (combo == nullptr)
        return;
    combo->clear();
    for (const ListItem& item : items)
        combo->addItem(ToQString(item.text), QVariant::fromValue(item.value));
    combo->setCurrentIndex(-1);
}

int QtForm::CheckItemCount(std::string_view control) const {
    auto* list = FindAs<QListWidget>(control);
    return list == nullptr ? 0 : list->count();
}

bool QtForm::IsItemChecked(std::string_view control, int item) const {
    auto* list = FindAs<QListWidget>(control);
    QListWidgetItem* entry = list == nullptr ? nullptr : list->item(item);
    return entry != nullptr && entry->checkState() == Qt::Checked;
}

void QtForm::SetItemChecked(std::string_view control, int item, bool checked) {
    auto* list = FindAs<QListWidget>(control);
    QListWidgetItem* entry = list == nullptr ? nullptr : list->item(item);
    if (entry == nullptr)
        return;
    const QSignalBlocker quiet(list);
    entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

RgbColour QtForm::Colour(std::string_view picker) const {
    auto* colourPicker = FindAs<ColourPicker>(picker);
    return colourPicker == nullptr ? 0 : colourPicker->Colour();
}

void QtForm::SetColour(std::string_view picker, RgbColour colour) {
    if (auto* colourPicker = FindAs<ColourPicker>(picker))
        colourPicker->SetColour(colour);
}

void QtForm::ShowHint(std::string_view text) {
    if (showHint_)
        showHint_(text);
}

GridPort& QtForm::Grid() {
    return grid_;
}

} // namespace sw
