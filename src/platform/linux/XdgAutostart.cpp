#include "platform/linux/XdgAutostart.h"

#include <unistd.h>

#include <cerrno>

#include "base/AtomicFile.h"
#include "base/Folders.h"
#include "base/IniDocument.h"

namespace korvalin {

namespace {

constexpr const char* kGroup = "Desktop Entry";

// Characters that the desktop-entry rules reserve in Exec arguments; an argument holding
// one of them must be quoted.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

std::string EscapeString(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string UnescapeString(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
        case 's':
            plain += ' ';
            break;
        case 'n':
            plain += '\n';
            break;
        case 't':
            plain += '\t';
            break;
        case 'r':
            plain += '\r';
            break;
        case '\\':
            plain += '\\';
            break;
        default:
            plain += '\\';
            plain += next;
        }
    }
    return plain;
}

std::string QuoteArgument(const std::string& argument) {
    if (argument.find_first_of(kReserved) == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// "%%" stands for "%"; other field codes do not belong to a program path and are dropped.
std::string WithoutFieldCodes(const std::string& argument) {
    std::string plain;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '%' && i + 1 < argument.size()) {
            if (argument[++i] == '%') {
                plain += '%';
            }
            continue;
        }
        plain += argument[i];
    }
    return plain;
}

std::string DoublePercent(const std::string& text) {
    std::string doubled;
    for (const char c : text) {
        doubled += c;
        if (c == '%') {
            doubled += '%';
        }
    }
    return doubled;
}

bool IsTrue(const std::optional<std::string>& value) {
    return value && *value == "true";
}

}  // namespace

XdgAutostart::XdgAutostart(std::string entryPath) : entryPath_(std::move(entryPath)) {}

std::string XdgAutostart::ExecValue(const std::string& program) {
    return EscapeString(DoublePercent(QuoteArgument(program)));
}

std::string XdgAutostart::ProgramOfExec(const std::string& stored) {
    const std::string exec = UnescapeString(stored);
    std::string argument;
    std::size_t i = exec.find_first_not_of(" \t");
    if (i == std::string::npos) {
        return {};
    }
    if (exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) {
                ++i;
            }
            argument += exec[i];
        }
    } else {
        for (; i < exec.size() && exec[i] != ' ' && exec[i] != '\t'; ++i) {
            argument += exec[i];
        }
    }
    return WithoutFieldCodes(argument);
}

std::optional<std::string> XdgAutostart::ProgramPath() const {
    std::string text;
    if (AtomicFile::Read(entryPath_, text) != 0) {
        return std::nullopt;
    }
    const IniDocument entry = IniDocument::Parse(text);
    // A hidden entry counts as deleted and a disabled one starts nothing.
    if (IsTrue(entry.Value(kGroup, "Hidden")) ||
        entry.Value(kGroup, "X-GNOME-Autostart-enabled") == "false") {
        return std::nullopt;
    }
    const auto exec = entry.Value(kGroup, "Exec");
    if (!exec) {
        return std::nullopt;
    }
    return ProgramOfExec(*exec);
}

int XdgAutostart::Write(const std::string& programPath) const {
    if (const int error = CreateParentFolders(entryPath_); error != 0) {
        return error;
    }
    const std::string entry = std::string("[") + kGroup +
                              "]\n"
                              "Type=Application\n"
                              "Name=Korvalin\n"
                              "Exec=" +
                              ExecValue(programPath) +
                              "\n"
                              "X-GNOME-Autostart-enabled=true\n";
    return AtomicFile::Write(entryPath_, entry);
}

int XdgAutostart::Remove() const {
    return ::unlink(entryPath_.c_str()) == 0 ? 0 : errno;
}

}  // namespace korvalin
