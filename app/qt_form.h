#pragma once

// The form port over a window's widgets: a control is found by its
// objectName, given as the GBK bytes of its name. An unknown name, or a call
// that does not fit the control's kind, reads as empty (or false, or -1) and
// changes nothing.

#include "shop/form_port.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace sw {

class QtForm : public FormPort {
public:
    using HintSink = std::function<void(std::string_view)>;

    QtForm(QWidget& root, GridPort& grid, HintSink showHint);

    std::string Text(std::string_view control) const override;
    void SetText(std::string_view control, std::string_view text) override;
    void SetEnabled(std::string_view control, bool enabled) override;
    bool IsChecked(std::string_view control) const override;
    int SelectedIndex(std::string_view control) const override;
    void SetSelectedIndex(std::string_view control, int index) override;
    std::vector<ListItem> Items(std::string_view control) const override;
    // Leaves no item selected, as a list box does after its items are replaced.
    void SetItems(std::string_view control, const std::vector<ListItem>& items) override;
    int CheckItemCount(std::string_view control) const override;
    bool IsItemChecked(std::string_view control, int item) const override;
    // Does not raise the list's own change signal: only the user's changes do.
    void SetItemChecked(std::string_view control, int item, bool checked) override;
    RgbColour Colour(std::string_view picker) const override;
    void SetColour(std::string_view picker, RgbColour colour) override;
    void ShowHint(std::string_view text) override;
    GridPort& Grid() override;

    QWidget* Find(std::string_view control) const;

    template <typename T>
    T* FindAs(std::string_view control) const {
        return qobject_cast<T*>(Find(control));
    }

private:
    QWidget& root_;
    GridPort& grid_;
    HintSink showHint_;
    mutable std::map<std::string, QPointer<QWidget>, std::less<>> found_;
};

} // namespace sw
