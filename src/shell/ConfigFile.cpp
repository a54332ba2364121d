#include "shell/ConfigFile.h"

#include "platform/Exception.h"
#include "platform/IniText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace sj {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

char Complement(char c) {
    return static_cast<char>(~static_cast<unsigned char>(c));
}

bool IsUnstorable(char c) {
    // Complemented, these become CR, LF or NUL: the reader would take them for a
    // line break or the end of the text.
    const unsigned char b = static_cast<unsigned char>(c);
    return b == 0xF2 || b == 0xF5 || b == 0xFF;
}

std::string ComplementExceptBreaks(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (!IsLineBreak(c))
            c = Complement(c);
    return result;
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string OpenErrorMessage(const std::string& path, int error) {
    return "Cannot open file \"" + path + "\". " + std::strerror(error);
}

} // namespace

std::string DecodeConfigLine(std::string_view storedLine) {
    std::string result(storedLine);
    for (char& c : result)
        c = Complement(c);
    return result;
}

std::string EncodeConfigText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsUnstorable(text[i]))
            throw Exception("Character code " + std::to_string(static_cast<unsigned char>(text[i])) + " at offset " +
                            std::to_string(i) + " cannot be stored in the configuration file");
    return ComplementExceptBreaks(text);
}

std::string DecodeConfigText(std::string_view stored) {
    return ComplementExceptBreaks(stored);
}

std::vector<std::string> SplitLines(std::string_view text) {
    const std::vector<std::string_view> views = SplitIniLines(text);
    return std::vector<std::string>(views.begin(), views.end());
}

std::string ReadFileBytes(const std::string& path) {
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw EFileError(OpenErrorMessage(path, errno));
    std::string bytes;
    char buffer[16384];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, got);
    if (std::ferror(file.get()))
        throw EFileError("Cannot read file \"" + path + "\"");
    return bytes;
}

TMemIniFile ReadConfigFile(const std::string& path) {
    std::vector<std::string> lines = SplitLines(ReadFileBytes(path));
    for (std::string& line : lines)
        line = DecodeConfigLine(line);
    return TMemIniFile(lines);
}

std::string ReadApplicationTitle(const std::string& path) {
    return ReadConfigFile(path).ReadString(ConfigSection, ConfigKeyName, "");
}

void LoadProductStrings(const std::string& path, TGlobalVars& vars) {
    const TMemIniFile ini = ReadConfigFile(path);
    auto read = [&](const char* key) { return ini.ReadString(ConfigSection, key, ""); };
    vars.Version = read(ConfigKeyVersion);
    vars.RightsHolder = read(ConfigKeyCopyright);
    vars.HelpContentLink = read(ConfigKeyHelpContent);
    vars.HowToLink = read(ConfigKeyHowTo);
    vars.HomePageLink = read(ConfigKeyHomePage);
    vars.MoreFreeToolsLink = read(ConfigKeyMoreFreeTools);
    vars.CheckForUpdatesLink = read(ConfigKeyCheckForUpdates);
    vars.SupportLink = read(ConfigKeySupport);
}

} // namespace sj
