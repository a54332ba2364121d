// resgen: writes the product configuration file from its plain INI source, or turns a
// configuration file back into plain text.
//
//   resgen encode <source.ini> <lamecore.dll>
//   resgen decode <lamecore.dll> <source.ini>

#include "platform/Exception.h"
#include "shell/ConfigFile.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

namespace {

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        throw sj::EFileError("Cannot write file \"" + path + "\"");
    if (std::fclose(file.release()) != 0)
        throw sj::EFileError("Cannot write file \"" + path + "\"");
}

int Usage() {
    std::fprintf(stderr, "usage: resgen encode <source.ini> <output>\n"
                         "       resgen decode <input> <output.ini>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return Usage();
    const bool encode = std::strcmp(argv[1], "encode") == 0;
    if (!encode && std::strcmp(argv[1], "decode") != 0)
        return Usage();
    try {
        const std::string input = sj::ReadFileBytes(argv[2]);
        WriteFileBytes(argv[3], encode ? sj::EncodeConfigText(input) : sj::DecodeConfigText(input));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "resgen: %s: %s\n", argv[2], error.what());
        std::remove(argv[3]);
        return 1;
    }
    return 0;
}
