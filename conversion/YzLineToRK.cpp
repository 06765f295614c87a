// Field layout of a Y'z Dock item line and the RK Launcher section made from it.
#include "YzLineToRK.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace modCommands {

namespace {

constexpr std::string_view kSeparatorBlock = "[RKDockItem]\r\ntype = separator\r\nshow = normal\r\n";
constexpr std::string_view kNoArguments = "-";
constexpr std::string_view kIconFromField7 = "00000000";
constexpr std::size_t kShowPrefixLength = 5;

// Field numbers of a Y'z Dock item line.
enum Field : std::size_t { Name, Type, Target, Arguments, WorkFolder, Show, IconSelector, Icon, kUsedFields };

// Bit 7 of every byte of word that equals byte, and no other bit.
std::uint64_t BytesEqualTo(std::uint64_t word, unsigned char byte) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = word ^ (0x0101010101010101ULL * byte);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The fields the conversion reads, found in one pass over the line; fields from the ninth on are not looked for.
class Fields {
public:
    explicit Fields(std::string_view line) : m_line(line) {
        std::size_t i = 0;
        // Eight bytes at a time: finding the TABs is most of the work for a typical line.
        if constexpr (std::endian::native == std::endian::little) {
            for (; i + sizeof(std::uint64_t) <= line.size() && m_tabs < kUsedFields; i += sizeof(std::uint64_t)) {
                std::uint64_t word;
                std::memcpy(&word, line.data() + i, sizeof word);
                for (std::uint64_t tabs = BytesEqualTo(word, '\t'); tabs != 0 && m_tabs < kUsedFields;
                     tabs &= tabs - 1) {
                    m_tabAt[m_tabs++] = i + static_cast<std::size_t>(std::countr_zero(tabs)) / 8;
                }
            }
        }
        for (; i < line.size() && m_tabs < kUsedFields; ++i) {
            if (line[i] == '\t') {
                m_tabAt[m_tabs++] = i;
            }
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

// Writes the item section of a line that has passed the checks to a sink. Called twice per line: once to measure
// the section, once to copy it, so that the text grows in one step and the fixed texts copy as constants.
struct Item {
    const Fields& f;
    bool hasIcon;
    bool isShortcut;
    bool isDocklet;

    template <typename Sink> void WriteTo(Sink& out) const {
        out.Put("[RKDockItem]\r\n");
        if (isShortcut) {
            out.Put("type = shortcut\r\n");
        } else if (isDocklet) {
            out.Put("type = docklet_yz\r\n");
        }
        out.Line("name = ", f[Name]);
        if (hasIcon) {
            out.Line("icon = ", f[Icon]);
        }
        if (isShortcut) {
            out.Line("link = ", f[Target]);
            if (!f[WorkFolder].empty()) {
                out.Line("workFolder = ", f[WorkFolder]);
            }
        }
        if (f[Arguments] != kNoArguments) {
            out.Line("arguments = ", f[Arguments]);
        }
        out.Line("show = ", f[Show].substr(kShowPrefixLength));
        if (isDocklet) {
            out.Line("path = ", f[Target]);
            out.Put("loaded = 1\r\n");
        }
    }
};

class MeasureSink {
public:
    template <std::size_t N> void Put(const char (&)[N]) { m_size += N - 1; }
    template <std::size_t N> void Line(const char (&)[N], std::string_view value) {
        m_size += N - 1 + value.size() + sizeof kCrLf - 1;
    }
    std::size_t Size() const { return m_size; }

private:
    std::size_t m_size = 0;
};

class CopySink {
public:
    explicit CopySink(char* out) : m_out(out) {}
    template <std::size_t N> void Put(const char (&text)[N]) {
        std::memcpy(m_out, text, N - 1);
        m_out += N - 1;
    }
    template <std::size_t N> void Line(const char (&key)[N], std::string_view value) {
        Put(key);
        std::memcpy(m_out, value.data(), value.size());
        m_out += value.size();
        Put("\r\n");
    }

private:
    char* m_out;
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

    const Item item{f, hasIcon, f[Type] == "type.app" || f[Type] == "type.nonapp", f[Type] == "type.docklet"};
    MeasureSink measure;
    item.WriteTo(measure);
    const std::size_t start = text.size();
    text.resize(start + measure.Size());
    CopySink copy(text.data() + start);
    item.WriteTo(copy);
}

std::string YzLineToRK(std::string line) {
    std::string block;
    AppendYzLineToRK(line, block);
    return block;
}

} // namespace modCommands
