#pragma once

// A main window for tests, created in its own temporary program folder, with
// the about page's address on a loopback port where nothing listens.

#include "app/main_window.h"
#include "tests/support/temp_folder.h"

#include <memory>
#include <string>

namespace sw::test {

// An address on 127.0.0.1 that refuses connections at once.
std::string UnreachableAddress();

class TestWindow {
public:
    // Creates the window at once unless deferred (to prepare the program folder first).
    explicit TestWindow(bool create = true, WindowLifecycle* lifecycle = nullptr);

    void Create(WindowLifecycle* lifecycle = nullptr, std::string homePage = UnreachableAddress());
    void Destroy() { window_.reset(); }

    const std::filesystem::path& ProgramFolder() const { return programFolder_.Path(); }
    MainWindow& Window() { return *window_; }
    MainWindow* operator->() { return window_.get(); }

private:
    TempFolder programFolder_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace sw::test
