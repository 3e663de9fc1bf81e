#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin {

// The text of an INI file as the classic profile functions read it: "[Section]" headers,
// "key=value" lines, names compared without regard to ASCII case and trimmed of blanks,
// values trimmed. Every line is kept as it was unless a change touches it, so comments,
// blank lines, unknown keys and even lines that are not INI at all (binary junk, NUL
// bytes) survive a round trip. Of duplicate keys (also across repeated section headers)
// the first one counts. Lines before the first header belong to no section.
class IniDocument {
public:
    static IniDocument Parse(std::string_view text);

    // The text to store: every line followed by the line end the source used first
    // (CRLF or LF; LF for a new document).
    std::string Serialize() const;

    // The value of the first key of that name in the section, or nothing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    bool HasSection(std::string_view section) const;

    // Every section name once, in the order of first appearance.
    std::vector<std::string> SectionNames() const;

    // Every key name of the section once, in file order.
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Changes the first key of that name, or adds it at the end of the section's first
    // block, or adds the section at the end of the document. Line breaks in the value
    // become blanks, since they would start new lines. Returns false, changing nothing,
    // for names that cannot be stored (see ValidSectionName, ValidKeyName).
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes every key of that name from the section. Returns whether one existed.
    bool RemoveValue(std::string_view section, std::string_view key);

    // Adds an empty section at the end when it is missing. Returns false for a name that
    // cannot be stored.
    bool AddSection(std::string_view section);

    // A section name is storable when it is not empty after trimming and holds no "]"
    // and no line break.
    static bool ValidSectionName(std::string_view section);
    // A key name is storable when it is not empty after trimming, holds no "=" and no
    // line break, and does not start like a header or a comment ("[", ";", "#").
    static bool ValidKeyName(std::string_view key);

    static bool SameName(std::string_view a, std::string_view b);

private:
    enum class Kind { Other, Header, Entry };

    struct Line {
        Kind kind = Kind::Other;
        std::string text;   // the line as stored, without its line end
        std::string name;   // the section name of a header, the key of an entry
        std::string value;  // the value of an entry
    };

    static Line ParseLine(std::string text);
    // The index of the first entry of key in section, or lines_.size().
    std::size_t FindEntry(std::string_view section, std::string_view key) const;
    // The index after which a new key of the section goes, or lines_.size() when the
    // section does not exist.
    std::size_t InsertionPoint(std::string_view section) const;
    void AppendSection(std::string_view section);

    std::vector<Line> lines_;
    bool crlf_ = false;
};

}  // namespace korvalin
