#include "app/update_check.h"

#include "text/code_page.h"
#include "text/number_text.h"
#include "web/page_request.h"
#include "json/json_document.h"

namespace sw {
namespace {

// A newer version must be ahead by more than this.
constexpr double kVersionTolerance = 0.0000001;

bool IsWebAddress(std::string_view address) {
    auto startsWith = [&](std::string_view scheme) {
        if (address.size() < scheme.size())
            return false;
        for (size_t i = 0; i < scheme.size(); ++i) {
            char c = address[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) != scheme[i])
                return false;
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}

} // namespace

std::string UpdateRecordAddress(const ServiceSettings& services) {
    return "http://" + services.updateHost + "/soft/stallwatch_info.php";
}

StartDecision CheckForUpdate(DialogPort& dialogs, const ServiceSettings& services, RecordFetcher fetch) {
    if (!fetch)
        fetch = [](const std::string& address) { return PageRequest(address); };
    const std::string title = Gbk("更新");
    JsonDocument record;
    if (!record.Parse(fetch(UpdateRecordAddress(services)))) {
        dialogs.ShowMessage(Gbk("检测最新版本失败！ 官网：") + services.makerAddress, title, MessageIcon::Information);
        return {};
    }
    const double newest = TextToNumber(record.GetText("version"));
    const double current = TextToNumber(kCurrentVersion);
    if (!(newest - current > kVersionTolerance))
        return {true, {}};

    const std::string degree = record.GetText("degree");
    const std::string notice = record.GetText("notice");
    const std::string url = record.GetText("url");
    if (degree == "1") {
        dialogs.ShowMessage(notice, title, MessageIcon::Information);
        // The record comes over plain HTTP: only a web address goes to the desktop, never a file or a program.
        if (IsWebAddress(url))
            dialogs.OpenAddress(url);
        return {};
    }
    if (degree == "2") {
        dialogs.ShowMessage(notice, title, MessageIcon::Information);
        return {true, Gbk("检测到有新版，建议您更新到最新版本。下载地址：") + url};
    }
    if (degree == "3")
        dialogs.ShowMessage(notice, title, MessageIcon::Information);
    return {};
}

} // namespace sw
