// Field layout of a Y'z Dock item line and the RK Launcher section made from it.
#include "YzLineToRK.h"

namespace modCommands {

namespace {

constexpr std::string_view kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";
constexpr std::string_view kNoArguments = "-";
constexpr std::string_view kIconFromField7 = "00000000";
constexpr std::size_t kShowPrefixLength = 5;

// Field numbers of a Y'z Dock item line; fields from the ninth on are not used.
enum Field : std::size_t { Name, Type, Target, Arguments, WorkFolder, Show, IconSelector, Icon, kUsedFields };

void AppendLine(std::string& text, std::string_view key, std::string_view value) {
    text += key;
    text += value;
    text += kCrLf;
}

// The fields a line's conversion reads, after the checks it must pass. Only for a line with a TAB.
struct Fields {
    std::string_view f[kUsedFields];
    bool hasIcon = false;

    explicit Fields(std::string_view line) {
        std::size_t count = 0;
        for (std::size_t start = 0; count < kUsedFields;) {
            const std::size_t tab = line.find('\t', start);
            f[count++] = line.substr(start, tab - start);
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        if (count <= IconSelector) {
            throw ItemError(ItemError::Kind::MissingField, "the line has fewer than seven fields");
        }
        hasIcon = f[IconSelector] == kIconFromField7;
        if (hasIcon && count <= Icon) {
            throw ItemError(ItemError::Kind::MissingField, "the line has no icon field");
        }
        if (f[Show].size() < kShowPrefixLength) {
            throw ItemError(ItemError::Kind::ShowFieldTooShort, "the show field has fewer than five characters");
        }
    }
};

bool HasTab(std::string_view line) {
    return line.find('\t') != std::string_view::npos;
}

} // namespace

void CheckYzLine(std::string_view line) {
    if (HasTab(line)) {
        static_cast<void>(Fields(line));
    }
}

void AppendYzLineToRK(std::string_view line, std::string& text) {
    if (line.empty()) {
        return;
    }
    if (!HasTab(line)) {
        text += kSeparatorBlock;
        return;
    }
    const Fields fields(line);
    const auto& f = fields.f;
    const bool hasIcon = fields.hasIcon;
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
