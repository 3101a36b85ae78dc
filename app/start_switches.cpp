#include "app/start_switches.h"

#include <cctype>
#include <vector>

namespace keldra::app {
namespace {

std::vector<std::string> Words(std::string_view arguments) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (const char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
        } else {
            word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

std::string ValueText(const registry::RestoreOutcome::Value& value) {
    return value.location + " \"" + value.name + "\"";
}

void AppendList(std::string& message, const std::vector<registry::RestoreOutcome::Value>& values,
                const TextLookup& text,
                const std::function<std::string(const registry::RestoreOutcome::Value&)>& why) {
    for (std::size_t i = 0; i < values.size() && i < kShownValues; ++i) {
        message += "\r\n" + ValueText(values[i]) + why(values[i]);
    }
    if (values.size() > kShownValues) {
        message += "\r\n" + text("UCM_RestMore") + std::to_string(values.size() - kShownValues);
    }
}

}  // namespace

StartSwitch StartSwitchOf(std::string_view arguments) {
    StartSwitch found = StartSwitch::None;
    for (const std::string& word : Words(arguments)) {
        if (word == "-?" || word == "/?" || word == "-help" || word == "/help") {
            return StartSwitch::Usage;
        }
        if (word == "-restore" || word == "/restore") {
            found = StartSwitch::Restore;
        }
    }
    return found;
}

std::string UsageText(const TextLookup& text) {
    return text("UCM_Usage") + "\r\n\r\n" + text("UCM_UsageAuto") + "\r\n" +
           text("UCM_UsageRestore") + "\r\n" + text("UCM_UsageHelp");
}

std::string RestoreText(const registry::RestoreOutcome& outcome, const TextLookup& text) {
    using Result = registry::RestoreOutcome::Result;
    switch (outcome.result) {
        case Result::NoBackup:
            return text("UCM_RestNone");
        case Result::Unreadable:
            return text("UCM_RestBad") + "\r\n" + outcome.file + text("UCM_RestLine") +
                   std::to_string(outcome.badLine);
        case Result::Done:
            break;
    }
    std::string message = std::to_string(outcome.restored) + text("UCM_RestOf") +
                          std::to_string(outcome.total) + text("UCM_RestCame") + "\r\n" +
                          text("UCM_RestFrom") + outcome.file;
    if (!outcome.failed.empty()) {
        message += "\r\n\r\n" + text("UCM_RestFailed");
        AppendList(message, outcome.failed, text, [&](const registry::RestoreOutcome::Value& v) {
            if (v.status == platform::reg_status::kAccessDenied) {
                return text("UCM_RestDenied");
            }
            return text("UCM_RestError") + std::to_string(v.status);
        });
    }
    if (!outcome.existing.empty()) {
        message += "\r\n\r\n" + text("UCM_RestExisting");
        AppendList(message, outcome.existing, text,
                   [](const registry::RestoreOutcome::Value&) { return std::string(); });
    }
    return message;
}

}  // namespace keldra::app
