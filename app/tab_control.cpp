#include "app/tab_control.h"

#include <QEvent>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

#include <algorithm>

namespace sw {
namespace {

// The control sits 8 pixels left of the window's edge; the tabs start inside it.
constexpr int kTabsLeft = 10;

} // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
        ShowPage(index);
        emit currentChanged(index);
    });
}

QWidget* TabControl::AddPage(const QString& caption) {
    auto* page = new QWidget(this);
    page->setGeometry(rect());
    page->hide();
    pages_.push_back(page);
    bar_->addTab(caption);
    bar_->raise();
    PlaceChildren();
    ShowPage(bar_->currentIndex());
    return page;
}

QWidget* TabControl::Page(int index) const {
    return index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

QString TabControl::PageCaption(int index) const {
    return bar_->tabText(index);
}

int TabControl::CurrentIndex() const {
    return bar_->currentIndex();
}

void TabControl::SetCurrentIndex(int index) {
    bar_->setCurrentIndex(index);
}

void TabControl::ShowPage(int index) {
    for (int i = 0; i < PageCount(); ++i)
        pages_[static_cast<size_t>(i)]->setVisible(i == index);
    update();
}

void TabControl::PlaceChildren() {
    const QSize tabs = bar_->sizeHint();
    bar_->setGeometry(kTabsLeft, 0, std::min(tabs.width(), width() - kTabsLeft), tabs.height());
    for (QWidget* page : pages_)
        page->setGeometry(rect());
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceChildren();
}

void TabControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        PlaceChildren();
}

void TabControl::paintEvent(QPaintEvent*) {
    // The frame of the page area, drawn as a tab widget draws it.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = bar_->size();
    option.tabBarRect = bar_->geometry();
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    option.rect = rect().adjusted(0, bar_->height() - overlap, 0, 0);
    if (bar_->currentIndex() >= 0)
        option.selectedTabRect = bar_->tabRect(bar_->currentIndex()).translated(bar_->pos());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

} // namespace sw
