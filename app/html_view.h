#pragma once

// The about page's HTML view "超文本浏览框1". It holds an address and fetches
// the page through PageRequest the first time it is shown, so an unreachable
// address never delays the window. The right mouse button does nothing on it:
// its press and release are swallowed and no context menu opens. Links open in
// the desktop's browser.

#include <QTextBrowser>

#include <string>
#include <string_view>

namespace sw {

class DialogPort;

class HtmlView : public QTextBrowser {
    Q_OBJECT

public:
    HtmlView(DialogPort& dialogs, QWidget* parent = nullptr);

    // The page's address (GBK). Setting it fetches the page again the next
    // time the view is shown, or at once when it is on screen.
    const std::string& Address() const { return address_; }
    void SetAddress(std::string_view address);

    // Whether the last fetch brought a page.
    bool HasPage() const { return hasPage_; }

signals:
    // A fetch ended; ok when it brought a page.
    void pageLoaded(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // The page's resources are not fetched, and never read from local files.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void Fetch();

    DialogPort& dialogs_;
    std::string address_;
    bool fetchDue_ = false;
    bool fetching_ = false;
    bool hasPage_ = false;
};

} // namespace sw
