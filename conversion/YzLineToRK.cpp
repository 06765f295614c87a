// Field layout of a Y'z Dock item line and the RK Launcher section made from it.
#include "YzLineToRK.h"

#include "Error.h"

#include <array>
#include <cstring>

namespace modCommands {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";
constexpr std::string_view kNoArguments = "-";
constexpr std::string_view kIconFromField7 = "00000000";
constexpr std::size_t kShowPrefixLength = 5;

// Field numbers of a Y'z Dock item line.
enum Field : std::size_t { Name, Type, Target, Arguments, WorkFolder, Show, IconSelector, Icon, kUsedFields };

// The fields the conversion reads; fields from the ninth on are counted but not kept.
struct Fields {
    std::array<std::string_view, kUsedFields> values;
    std::size_t count = 0;
};

Fields SplitAtTabs(std::string_view line) {
    Fields fields;
    std::size_t start = 0;
    while (fields.count < kUsedFields) {
        const std::size_t tab = line.find('\t', start);
        fields.values[fields.count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    return fields;
}

void AppendLine(std::string& text, std::string_view key, std::string_view value) {
    text += key;
    text += value;
    text += kCrLf;
}

} // namespace

void AppendYzLineToRK(std::string_view line, std::string& text) {
    if (line.empty()) {
        return;
    }
    if (std::memchr(line.data(), '\t', line.size()) == nullptr) {
        text += kSeparatorBlock;
        return;
    }

    const Fields fields = SplitAtTabs(line);
    const auto& f = fields.values;
    if (fields.count <= IconSelector) {
        throw Error(ErrorKind::MissingField, "the line has fewer than seven fields");
    }
    const bool hasIcon = f[IconSelector] == kIconFromField7;
    if (hasIcon && fields.count <= Icon) {
        throw Error(ErrorKind::MissingField, "the line has no icon field");
    }
    if (f[Show].size() < kShowPrefixLength) {
        throw Error(ErrorKind::ShowFieldTooShort, "the show field has fewer than five characters");
    }

    const bool isShortcut = f[Type] == "type.app" || f[Type] == "type.nonapp";
    const bool isDocklet = f[Type] == "type.docklet";

    text += "[RKDockItem]\r\n";
    if (isShortcut) {
        text += "type = shortcut\r\n";
    } else if (isDocklet) {
        text += "type = docklet_yz\r\n";
    }
    AppendLine(text, "name = ", f[Name]);
    if (hasIcon) {
        AppendLine(text, "icon = ", f[Icon]);
    }
    if (isShortcut) {
        AppendLine(text, "link = ", f[Target]);
        if (!f[WorkFolder].empty()) {
            AppendLine(text, "workFolder = ", f[WorkFolder]);
        }
    }
    if (f[Arguments] != kNoArguments) {
        AppendLine(text, "arguments = ", f[Arguments]);
    }
    AppendLine(text, "show = ", f[Show].substr(kShowPrefixLength));
    if (isDocklet) {
        AppendLine(text, "path = ", f[Target]);
        text += "loaded = 1\r\n";
    }
}

std::string YzLineToRK(std::string line) {
    std::string block;
    AppendYzLineToRK(line, block);
    return block;
}

} // namespace modCommands
