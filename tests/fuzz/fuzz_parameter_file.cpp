// Feeds arbitrary bytes as a parameter file to the load: it either takes sixteen words that
// the file holds as they stand, or changes nothing.
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/util.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

std::array<unsigned short*, PNUM> variables() {
    return {&power0,  &power1,  &reference, &tolerance, &hwMode, &polarity, &anaMode, &evalMode,
            &average, &teachAB, &teachCD,   &teachTHD,  &free12, &free13,   &free14,  &free15};
}

// The sixteen words a good file holds, read the plain way, or nothing for a file to refuse.
std::optional<std::array<std::uint64_t, PNUM>> expectedWords(const std::uint8_t* data,
                                                             std::size_t size) {
    std::array<std::uint64_t, PNUM> words{};
    std::size_t count = 0;
    std::optional<std::uint64_t> value;
    for (std::size_t i = 0; i <= size && count < 80; ++i) {
        const char c = i < size ? static_cast<char>(data[i]) : ' ';
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';') {
            if (value && count < PNUM)
                words[count] = *value;
            count += value ? 1 : 0;
            value.reset();
        } else if (c >= '0' && c <= '9') {
            value = value.value_or(0) * 10 + static_cast<std::uint64_t>(c - '0');
            if (*value > 0xFFFFFFFFull)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (count < PNUM)
        return std::nullopt;
    for (const std::uint64_t word : words)
        if (word > 0xFFFF)
            return std::nullopt;
    return words;
}

class Setup {
public:
    Setup() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz_parameter_file";
        static char* argv[] = {name, nullptr};
        InitToolkit(argc, argv);
        char path[] = "/tmp/fuzz_parameter_fileXXXXXX";
        const int fd = mkstemp(path);
        if (fd < 0)
            std::abort();
        close(fd);
        m_path = path;
        platform::setFileSelectAnswer(
            [this](const platform::FileSelectRequest&, std::string& chosen) {
                chosen = m_path;
                return kExistingFileSelected;
            });
    }
    ~Setup() { std::remove(m_path.c_str()); }
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

    void write(const std::uint8_t* data, std::size_t size) const {
        FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
            std::abort();
    }

private:
    std::string m_path;
};

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setup setup;
    setup.write(data, size);
    for (unsigned short* variable : variables())
        *variable = 0x5A5A;
    const auto expected = expectedWords(data, size);
    check(ReadParaFromFile() == (expected ? 1 : 0));
    const auto all = variables();
    for (std::size_t i = 0; i < PNUM; ++i)
        check(*all[i] == (expected ? (*expected)[i] : 0x5A5A));
    return 0;
}
