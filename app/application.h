#pragma once

// The running program once the update check lets it open: the main window
// with the collection run, the settings store and the list export attached.

#include "app/main_window.h"
#include "shop/collection_run.h"
#include "text/service_settings.h"

#include <QObject>

#include <filesystem>
#include <memory>

namespace sw {

class Application : public QObject {
    Q_OBJECT

public:
    struct Setup {
        std::filesystem::path programFolder;
        ServiceSettings services;
        // The settings store; nullptr keeps nothing between runs.
        WindowLifecycle* lifecycle = nullptr;
        // Qt's own dialogs when none is given.
        DialogPort* dialogs = nullptr;
        // The online test and page fetcher of the collection run; the real ones when empty.
        CollectionRun::OnlineTest isOnline;
        CollectionRun::PageFetcher fetchPage;
    };

    explicit Application(Setup setup);
    ~Application() override;

    MainWindow& Window() { return *window_; }
    CollectionRun& Run() { return *run_; }

protected:
    // A close while a run is under way ends the run at its next turn, then closes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartCollection();

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<CollectionRun> run_;
    bool closeAfterRun_ = false;
};

} // namespace sw
