#include "app/html_view.h"

#include "app/qt_text.h"
#include "shop/dialog_port.h"
#include "web/page_request.h"

#include <QMouseEvent>
#include <QTimer>

namespace sw {

HtmlView::HtmlView(DialogPort& dialogs, QWidget* parent) : QTextBrowser(parent), dialogs_(dialogs) {
    setOpenLinks(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const QUrl target = QUrl(ToQString(address_)).resolved(link);
        dialogs_.OpenAddress(ToGbk(target.toString()));
    });
}

void HtmlView::SetAddress(std::string_view address) {
    address_ = address;
    fetchDue_ = true;
    if (isVisible())
        QTimer::singleShot(0, this, &HtmlView::Fetch);
}

void HtmlView::showEvent(QShowEvent* event) {
    QTextBrowser::showEvent(event);
    // Fetch after the page has been drawn: the request pumps the window while it waits.
    if (fetchDue_)
        QTimer::singleShot(0, this, &HtmlView::Fetch);
}

void HtmlView::Fetch() {
    if (!fetchDue_ || fetching_)
        return;
    fetchDue_ = false;
    fetching_ = true;
    const std::string address = address_;
    const std::string body = address.empty() ? std::string() : PageRequest(address);
    fetching_ = false;
    if (fetchDue_) { // a newer address came in while this one was fetched
        if (isVisible())
            QTimer::singleShot(0, this, &HtmlView::Fetch);
        return;
    }
    hasPage_ = !body.empty();
    if (hasPage_)
        setHtml(ToQString(body));
    else
        setHtml(QString::fromUtf8("<p>无法显示该网页：%1</p>").arg(ToQString(address).toHtmlEscaped()));
    emit pageLoaded(hasPage_);
}

bool HtmlView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        event->accept();
        return true;
    default:
        break;
    }
    return QTextBrowser::viewportEvent(event);
}

QVariant HtmlView::loadResource(int, const QUrl&) {
    return QVariant();
}

} // namespace sw
