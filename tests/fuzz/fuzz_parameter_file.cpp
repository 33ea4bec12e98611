// Feeds arbitrary bytes as a parameter file to the load: it takes the sixteen words a good
// file begins with as they stand, or changes nothing.
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/util.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

// The sixteen words a good file begins with, read the plain way, or nothing for a file to
// refuse. What follows the sixteenth word is never looked at.
std::optional<std::array<std::uint64_t, PNUM>> expectedWords(const std::uint8_t* data,
                                                             std::size_t size) {
    std::array<std::uint64_t, PNUM> words{};
    std::size_t count = 0;
    std::optional<std::uint64_t> value;
    for (std::size_t i = 0; i <= size && count < PNUM; ++i) {
        const char c = i < size ? static_cast<char>(data[i]) : ' ';
        if (c >= '0' && c <= '9') {
            value = value.value_or(0) * 10 + static_cast<std::uint64_t>(c - '0');
            if (*value > 0xFFFFFFFFull)
                return std::nullopt;
        } else if (std::string(" \t\r\n,;").find(c) != std::string::npos) {
            if (value)
                words[count++] = *value;
            value.reset();
        } else {
            return std::nullopt;
        }
    }
    for (const std::uint64_t word : words)
        if (word > 0xFFFF)
            return std::nullopt;
    return count == PNUM ? std::optional(words) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz_parameter_file";
        static char* argv[] = {name, nullptr};
        InitToolkit(argc, argv);
        platform::setFileSelectAnswer([](const platform::FileSelectRequest&, std::string& chosen) {
            chosen = path;
            return kExistingFileSelected;
        });
        std::atexit([] { std::remove(path.c_str()); });
        return "/tmp/fuzz_parameter_file." + std::to_string(getpid());
    }();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    pp[0] = 0x5A5A;
    for (int i = 1; i < PNUM; ++i)
        pp[i] = pp[0];
    CopyPPtoVars();
    const auto expected = expectedWords(data, size);
    if (ReadParaFromFile() != (expected ? 1 : 0))
        std::abort();
    CopyVarsToPP();
    for (std::size_t i = 0; i < PNUM; ++i)
        if (pp[i] != (expected ? (*expected)[i] : 0x5A5A))
            std::abort();
    return 0;
}
