#pragma once

// The collection run: what the start button does. It walks the result pages
// of the shop search for the keyword, keeps the shops inside the user's ranges
// and appends them to the result grid, all on the window thread; the window
// stays live through the message-pump hooks between shops and pages.

#include "shop/dialog_port.h"
#include "shop/form_port.h"

#include <functional>
#include <string>
#include <string_view>

namespace sw {

// The body of one result page as received (UTF-8 bytes, no conversion); empty
// when neither the page request nor the plain fallback fetch got one.
std::string FetchShopPage(std::string_view keyword, int page, int sortIndex, int shopTypeIndex, int ratingIndex);

// Disables (locked true) or enables the inputs that must not change during a run.
void LockInputs(FormPort& form, bool locked);

class CollectionRun {
public:
    using PageFetcher = std::function<std::string(std::string_view keyword, int page, int sortIndex, int shopTypeIndex,
                                                  int ratingIndex)>;
    using OnlineTest = std::function<bool()>;

    // The fetcher and the online test default to the real ones.
    CollectionRun(FormPort& form, DialogPort& dialogs, PageFetcher fetchPage = FetchShopPage, OnlineTest isOnline = {});

    // The start command: the online test, the button caption, the run.
    void Start();
    // The run itself; Start calls it.
    void Run();

    // Ends a run at its next turn (the window is closing). Harmless when idle.
    void RequestStop() { stopRequested_ = true; }
    bool Running() const { return running_; }

private:
    enum class Ending { Normal, PageUnavailable, VerificationAsked };

    // Reads the shops of the parsed page; false when the run must stop.
    bool CollectPage(const class JsonDocument& page, class JsonDocument& rating, int& kept,
                     const std::string (&thresholds)[3]);
    // Gives the window a turn; false when the run must stop.
    bool Yield();

    FormPort& form_;
    DialogPort& dialogs_;
    PageFetcher fetchPage_;
    OnlineTest isOnline_;
    bool running_ = false;
    bool stopRequested_ = false;
};

} // namespace sw
