// Field layout of a Y'z Dock item line and the RK Launcher section made from it.
#include "YzLineToRK.h"

#include <algorithm>

namespace modCommands {

namespace {

constexpr std::string_view kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";
constexpr std::string_view kNoArguments = "-";
constexpr std::string_view kIconFromField7 = "00000000";
constexpr std::size_t kShowPrefixLength = 5;

// Field numbers of a Y'z Dock item line.
enum Field : std::size_t { Name, Type, Target, Arguments, WorkFolder, Show, IconSelector, Icon, kUsedFields };

// The fields the conversion reads, found in one pass over the line; fields from the ninth on are not looked for.
class Fields {
public:
    explicit Fields(std::string_view line) : m_line(line) {
        for (std::size_t at = line.find('\t'); at != std::string_view::npos && m_tabs < kUsedFields;
             at = line.find('\t', at + 1)) {
            m_tabAt[m_tabs++] = at;
        }
    }

    // Number of fields, counting up to the ninth.
    std::size_t Count() const { return m_tabs + 1; }
    bool HasTab() const { return m_tabs > 0; }

    std::string_view operator[](std::size_t field) const {
        const std::size_t begin = field == 0 ? 0 : m_tabAt[field - 1] + 1;
        const std::size_t end = field < m_tabs ? m_tabAt[field] : m_line.size();
        return m_line.substr(begin, end - begin);
    }

private:
    std::string_view m_line;
    std::size_t m_tabs = 0;
    std::size_t m_tabAt[kUsedFields]; // only the first m_tabs are set
};

// The checks a line with a TAB must pass; returns whether field 7 is the icon.
bool Check(const Fields& f) {
    if (f.Count() <= IconSelector) {
        throw ItemError(ItemError::Kind::MissingField, "the line has fewer than seven fields");
    }
    const bool hasIcon = f[IconSelector] == kIconFromField7;
    if (hasIcon && f.Count() <= Icon) {
        throw ItemError(ItemError::Kind::MissingField, "the line has no icon field");
    }
    if (f[Show].size() < kShowPrefixLength) {
        throw ItemError(ItemError::Kind::ShowFieldTooShort, "the show field has fewer than five characters");
    }
    return hasIcon;
}

} // namespace

void CheckYzLine(std::string_view line) {
    const Fields f(line);
    if (f.HasTab()) {
        Check(f);
    }
}

void AppendYzLineToRK(std::string_view line, std::string& text) {
    if (line.empty()) {
        return;
    }
    const Fields f(line);
    if (!f.HasTab()) {
        text += kSeparatorBlock;
        return;
    }
    const bool hasIcon = Check(f);

    const std::string_view type = f[Type];
    const bool isShortcut = type == "type.app" || type == "type.nonapp";
    const bool isDocklet = type == "type.docklet";
    // The section is written in place into room for the longest one the line can make, then cut to its size: far
    // quicker than growing the text piece by piece.
    const std::size_t start = text.size();
    text.resize(start + line.size() + kLongestBlockOverhead);
    char* out = text.data() + start;
    const auto put = [&out](std::string_view part) { out = std::copy(part.begin(), part.end(), out); };
    const auto putLine = [&put](std::string_view key, std::string_view value) {
        put(key);
        put(value);
        put(kCrLf);
    };
    put("[RKDockItem]\r\n");
    if (isShortcut) {
        put("type = shortcut\r\n");
    } else if (isDocklet) {
        put("type = docklet_yz\r\n");
    }
    putLine("name = ", f[Name]);
    if (hasIcon) {
        putLine("icon = ", f[Icon]);
    }
    if (isShortcut) {
        putLine("link = ", f[Target]);
        if (!f[WorkFolder].empty()) {
            putLine("workFolder = ", f[WorkFolder]);
        }
    }
    if (f[Arguments] != kNoArguments) {
        putLine("arguments = ", f[Arguments]);
    }
    putLine("show = ", f[Show].substr(kShowPrefixLength));
    if (isDocklet) {
        putLine("path = ", f[Target]);
        put("loaded = 1\r\n");
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
}

std::string YzLineToRK(std::string line) {
    std::string block;
    AppendYzLineToRK(line, block);
    return block;
}

} // namespace modCommands
