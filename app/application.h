#pragma once

// The running program once the update check lets it open: the main window
// with the collection run, the settings store and the list export attached.
// Members are destroyed in reverse order: the window, which saves the settings
// as it goes, before the settings store it calls.

#include "app/column_letters_library.h"
#include "app/list_export.h"
#include "app/main_window.h"
#include "app/settings_store.h"
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
        // The settings hooks; the program's own settings store when none is given.
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

    SettingsStore settings_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<CollectionRun> run_;
    std::unique_ptr<ColumnLettersLibrary> letters_;
    std::unique_ptr<ListExport> export_;
    bool closeAfterRun_ = false;
};

} // namespace sw
