#pragma once

// The tab control "高级选择夹1". Each page covers the whole control, tab row
// included, so the places of a page's controls count from the control's top
// left corner, as the window lays them out; the tab row is drawn over the
// top strip, which the pages leave free.

#include <QWidget>

#include <vector>

class QTabBar;

namespace sw {

class TabControl : public QWidget {
    Q_OBJECT

public:
    explicit TabControl(QWidget* parent = nullptr);

    // Adds a page with the caption and returns it; the first page added is shown.
    QWidget* AddPage(const QString& caption);
    QWidget* Page(int index) const;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    QString PageCaption(int index) const;
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    QTabBar& TabBar() const { return *bar_; }

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowPage(int index);
    void PlaceChildren();

    QTabBar* bar_;
    std::vector<QWidget*> pages_;
};

} // namespace sw
