#pragma once

// The main window as the logic sees it: controls addressed by their names
// ("key", "page1", "编辑框1", "组合框1", "颜色选择器1", ...; names and texts in
// GBK). The Qt window implements it; tests use an in-memory form.

#include "shop/grid_port.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sw {

// An item of a drop-down list: its text and its numeric value.
struct ListItem {
    std::string text;
    long long value = 0;
};

class FormPort {
public:
    virtual ~FormPort() = default;

    // The text of an edit box, the current text of a drop-down list, or the
    // caption of a button, check box, label or group box.
    virtual std::string Text(std::string_view control) const = 0;
    virtual void SetText(std::string_view control, std::string_view text) = 0;
    virtual void SetEnabled(std::string_view control, bool enabled) = 0;

    // Check box.
    virtual bool IsChecked(std::string_view control) const = 0;

    // Drop-down list: the selected item's position (-1 when none) and its items.
    virtual int SelectedIndex(std::string_view control) const = 0;
    virtual void SetSelectedIndex(std::string_view control, int index) = 0;
    virtual std::vector<ListItem> Items(std::string_view control) const = 0;
    virtual void SetItems(std::string_view control, const std::vector<ListItem>& items) = 0;

    // Check list box.
    virtual int CheckItemCount(std::string_view control) const = 0;
    virtual bool IsItemChecked(std::string_view control, int item) const = 0;
    virtual void SetItemChecked(std::string_view control, int item, bool checked) = 0;

    // Colour picker.
    virtual RgbColour Colour(std::string_view picker) const = 0;
    virtual void SetColour(std::string_view picker, RgbColour colour) = 0;

    // Pane 0 of the status bar: "   提示：" followed by text.
    virtual void ShowHint(std::string_view text) = 0;

    // The result grid "高级表格1".
    virtual GridPort& Grid() = 0;
};

} // namespace sw
