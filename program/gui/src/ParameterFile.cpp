// The parameter file: 80 unsigned integers as text, the first sixteen the packet words.
#include <gui/gui.h>

#include <com232/com232.h>
#include <shared/ControlIds.h>
#include <shared/ShellVariables.h>
#include <shared/StatusTexts.h>

#include <platform/ui.h>

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kFileValues = 80;
constexpr int kFieldWidth = 4;
} // namespace

void SendParaToFile() {
    GetPanelValues();
    CopyVarsToPP();
    std::uint32_t values[kFileValues] = {};
    for (int i = 0; i < PNUM; ++i)
        values[i] = pp[i];
    if (ArrayToFile(file_name, values, kTypeUnsignedInt, kFileValues, 1, 0, 0, 0, kFieldWidth, 1,
                    0) < 0)
        SetCtrlVal(panelHandle, CTRL_STATUS, STATUS_FILE_NOT_WRITTEN);
}

int ReadParaFromFile() {
    if (FileSelectPopup(proj_dir, "ZULpara.dat", "*.dat", "T-KOR-Series Parameter File",
                        kButtonLoad, 0, 1, 1, 1, file_name) <= 0)
        return 0;
    std::uint32_t values[PNUM];
    // Only the first sixteen values are parameter words: what follows them is not read, so
    // it matters to no Get whatever it holds. A file that cannot be read, or does not begin
    // with sixteen unsigned integers, changes nothing: the Get stops here with the message.
    // No file the tool writes holds a word above 16 bits; a file that does is damaged.
    const bool readable =
        FileToArray(file_name, values, kTypeUnsignedInt, PNUM, 1, 0, 0, 1) == PNUM;
    if (!readable ||
        std::any_of(values, values + PNUM, [](std::uint32_t v) { return v > 0xFFFF; })) {
        SetCtrlVal(panelHandle, CTRL_STATUS, STATUS_FILE_NOT_READ);
        return 0;
    }
    for (int i = 0; i < PNUM; ++i)
        pp[i] = static_cast<unsigned short>(values[i]);
    CopyPPtoVars();
    return 1;
}
