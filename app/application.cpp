#include "app/application.h"

#include "text/code_page.h"

#include <QCloseEvent>

namespace sw {

Application::Application(Setup setup) {
    window_ =
        std::make_unique<MainWindow>(MainWindowSetup{setup.programFolder, setup.services.homePageAddress,
                                                     setup.services.makerAddress, setup.lifecycle, setup.dialogs});
    CollectionRun::PageFetcher fetch = setup.fetchPage ? setup.fetchPage : CollectionRun::PageFetcher(FetchShopPage);
    run_ = std::make_unique<CollectionRun>(window_->Form(), window_->Dialogs(), std::move(fetch),
                                           std::move(setup.isOnline));
    window_->OnButtonClicked("start", [this] { StartCollection(); });
    letters_ = std::make_unique<ColumnLettersLibrary>(window_->Paths().programFolder);
    export_ = std::make_unique<ListExport>(window_->Form(), window_->Dialogs(), *letters_);
    window_->OnButtonClicked("Daochu", [this] { export_->Export(); });
    window_->OnButtonClicked(Gbk("按钮1"), [this] { export_->ChooseExportFolder(); });
    window_->installEventFilter(this);
}

Application::~Application() {
    // The export and the run refer to the window's form; the window saves the settings as it goes.
    export_.reset();
    run_.reset();
    window_.reset();
}

void Application::StartCollection() {
    run_->Start();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        window_->close();
    }
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.get() && event->type() == QEvent::Close && run_->Running()) {
        // The run is below us on the stack: let it end at its next turn and close then.
        run_->RequestStop();
        closeAfterRun_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sw
