// The calling frame of kelvane's exports: every text argument is copied before
// the work, each text-returning export keeps its result in a slot of its own
// that lives until its next call or the unload.

#define KELVANE_BUILDING
#include "toolslib/kelvane.h"

#include "text/service_settings.h"
#include "toolslib/column_letters.h"
#include "toolslib/echo_test.h"
#include "toolslib/ip_check.h"
#include "toolslib/item_search_address.h"
#include "toolslib/lexicon_window.h"
#include "toolslib/search_suggestions.h"

#include <memory>
#include <string>

namespace {

// A text-returning export's result: the pointer it hands out stays valid until
// the slot is filled again.
class ResultSlot {
public:
    const char* Store(std::string text) {
        text_ = std::move(text);
        return text_.c_str();
    }

private:
    std::string text_;
};

struct LibraryState {
    ResultSlot searchUrl;
    ResultSlot searchUrlApi;
    ResultSlot suggestions;
    ResultSlot lexicon;
    ResultSlot columnLetters;
    ResultSlot screenIp;
    ResultSlot checkIpAll;
    std::string lastSearchAddress; // shared by both address builders
    std::string lexiconFolder;
    // The lexicon's word list with the turns of its jobs; a worker still running
    // after its window closed keeps it alive.
    std::shared_ptr<sw::LexiconBook> lexiconBook = std::make_shared<sw::LexiconBook>();
};

// Lives from load to unload; destroyed with the library.
LibraryState g_state;

std::string Copy(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

const char* BuildSearchAddress(ResultSlot& slot, const char* keyword, int32_t sort, int32_t page, bool dataAddress) {
    std::optional<std::string> address =
        sw::BuildItemSearchAddress(sw::Services().itemSearchHost, Copy(keyword), sort, page, dataAddress);
    if (address)
        g_state.lastSearchAddress = std::move(*address);
    return slot.Store(g_state.lastSearchAddress);
}

std::int32_t SystemEcho(const std::string& host, std::int32_t timeoutMs) {
    return sw::EchoTest(host, timeoutMs);
}

} // namespace

extern "C" {

KELVANE_API const char* KELVANE_CALL search_url(const char* keyword, int32_t sort, int32_t page, const char*) {
    return BuildSearchAddress(g_state.searchUrl, keyword, sort, page, false);
}

KELVANE_API const char* KELVANE_CALL search_url_api(const char* keyword, int32_t sort, int32_t page, const char*) {
    return BuildSearchAddress(g_state.searchUrlApi, keyword, sort, page, true);
}

KELVANE_API const char* KELVANE_CALL tb_search_button_key(const char* keyword, const char*) {
    std::string text = Copy(keyword);
    return g_state.suggestions.Store(sw::FetchSuggestions(sw::Services().suggestHost, text));
}

KELVANE_API const char* KELVANE_CALL Lexicon(const char* folder) {
    g_state.lexiconFolder = Copy(folder);
    const char* given = g_state.lexicon.Store(g_state.lexiconFolder);
    try {
        sw::OpenLexiconWindow(g_state.lexiconFolder, g_state.lexiconBook);
    } catch (...) {
        // The folder is kept all the same; the window just does not open.
    }
    return given;
}

KELVANE_API const char* KELVANE_CALL Getzimu(int32_t column) {
    return g_state.columnLetters.Store(sw::ColumnLetters(column));
}

KELVANE_API const char* KELVANE_CALL function_IP_ScreenIp(const char* entry) {
    std::string text = Copy(entry);
    return g_state.screenIp.Store(sw::ScreenIp(text));
}

KELVANE_API int32_t KELVANE_CALL function_IP_checkIp(const char* entry, int32_t timeoutMs) {
    return sw::CheckIp(Copy(entry), timeoutMs, SystemEcho);
}

KELVANE_API const char* KELVANE_CALL function_IP_checkIpAll(const char* entries) {
    std::string text = Copy(entries);
    return g_state.checkIpAll.Store(sw::CheckIpAll(text, SystemEcho));
}

} // extern "C"
