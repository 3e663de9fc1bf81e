#include "base/IniDocument.h"

#include <algorithm>

namespace korvalin {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string result(text);
    std::replace_if(
        result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return result;
}

bool IsBlank(std::string_view text) {
    return Trim(text).empty();
}

}  // namespace

bool IniDocument::SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

bool IniDocument::ValidSectionName(std::string_view section) {
    return !Trim(section).empty() && section.find(']') == std::string_view::npos &&
           !HasLineBreak(section);
}

bool IniDocument::ValidKeyName(std::string_view key) {
    const std::string_view trimmed = Trim(key);
    return !trimmed.empty() && trimmed.find('=') == std::string_view::npos &&
           !HasLineBreak(trimmed) && trimmed.front() != '[' && trimmed.front() != ';' &&
           trimmed.front() != '#';
}

IniDocument::Line IniDocument::ParseLine(std::string text) {
    Line line;
    const std::string_view trimmed = Trim(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::Header;
            line.name = std::string(Trim(trimmed.substr(1, close - 1)));
        }
    } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
        const std::size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos && !Trim(trimmed.substr(0, equals)).empty()) {
            line.kind = Kind::Entry;
            line.name = std::string(Trim(trimmed.substr(0, equals)));
            line.value = std::string(Trim(trimmed.substr(equals + 1)));
        }
    }
    line.text = std::move(text);
    return line;
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument document;
    bool firstEnd = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) {
            line.remove_suffix(1);
        }
        if (end != std::string_view::npos && firstEnd) {
            document.crlf_ = crlf;
            firstEnd = false;
        }
        document.lines_.push_back(ParseLine(std::string(line)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return document;
}

std::string IniDocument::Serialize() const {
    const std::string_view lineEnd = crlf_ ? "\r\n" : "\n";
    std::size_t size = 0;
    for (const Line& line : lines_) {
        size += line.text.size() + lineEnd.size();
    }
    std::string text;
    text.reserve(size);
    for (const Line& line : lines_) {
        text += line.text;
        text += lineEnd;
    }
    return text;
}

std::size_t IniDocument::FindEntry(std::string_view section, std::string_view key) const {
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Header) {
            inSection = SameName(line.name, wantedSection);
        } else if (inSection && line.kind == Kind::Entry && SameName(line.name, wantedKey)) {
            return i;
        }
    }
    return lines_.size();
}

std::optional<std::string> IniDocument::Value(std::string_view section,
                                              std::string_view key) const {
    const std::size_t index = FindEntry(section, key);
    if (index == lines_.size()) {
        return std::nullopt;
    }
    return lines_[index].value;
}

bool IniDocument::HasSection(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    return std::any_of(lines_.begin(), lines_.end(), [wanted](const Line& line) {
        return line.kind == Kind::Header && SameName(line.name, wanted);
    });
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind != Kind::Header) {
            continue;
        }
        const bool known = std::any_of(names.begin(), names.end(), [&line](const std::string& n) {
            return SameName(n, line.name);
        });
        if (!known) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    std::vector<std::string> names;
    bool inSection = false;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Header) {
            inSection = SameName(line.name, wanted);
            continue;
        }
        if (!inSection || line.kind != Kind::Entry) {
            continue;
        }
        const bool known = std::any_of(names.begin(), names.end(), [&line](const std::string& n) {
            return SameName(n, line.name);
        });
        if (!known) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::size_t IniDocument::InsertionPoint(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    std::size_t header = 0;
    while (header < lines_.size() &&
           !(lines_[header].kind == Kind::Header && SameName(lines_[header].name, wanted))) {
        ++header;
    }
    if (header == lines_.size()) {
        return lines_.size();
    }
    // After the block's last line that is not blank, so that the blank lines that part it
    // from the next section stay where they are.
    std::size_t last = header;
    for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Header; ++i) {
        if (!IsBlank(lines_[i].text)) {
            last = i;
        }
    }
    return last + 1;
}

void IniDocument::AppendSection(std::string_view section) {
    if (!lines_.empty() && !IsBlank(lines_.back().text)) {
        lines_.push_back(ParseLine(std::string()));
    }
    lines_.push_back(ParseLine("[" + std::string(Trim(section)) + "]"));
}

bool IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    if (!ValidSectionName(section) || !ValidKeyName(key)) {
        return false;
    }
    const std::string storedValue = WithoutLineBreaks(value);
    const std::size_t existing = FindEntry(section, key);
    if (existing != lines_.size()) {
        Line& line = lines_[existing];
        line = ParseLine(line.name + "=" + storedValue);
        return true;
    }
    std::size_t at = InsertionPoint(section);
    if (at == lines_.size() && !HasSection(section)) {
        AppendSection(section);
        at = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  ParseLine(std::string(Trim(key)) + "=" + storedValue));
    return true;
}

bool IniDocument::RemoveValue(std::string_view section, std::string_view key) {
    bool removed = false;
    for (std::size_t index = FindEntry(section, key); index != lines_.size();
         index = FindEntry(section, key)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
        removed = true;
    }
    return removed;
}

bool IniDocument::AddSection(std::string_view section) {
    if (!ValidSectionName(section)) {
        return false;
    }
    if (!HasSection(section)) {
        AppendSection(section);
    }
    return true;
}

}  // namespace korvalin
